// Reading a document from a file or standard input into the DOM, and writing it back out.
#pragma once

#include <platform/com_ptr.h>

#include <string>

namespace pthost {

// Loads FILE into a new DOM document: a file through the parser, which honours its byte-order
// mark and declared encoding; standard input ("-") as UTF-8, or UTF-16 with a byte-order mark.
// False with one line to report: "FILE:LINE:COL: reason" when it does not parse, "FILE: reason"
// when standard input cannot be decoded, "pthost: FILE: reason" when it cannot be read.
bool LoadInput(const std::string& path, qp::ComPtr<IXMLDOMDocument2>& document, std::string& error);

// The document as UTF-8 text; false with an error when it cannot be serialized.
bool SerializeDocument(IXMLDOMDocument2* document, std::string& text, std::string& error);

// Writes `bytes` to standard output when `path` is empty; otherwise replaces the file at `path`
// with them, all of them or none: a write that fails leaves the old file as it was.
bool WriteOutput(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace pthost
