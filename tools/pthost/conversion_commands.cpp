#include "conversion_commands.h"

#include "com_apartment.h"
#include "command_arguments.h"
#include "document_io.h"
#include "gpd_commands.h"
#include "output_file.h"
#include "unified_diff.h"
#include "xml_lines.h"

#include <gpd/gpd_model.h>
#include <print_schema/round_trip.h>
#include <print_schema/ticket_reader.h>
#include <session/core_driver_session.h>
#include <session/hresult_text.h>
#include <session/input_check.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>

using qp::Bstr;
using qp::ComPtr;

using namespace coredriver;

namespace pthost {
namespace {

struct ConversionCommand {
    const char* name;
    // The provider method it runs, named in the result line.
    const char* method;
    // What it does, for its help.
    const char* description;
    HRESULT (*run)(IPrintOemPrintTicketProvider* provider, DevModeBuffer& devmode, IXMLDOMDocument2* document);
    // The document it takes and what its passes look for in it.
    InputExpectation input;
    // What it runs on without FILE: the document the core driver builds from the GPD, or for
    // to-devmode the public ticket the plug-in made of it, as an application hands it back.
    print_schema::DocumentKind built;
    bool onPublicTicket;
    // Whether it says what the core driver reads back from the edited ticket.
    bool readsBack;
};

struct Request {
    SelectionArguments arguments;
    std::string input;  // empty: build the document from the GPD
    bool diff = false;
};

// Loads or builds the document the conversion runs on, as often as needed; false with the line
// to report as it stands and the exit status.
using DocumentSource = std::function<bool(ComPtr<IXMLDOMDocument2>& document, std::string& error, int& status)>;

const ConversionCommand kToTicket{
    "to-ticket", "ConvertDevModeToPrintTicket",
    "Runs ConvertDevModeToPrintTicket on FILE, a PrintTicket as the core driver made it from a\n"
    "DEVMODE, and writes the edited ticket. Without FILE, runs on the PrintTicket the core driver\n"
    "builds from the GPD for the selections (needs --gpd).\n",
    [](IPrintOemPrintTicketProvider* provider, DevModeBuffer& devmode, IXMLDOMDocument2* document) {
        return provider->ConvertDevModeToPrintTicket(devmode.Size(), devmode.DevMode(), devmode.PrivateSize(),
                                                     devmode.PrivateSection(), document);
    },
    {"PrintTicket", "ticket", {InputNeed::PresentationDirection, InputNeed::OutputBin, InputNeed::HoleCount}},
    print_schema::DocumentKind::Ticket, false, false};

const ConversionCommand kToDevMode{
    "to-devmode", "ConvertPrintTicketToDevMode",
    "Runs ConvertPrintTicketToDevMode on FILE, a PrintTicket the core driver is about to turn into\n"
    "a DEVMODE, and writes the edited ticket. Without FILE, runs on the plug-in's own public ticket\n"
    "for the selections, as an application hands it back: the PrintTicket the core driver builds\n"
    "from the GPD, after ConvertDevModeToPrintTicket (needs --gpd). With --gpd, standard error then\n"
    "gives the GPD selections the core driver reads from the edited ticket (\"selections read back:\"\n"
    "FEATURE=OPTION...), and a line for each feature or option of the ticket that maps to no GPD\n"
    "option (\"not mapped:\"), several (\"ambiguous:\") or no selection (\"not read back:\").\n",
    [](IPrintOemPrintTicketProvider* provider, DevModeBuffer& devmode, IXMLDOMDocument2* document) {
        return provider->ConvertPrintTicketToDevMode(document, devmode.Size(), devmode.DevMode(),
                                                     devmode.PrivateSize(), devmode.PrivateSection());
    },
    {"PrintTicket", "ticket", {}},
    print_schema::DocumentKind::Ticket, true, true};

const ConversionCommand kCapabilities{
    "capabilities", "CompletePrintCapabilities",
    "Runs CompletePrintCapabilities on FILE, a PrintCapabilities document as the core driver made\n"
    "it, and writes the edited document. Without FILE, runs on the PrintCapabilities the core\n"
    "driver builds from the GPD (needs --gpd).\n",
    [](IPrintOemPrintTicketProvider* provider, DevModeBuffer&, IXMLDOMDocument2* document) {
        return provider->CompletePrintCapabilities(nullptr, document);
    },
    {"PrintCapabilities", "capabilities document", {InputNeed::PresentationDirection, InputNeed::OutputBin}},
    print_schema::DocumentKind::Capabilities, false, false};

constexpr const char* kCommonHelp =
    "\n"
    "The plug-in gets a DEVMODE whose private section its UI plug-in sized and filled, and a core\n"
    "helper whose GetOption answers the GPD selections: with pthost --gpd FILE, every feature's\n"
    "default option in that GPD, unless --option selects another. FILE may be - for standard input.\n"
    "\n"
    "  --option FEATURE=OPTION  the DEVMODE selects OPTION for the GPD feature FEATURE (repeatable);\n"
    "                           with --gpd both must be the GPD's; without, a feature not given has\n"
    "                           no selection, as one the GPD lacks\n"
    "  -o OUT                   write the edited document to OUT (default and -: standard output);\n"
    "                           OUT is replaced only once the whole document is written\n"
    "  --diff                   write, instead of the document, what the plug-in changed: a unified\n"
    "                           diff of the document before and after, both written as -o writes\n"
    "                           them; nothing when it changed nothing\n"
    "  -h, --help               show this help\n"
    "\n"
    "Exit status: 0 when the conversion returned S_OK; 1 when it returned a failure (the edited\n"
    "document is still written, but never over FILE, and standard error says what the plug-in\n"
    "needed and FILE lacks); 2 when the command could not run or its output could not be written.\n";

void PrintHelp(const ConversionCommand& command) {
    std::cout << "usage: pthost [--plugin PATH] [--gpd FILE [--define SYMBOL]...] " << command.name << " "
              << kConversionArguments << "\n\n"
              << command.description << kCommonHelp;
}

bool ParseRequest(const std::string& command, const std::vector<std::string>& args, Request& request,
                  std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!request.input.empty()) {
                error = "one FILE only, got '" + request.input + "' and '" + arg + "'";
                return false;
            }
            request.input = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--diff") {
            request.diff = true;
        } else if (!TakeSelectionArgument(args, i, true, request.arguments, error)) {
            if (error.empty()) error = MisplacedGlobalOption(arg, command);
            if (error.empty()) error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}

// The selections the core helper answers: the --option ones alone, or with a GPD (read into
// `model`) its defaults and the --option ones checked against it. False once the reason is
// reported.
bool SelectOptions(const ConversionCommand& command, const GlobalOptions& global, const Request& request,
                   std::optional<gpd::GpdModel>& model, GpdSelections& selections) {
    if (global.gpdPath.empty()) {
        selections = request.arguments.chosen;
        return true;
    }
    model.emplace();
    if (!ReadGpd(command.name, global, *model)) return false;
    std::string error;
    if (model->Select(request.arguments.chosen, selections, error)) return true;
    std::cerr << "pthost " << command.name << ": " << error << "\n";
    return false;
}

// A failed conversion leaves a half-edited document, which must not take the input's place.
bool WouldOverwriteInput(const Request& request) {
    return !request.arguments.output.empty() && !request.input.empty() && request.input != "-" &&
           IsSameFile(request.arguments.output, request.input);
}

std::string InputName(const Request& request) {
    if (request.input.empty()) return "the document built from the GPD";
    return request.input == "-" ? "<stdin>" : request.input;
}

// The namespace of the driver's private names, as the provider tells the core driver.
WideString DriverNamespace(IPrintOemPrintTicketProvider* provider) {
    Bstr uri;
    if (FAILED(provider->QueryDeviceDefaultNamespace(uri.put())) || !uri) return {};
    return WideString(uri.get());
}

void WarnOfRootMismatch(const ConversionCommand& command, const Request& request, IXMLDOMDocument2* document) {
    if (const std::string mismatch = RootMismatch(document, command.input); !mismatch.empty()) {
        std::cerr << "pthost: warning: " << InputName(request) << ": " << mismatch << "; " << command.name
                  << " converts it anyway\n";
    }
}

// What the conversion needed of the input and did not find, looked for in the input as it was
// before the failed conversion edited it: loaded or built again, since a conversion that
// succeeds needs no explanation.
std::string UnmetNeed(const ConversionCommand& command, const DocumentSource& source, CoreDriverSession& session) {
    ComPtr<IXMLDOMDocument2> original;
    std::string ignored;
    int status = 0;
    if (command.input.needs.empty() || !source(original, ignored, status)) return {};
    return FirstUnmetNeed(original.get(), command.input, DriverNamespace(session.Provider()));
}

// The document the core driver builds from the GPD for the selections; for to-devmode, the
// plug-in's public ticket made of it.
bool BuildInput(const ConversionCommand& command, const print_schema::NamingContext& naming,
                const GpdSelections& selections, CoreDriverSession& session, ComPtr<IXMLDOMDocument2>& document,
                std::string& error, int& status) {
    status = kExitUsage;
    if (!print_schema::NewGpdDocument(naming, command.built, selections, document, error)) {
        error = "pthost: " + error;
        return false;
    }
    if (!command.onPublicTicket) return true;
    const HRESULT made = session.Convert(ProviderConversion::DevModeToPrintTicket, document.get());
    if (made == S_OK) return true;
    error = "ConvertDevModeToPrintTicket returned " + DescribeHResult(made) +
            ", so there is no public ticket of the plug-in's to convert back";
    status = kExitPluginFailed;
    return false;
}

DocumentSource SourceFor(const ConversionCommand& command, InputDocument& input,
                         const print_schema::NamingContext* naming, const GpdSelections& selections,
                         CoreDriverSession& session) {
    if (naming == nullptr) {
        return [&input](ComPtr<IXMLDOMDocument2>& document, std::string& error, int& status) {
            status = kExitUsage;
            return input.Load(document, error);
        };
    }
    return [&command, naming, &selections, &session](ComPtr<IXMLDOMDocument2>& document, std::string& error,
                                                     int& status) {
        return BuildInput(command, *naming, selections, session, document, error, status);
    };
}

// What the core driver reads from the edited ticket, on standard error.
bool ReportReadBack(const print_schema::NamingContext& naming, const GpdSelections& selections,
                    IXMLDOMDocument2* document) {
    print_schema::TicketReading reading;
    std::string error;
    if (!print_schema::ReadTicket(naming, document, selections, reading, error)) {
        std::cerr << "pthost: " << error << "\n";
        return false;
    }
    std::cerr << "pthost: selections read back: " << print_schema::SelectionsText(naming.model, reading.selections)
              << "\n";
    for (const std::string& note : reading.notes) std::cerr << "pthost: " << note << "\n";
    return true;
}

int WriteResult(const Request& request, IXMLDOMDocument2* document, HRESULT converted) {
    if (converted != S_OK && WouldOverwriteInput(request)) {
        std::cerr << "pthost: " << request.arguments.output
                  << " is the input file: left as it was, since the conversion failed\n";
        return kExitPluginFailed;
    }
    std::string error;
    if (!WriteOutput(document, request.arguments.output, error)) return CannotRun(error);
    return converted == S_OK ? kExitSucceeded : kExitPluginFailed;
}

// The diff of the document's text before the conversion and after it, to OUT or standard output.
int WriteDiff(const Request& request, const std::string& before, IXMLDOMDocument2* document, HRESULT converted) {
    std::string after;
    std::string error;
    if (!DocumentText(document, after, error)) return CannotRun(error);
    const std::string diff = UnifiedDiff(OneElementPerLine(before), OneElementPerLine(after));
    const FileWriter write = [&diff](const std::string& path, std::string& reason) {
        return WriteBytes(path, diff, reason);
    };
    if (request.arguments.output.empty()) {
        std::cout << diff;
    } else if (!ReplaceFile(request.arguments.output, write, error)) {
        return CannotRun(error);
    }
    return converted == S_OK ? kExitSucceeded : kExitPluginFailed;
}

int Convert(const ConversionCommand& command, const std::string& modulePath, const Request& request,
            const std::optional<gpd::GpdModel>& model, const GpdSelections& selections) {
    ComApartment apartment;
    std::string error;
    auto session = CoreDriverSession::Open(modulePath, selections, error);
    if (!session) return CannotRun(error);
    std::unique_ptr<print_schema::NamingContext> naming;
    if (model) {
        naming = std::make_unique<print_schema::NamingContext>(
            print_schema::NamingContext{*model, print_schema::PrivateNamespace(*model, session->DefaultNamespace())});
    }
    InputDocument input(request.input);
    const DocumentSource source =
        SourceFor(command, input, request.input.empty() ? naming.get() : nullptr, selections, *session);
    ComPtr<IXMLDOMDocument2> document;
    int status = kExitUsage;
    if (!source(document, error, status)) {
        std::cerr << error << "\n";
        return status;
    }
    std::string before;
    if (request.diff && !DocumentText(document.get(), before, error)) return CannotRun(error);

    WarnOfRootMismatch(command, request, document.get());
    const HRESULT converted = command.run(session->Provider(), session->DevMode(), document.get());
    if (converted != S_OK) {
        const std::string unmet = UnmetNeed(command, source, *session);
        std::cerr << command.method << " returned " << DescribeHResult(converted) << (unmet.empty() ? "" : ": ")
                  << unmet << "\n";
    }
    if (command.readsBack && naming && !ReportReadBack(*naming, selections, document.get())) return kExitUsage;
    return request.diff ? WriteDiff(request, before, document.get(), converted)
                        : WriteResult(request, document.get(), converted);
}

int Run(const ConversionCommand& command, const GlobalOptions& global, const std::vector<std::string>& args) {
    Request request;
    std::string error;
    if (!ParseRequest(command.name, args, request, error)) return UsageError(command.name, error);
    if (request.arguments.help) {
        PrintHelp(command);
        return kExitSucceeded;
    }
    if (request.input.empty() && global.gpdPath.empty()) {
        return UsageError(command.name, "no FILE given, nor --gpd GPD to build the document from");
    }
    if (request.diff && WouldOverwriteInput(request)) {
        return UsageError(command.name, "-o names the input FILE, which --diff would replace with the diff");
    }
    std::optional<gpd::GpdModel> model;
    GpdSelections selections;
    if (!SelectOptions(command, global, request, model, selections)) return kExitUsage;
    return Convert(command, global.modulePath, request, model, selections);
}

}  // namespace

int RunToTicket(const GlobalOptions& global, const std::vector<std::string>& args) {
    return Run(kToTicket, global, args);
}

int RunToDevMode(const GlobalOptions& global, const std::vector<std::string>& args) {
    return Run(kToDevMode, global, args);
}

int RunCapabilities(const GlobalOptions& global, const std::vector<std::string>& args) {
    return Run(kCapabilities, global, args);
}

}  // namespace pthost
