// _vsnwprintf for UTF-16 with the Microsoft C runtime's contract, for the conversions the
// plug-in uses: %s (a wide string), %d (an int), %c (a wide character) and %%. Any other
// conversion, and any flag, width, precision or size, yields -1 and an empty buffer where the C
// runtime would format it, so that a format this formatter misreads can never run off its
// arguments.
#include <platform/platform.h>

#include <climits>

namespace {

// Counts every character but stores only those that fit, so nothing is written past `count`.
class BoundedWriter {
public:
    BoundedWriter(WCHAR* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}

    void Put(WCHAR c) {
        if (produced_ < capacity_) buffer_[produced_] = c;
        ++produced_;
    }
    size_t Produced() const { return produced_; }

private:
    WCHAR* buffer_;
    size_t capacity_;
    size_t produced_ = 0;
};

void PutString(BoundedWriter& out, const WCHAR* text) {
    if (text == nullptr) text = u"(null)";
    for (; *text != 0; ++text) out.Put(*text);
}

void PutInteger(BoundedWriter& out, int value) {
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    if (value < 0) out.Put(u'-');
    WCHAR digits[10];
    size_t n = 0;
    do {
        digits[n++] = static_cast<WCHAR>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0) out.Put(digits[--n]);
}

// Writes the conversion `type` names; false for one this formatter does not support.
bool PutConversion(BoundedWriter& out, WCHAR type, va_list& args) {
    switch (type) {
        case u'%': out.Put(u'%'); return true;
        case u'c': out.Put(static_cast<WCHAR>(va_arg(args, int))); return true;
        case u'd': PutInteger(out, va_arg(args, int)); return true;
        case u's': PutString(out, va_arg(args, const WCHAR*)); return true;
        default: return false;
    }
}

// Writes `format` with its arguments; false when it holds a conversion not supported.
bool Format(BoundedWriter& out, const WCHAR* format, va_list& args) {
    for (const WCHAR* p = format; *p != 0; ++p) {
        if (*p != u'%') {
            out.Put(*p);
        } else if (!PutConversion(out, *++p, args)) {
            return false;
        }
    }
    return true;
}

}  // namespace

STDAPI_(int) _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
    if (format == nullptr || (buffer == nullptr && count > 0)) return -1;
    BoundedWriter out(buffer, count);
    va_list cursor;
    va_copy(cursor, args);
    const bool supported = Format(out, format, cursor);
    va_end(cursor);
    if (!supported) {
        if (count > 0) buffer[0] = 0;
        return -1;
    }
    const size_t produced = out.Produced();
    if (produced < count) buffer[produced] = 0;
    if (produced > count || produced > static_cast<size_t>(INT_MAX)) return -1;
    return static_cast<int>(produced);
}
