// Reading a document from a file or standard input into the DOM, and writing it back out.
#pragma once

#include <common/com_ptr.h>

#include <string>

namespace pthost {

// The whole of `path` ("-": standard input) as bytes; false with a one-line error naming it.
bool ReadInput(const std::string& path, std::string& bytes, std::string& error);

// Loads `bytes` (UTF-8, or UTF-16 with a byte-order mark) into a new DOM document. A document
// that does not parse gives false and the error "NAME:LINE:COL: reason"; text that cannot be
// decoded gives "NAME: reason".
bool ParseDocument(const std::string& name, const std::string& bytes, ComPtr<IXMLDOMDocument2>& document,
                   std::string& error);

// The document as UTF-8 text; false with an error when it cannot be serialized.
bool SerializeDocument(IXMLDOMDocument2* document, std::string& text, std::string& error);

// Writes `bytes` to `path`, or to standard output when `path` is empty.
bool WriteOutput(const std::string& path, const std::string& bytes, std::string& error);

// How a path is named in messages: standard input as "<stdin>".
std::string DisplayName(const std::string& path);

}  // namespace pthost
