// The thread last-error code: one per thread, as on Windows.
#include <platform/platform.h>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}  // namespace

STDAPI_(void) SetLastError(DWORD error) { t_lastError = error; }

STDAPI_(DWORD) GetLastError() { return t_lastError; }
