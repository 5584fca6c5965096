// What the core driver does before it asks the Print Ticket provider for a conversion: make the
// UI plug-in and the provider through the module's class factory, publish the core helper to
// the UI plug-in, keep a real DEVMODE whose private section the UI plug-in sized and filled,
// negotiate version 1, bind a printer, ask for the provider's default namespace (the order the
// platform documents for opening a queue: GetSupportedVersions, BindPrinter,
// QueryDeviceDefaultNamespace) and publish the core helper to the provider. pthost, the
// benchmarks and the tests all drive the module through this one session.
#pragma once

#include <session/core_helper_stub.h>
#include <session/devmode_buffer.h>
#include <session/loaded_module.h>

#include <platform/com_ptr.h>

#include <memory>
#include <string>
#include <vector>

enum class ProviderConversion { DevModeToPrintTicket, PrintTicketToDevMode, CompletePrintCapabilities };
inline constexpr ProviderConversion kAllConversions[] = {ProviderConversion::DevModeToPrintTicket,
                                                         ProviderConversion::PrintTicketToDevMode,
                                                         ProviderConversion::CompletePrintCapabilities};

// The provider method that runs the conversion: "ConvertDevModeToPrintTicket" and so on.
const char* MethodName(ProviderConversion conversion);

class CoreDriverSession {
public:
    // Loads the module at `modulePath` and sets it up with a core helper that answers
    // `selections`. Null with a one-line error when the module cannot be loaded or set up ("out of
    // memory" when an allocation fails: no std::bad_alloc leaves it).
    static std::unique_ptr<CoreDriverSession> Open(const std::string& modulePath, const GpdSelections& selections,
                                                   std::string& error);
    // Sets up a module that the caller loaded and keeps loaded while the session lives, with
    // the caller's core helper.
    static std::unique_ptr<CoreDriverSession> Open(const LoadedModule& module, qp::ComPtr<CoreHelperStub> helper,
                                                   std::string& error);

    CoreDriverSession(const CoreDriverSession&) = delete;
    CoreDriverSession& operator=(const CoreDriverSession&) = delete;
    // Releases every object the module made, then unloads the module if the session loaded it.
    ~CoreDriverSession();

    IPrintOemPrintTicketProvider* Provider() const { return provider_.get(); }
    IPrintOemUI2* UiPlugin() const { return uiPlugin_.get(); }
    CoreHelperStub* Helper() const { return helper_.get(); }
    DevModeBuffer& DevMode() { return devmode_; }
    // The namespace QueryDeviceDefaultNamespace named, UTF-8, up to its first NUL; empty when
    // the provider returned E_NOTIMPL and so leaves the core driver's own namespace in force.
    const std::string& DefaultNamespace() const { return defaultNamespace_; }
    // The versions GetSupportedVersions offered, in its order.
    const std::vector<INT>& SupportedVersions() const { return supportedVersions_; }

    // Runs one conversion on `document`, edited in place, with the session's DEVMODE.
    HRESULT Convert(ProviderConversion conversion, IXMLDOMDocument2* document);

private:
    CoreDriverSession(const LoadedModule& module, qp::ComPtr<CoreHelperStub> helper);
    bool SetUpUiPlugin(std::string& error);
    bool SetUpProvider(std::string& error);

    std::unique_ptr<LoadedModule> ownedModule_;
    const LoadedModule& module_;
    qp::ComPtr<CoreHelperStub> helper_;
    qp::ComPtr<IPrintOemUI2> uiPlugin_;
    qp::ComPtr<IPrintOemPrintTicketProvider> provider_;
    DevModeBuffer devmode_;
    std::vector<INT> supportedVersions_;
    std::string defaultNamespace_;
};
