// Real MSXML 6 documents for the provider's calls, and independent checks of what the module
// left in them: the output is serialized and read back by a fresh DOMDocument60.
#pragma once

#include <platform/com_ptr.h>
#include <platform/platform.h>

#include <string>

namespace wintest {

// An empty DOMDocument60, or empty when MSXML 6 is not available.
qp::ComPtr<IXMLDOMDocument2> NewDocument();
// A DOMDocument60 holding `xml`, or empty when it does not parse.
qp::ComPtr<IXMLDOMDocument2> LoadDocument(const std::wstring& xml);
// The document serialized by MSXML.
std::wstring XmlOf(IXMLDOMDocument2* document);
// Serializes the document and counts the nodes that `xpath` selects in a fresh copy, with the
// prefixes psf, psk, xsi and private bound; -1 when the copy does not parse (not well-formed) or the
// query fails.
long CountNodes(IXMLDOMDocument2* document, const wchar_t* xpath);

// A document of the bundled set copied beside this program (documents\FILE, UTF-8), or empty.
qp::ComPtr<IXMLDOMDocument2> LoadBundledDocument(const wchar_t* fileName);

// A PrintTicket as the core driver hands it over: every feature the three conversions edit.
std::wstring SampleTicket();
// A PrintCapabilities document with the features CompletePrintCapabilities edits.
std::wstring SampleCapabilities();

}  // namespace wintest
