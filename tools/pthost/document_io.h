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

// Saves the document with IXMLDOMDocument::save to OUT, or to standard output when `path` is
// empty: as MSXML saves a file, with an XML declaration naming its encoding. OUT is replaced
// only once the document is written whole. False with one line to report.
bool WriteOutput(IXMLDOMDocument2* document, const std::string& path, std::string& error);

}  // namespace pthost
