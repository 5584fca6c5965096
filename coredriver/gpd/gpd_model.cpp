#include <gpd/gpd_model.h>

#include <algorithm>

namespace gpd {

bool Condition::Holds(const Selections& selections) const {
    const auto selected = selections.find(feature);
    const std::string current = selected == selections.end() ? std::string() : selected->second;
    if (!option.empty()) return current == option;
    return std::find(caseOptions.begin(), caseOptions.end(), current) == caseOptions.end();
}

bool Assignment::Holds(const Selections& selections) const {
    return std::all_of(conditions.begin(), conditions.end(),
                       [&](const Condition& condition) { return condition.Holds(selections); });
}

const Assignment* Attributes::Resolve(const std::string& keyword, const Selections& selections) const {
    const std::vector<Assignment>& all = All(keyword);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (it->Holds(selections)) return &*it;
    }
    return nullptr;
}

std::optional<std::string> Attributes::Value(const std::string& keyword, const Selections& selections) const {
    const Assignment* assignment = Resolve(keyword, selections);
    if (assignment == nullptr) return std::nullopt;
    return assignment->value;
}

bool Attributes::Has(const std::string& keyword) const { return byKeyword_.find(keyword) != byKeyword_.end(); }

const std::vector<Assignment>& Attributes::All(const std::string& keyword) const {
    static const std::vector<Assignment> kNone;
    const auto found = byKeyword_.find(keyword);
    return found == byKeyword_.end() ? kNone : found->second;
}

void Attributes::Add(const std::string& keyword, Assignment assignment) {
    byKeyword_[keyword].push_back(std::move(assignment));
}

const Command* Option::FindCommand(const std::string& commandName) const {
    for (const Command& command : commands) {
        if (command.name == commandName) return &command;
    }
    return nullptr;
}

const Option* Feature::FindOption(const std::string& optionName) const {
    for (const Option& option : options) {
        if (option.name == optionName) return &option;
    }
    return nullptr;
}

const Feature* GpdModel::FindFeature(const std::string& featureName) const {
    for (const Feature& feature : features_) {
        if (feature.name == featureName) return &feature;
    }
    return nullptr;
}

}  // namespace gpd
