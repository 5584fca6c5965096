#include <print_schema/hard_coded_features.h>

namespace print_schema {
namespace {

constexpr long long kPagesPerSheet[] = {1, 2, 4, 6, 9, 16};
// Right then down, down then right, left then down, down then left: the directions the core
// driver offers for N-up.
constexpr const char* kDirections[][2] = {
    {"RightBottom", "Right, then Down"},
    {"BottomRight", "Down, then Right"},
    {"LeftBottom", "Left, then Down"},
    {"BottomLeft", "Down, then Left"},
};
constexpr const char* kPageOrders[][2] = {{"Standard", "Front to Back"}, {"Reverse", "Back to Front"}};

SchemaName Keyword(const char* local) { return SchemaName{kKeywordsNamespace, local}; }

FeatureContent KeywordFeature(const char* name, const char* displayName, const char* const (*options)[2], size_t count) {
    FeatureContent feature{Keyword(name), displayName, false, {}, 0, {}};
    for (size_t i = 0; i < count; ++i) feature.options.push_back({Keyword(options[i][0]), options[i][1], {}});
    return feature;
}

FeatureContent NUp() {
    FeatureContent nUp{Keyword("JobNUpAllDocumentsContiguously"), "Pages per Sheet", false, {}, 0, {}};
    for (const long long pages : kPagesPerSheet) {
        nUp.options.push_back({std::nullopt, std::to_string(pages), {{Keyword("PagesPerSheet"), pages, std::nullopt}}});
    }
    nUp.subFeatures.push_back(KeywordFeature("PresentationDirection", "Page Order", kDirections, std::size(kDirections)));
    return nUp;
}

}  // namespace

std::vector<FeatureContent> HardCodedFeatures() {
    std::vector<FeatureContent> features;
    features.push_back(NUp());
    features.push_back(KeywordFeature("JobPageOrder", "Page Order", kPageOrders, std::size(kPageOrders)));
    return features;
}

}  // namespace print_schema
