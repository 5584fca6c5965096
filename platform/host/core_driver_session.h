// What the core driver does before it asks the Print Ticket provider for a conversion: load the
// module through its two exports, make the UI plug-in and the provider through the class
// factory, negotiate version 1, bind a printer, publish a core helper that answers the GPD
// selections, and keep a real DEVMODE whose private section the UI plug-in sized and filled.
#pragma once

#include <host/core_helper_stub.h>
#include <host/devmode_buffer.h>
#include <host/loaded_module.h>

#include <platform/com_ptr.h>

#include <map>
#include <memory>
#include <string>

// GPD feature name to the option the DEVMODE selects.
using GpdSelections = std::map<std::string, std::string>;

class CoreDriverSession {
public:
    // Null with a one-line error when the module cannot be loaded or set up ("out of memory"
    // when an allocation fails: no std::bad_alloc leaves it).
    static std::unique_ptr<CoreDriverSession> Open(const std::string& modulePath, const GpdSelections& selections,
                                                   std::string& error);

    CoreDriverSession(const CoreDriverSession&) = delete;
    CoreDriverSession& operator=(const CoreDriverSession&) = delete;
    // Releases every object the module made, then unloads it.
    ~CoreDriverSession();

    IPrintOemPrintTicketProvider* Provider() const { return provider_.get(); }
    DevModeBuffer& DevMode() { return devmode_; }

private:
    CoreDriverSession() = default;
    bool Start(const std::string& modulePath, const GpdSelections& selections, std::string& error);
    bool SetUpProvider(std::string& error);

    std::unique_ptr<LoadedModule> module_;
    ComPtr<CoreHelperStub> helper_;
    ComPtr<IPrintOemUI2> uiPlugin_;
    ComPtr<IPrintOemPrintTicketProvider> provider_;
    DevModeBuffer devmode_;
};
