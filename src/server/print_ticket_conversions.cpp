// The provider's three conversion calls. Each checks its arguments in a fixed order before
// anything is allocated; a failed check is E_INVALIDARG with the document untouched.
#include "server/print_ticket_provider.h"

namespace qp {

HRESULT PrintTicketProvider::ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmode,
                                                         PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                         PVOID pPrivateDevmode) {
    if (cbDevmode == 0 || pDevmode == nullptr || pPrintTicket == nullptr || cbDrvPrivateSize == 0 ||
        pPrivateDevmode == nullptr) {
        return E_INVALIDARG;
    }

    // Not yet translated: the ticket goes back as it came.
    return E_NOTIMPL;
}

HRESULT PrintTicketProvider::ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                         PVOID pPrivateDevmode, IXMLDOMDocument2* pPrintTicket) {
    if (cbDevmode == 0 || pDevmode == nullptr || cbDrvPrivateSize == 0 || pPrivateDevmode == nullptr ||
        pPrintTicket == nullptr) {
        return E_INVALIDARG;
    }

    // Not yet translated: the ticket goes back as it came.
    return E_NOTIMPL;
}

HRESULT PrintTicketProvider::CompletePrintCapabilities(IXMLDOMDocument2*, IXMLDOMDocument2* pPrintCapabilities) {
    if (pPrintCapabilities == nullptr) return E_INVALIDARG;

    // Not yet translated: the capabilities go back as they came.
    return E_NOTIMPL;
}

}  // namespace qp
