#include "reliability_support.h"

#include "support/xml_assert.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace reliability {

const char* PthostCommand(Conversion conversion) {
    switch (conversion) {
    case Conversion::DevModeToPrintTicket: return "to-ticket";
    case Conversion::PrintTicketToDevMode: return "to-devmode";
    case Conversion::CompletePrintCapabilities: return "capabilities";
    }
    return "?";
}

const LoadedModule& Module() {
    static const std::unique_ptr<LoadedModule> module = [] {
        std::string error;
        auto loaded = LoadedModule::Load(QP_MODULE_PATH, error);
        if (!loaded) ADD_FAILURE() << error;
        return loaded;
    }();
    if (!module) std::abort();
    return *module;
}

DriverSession::DriverSession(const GpdSelections& selections) {
    std::string error;
    session_ = CoreDriverSession::Open(Module(), CoreHelperStub::Create(selections), error);
    if (!session_) ADD_FAILURE() << error;
}

ComPtr<IXMLDOMDocument2> TryLoad(const std::string& utf8) { return TryLoad(utf8, 256, nullptr); }

ComPtr<IXMLDOMDocument2> TryLoad(const std::string& utf8, LONG maxElementDepth, std::string* reason) {
    ComPtr<IXMLDOMDocument2> document;
    if (CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                         document.put_void()) != S_OK) {
        ADD_FAILURE() << "no stand-in document";
        return nullptr;
    }
    const Bstr depth = Bstr::Copy(u"MaxElementDepth");
    const Variant bound = Variant::Int32(maxElementDepth);
    EXPECT_EQ(document->setProperty(depth.get(), bound.get()), S_OK);
    const std::u16string text = qptest::Utf16(utf8);
    const Bstr source = Bstr::Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document->loadXML(source.get(), &loaded) == S_OK && loaded == VARIANT_TRUE) return document;
    if (reason) {
        ComPtr<IXMLDOMParseError> error;
        Bstr said;
        if (document->get_parseError(error.put()) == S_OK && error->get_reason(said.put()) == S_OK) {
            *reason = qptest::Utf8(said.get());
        }
    }
    return nullptr;
}

std::string ReadSourceFile(const std::string& relativePath) {
    std::ifstream in(std::filesystem::path(QP_SOURCE_DIR) / relativePath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::pair<std::string, std::string>> ExampleDocuments() {
    std::vector<std::pair<std::string, std::string>> documents;
    const std::filesystem::path examples = std::filesystem::path(QP_SOURCE_DIR) / "examples";
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(examples, ignored)) {
        if (entry.path().extension() != ".xml") continue;
        const std::string name = entry.path().filename().string();
        documents.emplace_back(name, ReadSourceFile("examples/" + name));
    }
    std::sort(documents.begin(), documents.end());
    return documents;
}

std::string EveryPassDocument() { return ReadSourceFile("tests/reliability/documents/every_pass_ticket.xml"); }

std::string ExpectWellFormed(IXMLDOMDocument2* document, const std::string& where) {
    const std::string text = qptest::SerializeUtf8(document);
    const qptest::XmlDoc parsed(text);
    EXPECT_TRUE(parsed.valid()) << where << ": the document no longer serializes as well-formed XML: "
                                << parsed.error();
    return text;
}

ElementCounts CountElements(const std::string& utf8) {
    const qptest::XmlDoc parsed(utf8);
    return ElementCounts{parsed.Count("//psf:Feature"), parsed.Count("//psf:Option")};
}

}  // namespace reliability
