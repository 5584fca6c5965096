// What the core driver has when it asks for a conversion: the host's core-driver session over
// the loaded module, with a helper selecting three holes, a document, and a copy of the DEVMODE's
// bytes to tell whether anything wrote to it.
#pragma once

#include "module_under_test.h"

#include <session/core_driver_session.h>

#include <memory>
#include <string>
#include <vector>

namespace wintest {

struct Conversion {
    // Declared first, so that it checks its references once the session is gone.
    OwnedFake<CoreHelperStub> helper{CoreHelperStub::Create({{"PunchHole", "3Holes"}, {"Punch", "AUTO"}})};
    std::unique_ptr<CoreDriverSession> session;
    qp::ComPtr<IXMLDOMDocument2> document;
    std::vector<unsigned char> pristine;

    // False when the document did not load or the session could not be set up.
    bool Prepare(const std::wstring& xml);
    bool Prepare(qp::ComPtr<IXMLDOMDocument2> loaded);

    IPrintOemPrintTicketProvider* Provider() const { return session->Provider(); }
    DevModeBuffer& DevMode() const { return session->DevMode(); }
    HRESULT ToTicket() { return session->Convert(ProviderConversion::DevModeToPrintTicket, document.get()); }
    HRESULT ToDevMode() { return session->Convert(ProviderConversion::PrintTicketToDevMode, document.get()); }
    HRESULT Capabilities() { return session->Convert(ProviderConversion::CompletePrintCapabilities, document.get()); }

    std::vector<unsigned char> DevModeBytes() const;
    bool DevModeUntouched() const { return DevModeBytes() == pristine; }
};

}  // namespace wintest
