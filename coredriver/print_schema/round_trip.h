// The round trip of GPD selections through the plug-in: the PrintTicket the core driver builds
// from the GPD for them, ConvertDevModeToPrintTicket on it with a DEVMODE that selects them,
// ConvertPrintTicketToDevMode on the result, and the selections the core driver then reads back.
// A selection that does not come back is reported with the step after which it was first
// missing. COM must be initialised on the calling thread.
#pragma once

#include <print_schema/document_builder.h>
#include <print_schema/ticket_reader.h>
#include <session/loaded_module.h>

#include <memory>
#include <string>
#include <vector>

namespace print_schema {

// A selection that did not come back.
struct LostSelection {
    std::string feature;
    std::string option;  // as the DEVMODE selected it
    std::string step;    // "in the ticket built from the GPD", "after ConvertDevModeToPrintTicket", ...
    std::string reason;  // one phrase
    // "FEATURE=OPTION: lost STEP: REASON"
    std::string Text() const;
};

// A new document the core driver builds from the GPD for `selections`. False with a one-line
// error.
bool NewGpdDocument(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections,
                    qp::ComPtr<IXMLDOMDocument2>& document, std::string& error);

class RoundTrip {
public:
    // Loads the module at `modulePath` once for every round trip of `model`'s selections. Null
    // with a one-line error when the module cannot be loaded or set up.
    static std::unique_ptr<RoundTrip> Open(const gpd::GpdModel& model, const std::string& modulePath,
                                           std::string& error);

    // The naming in force: the GPD's private namespace, else the plug-in's.
    const NamingContext& Naming() const { return naming_; }

    // One round trip of `selections`, what the DEVMODE selects for every feature. Each selection
    // that does not come back goes to `lost`; when a conversion fails, the core driver keeps no
    // ticket, and each of `tested` is reported lost at that step. False with a one-line error
    // when the round trip cannot be run (a document cannot be built or read).
    bool Run(const gpd::Selections& selections, const gpd::Selections& tested, std::vector<LostSelection>& lost,
             std::string& error) const;

    // What --all tries: for each feature the plug-in reads or moves (the page order, the output
    // bin, the two hole-punch features and the N-up feature), each of its options on its own, as
    // a choice for GpdModel::Select.
    std::vector<gpd::Selections> PluginOptionChoices() const;

private:
    RoundTrip(const gpd::GpdModel& model, std::unique_ptr<LoadedModule> module, std::string privateNamespace);

    const gpd::GpdModel& model_;
    std::unique_ptr<LoadedModule> module_;
    NamingContext naming_;
    gpd::Selections defaults_;
};

}  // namespace print_schema
