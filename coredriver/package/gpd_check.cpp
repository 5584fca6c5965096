// The root GPD against what the plug-in needs: the mode, the public features its passes edit,
// the private features it moves or reads, the namespace they are published in, and a selection
// command on every option.
#include <package/package_check.h>

#include <gpd/gpd_values.h>
#include <print_schema/schema_mapping.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace package {
namespace {

using print_schema::SchemaName;

constexpr const char* kConversionsFail = "ConvertDevModeToPrintTicket and CompletePrintCapabilities will return E_FAIL";

constexpr std::array<std::string_view, 8> kPresentationDirections = {
    "RightBottom", "BottomRight", "LeftBottom", "BottomLeft", "RightTop", "TopRight", "LeftTop", "TopLeft"};

// The options of PunchHole the plug-in compares, and the hole count each gives.
struct HoleOption {
    const char* name;
    int count;
};
constexpr std::array<HoleOption, 4> kHoleOptions = {{{"None", 0}, {"2Holes", 2}, {"3Holes", 3}, {"4Holes", 4}}};

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string Shown(const SchemaName& name) {
    if (name.uri == print_schema::kKeywordsNamespace) return "psk:" + name.local;
    return "{" + name.uri + "}" + name.local;
}

class GpdChecker {
public:
    explicit GpdChecker(const Package& package)
        : package_(package),
          model_(package.model),
          context_{package.model, print_schema::PrivateNamespace(package.model, package.pluginNamespace)} {}

    std::vector<Finding> Run() {
        CheckMode();
        CheckNamespace();
        CheckNUp();
        CheckPresentationDirection();
        CheckOutputBin();
        CheckHolePunch();
        CheckPunchHole();
        CheckPunch();
        for (const gpd::Feature& feature : model_.Features()) {
            CheckDeclaredOnce(feature);
            CheckSelectionCommands(feature);
        }
        return std::move(findings_);
    }

private:
    void Add(const gpd::SourceLocation& where, std::string problem, std::string consequence) {
        findings_.push_back({where, std::move(problem), std::move(consequence)});
    }

    gpd::SourceLocation Root() const {
        return {model_.Files().empty() ? package_.gpdPath : model_.Files().front(), 1};
    }

    // The published feature the core driver names `keyword` in the keywords namespace.
    const gpd::Feature* PublicFeature(const std::string& keyword) const {
        const SchemaName wanted{print_schema::kKeywordsNamespace, keyword};
        for (const gpd::Feature& feature : model_.Features()) {
            if (print_schema::IsPublished(context_, feature) &&
                print_schema::FeatureSchemaName(context_, feature) == wanted) {
                return &feature;
            }
        }
        return nullptr;
    }

    bool IsPrivate(const SchemaName& name) const { return name.uri != print_schema::kKeywordsNamespace; }

    // The published option of `feature` whose private local name is `local`.
    const gpd::Option* PrivateOption(const gpd::Feature& feature, const std::string& local) const {
        for (const gpd::Option& option : feature.options) {
            const SchemaName name = print_schema::OptionSchemaName(context_, feature, option);
            if (IsPrivate(name) && name.local == local) return &option;
        }
        return nullptr;
    }

    void CheckMode() {
        if (model_.IsXpsDriver()) return;
        Add(Root(), "not an XPSDrv driver (no *IsXPSDriver?: TRUE, as the WDK's MSXpsInc.gpd sets)",
            "in GDI mode the core driver needs a rendering plug-in whose DevMode matches the plug-in's private "
            "DEVMODE section, and qpplugin has none");
    }

    void CheckNamespace() {
        const gpd::Assignment* set = model_.Root().Resolve("*PrintSchemaPrivateNamespaceURI");
        const std::string& plugin = package_.pluginNamespace;
        if (set == nullptr) {
            if (plugin.empty()) return;
            Add(Root(), "no *PrintSchemaPrivateNamespaceURI",
                "the private features are named in the plug-in's namespace only if the core driver takes its "
                "QueryDeviceDefaultNamespace answer; set it to \"" + plugin + "\"");
            return;
        }
        const std::string uri = gpd::TextValue(set->value).value_or(set->value);
        if (plugin.empty() || uri == plugin) return;
        Add(set->where, "the private namespace \"" + uri + "\" is not the plug-in's \"" + plugin + "\"",
            std::string("the plug-in finds none of its private features and options: ") + kConversionsFail);
    }

    void CheckNUp() {
        if (!model_.IsXpsDriver() || PublicFeature("JobNUpAllDocumentsContiguously") != nullptr) return;
        Add(Root(), "XPSDrv mode, and no feature is mapped to JobNUpAllDocumentsContiguously", kConversionsFail);
    }

    const gpd::Feature* PrivateFeature(const std::string& local) const {
        for (const gpd::Feature& feature : model_.Features()) {
            if (!print_schema::IsPublished(context_, feature)) continue;
            const SchemaName name = print_schema::FeatureSchemaName(context_, feature);
            if (IsPrivate(name) && name.local == local) return &feature;
        }
        return nullptr;
    }

    void CheckPresentationDirection() {
        const gpd::Feature* feature = PrivateFeature("JobPresentationDirection");
        if (feature == nullptr) {
            MissingPresentationDirection();
            return;
        }
        std::vector<std::string> strangers;
        for (const gpd::Option& option : feature->options) {
            const std::string local = print_schema::OptionSchemaName(context_, *feature, option).local;
            const bool known = std::find(kPresentationDirections.begin(), kPresentationDirections.end(), local) !=
                               kPresentationDirections.end();
            if (!known) strangers.push_back(option.name);
        }
        if (strangers.empty() && !feature->options.empty()) return;
        Add(feature->where,
            feature->options.empty() ? "JobPresentationDirection has no option"
                                     : "options of JobPresentationDirection that are no Print Schema presentation "
                                       "direction: " + Joined(strangers),
            "the plug-in moves them unchanged into psk:PresentationDirection, whose options are RightBottom, "
            "BottomRight, LeftBottom, BottomLeft, RightTop, TopRight, LeftTop and TopLeft");
    }

    void MissingPresentationDirection() {
        const gpd::Feature* named = model_.FindFeature("JobPresentationDirection");
        if (named == nullptr) {
            Add(Root(), "no private feature JobPresentationDirection", kConversionsFail);
        } else {
            const SchemaName published = print_schema::FeatureSchemaName(context_, *named);
            Add(named->where,
                "JobPresentationDirection is " + (print_schema::IsPublished(context_, *named)
                                                      ? "published as " + Shown(published)
                                                      : std::string("not published")) +
                    ", not as the private JobPresentationDirection the plug-in looks for",
                kConversionsFail);
        }
    }

    void CheckOutputBin() {
        const gpd::Feature* bins = PublicFeature("JobOutputBin");
        if (bins == nullptr) {
            Add(Root(), "no feature is published as psk:JobOutputBin (the standard OutputBin)", kConversionsFail);
            return;
        }
        if (PrivateOption(*bins, "Center") == nullptr) {
            Add(bins->where, bins->name + " has no private option Center",
                "no bin gets the psk:BinType Tray, and a ticket asking for that bin type keeps its option");
        }
        if (PrivateOption(*bins, "Finisher") == nullptr) {
            Add(bins->where, bins->name + " has no private option Finisher",
                "no bin gets the psk:BinType psk:Stacker, and a ticket asking for that bin type keeps its option");
        }
    }

    void CheckHolePunch() {
        const gpd::Feature* punch = PublicFeature("JobHolePunch");
        if (punch == nullptr) {
            Add(Root(), "no feature is mapped to JobHolePunch",
                "ConvertDevModeToPrintTicket will return E_FAIL, having nowhere to write the hole count");
        } else if (punch->options.empty()) {
            Add(punch->where, punch->name + ", published as psk:JobHolePunch, has no option",
                "ConvertDevModeToPrintTicket will return E_FAIL, having nowhere to write the hole count");
        }
    }

    void CheckPunchHole() {
        const gpd::Feature* holes = model_.FindFeature("PunchHole");
        if (holes == nullptr) {
            Add(Root(), "no feature PunchHole", "GetOption(\"PunchHole\") fails, and every hole count is 0");
            return;
        }
        for (const HoleOption& wanted : kHoleOptions) {
            if (wanted.count == 0 || holes->FindOption(wanted.name) != nullptr) continue;
            Add(holes->where, std::string("PunchHole has no option ") + wanted.name,
                "the hole count is never " + std::to_string(wanted.count));
        }
        for (const gpd::Option& option : holes->options) {
            const bool compared = std::any_of(kHoleOptions.begin(), kHoleOptions.end(),
                                              [&](const HoleOption& known) { return option.name == known.name; });
            if (compared) continue;
            Add(option.where, "PunchHole's option " + option.name + " is none of None, 2Holes, 3Holes, 4Holes",
                "selecting it gives a hole count of 0");
        }
    }

    void CheckPunch() {
        const gpd::Feature* punch = model_.FindFeature("Punch");
        if (punch == nullptr) {
            Add(Root(), "no feature Punch",
                "GetOption(\"Punch\") fails, so nothing switches punching off: the hole count follows PunchHole alone");
        } else if (punch->FindOption("NONE") == nullptr) {
            Add(punch->where, "Punch has no option NONE (upper case)",
                "no selection of Punch switches punching off: the hole count follows PunchHole alone");
        }
    }

    // Every option selects itself with *Command: CmdSelect and an *Order; the features the
    // reader modelled for a WDK include are the WDK's business.
    void CheckSelectionCommands(const gpd::Feature& feature) {
        const std::vector<std::string>& supplied = model_.SuppliedIncludes();
        if (std::find(supplied.begin(), supplied.end(), FileNameOf(feature.where.file)) != supplied.end()) return;
        std::vector<std::string> lacking;
        const gpd::Option* first = nullptr;
        for (const gpd::Option& option : feature.options) {
            const gpd::Command* select = option.FindCommand("CmdSelect");
            const std::optional<std::string> order =
                select == nullptr ? std::nullopt : select->attributes.Value("*Order");
            if (order && gpd::ParseOrder(*order)) continue;
            lacking.push_back(option.name);
            if (first == nullptr) first = &option;
        }
        if (first == nullptr) return;
        Add(first->where, "options of " + feature.name + " without a *Command: CmdSelect that has an *Order: " +
                              Joined(lacking),
            "the GPD checker requires one on every option");
    }

    // A feature declared again in another file merges into one: a fragment that redeclares
    // a standard feature changes the model's own.
    void CheckDeclaredOnce(const gpd::Feature& feature) {
        for (const gpd::Option& option : feature.options) {
            if (option.where.file == feature.where.file) continue;
            Add(option.where, feature.name + " is declared in " + FileNameOf(feature.where.file) + " and again in " +
                                  FileNameOf(option.where.file),
                "the core driver merges the two into one feature with the options of both");
            return;
        }
    }

    const Package& package_;
    const gpd::GpdModel& model_;
    print_schema::NamingContext context_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckGpd(const Package& package) { return GpdChecker(package).Run(); }

}  // namespace package
