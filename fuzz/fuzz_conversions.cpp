// libFuzzer target: the input is GPD selections and a document. Everything up to the first NUL
// byte is selections, one FEATURE=OPTION per line (the first 24 bytes of it also serve as the
// input and output DEVMODE sections); the rest is the document. A document that does not parse
// is skipped. On one that does, the three conversions run through the module's own exports and
// the UI plug-in's DEVMODE operations run on the sections; after each step the runtime's ledger
// must balance, the document must still serialize as well-formed XML, a conversion that succeeded
// must have kept every element and attribute it does not edit, and at the end every object must
// be gone. A violation aborts, which libFuzzer records as a finding.
#include <platform/com_ptr.h>
#include <common/constants.h>
#include <session/core_helper_stub.h>
#include <session/devmode_buffer.h>
#include <platform/platform.h>
#include <portable/test_support.h>

#include <libxml/parser.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

using qp::Bstr;
using qp::ComPtr;

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
STDAPI DllCanUnloadNow();

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

void Require(bool condition, const char* what) {
    if (!condition) Finding(what);
}

struct Input {
    std::string_view selections;
    std::string_view document;
};

Input Split(const uint8_t* data, size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t nul = all.find('\0');
    if (nul == std::string_view::npos) return {{}, all};
    return {all.substr(0, nul), all.substr(nul + 1)};
}

void SelectOptions(CoreHelperStub& helper, std::string_view selections) {
    while (!selections.empty()) {
        const size_t end = selections.find('\n');
        const std::string_view line = selections.substr(0, end);
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            helper.SetOption(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
        }
        if (end == std::string_view::npos) break;
        selections.remove_prefix(end + 1);
    }
}

ComPtr<IXMLDOMDocument2> Load(std::string_view utf8) {
    ComPtr<IXMLDOMDocument2> document;
    if (CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                         document.put_void()) != S_OK) {
        Finding("no stand-in document");
    }
    const std::u16string text = PortableFromUtf8(utf8.data(), utf8.size());
    const Bstr source = Bstr::Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document->loadXML(source.get(), &loaded) != S_OK || loaded != VARIANT_TRUE) return nullptr;
    return document;
}

// The document still serializes, and libxml2 on its own reads the result as well-formed XML.
void RequireWellFormed(IXMLDOMDocument2* document) {
    Bstr xml;
    Require(document->get_xml(xml.put()) == S_OK && xml, "the edited document does not serialize");
    const std::string utf8 = PortableToUtf8(xml.get(), xml.Length());
    xmlDocPtr parsed = xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), "edited.xml", "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    Require(parsed != nullptr, "the edited document is not well-formed");
    xmlFreeDoc(parsed);
}

// What a conversion may not touch: every element outside the scored properties and values it
// adds and removes, with its namespace, local name and every attribute but the `name` it
// renames, counted as a multiset.
using Element = std::tuple<std::string, std::string, std::string>;
using Untouched = std::map<Element, int>;

std::string Text(const xmlChar* text) { return text != nullptr ? reinterpret_cast<const char*>(text) : ""; }

bool IsEditedKind(xmlNodePtr node) {
    const std::string name = Text(node->name);
    return name == "ScoredProperty" || name == "Value";
}

Element Describe(xmlNodePtr element) {
    std::vector<std::string> attributes;
    for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
        if (a->ns == nullptr && Text(a->name) == "name") continue;
        xmlChar* value = xmlNodeListGetString(element->doc, a->children, 1);
        attributes.push_back((a->ns ? Text(a->ns->href) : "") + "|" + Text(a->name) + "=" + Text(value));
        xmlFree(value);
    }
    std::sort(attributes.begin(), attributes.end());
    std::string joined;
    for (const std::string& a : attributes) joined += a + "\n";
    return {element->ns ? Text(element->ns->href) : "", Text(element->name), joined};
}

void Collect(xmlNodePtr node, Untouched& out) {
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || IsEditedKind(child)) continue;
        ++out[Describe(child)];
        Collect(child, out);
    }
}

// The untouched elements of `utf8` as libxml2 on its own reads them.
Untouched UntouchedElements(std::string_view utf8) {
    Untouched out;
    xmlDocPtr parsed = xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), "document.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    Require(parsed != nullptr, "libxml2 does not read a document the stand-in loaded");
    Collect(reinterpret_cast<xmlNodePtr>(parsed), out);
    xmlFreeDoc(parsed);
    return out;
}

std::string Serialized(IXMLDOMDocument2* document) {
    Bstr xml;
    Require(document->get_xml(xml.put()) == S_OK && xml, "the edited document does not serialize");
    return PortableToUtf8(xml.get(), xml.Length());
}

void RequireUntouchedKept(HRESULT hr, const Untouched& before, IXMLDOMDocument2* document) {
    if (hr != S_OK) return;
    Require(UntouchedElements(Serialized(document)) == before,
            "a successful conversion lost or changed an element or attribute it does not edit");
}

// BSTRs and task memory balance after every call; stand-in objects only once all is released.
void RequireNoStrayStrings(const PortableLedger& before) {
    const PortableLedger now = PortableLedgerRead();
    Require(now.bstrs == before.bstrs, "a BSTR leaked");
    Require(now.taskMemBlocks == before.taskMemBlocks, "task memory leaked");
}

void RequireAllowed(HRESULT hr, bool mayFail) {
    Require(hr == S_OK || (mayFail && (hr == E_FAIL || hr == E_OUTOFMEMORY)), "unexpected conversion result");
}

// The UI plug-in's DEVMODE operations on sections taken from the input.
void DevModeOperations(IPrintOemUI2* plugin, std::string_view bytes) {
    OEM_DMEXTRAHEADER in{};
    OEM_DMEXTRAHEADER out{};
    if (!bytes.empty()) std::memcpy(&in, bytes.data(), std::min(bytes.size(), sizeof(in)));
    if (bytes.size() > sizeof(in)) {
        std::memcpy(&out, bytes.data() + sizeof(in), std::min(bytes.size() - sizeof(in), sizeof(out)));
    }
    const OEM_DMEXTRAHEADER outBefore = out;
    OEMDMPARAM params{};
    params.cbSize = sizeof(params);
    params.pOEMDMIn = &in;
    params.pOEMDMOut = &out;
    Require(plugin->DevMode(OEMDM_CONVERT, &params) == S_OK, "OEMDM_CONVERT failed");
    if (in.dwSignature == outBefore.dwSignature) {
        Require(out.dwSize == 12 && out.dwVersion == qp::kPluginVersion, "OEMDM_CONVERT left a bad header");
    } else {
        Require(out.dwSize == 12 && out.dwSignature == qp::kPluginSignature && out.dwVersion == qp::kPluginVersion,
                "OEMDM_CONVERT did not reset the header");
    }
    Require(plugin->DevMode(OEMDM_MERGE, &params) == S_OK, "OEMDM_MERGE failed");
    Require(out.dwSize == 12 && out.dwSignature == qp::kPluginSignature && out.dwVersion == qp::kPluginVersion,
            "OEMDM_MERGE did not leave the default header");
    DWORD buffer = 0;
    DWORD needed = 0;
    const DWORD mode = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % 8;
    plugin->GetInfo(mode, &buffer, sizeof(buffer), &needed);
}

// One core driver session over one input.
void RunSession(const Input& input, const PortableLedger& before) {
    ComPtr<IClassFactory> factory;
    Require(DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, factory.put_void()) == S_OK, "no factory");
    ComPtr<IPrintOemPrintTicketProvider> provider;
    ComPtr<IPrintOemUI2> plugin;
    Require(factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, provider.put_void()) == S_OK,
            "no provider");
    Require(factory->CreateInstance(nullptr, IID_IPrintOemUI2, plugin.put_void()) == S_OK, "no UI plug-in");

    ComPtr<CoreHelperStub> helper = CoreHelperStub::Create();
    SelectOptions(*helper.get(), input.selections);
    Require(plugin->PublishDriverInterface(helper.get()) == S_OK, "UI plug-in refused the helper");
    Require(provider->PublishPrintTicketHelperInterface(helper.get()) == S_OK, "provider refused the helper");
    DevModeBuffer devmode;
    Require(devmode.Make(plugin.get()) == S_OK, "no DEVMODE");
    DevModeOperations(plugin.get(), input.selections);
    RequireNoStrayStrings(before);

    ComPtr<IXMLDOMDocument2> ticket = Load(input.document);
    if (!ticket) return;
    const Untouched untouched = UntouchedElements(Serialized(ticket.get()));
    HRESULT hr = provider->ConvertDevModeToPrintTicket(devmode.Size(), devmode.DevMode(), devmode.PrivateSize(),
                                                       devmode.PrivateSection(), ticket.get());
    RequireAllowed(hr, true);
    RequireNoStrayStrings(before);
    RequireWellFormed(ticket.get());
    RequireUntouchedKept(hr, untouched, ticket.get());
    hr = provider->ConvertPrintTicketToDevMode(ticket.get(), devmode.Size(), devmode.DevMode(), devmode.PrivateSize(),
                                               devmode.PrivateSection());
    RequireAllowed(hr, false);
    RequireNoStrayStrings(before);
    RequireWellFormed(ticket.get());
    RequireUntouchedKept(hr, untouched, ticket.get());

    ComPtr<IXMLDOMDocument2> capabilities = Load(input.document);
    Require(capabilities.get() != nullptr, "a document loaded once but not twice");
    hr = provider->CompletePrintCapabilities(nullptr, capabilities.get());
    RequireAllowed(hr, true);
    RequireNoStrayStrings(before);
    RequireWellFormed(capabilities.get());
    RequireUntouchedKept(hr, untouched, capabilities.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PortableLedger before = PortableLedgerRead();
    RunSession(Split(data, size), before);
    const PortableLedger after = PortableLedgerRead();
    Require(after.bstrs == before.bstrs && after.taskMemBlocks == before.taskMemBlocks &&
                after.domObjects == before.domObjects,
            "the ledger does not balance after the session");
    Require(DllCanUnloadNow() == S_OK, "an object or a lock outlived the session");
    return 0;
}
