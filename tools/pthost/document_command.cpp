// pthost document: the PrintCapabilities or the PrintTicket that the core driver builds from the
// GPD and hands to the plug-in, before the plug-in has touched it.
#include "com_apartment.h"
#include "command.h"
#include "document_io.h"
#include "gpd_commands.h"

#include <gpd/gpd_model.h>
#include <print_schema/document_builder.h>
#include <session/core_driver_session.h>
#include <session/hresult_text.h>

#include <iostream>

using qp::ComPtr;

namespace pthost {
namespace {

constexpr const char* kArguments = "capabilities|ticket [--option FEATURE=OPTION]... [-o OUT]";

struct DocumentRequest {
    print_schema::DocumentKind kind = print_schema::DocumentKind::Capabilities;
    bool kindGiven = false;
    SelectionArguments arguments;
};

void PrintHelp() {
    std::cout
        << "usage: pthost [--plugin PATH] --gpd FILE [--define SYMBOL]... document " << kArguments << "\n\n"
        << "Writes the PrintCapabilities document, or the PrintTicket of the selections, that the core\n"
           "driver builds from the GPD and hands to the plug-in: one feature per GPD feature, standard\n"
           "ones under their public keywords, the rest in the private namespace (the GPD's\n"
           "*PrintSchemaPrivateNamespaceURI, else the one the plug-in's QueryDeviceDefaultNamespace\n"
           "returns). Some of the rules it follows are documented by the platform, others inferred: the\n"
           "table in docs/driver-integration.md (\"The documents pthost builds from a GPD\") says which,\n"
           "so that you know what to confirm on Windows.\n"
           "\n"
           "  capabilities             the PrintCapabilities document\n"
           "  ticket                   the PrintTicket: the GPD's default options and the --option ones\n"
           "  --option FEATURE=OPTION  select OPTION of the GPD feature FEATURE (repeatable)\n"
           "  -o OUT                   write to OUT (default and -: standard output); OUT is replaced only\n"
           "                           once the whole document is written\n"
           "  -h, --help               show this help\n"
           "\n"
           "Exit status: 0 when the document was written; 2 when it could not be built or written.\n";
}

bool SetKind(const std::string& arg, DocumentRequest& request, std::string& error) {
    if (request.kindGiven) {
        error = "one document only, got '" + arg + "' as well";
        return false;
    }
    if (arg != "capabilities" && arg != "ticket") {
        error = "the document is capabilities or ticket, got '" + arg + "'";
        return false;
    }
    request.kind = arg == "ticket" ? print_schema::DocumentKind::Ticket : print_schema::DocumentKind::Capabilities;
    request.kindGiven = true;
    return true;
}

bool ParseRequest(const std::vector<std::string>& args, DocumentRequest& request, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (TakeSelectionArgument(args, i, true, request.arguments, error)) continue;
        if (!error.empty()) return false;
        if (!arg.empty() && arg[0] == '-') {
            error = MisplacedGlobalOption(arg, "document");
            if (error.empty()) error = "unknown option '" + arg + "'";
            return false;
        }
        if (!SetKind(arg, request, error)) return false;
    }
    if (!request.arguments.help && !request.kindGiven) {
        error = "say which document: capabilities or ticket";
        return false;
    }
    return true;
}

int Build(const GlobalOptions& global, const DocumentRequest& request) {
    gpd::GpdModel model;
    if (!ReadGpd("document", global, model)) return kExitUsage;
    gpd::Selections selections;
    std::string error;
    if (!model.Select(request.arguments.chosen, selections, error)) return UsageError("document", error);

    ComApartment apartment;
    auto session = CoreDriverSession::Open(global.modulePath, selections, error);
    if (!session) return CannotRun(error);
    const print_schema::NamingContext context{model, print_schema::PrivateNamespace(model, session->DefaultNamespace())};

    ComPtr<IXMLDOMDocument2> document;
    if (!NewDocument("the built document", document, error)) return CannotRun(error);
    const HRESULT built = print_schema::BuildDocument(context, request.kind, selections, document.get());
    if (FAILED(built)) return CannotRun("cannot build the document from " + global.gpdPath + ": " + DescribeHResult(built));
    if (!WriteOutput(document.get(), request.arguments.output, error)) return CannotRun(error);
    return kExitSucceeded;
}

}  // namespace

int RunDocument(const GlobalOptions& global, const std::vector<std::string>& args) {
    DocumentRequest request;
    std::string error;
    if (!ParseRequest(args, request, error)) return UsageError("document", error);
    if (request.arguments.help) {
        PrintHelp();
        return kExitSucceeded;
    }
    return Build(global, request);
}

}  // namespace pthost
