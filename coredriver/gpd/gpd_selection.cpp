// What a DEVMODE selects from a GPD: the chosen options, and every other feature's default,
// which may itself depend on the selections of other features through *Switch.
#include <gpd/gpd_model.h>
#include <gpd/gpd_values.h>

#include <deque>
#include <set>

namespace gpd {
namespace {

std::string Listed(const std::vector<std::string>& names) {
    if (names.empty()) return "none";
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list;
}

// The features whose selections a feature's *DefaultOption depends on.
std::set<std::string> DefaultDependencies(const Feature& feature) {
    std::set<std::string> features;
    for (const Assignment& assignment : feature.attributes.All("*DefaultOption")) {
        for (const Condition& condition : assignment.conditions) features.insert(condition.feature);
    }
    return features;
}

}  // namespace

bool GpdModel::IsXpsDriver() const {
    const std::optional<std::string> value = root_.Value("*IsXPSDriver?");
    return value && BooleanValue(*value).value_or(false);
}

std::string GpdModel::DefaultOption(const Feature& feature, const Selections& selections) const {
    if (const std::optional<std::string> named = feature.attributes.Value("*DefaultOption", selections)) {
        if (feature.FindOption(*named) != nullptr) return *named;
    }
    return feature.options.empty() ? std::string() : feature.options.front().name;
}

bool GpdModel::Select(const Selections& chosen, Selections& selections, std::string& error) const {
    const std::string name = files_.empty() ? std::string("the GPD") : files_.front();
    for (const auto& [featureName, optionName] : chosen) {
        const Feature* feature = FindFeature(featureName);
        if (feature == nullptr) {
            std::vector<std::string> names;
            for (const Feature& declared : features_) names.push_back(declared.name);
            error = name + " has no feature " + featureName + " (its features: " + Listed(names) + ")";
            return false;
        }
        if (feature->FindOption(optionName) == nullptr) {
            std::vector<std::string> names;
            for (const Option& option : feature->options) names.push_back(option.name);
            error = "the feature " + featureName + " of " + name + " has no option " + optionName + " (its options: " +
                    Listed(names) + ")";
            return false;
        }
    }
    // Defaults in dependency order: a feature is resolved once every feature its default
    // depends on is.
    Selections selected = chosen;
    std::map<std::string, std::set<std::string>, std::less<>> waitingOn;
    std::map<std::string, std::vector<const Feature*>, std::less<>> dependents;
    std::deque<const Feature*> ready;
    for (const Feature& feature : features_) {
        if (chosen.count(feature.name) != 0 || feature.options.empty()) continue;
        std::set<std::string> dependencies;
        for (const std::string& dependency : DefaultDependencies(feature)) {
            const Feature* other = FindFeature(dependency);
            if (other == nullptr || other->options.empty() || chosen.count(dependency) != 0) continue;
            dependencies.insert(dependency);
            dependents[dependency].push_back(&feature);
        }
        if (dependencies.empty()) ready.push_back(&feature);
        else waitingOn[feature.name] = std::move(dependencies);
    }
    while (!ready.empty()) {
        const Feature* feature = ready.front();
        ready.pop_front();
        selected[feature->name] = DefaultOption(*feature, selected);
        for (const Feature* dependent : dependents[feature->name]) {
            auto waiting = waitingOn.find(dependent->name);
            waiting->second.erase(feature->name);
            if (!waiting->second.empty()) continue;
            waitingOn.erase(waiting);
            ready.push_back(dependent);
        }
    }
    if (!waitingOn.empty()) {
        std::vector<std::string> names;
        for (const auto& [featureName, dependencies] : waitingOn) names.push_back(featureName);
        error = name + ": the default options of " + Listed(names) +
                " depend on each other's selection through *Switch, in a cycle";
        return false;
    }
    selections = std::move(selected);
    return true;
}

}  // namespace gpd
