// Names and limits the whole plug-in shares.
#pragma once

#include <platform/platform.h>

#include <cstddef>

namespace qp {

// The driver's own namespace: the core driver names every GPD feature and option without a
// public Print Schema keyword in it.
inline constexpr const WCHAR* kPrivateNamespace = W("http://schemas.qpqp.example/qv/2021/04/printing/printticket");

inline constexpr const WCHAR* kPsfNamespace = W("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework");
inline constexpr const WCHAR* kPskNamespace = W("http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords");
inline constexpr const WCHAR* kXsdNamespace = W("http://www.w3.org/2001/XMLSchema");
inline constexpr const WCHAR* kXsiNamespace = W("http://www.w3.org/2001/XMLSchema-instance");

// Strings the plug-in measures are refused at this many characters or more.
inline constexpr size_t kMaxStringChars = 10000;

// "QPQP", first character at the lowest address, as one little-endian 32-bit value.
inline constexpr DWORD kPluginSignature = 0x50515051;
inline constexpr DWORD kPluginVersion = 1;

}  // namespace qp
