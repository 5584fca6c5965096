// UTF-8 and UTF-16 for the host's files and streams: documents are read and written as UTF-8
// and handed to the DOM as UTF-16.
#pragma once

#include <platform/platform.h>

#include <string>

namespace coredriver {

using WideString = std::basic_string<WCHAR>;

// Decodes UTF-8; false at the first ill-formed sequence, whose byte offset goes to `badOffset`.
bool DecodeUtf8(const std::string& bytes, WideString& text, size_t& badOffset);
// Encodes UTF-16; an unpaired surrogate becomes U+FFFD. The platform's own encoder: the
// runtime's on Linux, WideCharToMultiByte on Windows.
std::string EncodeUtf8(const WCHAR* text, size_t length);

}  // namespace coredriver
