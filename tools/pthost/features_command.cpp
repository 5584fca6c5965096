// pthost features: the GPD as the core driver reads it, one line per feature in the order the
// GPD first declares it, with the default the selections given leave it and the Print Schema
// keyword it is published under.
#include "gpd_commands.h"

#include <print_schema/schema_mapping.h>

#include <iostream>

namespace pthost {
namespace {

constexpr const char* kHelp =
    "usage: pthost [--gpd FILE [--define SYMBOL]...] features [--option FEATURE=OPTION]...\n"
    "\n"
    "Prints the GPD as the core driver reads it (preprocessor, includes, macros, repeated entries\n"
    "merged): one line per feature, in the order the GPD first declares it,\n"
    "  FEATURE default=OPTION options=OPTION,OPTION,... [keyword=psk:NAME]\n"
    "with keyword= where the core driver publishes the feature under a Print Schema keyword.\n"
    "Defaults that depend on other features (*Switch) follow the selections given.\n"
    "\n"
    "  --option FEATURE=OPTION  the DEVMODE selects OPTION for FEATURE (repeatable)\n"
    "  -h, --help               show this help\n"
    "\n"
    "Exit status: 0 when the GPD was read; 2 when it cannot be read or the command line is wrong.\n";

// The line for one feature.
std::string FeatureLine(const print_schema::NamingContext& context, const gpd::Feature& feature,
                        const gpd::Selections& selections) {
    std::string line = feature.name + " default=" + context.model.DefaultOption(feature, selections) + " options=";
    for (size_t i = 0; i < feature.options.size(); ++i) line += (i ? "," : "") + feature.options[i].name;
    if (print_schema::IsPublished(context, feature)) {
        const print_schema::SchemaName name = print_schema::FeatureSchemaName(context, feature);
        if (name.uri == print_schema::kKeywordsNamespace) line += " keyword=psk:" + name.local;
    }
    return line;
}

}  // namespace

int RunFeatures(const GlobalOptions& global, const std::vector<std::string>& args) {
    SelectionArguments arguments;
    for (size_t i = 0; i < args.size() && !arguments.help; ++i) {
        std::string error;
        if (TakeSelectionArgument(args, i, false, arguments, error)) continue;
        if (error.empty()) error = MisplacedGlobalOption(args[i], "features");
        return UsageError("features", error.empty() ? "unexpected argument '" + args[i] + "'" : error);
    }
    if (arguments.help) {
        std::cout << kHelp;
        return kExitSucceeded;
    }
    gpd::GpdModel model;
    if (!ReadGpd("features", global, model)) return kExitUsage;
    gpd::Selections selections;
    std::string error;
    if (!model.Select(arguments.chosen, selections, error)) {
        std::cerr << "pthost features: " << error << "\n";
        return kExitUsage;
    }
    // Only keyword names are printed, so the private namespace in force does not matter here.
    const print_schema::NamingContext context{model, print_schema::PrivateNamespace(model, "")};
    for (const gpd::Feature& feature : model.Features()) std::cout << FeatureLine(context, feature, selections) << "\n";
    return kExitSucceeded;
}

}  // namespace pthost
