// What the core driver has when it asks for a conversion: a provider with the helper published
// to it, a document, and a DEVMODE whose private section the module's UI plug-in sized and
// filled, with a copy of its bytes to tell whether anything wrote to it.
#pragma once

#include "module_under_test.h"

#include <host/core_helper_stub.h>
#include <host/devmode_buffer.h>

#include <string>
#include <vector>

namespace wintest {

// A helper as the core driver publishes it, selecting three holes (PunchHole=3Holes, Punch=AUTO).
ComPtr<CoreHelperStub> PunchingHelper();

struct Conversion {
    // Declared first, so that it checks its references once everything else is gone.
    OwnedFake<CoreHelperStub> helper{PunchingHelper()};
    ComPtr<IPrintOemPrintTicketProvider> provider;
    ComPtr<IXMLDOMDocument2> document;
    DevModeBuffer devmode;
    std::vector<unsigned char> pristine;

    // False when the document did not load or the provider could not be set up.
    bool Prepare(const std::wstring& xml);
    bool Prepare(ComPtr<IXMLDOMDocument2> loaded);

    HRESULT ToTicket();
    HRESULT ToDevMode();
    HRESULT Capabilities();

    std::vector<unsigned char> DevModeBytes();
    bool DevModeUntouched();
};

}  // namespace wintest
