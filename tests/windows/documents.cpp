#include "documents.h"

#include <common/constants.h>

#include <cstdio>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace wintest {
namespace {

const std::wstring kRootDeclarations =
    std::wstring(L"xmlns:psf='") + qp::kPsfNamespace + L"' xmlns:psk='" + qp::kPskNamespace +
    L"' xmlns:xsd='" + qp::kXsdNamespace + L"' xmlns:xsi='" + qp::kXsiNamespace + L"' xmlns:private='" +
    qp::kPrivateNamespace + L"' version='1'";

std::wstring WideFromUtf8(const std::string& bytes) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

// The options of a feature with no scored properties.
std::wstring Feature(const wchar_t* name, const wchar_t* option) {
    return std::wstring(L"<psf:Feature name='") + name + L"'><psf:Option name='" + option +
           L"'/></psf:Feature>";
}

// Public and private features as the core driver writes them from a GPD.
std::wstring SampleFeatures() {
    return L"<psf:Feature name='psk:JobNUpAllDocumentsContiguously'>"
           L"<psf:Option><psf:ScoredProperty name='psk:PagesPerSheet'><psf:Value xsi:type='xsd:integer'>2"
           L"</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>" +
           Feature(L"private:JobPresentationDirection", L"private:RightBottom") +
           Feature(L"psk:JobOutputBin", L"private:Center") + Feature(L"psk:JobHolePunch", L"psk:None");
}

}  // namespace

ComPtr<IXMLDOMDocument2> NewDocument() {
    ComPtr<IXMLDOMDocument2> document;
    CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2, document.put_void());
    return document;
}

ComPtr<IXMLDOMDocument2> LoadDocument(const std::wstring& xml) {
    ComPtr<IXMLDOMDocument2> document = NewDocument();
    Bstr text = Bstr::Copy(xml.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (!document || !text || document->loadXML(text.get(), &loaded) != S_OK || loaded != VARIANT_TRUE) {
        return nullptr;
    }
    return document;
}

std::wstring XmlOf(IXMLDOMDocument2* document) {
    Bstr xml;
    if (FAILED(document->get_xml(xml.put())) || !xml) return {};
    return std::wstring(xml.get(), xml.Length());
}

long CountNodes(IXMLDOMDocument2* document, const wchar_t* xpath) {
    ComPtr<IXMLDOMDocument2> copy = LoadDocument(XmlOf(document));
    if (!copy) return -1;
    Bstr property = Bstr::Copy(L"SelectionNamespaces");
    Variant namespaces;
    namespaces.get().vt = VT_BSTR;
    namespaces.get().bstrVal = SysAllocString((std::wstring(L"xmlns:psf='") + qp::kPsfNamespace +
                                               L"' xmlns:psk='" + qp::kPskNamespace + L"' xmlns:private='" +
                                               qp::kPrivateNamespace + L"' xmlns:xsi='" + qp::kXsiNamespace +
                                               L"'")
                                                  .c_str());
    Bstr query = Bstr::Copy(xpath);
    ComPtr<IXMLDOMNodeList> nodes;
    LONG length = -1;
    if (FAILED(copy->setProperty(property.get(), namespaces.get())) ||
        FAILED(copy->selectNodes(query.get(), nodes.put())) || !nodes || FAILED(nodes->get_length(&length))) {
        return -1;
    }
    return length;
}

ComPtr<IXMLDOMDocument2> LoadBundledDocument(const wchar_t* fileName) {
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return nullptr;
    std::wstring path(program, length);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"documents\\" + fileName;
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return nullptr;
    std::string bytes;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) != 0;) bytes.append(chunk, got);
    std::fclose(file);
    return LoadDocument(WideFromUtf8(bytes));
}

std::wstring SampleTicket() {
    return L"<?xml version='1.0'?><psf:PrintTicket " + kRootDeclarations + L">" + SampleFeatures() +
           L"</psf:PrintTicket>";
}

std::wstring SampleCapabilities() {
    return L"<?xml version='1.0'?><psf:PrintCapabilities " + kRootDeclarations + L">" + SampleFeatures() +
           L"</psf:PrintCapabilities>";
}

}  // namespace wintest
