// UTF-16 string helpers over WCHAR, the same on every platform (WCHAR is char16_t on Linux,
// where the C library's wcs* functions would read 4-byte characters).
#pragma once

#include <cstddef>

// Number of characters before the terminating NUL. Names and namespace URIs are measured on
// every call that takes them, so the scan tests four characters per step; it never reads past
// the terminator.
inline size_t WStrLen(const WCHAR* s) {
    size_t n = 0;
    for (;; n += 4) {
        if (s[n] == 0) return n;
        if (s[n + 1] == 0) return n + 1;
        if (s[n + 2] == 0) return n + 2;
        if (s[n + 3] == 0) return n + 3;
    }
}

// Length up to the terminating NUL, but never more than `limit`: a result equal to `limit`
// means the string is at least that long.
// Four characters a step, as WStrLen. gcc cannot see that the terminator ends the reads and
// warns about indices past a short literal when `limit` is large.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
inline size_t WStrLenBounded(const WCHAR* s, size_t limit) {
    size_t n = 0;
    for (; n + 4 <= limit; n += 4) {
        if (s[n] == 0) return n;
        if (s[n + 1] == 0) return n + 1;
        if (s[n + 2] == 0) return n + 2;
        if (s[n + 3] == 0) return n + 3;
    }
    while (n < limit && s[n] != 0) ++n;
    return n;
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// First occurrence of `c` before the terminator, or null.
inline const WCHAR* WStrChr(const WCHAR* s, WCHAR c) {
    for (; *s != 0; ++s) {
        if (*s == c) return s;
    }
    return nullptr;
}

// Code-unit comparison: negative, zero or positive, as wcscmp.
inline int WStrCmp(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

inline bool WStrEqual(const WCHAR* a, const WCHAR* b) { return WStrCmp(a, b) == 0; }
