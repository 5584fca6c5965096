// What the benchmarks and the bench tools share: the plug-in loaded through its two exports and
// set up as the core driver sets it up, documents loaded into the stand-in DOM, and the walk that
// visits every node of a document.
#pragma once

#include <session/core_driver_session.h>

#include <platform/com_ptr.h>

#include <memory>
#include <string>

namespace qpbench {

using Conversion = ProviderConversion;

// The core driver's session over the built module (QP_MODULE_PATH), with a core helper that
// selects PunchHole=3Holes and Punch=AUTO and keeps no record of its calls, so that neither its
// cost nor its memory grows with the conversions measured. Null, with `error` set to one line,
// when the module cannot be loaded or set up.
std::unique_ptr<CoreDriverSession> OpenProviderSession(std::string& error);

// UTF-8 XML text held as the BSTR that loadXML reads, so that measuring a load counts no
// conversion of the harness's own.
class DocumentText {
public:
    explicit DocumentText(const std::string& utf8);
    BSTR Get() const { return text_.get(); }

private:
    qp::Bstr text_;
};

// A new, empty stand-in document; null when it cannot be made.
qp::ComPtr<IXMLDOMDocument2> NewDocument();
// Loads `text` into `document`: S_OK, or a failure when the text does not load.
HRESULT LoadText(IXMLDOMDocument2* document, const DocumentText& text);
// NewDocument and LoadText together; null when either fails.
qp::ComPtr<IXMLDOMDocument2> ParseDocument(const DocumentText& text);

// Visits every node below and including `node`, depth first through firstChild and nextSibling,
// and returns how many it visited.
long WalkAllNodes(IXMLDOMNode* node);

// The document serialized as UTF-8 XML; empty when that fails.
std::string Serialize(IXMLDOMNode* node);

// Reads a whole file; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& contents);

}  // namespace qpbench
