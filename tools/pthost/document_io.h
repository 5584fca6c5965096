// Reading a document from a file or standard input into the DOM, and writing it back out.
#pragma once

#include <platform/com_ptr.h>

#include <string>
#include <utility>

namespace pthost {

// FILE, loaded into a new DOM document as often as needed: a file through the parser, which
// honours its byte-order mark and declared encoding; standard input ("-") as UTF-8, or UTF-16
// with a byte-order mark, read once and its text kept for the next load.
class InputDocument {
public:
    explicit InputDocument(std::string path) : path_(std::move(path)) {}

    // False with one line to report: "FILE:LINE:COL: reason" when it does not parse, "FILE:
    // reason" when standard input cannot be decoded, "pthost: FILE: reason" when it cannot be read.
    bool Load(qp::ComPtr<IXMLDOMDocument2>& document, std::string& error);

private:
    bool ReadStandardInput(std::string& error);

    std::string path_;
    qp::Bstr text_;  // standard input's text, once read
};

// A new, empty DOM document as the commands use them (synchronous, no validation, no external
// resources). False with one line to report; `name` says what it was for.
bool NewDocument(const std::string& name, qp::ComPtr<IXMLDOMDocument2>& document, std::string& error);

// Saves the document with IXMLDOMDocument::save to OUT, or to standard output when `path` is
// empty: as MSXML saves a file, with an XML declaration naming its encoding. OUT is replaced
// only once the document is written whole. False with one line to report.
bool WriteOutput(IXMLDOMDocument2* document, const std::string& path, std::string& error);

}  // namespace pthost
