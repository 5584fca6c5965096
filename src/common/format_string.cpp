#include "common/format_string.h"

#include "common/hresult.h"

#include <cstdarg>

namespace qp {

HRESULT FormatString(WCHAR* buffer, size_t n, const WCHAR* format, ...) {
    if (n == 0 || n > 0x7FFFFFFF || buffer == nullptr || format == nullptr) return E_INVALIDARG;

    va_list args;
    va_start(args, format);
    const int written = _vsnwprintf(buffer, n - 1, format, args);
    va_end(args);

    // The formatter terminates only output shorter than the count it was given; a negative
    // count means the output was cut at n - 1 characters.
    const bool cut = written < 0;
    if (cut || static_cast<size_t>(written) == n - 1) buffer[n - 1] = 0;
    return cut ? QP_E_INSUFFICIENT_BUFFER : S_OK;
}

}  // namespace qp
