// The caller-buffer contract of FormatQName, GetName and GetText: counts in characters, the
// terminator included.
#pragma once

#include <platform/platform.h>

namespace qp {

// Copies `text` (read up to its first NUL; null reads as empty) and a terminator into `buffer`,
// every count including the terminator (the namespace manager's buffers count without it).
// When *chars is smaller than the length plus one, sets *chars to that number and returns false
// without writing. A null `chars`, a capacity above 2147483647 or a null buffer is refused:
// false, nothing written, *chars unchanged. On success *chars keeps its value.
bool CopyCountingTerminator(const WCHAR* text, WCHAR* buffer, ULONG* chars) noexcept;

}  // namespace qp
