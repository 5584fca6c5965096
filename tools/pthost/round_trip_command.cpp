// pthost round-trip: GPD selections through the plug-in both ways and back into selections.
#include "com_apartment.h"
#include "command.h"
#include "conversion_commands.h"
#include "gpd_commands.h"

#include <print_schema/round_trip.h>

#include <iostream>

namespace pthost {
namespace {

struct RoundTripRequest {
    gpd::Selections chosen;
    bool all = false;
    bool help = false;
};

void PrintHelp() {
    std::cout << "usage: pthost [--plugin PATH] --gpd FILE [--define SYMBOL]... round-trip " << kRoundTripArguments
              << "\n\n"
              << "For the GPD's default selections, with the --option ones, builds the PrintTicket the core\n"
                 "driver makes from the GPD, runs ConvertDevModeToPrintTicket on it with a DEVMODE that selects\n"
                 "them, then ConvertPrintTicketToDevMode on the result, and reads back the selections the core\n"
                 "driver takes from the ticket. Prints one line per round trip, and under it each selection\n"
                 "that did not come back, with the step after which it was first missing. A conversion that\n"
                 "fails loses the selections tried: the core driver keeps no ticket from it.\n"
                 "\n"
                 "  --option FEATURE=OPTION  select OPTION of the GPD feature FEATURE (repeatable)\n"
                 "  --all                    one round trip for each option of each feature the plug-in reads\n"
                 "                           or moves (page order, output bin, the hole-punch features and\n"
                 "                           pages per sheet), the other features at their defaults\n"
                 "  -h, --help               show this help\n"
                 "\n"
                 "Exit status: 0 when every selection comes back; 1 when one does not; 2 when the round trip\n"
                 "could not run.\n";
}

int UsageError(const std::string& message) {
    std::cerr << "pthost round-trip: " << message << " (see pthost round-trip --help)\n";
    return kExitUsage;
}

int CannotRun(const std::string& message) {
    std::cerr << (message.rfind("pthost", 0) == 0 ? "" : "pthost: ") << message << "\n";
    return kExitUsage;
}

bool ParseRequest(const std::vector<std::string>& args, RoundTripRequest& request, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            request.help = true;
        } else if (arg == "--all") {
            request.all = true;
        } else if (arg == "--option") {
            if (!AddSelection(i + 1 < args.size() ? args[++i] : std::string(), request.chosen, error)) return false;
        } else if (arg.rfind("--option=", 0) == 0) {
            if (!AddSelection(arg.substr(9), request.chosen, error)) return false;
        } else {
            error = MisplacedGlobalOption(arg, "round-trip");
            if (error.empty()) error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    return true;
}

// The round trips to run, each as the choice it makes over the defaults.
std::vector<gpd::Selections> Choices(const print_schema::RoundTrip& trip, const RoundTripRequest& request) {
    if (!request.all) return {request.chosen};
    std::vector<gpd::Selections> choices = trip.PluginOptionChoices();
    for (gpd::Selections& choice : choices) choice.insert(request.chosen.begin(), request.chosen.end());
    return choices;
}

// One round trip: its line, and a line for each selection lost. False when it could not run.
bool RunOne(const print_schema::RoundTrip& trip, const gpd::GpdModel& model, const gpd::Selections& choice, bool& whole,
            std::string& error) {
    gpd::Selections selections;
    if (!model.Select(choice, selections, error)) return false;
    std::vector<print_schema::LostSelection> lost;
    if (!trip.Run(selections, choice.empty() ? selections : choice, lost, error)) return false;
    const std::string name = choice.empty() ? "the defaults" : print_schema::SelectionsText(model, choice);
    std::cout << name << ": " << (lost.empty() ? "comes back" : "LOST") << "\n";
    for (const print_schema::LostSelection& selection : lost) std::cout << "  " << selection.Text() << "\n";
    whole = lost.empty();
    return true;
}

int RunAll(const GlobalOptions& global, const RoundTripRequest& request) {
    gpd::GpdModel model;
    if (!ReadGpd("round-trip", global, model)) return kExitUsage;
    std::string error;
    if (gpd::Selections checked; !model.Select(request.chosen, checked, error)) return UsageError(error);
    ComApartment apartment;
    const std::unique_ptr<print_schema::RoundTrip> trip =
        print_schema::RoundTrip::Open(model, global.modulePath, error);
    if (!trip) return CannotRun(error);

    const std::vector<gpd::Selections> choices = Choices(*trip, request);
    int wholeCount = 0;
    for (const gpd::Selections& choice : choices) {
        bool whole = false;
        if (!RunOne(*trip, model, choice, whole, error)) return CannotRun(error);
        wholeCount += whole ? 1 : 0;
    }
    const bool allWhole = wholeCount == static_cast<int>(choices.size());
    std::cout << "round-trip: " << wholeCount << " of " << choices.size()
              << " round trips bring every selection back\n";
    return allWhole ? kExitSucceeded : kExitPluginFailed;
}

}  // namespace

int RunRoundTrip(const GlobalOptions& global, const std::vector<std::string>& args) {
    RoundTripRequest request;
    std::string error;
    if (!ParseRequest(args, request, error)) return UsageError(error);
    if (request.help) {
        PrintHelp();
        return kExitSucceeded;
    }
    return RunAll(global, request);
}

}  // namespace pthost
