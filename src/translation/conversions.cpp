// The provider's three conversion calls. Each checks its arguments in a fixed order before
// anything is allocated (a failed check is E_INVALIDARG with the document untouched), wraps the
// document, runs its passes in order and deletes the wrapper. Edits are never rolled back.
#include "server/print_ticket_provider.h"

#include "common/hresult.h"
#include "schema/schema_document.h"

#include <memory>
#include <new>

namespace qp {
namespace {

// Wraps `document` for one conversion. No pass may run unless this returns S_OK: without a
// published core helper the call came before the core driver set the provider up.
HRESULT WrapDocument(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper,
                     std::unique_ptr<SchemaDocument>& wrapper) noexcept {
    if (coreHelper == nullptr) return E_UNEXPECTED;
    wrapper.reset(new (std::nothrow) SchemaDocument(document, coreHelper));
    if (!wrapper) return E_OUTOFMEMORY;
    const HRESULT status = wrapper->GetStatus();
    if (status == S_OK) return S_OK;
    return FAILED(status) ? status : E_FAIL;
}

}  // namespace

HRESULT PrintTicketProvider::ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmode,
                                                         PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                         PVOID pPrivateDevmode) {
    if (cbDevmode == 0 || pDevmode == nullptr || pPrintTicket == nullptr || cbDrvPrivateSize == 0 ||
        pPrivateDevmode == nullptr) {
        return E_INVALIDARG;
    }
    std::unique_ptr<SchemaDocument> ticket;
    RETURN_IF_NOT_OK(WrapDocument(pPrintTicket, CoreHelper(), ticket));

    // The core driver reads the DEVMODE from the edited ticket afterwards: whatever either pass
    // finds or misses, the ticket is fit for it.
    PresentationDirectionToPrivate(*ticket);
    OutputBinTypeToPrivate(*ticket);
    return S_OK;
}

HRESULT PrintTicketProvider::ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                         PVOID pPrivateDevmode, IXMLDOMDocument2* pPrintTicket) {
    if (cbDevmode == 0 || pDevmode == nullptr || cbDrvPrivateSize == 0 || pPrivateDevmode == nullptr ||
        pPrintTicket == nullptr) {
        return E_INVALIDARG;
    }
    std::unique_ptr<SchemaDocument> ticket;
    RETURN_IF_NOT_OK(WrapDocument(pPrintTicket, CoreHelper(), ticket));

    if (!PresentationDirectionToPublic(*ticket)) return E_FAIL;
    if (!OutputBinTypesToPublic(*ticket)) return E_FAIL;
    if (!HoleCountToPublic(*ticket, CoreHelper(), cbDevmode, pDevmode)) return E_FAIL;
    return S_OK;
}

HRESULT PrintTicketProvider::CompletePrintCapabilities(IXMLDOMDocument2*, IXMLDOMDocument2* pPrintCapabilities) {
    if (pPrintCapabilities == nullptr) return E_INVALIDARG;
    std::unique_ptr<SchemaDocument> capabilities;
    RETURN_IF_NOT_OK(WrapDocument(pPrintCapabilities, CoreHelper(), capabilities));

    if (!PresentationDirectionToPublic(*capabilities)) return E_FAIL;
    if (!OutputBinTypesToPublic(*capabilities)) return E_FAIL;
    return S_OK;
}

}  // namespace qp
