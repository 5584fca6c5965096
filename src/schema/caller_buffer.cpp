#include <schema/caller_buffer.h>

#include <cstring>

namespace qp {

namespace {
constexpr ULONG kLargestCapacity = 2147483647;
}

bool CopyCountingTerminator(const WCHAR* text, WCHAR* buffer, ULONG* chars) noexcept {
    if (chars == nullptr) return false;
    const WCHAR* source = text != nullptr ? text : W("");
    const size_t needed = WStrLen(source) + 1;
    if (needed > *chars) {
        *chars = static_cast<ULONG>(needed);
        return false;
    }
    if (*chars > kLargestCapacity || buffer == nullptr) return false;
    std::memcpy(buffer, source, needed * sizeof(WCHAR));
    return true;
}

}  // namespace qp
