#include "conversion_commands.h"

#include "com_apartment.h"
#include "document_io.h"
#include <session/input_check.h>
#include "output_file.h"

#include <gpd/gpd_model.h>
#include <session/core_driver_session.h>
#include <session/hresult_text.h>

#include <iostream>

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
};

struct Request {
    GpdSelections selections;
    std::string output;
    std::string input;
    bool help = false;
};

const ConversionCommand kToTicket{
    "to-ticket", "ConvertDevModeToPrintTicket",
    "Runs ConvertDevModeToPrintTicket on FILE, a PrintTicket as the core driver made it from a\n"
    "DEVMODE, and writes the edited ticket.\n",
    [](IPrintOemPrintTicketProvider* provider, DevModeBuffer& devmode, IXMLDOMDocument2* document) {
        return provider->ConvertDevModeToPrintTicket(devmode.Size(), devmode.DevMode(), devmode.PrivateSize(),
                                                     devmode.PrivateSection(), document);
    },
    {"PrintTicket", "ticket", {InputNeed::PresentationDirection, InputNeed::OutputBin, InputNeed::HoleCount}}};

const ConversionCommand kToDevMode{
    "to-devmode", "ConvertPrintTicketToDevMode",
    "Runs ConvertPrintTicketToDevMode on FILE, a PrintTicket the core driver is about to turn into\n"
    "a DEVMODE, and writes the edited ticket.\n",
    [](IPrintOemPrintTicketProvider* provider, DevModeBuffer& devmode, IXMLDOMDocument2* document) {
        return provider->ConvertPrintTicketToDevMode(document, devmode.Size(), devmode.DevMode(),
                                                     devmode.PrivateSize(), devmode.PrivateSection());
    },
    {"PrintTicket", "ticket", {}}};

const ConversionCommand kCapabilities{
    "capabilities", "CompletePrintCapabilities",
    "Runs CompletePrintCapabilities on FILE, a PrintCapabilities document as the core driver made\n"
    "it, and writes the edited document.\n",
    [](IPrintOemPrintTicketProvider* provider, DevModeBuffer&, IXMLDOMDocument2* document) {
        return provider->CompletePrintCapabilities(nullptr, document);
    },
    {"PrintCapabilities", "capabilities document", {InputNeed::PresentationDirection, InputNeed::OutputBin}}};

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
    "  -h, --help               show this help\n"
    "\n"
    "Exit status: 0 when the conversion returned S_OK; 1 when it returned a failure (the edited\n"
    "document is still written, but never over FILE, and standard error says what the plug-in\n"
    "needed and FILE lacks); 2 when the command could not run or its output could not be written.\n";

void PrintHelp(const ConversionCommand& command) {
    std::cout << "usage: pthost [--plugin PATH] [--gpd FILE [--define SYMBOL]...] " << command.name << " " << kConversionArguments << "\n\n"
              << command.description << kCommonHelp;
}

int UsageError(const ConversionCommand& command, const std::string& message) {
    std::cerr << "pthost " << command.name << ": " << message << " (see pthost " << command.name << " --help)\n";
    return kExitUsage;
}

int CannotRun(const std::string& message) {
    std::cerr << "pthost: " << message << "\n";
    return kExitUsage;
}

// "FEATURE=OPTION" into the selections; false with the reason.
bool AddSelection(const std::string& value, GpdSelections& selections, std::string& error) {
    const size_t equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
        error = value.empty() ? "--option needs FEATURE=OPTION" : "--option needs FEATURE=OPTION, got '" + value + "'";
        return false;
    }
    const std::string feature = value.substr(0, equals);
    if (!selections.emplace(feature, value.substr(equals + 1)).second) {
        error = "--option selects the feature '" + feature + "' twice";
        return false;
    }
    return true;
}

bool ParseRequest(const std::string& command, const std::vector<std::string>& args, Request& request,
                  std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!request.input.empty()) {
                error = "one FILE only, got '" + request.input + "' and '" + arg + "'";
                return false;
            }
            request.input = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            request.help = true;
        } else if (arg == "-o") {
            if (!hasValue || args[i + 1].empty()) {
                error = "-o needs OUT";
                return false;
            }
            request.output = args[++i];
        } else if (arg == "--option") {
            if (!AddSelection(hasValue ? args[++i] : std::string(), request.selections, error)) return false;
        } else if (arg.rfind("--option=", 0) == 0) {
            if (!AddSelection(arg.substr(9), request.selections, error)) return false;
        } else {
            error = MisplacedGlobalOption(arg, command);
            if (error.empty()) error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (!request.help && request.input.empty()) {
        error = "no FILE given";
        return false;
    }
    if (request.output == "-") request.output.clear();
    return true;
}

// The selections the core helper answers: the --option ones alone, or with a GPD its defaults
// and the --option ones checked against it. The reader's warnings go to standard error. False
// once the reason is reported.
bool SelectOptions(const ConversionCommand& command, const GlobalOptions& global, const Request& request,
                   GpdSelections& selections) {
    if (global.gpdPath.empty()) {
        selections = request.selections;
        return true;
    }
    gpd::ReadOptions options;
    options.defines = global.defines;
    gpd::GpdModel gpd;
    std::string error;
    if (!gpd::GpdModel::Read(global.gpdPath, options, gpd, error)) {
        std::cerr << error << "\n";
        return false;
    }
    for (const gpd::Diagnostic& warning : gpd.Warnings()) std::cerr << "pthost: warning: " << warning.Text() << "\n";
    if (gpd.Select(request.selections, selections, error)) return true;
    std::cerr << "pthost " << command.name << ": " << error << "\n";
    return false;
}

// A failed conversion leaves a half-edited document, which must not take the input's place.
bool WouldOverwriteInput(const Request& request) {
    return !request.output.empty() && request.input != "-" && IsSameFile(request.output, request.input);
}

std::string InputName(const Request& request) { return request.input == "-" ? "<stdin>" : request.input; }

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
// before the failed conversion edited it: loaded again, since a conversion that succeeds needs
// no explanation.
std::string UnmetNeed(const ConversionCommand& command, InputDocument& input, CoreDriverSession& session) {
    ComPtr<IXMLDOMDocument2> original;
    std::string ignored;
    if (command.input.needs.empty() || !input.Load(original, ignored)) return {};
    return FirstUnmetNeed(original.get(), command.input, DriverNamespace(session.Provider()));
}

int WriteResult(const Request& request, IXMLDOMDocument2* document, HRESULT converted) {
    if (converted != S_OK && WouldOverwriteInput(request)) {
        std::cerr << "pthost: " << request.output << " is the input file: left as it was, since the conversion failed\n";
        return kExitPluginFailed;
    }
    std::string error;
    if (!WriteOutput(document, request.output, error)) return CannotRun(error);
    return converted == S_OK ? kExitSucceeded : kExitPluginFailed;
}

int Convert(const ConversionCommand& command, const std::string& modulePath, const Request& request,
            const GpdSelections& selections) {
    ComApartment apartment;
    InputDocument input(request.input);
    ComPtr<IXMLDOMDocument2> document;
    std::string error;
    if (!input.Load(document, error)) {
        std::cerr << error << "\n";
        return kExitUsage;
    }
    auto session = CoreDriverSession::Open(modulePath, selections, error);
    if (!session) return CannotRun(error);

    WarnOfRootMismatch(command, request, document.get());
    const HRESULT converted = command.run(session->Provider(), session->DevMode(), document.get());
    if (converted != S_OK) {
        const std::string unmet = UnmetNeed(command, input, *session);
        std::cerr << command.method << " returned " << DescribeHResult(converted) << (unmet.empty() ? "" : ": ")
                  << unmet << "\n";
    }
    return WriteResult(request, document.get(), converted);
}

int Run(const ConversionCommand& command, const GlobalOptions& global, const std::vector<std::string>& args) {
    Request request;
    std::string error;
    if (!ParseRequest(command.name, args, request, error)) return UsageError(command, error);
    if (request.help) {
        PrintHelp(command);
        return kExitSucceeded;
    }
    GpdSelections selections;
    if (!SelectOptions(command, global, request, selections)) return kExitUsage;
    return Convert(command, global.modulePath, request, selections);
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
