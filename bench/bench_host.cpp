#include "bench_host.h"

#include <platform/hresult_flow.h>
#include <portable/test_support.h>

#include <fstream>
#include <sstream>

#ifndef QP_MODULE_PATH
#error "QP_MODULE_PATH names the built module"
#endif

using qp::Bstr;
using qp::ComPtr;

namespace qpbench {

std::unique_ptr<CoreDriverSession> OpenProviderSession(std::string& error) {
    std::unique_ptr<CoreDriverSession> session =
        CoreDriverSession::Open(QP_MODULE_PATH, {{"PunchHole", "3Holes"}, {"Punch", "AUTO"}}, error);
    if (session) session->Helper()->RecordCalls(false);
    return session;
}

DocumentText::DocumentText(const std::string& utf8) {
    const std::u16string wide = PortableFromUtf8(utf8.data(), utf8.size());
    text_ = Bstr::Attach(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

ComPtr<IXMLDOMDocument2> NewDocument() {
    ComPtr<IXMLDOMDocument2> document;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                document.put_void()))) {
        return nullptr;
    }
    return document;
}

HRESULT LoadText(IXMLDOMDocument2* document, const DocumentText& text) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    RETURN_IF_FAILED(document->loadXML(text.Get(), &loaded));
    return loaded == VARIANT_TRUE ? S_OK : E_FAIL;
}

ComPtr<IXMLDOMDocument2> ParseDocument(const DocumentText& text) {
    ComPtr<IXMLDOMDocument2> document = NewDocument();
    if (!document || LoadText(document.get(), text) != S_OK) return nullptr;
    return document;
}

long WalkAllNodes(IXMLDOMNode* node) {
    long visited = 1;
    ComPtr<IXMLDOMNode> child;
    node->get_firstChild(child.put());
    while (child) {
        visited += WalkAllNodes(child.get());
        ComPtr<IXMLDOMNode> next;
        child->get_nextSibling(next.put());
        child = std::move(next);
    }
    return visited;
}

std::string Serialize(IXMLDOMNode* node) {
    Bstr xml;
    if (node->get_xml(xml.put()) != S_OK || !xml) return {};
    return PortableToUtf8(xml.get(), xml.Length());
}

bool ReadFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return !in.bad();
}

}  // namespace qpbench
