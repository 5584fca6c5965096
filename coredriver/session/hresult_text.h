// HRESULTs as the host reports them: "0x80004005 (E_FAIL)".
#pragma once

#include <platform/platform.h>

#include <string>

// The code in hexadecimal, followed by its name in parentheses when it is one the plug-in or
// the platform returns.
std::string DescribeHResult(HRESULT hr);

#ifdef _WIN32
// The system's own text for a Win32 error code, on one line.
std::string DescribeSystemError(DWORD code);
#endif
