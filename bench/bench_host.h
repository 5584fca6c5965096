// What the benchmarks and the bench tools share: the plug-in loaded through its two exports and
// set up as the core driver sets it up, documents loaded into the stand-in DOM, and the walk that
// visits every node of a document.
#pragma once

#include <platform/com_ptr.h>
#include <host/devmode_buffer.h>
#include <host/loaded_module.h>

#include <memory>
#include <string>

namespace qpbench {

enum class Conversion {
    DevModeToPrintTicket,  // ConvertDevModeToPrintTicket
    PrintTicketToDevMode,  // ConvertPrintTicketToDevMode
    PrintCapabilities,     // CompletePrintCapabilities
};

const char* ConversionName(Conversion conversion);

// The Print Ticket provider of the built module, loaded, bound and given a core helper, with a
// DEVMODE whose private section the module's UI plug-in sized and filled.
class ProviderSession {
public:
    // Null, with `error` set to one line, when the module cannot be loaded or set up.
    static std::unique_ptr<ProviderSession> Open(std::string& error);
    ~ProviderSession();
    ProviderSession(const ProviderSession&) = delete;
    ProviderSession& operator=(const ProviderSession&) = delete;

    // Runs one conversion on `document`, edited in place.
    HRESULT Convert(Conversion conversion, IXMLDOMDocument2* document);

private:
    ProviderSession() = default;
    HRESULT SetUp();

    std::unique_ptr<LoadedModule> module_;
    ComPtr<IPrintOemUI2> uiPlugin_;
    ComPtr<IPrintOemPrintTicketProvider> provider_;
    ComPtr<IPrintCoreHelper> coreHelper_;
    DevModeBuffer devmode_;
};

// UTF-8 XML text held as the BSTR that loadXML reads, so that measuring a load counts no
// conversion of the harness's own.
class DocumentText {
public:
    explicit DocumentText(const std::string& utf8);
    BSTR Get() const { return text_.get(); }

private:
    Bstr text_;
};

// A new, empty stand-in document; null when it cannot be made.
ComPtr<IXMLDOMDocument2> NewDocument();
// Loads `text` into `document`: S_OK, or a failure when the text does not load.
HRESULT LoadText(IXMLDOMDocument2* document, const DocumentText& text);
// NewDocument and LoadText together; null when either fails.
ComPtr<IXMLDOMDocument2> ParseDocument(const DocumentText& text);

// Visits every node below and including `node`, depth first through firstChild and nextSibling,
// and returns how many it visited.
long WalkAllNodes(IXMLDOMNode* node);

// The document serialized as UTF-8 XML; empty when that fails.
std::string Serialize(IXMLDOMNode* node);

// Reads a whole file; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& contents);

}  // namespace qpbench
