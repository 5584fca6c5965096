// _vsnwprintf for UTF-16 with the Microsoft C runtime's contract. Output goes through a writer
// that counts every character but stores only those that fit, so nothing is ever written past
// `count`; the result is decided from the total once formatting is done.
//
// Size modifiers follow Windows, where `long` is 32 bits: %ld takes a 32-bit value, %lld and
// %I64d a 64-bit one. In this wide function %s, %ls, %ws and %c are wide; %hs, %S, %hc and %C
// are 8-bit. A malformed conversion yields -1 and an empty buffer (the C runtime would call its
// invalid-parameter handler).
#include "runtime_internal.h"

#include <platform/platform.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cstdint>
#include <type_traits>

namespace {

class BoundedWriter {
public:
    BoundedWriter(WCHAR* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}

    void Put(WCHAR c) {
        if (produced_ < capacity_) buffer_[produced_] = c;
        ++produced_;
    }
    // Counts all `n` but stores only what fits, so a huge width costs no more than the buffer.
    void Repeat(WCHAR c, size_t n) {
        const size_t room = produced_ < capacity_ ? capacity_ - produced_ : 0;
        for (size_t i = 0; i < n && i < room; ++i) buffer_[produced_ + i] = c;
        produced_ += n;
    }
    // Counts all `n` units of `text` and stores what fits.
    template <class Char>
    void Write(const Char* text, size_t n) {
        const size_t room = produced_ < capacity_ ? capacity_ - produced_ : 0;
        const size_t stored = n < room ? n : room;
        if constexpr (std::is_same_v<Char, WCHAR>) {
            std::copy(text, text + stored, buffer_ + produced_);
        } else {
            for (size_t i = 0; i < stored; ++i) {
                buffer_[produced_ + i] = static_cast<WCHAR>(static_cast<std::make_unsigned_t<Char>>(text[i]));
            }
        }
        produced_ += n;
    }
    size_t Produced() const { return produced_; }

private:
    WCHAR* buffer_;
    size_t capacity_;
    size_t produced_ = 0;
};

enum class ArgSize { Default, Char, Short, Long, LongLong, Pointer, Wide };

struct Conversion {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    size_t width = 0;
    int precision = -1;  // -1: none given
    ArgSize size = ArgSize::Default;
    WCHAR type = 0;
};

bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

size_t ParseNumber(const WCHAR*& p) {
    size_t n = 0;
    for (; IsDigit(*p); ++p) {
        if (n < INT_MAX) n = n * 10 + static_cast<size_t>(*p - u'0');
    }
    return n;
}

void ParseFlags(const WCHAR*& p, Conversion& c) {
    for (;; ++p) {
        switch (*p) {
            case u'-': c.left = true; break;
            case u'0': c.zero = true; break;
            case u'+': c.plus = true; break;
            case u' ': c.space = true; break;
            case u'#': c.alternate = true; break;
            default: return;
        }
    }
}

void ParseWidthAndPrecision(const WCHAR*& p, va_list& args, Conversion& c) {
    if (*p == u'*') {
        ++p;
        const int width = va_arg(args, int);
        if (width < 0) c.left = true;
        c.width = width < 0 ? 0 - static_cast<size_t>(width) : static_cast<size_t>(width);
    } else {
        c.width = ParseNumber(p);
    }
    if (*p != u'.') return;
    ++p;
    if (*p == u'*') {
        ++p;
        const int precision = va_arg(args, int);
        c.precision = precision < 0 ? -1 : precision;
    } else {
        c.precision = static_cast<int>(ParseNumber(p));
    }
}

bool StartsWith(const WCHAR* p, const char* text) {
    for (; *text != 0; ++p, ++text) {
        if (*p != static_cast<WCHAR>(*text)) return false;
    }
    return true;
}

void ParseSize(const WCHAR*& p, Conversion& c) {
    // Most conversions have no size: only these letters can start one.
    if (*p != u'h' && *p != u'l' && *p != u'w' && *p != u'I' && *p != u'z') return;
    struct Modifier {
        const char* text;
        size_t length;
        ArgSize size;
    };
    static constexpr Modifier kModifiers[] = {
        {"hh", 2, ArgSize::Char},   {"h", 1, ArgSize::Short},       {"ll", 2, ArgSize::LongLong},
        {"l", 1, ArgSize::Long},    {"w", 1, ArgSize::Wide},        {"I64", 3, ArgSize::LongLong},
        {"I32", 3, ArgSize::Long},  {"I", 1, ArgSize::Pointer},     {"z", 1, ArgSize::Pointer},
    };
    for (const Modifier& m : kModifiers) {
        if (StartsWith(p, m.text)) {
            c.size = m.size;
            p += m.length;
            return;
        }
    }
}

// Parses one conversion after its '%'; false when it is malformed.
bool ParseConversion(const WCHAR*& p, va_list& args, Conversion& c) {
    ParseFlags(p, c);
    ParseWidthAndPrecision(p, args, c);
    ParseSize(p, c);
    c.type = *p;
    if (c.type == 0) return false;
    ++p;
    return true;
}

void PadTo(BoundedWriter& out, size_t used, const Conversion& c) {
    if (c.width > used) out.Repeat(u' ', c.width - used);
}

// The characters of a string argument to write: up to its terminator, or to the precision.
template <class Char>
size_t ArgumentLength(const Char* text, int precision) {
    if (precision >= 0) {
        size_t n = 0;
        while (n < static_cast<size_t>(precision) && text[n] != 0) ++n;
        return n;
    }
    if constexpr (std::is_same_v<Char, WCHAR>) {
        return WStrLen(text);
    } else {
        return std::strlen(text);
    }
}

template <class Char>
void WriteString(BoundedWriter& out, const Char* text, const Conversion& c) {
    static constexpr char kNull[] = "(null)";
    if (text == nullptr) {
        WriteString(out, kNull, c);
        return;
    }
    const size_t length = ArgumentLength(text, c.precision);
    if (c.width > length && !c.left) out.Repeat(u' ', c.width - length);
    out.Write(text, length);
    if (c.width > length && c.left) out.Repeat(u' ', c.width - length);
}

bool IsNarrow(const Conversion& c) {
    if (c.size == ArgSize::Short) return true;
    return c.size != ArgSize::Long && c.size != ArgSize::Wide && (c.type == u'S' || c.type == u'C');
}

void WriteCharacter(BoundedWriter& out, va_list& args, const Conversion& c) {
    const int value = va_arg(args, int);
    const WCHAR ch = IsNarrow(c) ? static_cast<WCHAR>(static_cast<unsigned char>(value)) : static_cast<WCHAR>(value);
    if (!c.left) PadTo(out, 1, c);
    out.Put(ch);
    if (c.left) PadTo(out, 1, c);
}

int64_t SignedArgument(va_list& args, ArgSize size) {
    switch (size) {
        case ArgSize::Char: return static_cast<signed char>(va_arg(args, int));
        case ArgSize::Short: return static_cast<short>(va_arg(args, int));
        case ArgSize::LongLong: return va_arg(args, long long);
        case ArgSize::Pointer: return va_arg(args, intptr_t);
        default: return va_arg(args, int);
    }
}

uint64_t UnsignedArgument(va_list& args, ArgSize size) {
    switch (size) {
        case ArgSize::Char: return static_cast<unsigned char>(va_arg(args, unsigned int));
        case ArgSize::Short: return static_cast<unsigned short>(va_arg(args, unsigned int));
        case ArgSize::LongLong: return va_arg(args, unsigned long long);
        case ArgSize::Pointer: return va_arg(args, uintptr_t);
        default: return va_arg(args, unsigned int);
    }
}

// Digits of `magnitude` in `base`, most significant first, into `digits`; returns their count.
size_t FormatDigits(uint64_t magnitude, unsigned base, bool upper, char* digits) {
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[24];
    size_t n = 0;
    do {
        reversed[n++] = alphabet[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    for (size_t i = 0; i < n; ++i) digits[i] = reversed[n - 1 - i];
    return n;
}

// Sign or base prefix, zeros to the precision (or to the width with the 0 flag), then digits.
void WriteInteger(BoundedWriter& out, const char* prefix, uint64_t magnitude, unsigned base, const Conversion& c) {
    char digits[24];
    size_t digitCount = FormatDigits(magnitude, base, c.type == u'X', digits);
    if (c.precision == 0 && magnitude == 0) digitCount = 0;
    size_t prefixLength = 0;
    while (prefix[prefixLength] != 0) ++prefixLength;
    size_t zeros = c.precision > static_cast<int>(digitCount) ? static_cast<size_t>(c.precision) - digitCount : 0;
    const size_t body = prefixLength + zeros + digitCount;
    const bool zeroPad = c.zero && !c.left && c.precision < 0;
    if (zeroPad && c.width > body) zeros += c.width - body;
    const size_t used = prefixLength + zeros + digitCount;
    if (!c.left) PadTo(out, used, c);
    for (size_t i = 0; i < prefixLength; ++i) out.Put(static_cast<WCHAR>(prefix[i]));
    out.Repeat(u'0', zeros);
    for (size_t i = 0; i < digitCount; ++i) out.Put(static_cast<WCHAR>(digits[i]));
    if (c.left) PadTo(out, used, c);
}

void WriteSigned(BoundedWriter& out, va_list& args, const Conversion& c) {
    const int64_t value = SignedArgument(args, c.size);
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const char* sign = value < 0 ? "-" : c.plus ? "+" : c.space ? " " : "";
    WriteInteger(out, sign, magnitude, 10, c);
}

void WriteUnsigned(BoundedWriter& out, va_list& args, const Conversion& c) {
    const uint64_t value = UnsignedArgument(args, c.size);
    const unsigned base = c.type == u'u' ? 10 : c.type == u'o' ? 8 : 16;
    const char* prefix = "";
    if (c.alternate && value != 0 && base == 16) prefix = c.type == u'X' ? "0X" : "0x";
    if (c.alternate && value != 0 && base == 8) prefix = "0";
    WriteInteger(out, prefix, value, base, c);
}

// Writes one parsed conversion; false for a conversion type this formatter does not know.
bool WriteConversion(BoundedWriter& out, va_list& args, const Conversion& c) {
    switch (c.type) {
        case u'%': out.Put(u'%'); return true;
        case u'c':
        case u'C': WriteCharacter(out, args, c); return true;
        case u'd':
        case u'i': WriteSigned(out, args, c); return true;
        case u'u':
        case u'o':
        case u'x':
        case u'X': WriteUnsigned(out, args, c); return true;
        case u's':
        case u'S':
            if (IsNarrow(c)) {
                WriteString(out, va_arg(args, const char*), c);
            } else {
                WriteString(out, va_arg(args, const WCHAR*), c);
            }
            return true;
        default: return false;
    }
}

}  // namespace

STDAPI_(int) _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
    if (format == nullptr) return -1;
    BoundedWriter out(buffer, count);
    va_list cursor;
    va_copy(cursor, args);
    bool wellFormed = true;
    for (const WCHAR* p = format; *p != 0 && wellFormed;) {
        if (*p != u'%') {
            const WCHAR* literal = p;
            while (*p != 0 && *p != u'%') ++p;
            out.Write(literal, static_cast<size_t>(p - literal));
            continue;
        }
        ++p;
        if (*p == u's') {
            // A plain wide string, the conversion names are formed with.
            ++p;
            const WCHAR* text = va_arg(cursor, const WCHAR*);
            if (text != nullptr) {
                out.Write(text, WStrLen(text));
            } else {
                Conversion plain;
                plain.type = u's';
                WriteString(out, text, plain);
            }
            continue;
        }
        Conversion c;
        wellFormed = ParseConversion(p, cursor, c) && WriteConversion(out, cursor, c);
    }
    va_end(cursor);
    if (!wellFormed) {
        if (count > 0) buffer[0] = 0;
        return -1;
    }
    const size_t produced = out.Produced();
    if (produced < count) buffer[produced] = 0;
    if (produced > count || produced > static_cast<size_t>(INT_MAX)) return -1;
    return static_cast<int>(produced);
}
