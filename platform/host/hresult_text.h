// HRESULTs as the host reports them: "0x80004005 (E_FAIL)".
#pragma once

#include <platform/platform.h>

#include <string>

// The code in hexadecimal, followed by its name in parentheses when it is one the plug-in or
// the platform returns.
std::string DescribeHResult(HRESULT hr);
