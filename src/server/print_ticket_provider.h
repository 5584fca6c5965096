// The Print Ticket provider: negotiates version 1, binds to a printer, names the private
// namespace, keeps the core driver's IPrintCoreHelper, and edits the PrintTicket and
// PrintCapabilities documents of its three conversion calls.
#pragma once

#include "common/com_ptr.h"
#include "server/server_object.h"

namespace qp {

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

private:
    // The published core helper, null until then; the conversions read it.
    IPrintCoreHelper* CoreHelper() const noexcept { return coreHelper_.get(); }

    HANDLE printer_ = nullptr;
    ComPtr<IPrintCoreHelper> coreHelper_;
};

}  // namespace qp
