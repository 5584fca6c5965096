// BSTR with the Windows layout: a 4-byte byte count, then the characters, then a NUL. The
// BSTR points at the first character, so the count sits just before it.
#include "ledger.h"
#include "runtime_internal.h"

#include <platform/platform.h>
#include <portable/test_support.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);
// The byte count must fit the 32-bit prefix.
constexpr UINT kMaxChars = (UINT32_MAX - kPrefixBytes - sizeof(WCHAR)) / sizeof(WCHAR);

unsigned char* BlockOf(BSTR s) { return reinterpret_cast<unsigned char*>(s) - kPrefixBytes; }

uint32_t ByteCountOf(BSTR s) {
    uint32_t bytes;
    std::memcpy(&bytes, BlockOf(s), sizeof bytes);
    return bytes;
}

size_t BlockBytes(UINT chars) { return kPrefixBytes + (size_t{chars} + 1) * sizeof(WCHAR); }

}  // namespace

WINOLEAUTAPI_(BSTR) SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxChars) return nullptr;
    if (PortableFaultNextAllocationFails()) return nullptr;
    const uint32_t bytes = ui * static_cast<uint32_t>(sizeof(WCHAR));
    auto* block = static_cast<unsigned char*>(std::malloc(BlockBytes(ui)));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    BSTR s = reinterpret_cast<BSTR>(block + kPrefixBytes);
    // Without a source the content is left unset, as on Windows; only the terminator is written.
    if (strIn != nullptr) std::memcpy(s, strIn, size_t{ui} * sizeof(WCHAR));
    s[ui] = 0;
    PortableLedgerAddBstrs(1);
    return s;
}

WINOLEAUTAPI_(BSTR) SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) return nullptr;
    const size_t length = WStrLen(psz);
    if (length > kMaxChars) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(length));
}

WINOLEAUTAPI_(void) SysFreeString(BSTR bstrString) {
    if (bstrString == nullptr) return;
    PortableLedgerAddBstrs(-1);
    std::free(BlockOf(bstrString));
}

WINOLEAUTAPI_(UINT) SysStringLen(BSTR pbstr) {
    return pbstr == nullptr ? 0 : ByteCountOf(pbstr) / static_cast<uint32_t>(sizeof(WCHAR));
}

WINOLEAUTAPI_(UINT) SysStringByteLen(BSTR bstr) { return bstr == nullptr ? 0 : ByteCountOf(bstr); }
