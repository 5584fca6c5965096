// The Print Ticket provider: negotiates version 1, binds to a printer, names the private
// namespace, keeps the core driver's IPrintCoreHelper, and edits the PrintTicket and
// PrintCapabilities documents of its three conversion calls.
#pragma once

#include <platform/com_ptr.h>
#include "server/server_object.h"

namespace qp {

class SchemaDocument;

class PrintTicketProvider final : public ServerObject<PrintTicketProvider, IPrintOemPrintTicketProvider> {
public:
    PrintTicketProvider() noexcept = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;

    // One version, 1, in a task-memory array the caller frees.
    HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT* ppVersions[], INT* cVersions) override;
    // Keeps the printer handle and names one namespace, the private one, in a task-memory array
    // of one BSTR whose recorded length counts its terminator.
    HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT* cNamespaces,
                                          BSTR** ppNamespaces) override;
    // Keeps the first IPrintCoreHelper published; later publications succeed without effect.
    HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown* pHelper) override;
    HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR* pbstrNamespaceUri) override;

    HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmode,
                                                          PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                          PVOID pPrivateDevmode) override;
    HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                          PVOID pPrivateDevmode,
                                                          IXMLDOMDocument2* pPrintTicket) override;
    HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2* pUserPrintTicket,
                                                        IXMLDOMDocument2* pPrintCapabilities) override;

    // Intent expansion and validation do no work: every ticket is declared free of conflicts.
    HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2* pPrintTicket) override;
    HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2* pPrintTicket) override;

    // The translation passes the conversions run (src/translation). Each returns true when it
    // made its edit; edits made before a failing step stay. Every wrapper a pass obtains is
    // deleted before it returns; the document wrapper stays with the caller.

    // The private JobPresentationDirection feature becomes psk:PresentationDirection, the last
    // child of psk:JobNUpAllDocumentsContiguously.
    bool PresentationDirectionToPublic(SchemaDocument& document);
    // psk:PresentationDirection below the N-up feature becomes the private feature again, the
    // last child of the root element.
    bool PresentationDirectionToPrivate(SchemaDocument& document);
    // Each output bin of OutputBinMapping that psk:JobOutputBin lists gets a psk:BinType; false
    // only when there is no psk:JobOutputBin.
    bool OutputBinTypesToPublic(SchemaDocument& document);
    // The first output-bin option whose psk:BinType value names a bin type of OutputBinMapping
    // gets the driver's option name and loses psk:BinType.
    bool OutputBinTypeToPrivate(SchemaDocument& document);
    // Appends the hole count the DEVMODE selects (0, 2, 3 or 4) to psk:HoleCount of the first
    // option of psk:JobHolePunch.
    bool HoleCountToPublic(SchemaDocument& document, IPrintCoreHelper* coreHelper, ULONG cbDevmode,
                           PDEVMODE pDevmode);

private:
    // The published core helper, null until then; the conversions read it.
    IPrintCoreHelper* CoreHelper() const noexcept { return coreHelper_.get(); }

    HANDLE printer_ = nullptr;
    ComPtr<IPrintCoreHelper> coreHelper_;
};

}  // namespace qp
