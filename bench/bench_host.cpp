#include "bench_host.h"

#include <common/hresult.h>
#include <portable/test_support.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#ifndef QP_MODULE_PATH
#error "QP_MODULE_PATH names the built module"
#endif

namespace qpbench {
namespace {

// The core driver's helper as lean as the real one: GetOption answers from fixed GPD selections
// and records nothing, so neither its cost nor its memory shows in what the benchmarks measure.
class BenchCoreHelper final : public IPrintCoreHelper {
public:
    static ComPtr<IPrintCoreHelper> Create() {
        return ComPtr<IPrintCoreHelper>::Attach(new BenchCoreHelper());
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IPrintCoreHelper) return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IPrintCoreHelper*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG remaining = --refs_;
        if (remaining == 0) delete this;
        return remaining;
    }

    HRESULT STDMETHODCALLTYPE GetOption(const DEVMODE*, DWORD, PCSTR feature, PCSTR* option) override {
        if (feature == nullptr || option == nullptr) return E_INVALIDARG;
        *option = nullptr;
        if (std::strcmp(feature, "PunchHole") == 0) {
            *option = "3Holes";
        } else if (std::strcmp(feature, "Punch") == 0) {
            *option = "AUTO";
        } else {
            return E_FAIL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID rclsid, LPUNKNOWN outer, DWORD,
                                                          REFIID riid, LPVOID* ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (rclsid != CLSID_MXNamespaceManager60) return REGDB_E_CLASSNOTREG;
        return CoCreateInstance(rclsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE SetOptions(PDEVMODE, DWORD, BOOL, const PRINT_FEATURE_OPTION*, DWORD, PDWORD,
                                         PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODE*, DWORD, PCSTR, PCSTR**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODE*, DWORD, PCSTR, PCSTR, const PRINT_FEATURE_OPTION**,
                                             DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR**, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR, PCSTR**, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR, PCWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR, PCWSTR) override { return E_NOTIMPL; }

private:
    BenchCoreHelper() = default;
    ~BenchCoreHelper() = default;
    std::atomic<ULONG> refs_{1};
};

template <class T>
HRESULT CreateFromModule(const LoadedModule& module, REFCLSID clsid, REFIID iid, ComPtr<T>& out) {
    ComPtr<IClassFactory> factory;
    RETURN_IF_FAILED(module.GetClassObject(clsid, IID_IClassFactory, factory.put_void()));
    return factory->CreateInstance(nullptr, iid, out.put_void());
}

// A printer handle as the core driver passes one; the provider only keeps it.
HANDLE const kPrinter = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x51505150));

// Version negotiation and binding, freeing what each call hands back.
HRESULT BindProvider(IPrintOemPrintTicketProvider* provider) {
    INT* versions = nullptr;
    INT versionCount = 0;
    RETURN_IF_FAILED(provider->GetSupportedVersions(kPrinter, &versions, &versionCount));
    CoTaskMemPtr<INT> versionHolder(versions);

    OEMPTOPTS options = OEMPT_DEFAULT;
    INT namespaceCount = 0;
    BSTR* namespaces = nullptr;
    RETURN_IF_FAILED(provider->BindPrinter(kPrinter, 1, &options, &namespaceCount, &namespaces));
    CoTaskMemPtr<BSTR> namespaceHolder(namespaces);
    for (INT i = 0; i < namespaceCount; ++i) SysFreeString(namespaces[i]);
    return S_OK;
}

}  // namespace

const char* ConversionName(Conversion conversion) {
    switch (conversion) {
        case Conversion::DevModeToPrintTicket: return "ConvertDevModeToPrintTicket";
        case Conversion::PrintTicketToDevMode: return "ConvertPrintTicketToDevMode";
        case Conversion::PrintCapabilities: break;
    }
    return "CompletePrintCapabilities";
}

std::unique_ptr<ProviderSession> ProviderSession::Open(std::string& error) {
    std::unique_ptr<ProviderSession> session(new ProviderSession());
    session->module_ = LoadedModule::Load(QP_MODULE_PATH, error);
    if (!session->module_) return nullptr;
    if (const HRESULT hr = session->SetUp(); FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        error = std::string(QP_MODULE_PATH) + ": setting up the provider failed with " + code;
        return nullptr;
    }
    return session;
}

ProviderSession::~ProviderSession() {
    provider_.reset();
    uiPlugin_.reset();
    coreHelper_.reset();
}

HRESULT ProviderSession::SetUp() {
    RETURN_IF_FAILED(CreateFromModule(*module_, CLSID_OEMUI, IID_IPrintOemUI2, uiPlugin_));
    RETURN_IF_FAILED(devmode_.Make(uiPlugin_.get()));
    RETURN_IF_FAILED(
        CreateFromModule(*module_, CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider, provider_));
    RETURN_IF_FAILED(BindProvider(provider_.get()));
    coreHelper_ = BenchCoreHelper::Create();
    return provider_->PublishPrintTicketHelperInterface(coreHelper_.get());
}

HRESULT ProviderSession::Convert(Conversion conversion, IXMLDOMDocument2* document) {
    switch (conversion) {
        case Conversion::DevModeToPrintTicket:
            return provider_->ConvertDevModeToPrintTicket(devmode_.Size(), devmode_.DevMode(),
                                                          devmode_.PrivateSize(), devmode_.PrivateSection(),
                                                          document);
        case Conversion::PrintTicketToDevMode:
            return provider_->ConvertPrintTicketToDevMode(document, devmode_.Size(), devmode_.DevMode(),
                                                          devmode_.PrivateSize(), devmode_.PrivateSection());
        case Conversion::PrintCapabilities: break;
    }
    return provider_->CompletePrintCapabilities(nullptr, document);
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
