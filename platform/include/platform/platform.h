// The one header set that the plug-in, its hosts and its tests include: Windows types, COM,
// OLE automation, MSXML 6 and the printer-driver plug-in interfaces. On Windows these come from
// the SDK plus printdriver.h; elsewhere from the portable stand-ins, which declare the same names.
#pragma once

#ifdef _WIN32
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <msxml2.h>
#include <cstddef>
#include <cstdio>
#include <cwchar>

// MinGW-w64's msxml2.h predates MSXML 6 and its libuuid lacks two IIDs; these complete it.
inline constexpr CLSID CLSID_DOMDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
inline constexpr CLSID CLSID_MXNamespaceManager60 = {0x88d96a11, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
// IID_IXMLDOMDocument2 and IID_IMXNamespaceManager are declared by msxml2.h; their storage is
// defined in platform/windows/msxml_guids.cpp.

#define W(s) L##s
#else
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <msxml2.h>

#define W(s) u##s
#endif

#include <platform/printdriver.h>
#include <platform/wstr.h>

static_assert(sizeof(WCHAR) == 2, "WCHAR must be UTF-16");
static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(HRESULT) == 4, "LLP64 widths");
