// What a DEVMODE selects from a GPD: the chosen options, and every other feature's default,
// which may itself depend on the selections of other features through *Switch.
#include <gpd/gpd_model.h>
#include <gpd/gpd_text.h>
#include <gpd/gpd_values.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gpd {
namespace {

// The features whose selections a feature's *DefaultOption depends on.
std::set<std::string> DefaultDependencies(const Feature& feature) {
    std::set<std::string> features;
    for (const Assignment& assignment : feature.attributes.All("*DefaultOption")) {
        for (const Condition& condition : assignment.conditions) features.insert(condition.feature);
    }
    return features;
}

using FeaturesByName = std::map<std::string, const Feature*, std::less<>>;

const Feature* Find(const FeaturesByName& features, const std::string& name) {
    const auto found = features.find(name);
    return found == features.end() ? nullptr : found->second;
}

// The order in which defaults resolve: a feature once every feature its default depends on
// has its selection, chosen ones from the start (Kahn's algorithm, no recursion).
class DefaultOrder {
public:
    DefaultOrder(const std::vector<Feature>& features, const FeaturesByName& byName, const Selections& chosen) {
        for (const Feature& feature : features) {
            if (chosen.count(feature.name) != 0 || feature.options.empty()) continue;
            std::set<std::string> dependencies;
            for (const std::string& dependency : DefaultDependencies(feature)) {
                const Feature* other = Find(byName, dependency);
                if (other == nullptr || other->options.empty() || chosen.count(dependency) != 0) continue;
                dependencies.insert(dependency);
                dependents_[dependency].push_back(&feature);
            }
            if (dependencies.empty()) ready_.push_back(&feature);
            else waitingOn_[feature.name] = std::move(dependencies);
        }
    }

    // The next feature whose dependencies all have their selections; null when none is left.
    const Feature* Next() {
        if (ready_.empty()) return nullptr;
        const Feature* feature = ready_.front();
        ready_.pop_front();
        for (const Feature* dependent : dependents_[feature->name]) {
            const auto waiting = waitingOn_.find(dependent->name);
            waiting->second.erase(feature->name);
            if (!waiting->second.empty()) continue;
            waitingOn_.erase(waiting);
            ready_.push_back(dependent);
        }
        return feature;
    }

    // The features left once Next is done: those in a cycle and those that depend on one.
    std::vector<std::string> Unresolved() const {
        std::vector<std::string> names;
        for (const auto& [name, dependencies] : waitingOn_) names.push_back(name);
        return names;
    }

private:
    std::map<std::string, std::set<std::string>, std::less<>> waitingOn_;
    std::map<std::string, std::vector<const Feature*>, std::less<>> dependents_;
    std::deque<const Feature*> ready_;
};

// False with a message listing what the GPD has when `chosen` names what it lacks.
bool CheckChoices(const std::string& gpdName, const std::vector<Feature>& features, const FeaturesByName& byName,
                  const Selections& chosen, std::string& error) {
    for (const auto& [featureName, optionName] : chosen) {
        const Feature* feature = Find(byName, featureName);
        std::vector<std::string> names;
        if (feature == nullptr) {
            for (const Feature& declared : features) names.push_back(declared.name);
            error = gpdName + " has no feature " + featureName + " (its features: " + Listed(names) + ")";
            return false;
        }
        if (feature->FindOption(optionName) == nullptr) {
            for (const Option& option : feature->options) names.push_back(option.name);
            error = "the feature " + featureName + " of " + gpdName + " has no option " + optionName + " (its options: " +
                    Listed(names) + ")";
            return false;
        }
    }
    return true;
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
    FeaturesByName byName;
    for (const Feature& feature : features_) byName.emplace(feature.name, &feature);
    if (!CheckChoices(name, features_, byName, chosen, error)) return false;
    Selections selected = chosen;
    DefaultOrder order(features_, byName, chosen);
    while (const Feature* feature = order.Next()) selected[feature->name] = DefaultOption(*feature, selected);
    if (const std::vector<std::string> unresolved = order.Unresolved(); !unresolved.empty()) {
        error = name + ": the default options of " + Listed(unresolved) +
                " depend on each other's selection through *Switch, in a cycle";
        return false;
    }
    selections = std::move(selected);
    return true;
}

}  // namespace gpd
