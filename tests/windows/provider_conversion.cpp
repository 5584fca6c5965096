#include "provider_conversion.h"

#include "documents.h"

#include <utility>

namespace wintest {

ComPtr<CoreHelperStub> PunchingHelper() {
    ComPtr<CoreHelperStub> helper = CoreHelperStub::Create();
    helper->SetOption("PunchHole", "3Holes");
    helper->SetOption("Punch", "AUTO");
    return helper;
}

bool Conversion::Prepare(const std::wstring& xml) { return Prepare(LoadDocument(xml)); }

bool Conversion::Prepare(ComPtr<IXMLDOMDocument2> loaded) {
    document = std::move(loaded);
    provider = NewProvider();
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    if (!provider || !document || !ui || devmode.Make(ui.get()) != S_OK) return false;
    pristine = DevModeBytes();
    return provider->PublishPrintTicketHelperInterface(helper.get()) == S_OK;
}

HRESULT Conversion::ToTicket() {
    return provider->ConvertDevModeToPrintTicket(devmode.Size(), devmode.DevMode(), devmode.PrivateSize(),
                                                 devmode.PrivateSection(), document.get());
}

HRESULT Conversion::ToDevMode() {
    return provider->ConvertPrintTicketToDevMode(document.get(), devmode.Size(), devmode.DevMode(),
                                                 devmode.PrivateSize(), devmode.PrivateSection());
}

HRESULT Conversion::Capabilities() { return provider->CompletePrintCapabilities(nullptr, document.get()); }

std::vector<unsigned char> Conversion::DevModeBytes() {
    const auto* bytes = reinterpret_cast<const unsigned char*>(devmode.DevMode());
    return std::vector<unsigned char>(bytes, bytes + devmode.Size());
}

bool Conversion::DevModeUntouched() { return DevModeBytes() == pristine; }

}  // namespace wintest
