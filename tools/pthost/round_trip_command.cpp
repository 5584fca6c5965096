// pthost round-trip: GPD selections through the plug-in both ways and back into selections.
#include "com_apartment.h"
#include "command.h"
#include "gpd_commands.h"

#include <print_schema/round_trip.h>

#include <iostream>

namespace pthost {
namespace {

struct RoundTripRequest {
    SelectionArguments arguments;
    bool all = false;
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

bool ParseRequest(const std::vector<std::string>& args, RoundTripRequest& request, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (TakeSelectionArgument(args, i, false, request.arguments, error)) continue;
        if (!error.empty()) return false;
        if (arg != "--all") {
            error = MisplacedGlobalOption(arg, "round-trip");
            if (error.empty()) error = "unknown argument '" + arg + "'";
            return false;
        }
        request.all = true;
    }
    return true;
}

// The round trips to run, each as the choice it makes over the defaults.
std::vector<gpd::Selections> Choices(const print_schema::RoundTrip& trip, const RoundTripRequest& request) {
    if (!request.all) return {request.arguments.chosen};
    std::vector<gpd::Selections> choices = trip.PluginOptionChoices();
    const gpd::Selections& chosen = request.arguments.chosen;
    for (gpd::Selections& choice : choices) choice.insert(chosen.begin(), chosen.end());
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
    gpd::Selections checked;
    if (!model.Select(request.arguments.chosen, checked, error)) return UsageError("round-trip", error);
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
    if (!ParseRequest(args, request, error)) return UsageError("round-trip", error);
    if (request.arguments.help) {
        PrintHelp();
        return kExitSucceeded;
    }
    return RunAll(global, request);
}

}  // namespace pthost
