// Seams inside the portable runtime library between the runtime proper and the MSXML stand-in.
// Not exported from the shared library.
#pragma once

#include <platform/platform.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// Sanitizer builds: the runtime keeps no freed blocks for reuse and reads no bytes past a
// string's terminator, so that a use after free or an overread is still reported.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QP_RUNTIME_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define QP_RUNTIME_SANITIZED 1
#endif
#endif

// Whether every UTF-16 unit is below 0x80. No early exit, so that the compiler tests many units
// per instruction.
inline bool AllAsciiUnits(const WCHAR* text, size_t length) {
    WCHAR bits = 0;
    for (size_t i = 0; i < length; ++i) bits |= text[i];
    return bits < 0x80;
}

// The ledger's count of live stand-in COM objects; each object adds 1 when made and -1 when
// its final Release destroys it.
void PortableLedgerAddDomObjects(int64_t delta);

// Class factories of the stand-in, used by CoCreateInstance.
HRESULT MsxmlCreateDocument(REFIID riid, void** ppv);
HRESULT MsxmlCreateNamespaceManager(REFIID riid, void** ppv);

// Copies `count` characters. Names and prefixes are a few characters long, where two
// overlapping fixed-size copies cost less than a call to memcpy.
inline void CopyUnits(WCHAR* to, const WCHAR* from, size_t count) {
    if (count >= 8 && count <= 16) {
        std::memcpy(to, from, 8 * sizeof(WCHAR));
        std::memcpy(to + count - 8, from + count - 8, 8 * sizeof(WCHAR));
    } else if (count >= 4 && count < 8) {
        std::memcpy(to, from, 4 * sizeof(WCHAR));
        std::memcpy(to + count - 4, from + count - 4, 4 * sizeof(WCHAR));
    } else if (count < 4) {
        for (size_t i = 0; i < count; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, count * sizeof(WCHAR));
    }
}
