// The plug-in's HRESULT flow and its own result codes.
#pragma once

#include <platform/hresult_flow.h>

// Formats the HRESULT 0x8007007A: output cut short to fit the buffer.
#define QP_E_INSUFFICIENT_BUFFER HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)
