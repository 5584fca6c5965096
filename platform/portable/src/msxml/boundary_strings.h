// The stand-in's only UTF-16 <-> UTF-8 crossings: string arguments in, BSTRs and caller
// buffers out. libxml2 holds UTF-8 throughout, so names are compared as UTF-8 bytes.
#pragma once

#include <platform/platform.h>

#include <libxml/xmlstring.h>

#include <string>
#include <string_view>

namespace msxml {

// A string argument as UTF-8, read up to its first NUL and never by its recorded length: the
// plug-in passes BSTRs whose length counts their terminator. A null argument reads as empty.
std::string ArgToUtf8(const WCHAR* text);

// A new BSTR holding `text`; E_OUTOFMEMORY (and *out null) when the allocation is refused.
HRESULT NewBstr(std::string_view text, BSTR* out);
// As above for libxml2 text; null reads as empty.
HRESULT NewBstr(const xmlChar* text, BSTR* out);

// Writes `text` to a caller's buffer with the namespace manager's protocol: a null buffer asks
// for the length alone; otherwise *count (capacity) must hold the text and its terminator, or
// the result is E_XML_BUFFERTOOSMALL. On S_OK and on a buffer too small *count is the length,
// without the terminator (the plug-in's own caller buffers count it).
HRESULT CopyCountingCharactersOnly(std::string_view text, WCHAR* buffer, int* count);

inline const char* Chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }
inline const xmlChar* XmlChars(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
inline const xmlChar* XmlChars(const std::string& s) { return XmlChars(s.c_str()); }
// libxml2 text as a view; null reads as empty.
inline std::string_view View(const xmlChar* s) { return s ? std::string_view(Chars(s)) : std::string_view(); }

}  // namespace msxml
