// Bounded formatting of a wide string into a caller's buffer.
#pragma once

#include <platform/platform.h>

#include <cstddef>

namespace qp {

// Formats into `buffer` of `n` characters, terminator counted, 1 <= n <= 0x7FFFFFFF. The buffer
// is always terminated; output that does not fit is cut to n - 1 characters and reported as
// HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER). E_INVALIDARG (buffer untouched) for a size out
// of range or a null buffer or format.
HRESULT FormatString(WCHAR* buffer, size_t n, const WCHAR* format, ...);

}  // namespace qp
