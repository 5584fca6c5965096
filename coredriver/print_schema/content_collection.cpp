// CollectContent: which features a document carries, in which order, with which option selected.
#include <print_schema/document_content.h>

#include <print_schema/hard_coded_features.h>

#include <algorithm>

namespace print_schema {
namespace {

SchemaName Keyword(const char* local) { return SchemaName{kKeywordsNamespace, local}; }

size_t SelectedIndex(const NamingContext& context, const gpd::Feature& feature, const gpd::Selections& selections) {
    const auto chosen = selections.find(feature.name);
    const std::string option =
        chosen != selections.end() ? chosen->second : context.model.DefaultOption(feature, selections);
    for (size_t i = 0; i < feature.options.size(); ++i) {
        if (feature.options[i].name == option) return i;
    }
    return 0;
}

FeatureContent GpdFeatureContent(const NamingContext& context, const gpd::Feature& feature,
                                 const gpd::Selections& selections) {
    FeatureContent content{FeatureSchemaName(context, feature), FeatureDisplayName(feature, selections),
                           IsConcealed(feature, selections), {}, SelectedIndex(context, feature, selections), {}};
    content.options.reserve(feature.options.size());
    for (const gpd::Option& option : feature.options) {
        content.options.push_back({OptionSchemaName(context, feature, option),
                                   OptionDisplayName(feature, option, selections),
                                   ScoredProperties(context, feature, content.name, option, selections)});
    }
    return content;
}

// Whether the GPD already yields the hard-coded feature (any N-up feature counts for N-up).
bool AlreadyPresent(const std::vector<FeatureContent>& features, const FeatureContent& hardCoded) {
    return std::any_of(features.begin(), features.end(), [&](const FeatureContent& feature) {
        return feature.name == hardCoded.name || (IsNUpFeature(feature.name) && IsNUpFeature(hardCoded.name));
    });
}

bool SelectsCustomSize(const DocumentContent& content) {
    return std::any_of(content.features.begin(), content.features.end(), [](const FeatureContent& feature) {
        return feature.selected < feature.options.size() &&
               feature.options[feature.selected].name == Keyword("CustomMediaSize") &&
               feature.name == Keyword("PageMediaSize");
    });
}

}  // namespace

DocumentContent CollectContent(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections) {
    DocumentContent content;
    for (const gpd::Feature& feature : context.model.Features()) {
        if (!IsPublished(context, feature)) continue;
        if (kind == DocumentKind::Ticket && !IsInTicket(context, feature)) continue;
        content.features.push_back(GpdFeatureContent(context, feature, selections));
    }
    if (!context.model.IsXpsDriver()) {
        for (FeatureContent& feature : HardCodedFeatures()) {
            if (!AlreadyPresent(content.features, feature)) content.features.push_back(std::move(feature));
        }
    }
    content.parameters = Parameters(context, selections);
    const bool customSize = kind == DocumentKind::Ticket && SelectsCustomSize(content);
    for (Parameter& parameter : content.parameters) {
        if (parameter.name.local.starts_with("PageMediaSize")) parameter.initialized = customSize;
    }
    return content;
}

}  // namespace print_schema
