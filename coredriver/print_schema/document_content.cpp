#include <print_schema/document_content.h>

#include <gpd/gpd_values.h>
#include <print_schema/standard_keywords.h>

#include <algorithm>
#include <climits>

namespace print_schema {
namespace {

constexpr long long kMicronsPerInch = 25400;
// Copies a GDI-mode driver offers at least, whatever *MaxCopies says (it spools EMF and copies
// pages itself).
constexpr long long kGdiMinimumMaxCopies = 9999;
// The custom size's limit when the GPD gives none: the largest value a 32-bit integer holds.
constexpr long long kUnboundedMicrons = 2147483647;
constexpr const char* kNUpFeatures[] = {"JobNUpAllDocumentsContiguously", "DocumentNUp"};

SchemaName Keyword(const char* local) { return SchemaName{kKeywordsNamespace, local}; }

std::optional<std::string> DisplayText(const gpd::Attributes& attributes, const gpd::Selections& selections) {
    const std::optional<std::string> raw = attributes.Value("*Name", selections);
    if (!raw) return std::nullopt;
    return gpd::TextValue(*raw);
}

std::optional<std::pair<long long, long long>> PairAttribute(const gpd::Attributes& attributes, const char* keyword,
                                                             const gpd::Selections& selections) {
    const std::optional<std::string> raw = attributes.Value(keyword, selections);
    if (!raw) return std::nullopt;
    return gpd::PairValue(*raw);
}

// Master units to microns, rounded to nearest; nullopt when the GPD's units are unusable.
std::optional<long long> Microns(long long masterValue, long long unitsPerInch) {
    if (unitsPerInch <= 0 || masterValue < 0 || masterValue > LLONG_MAX / (2 * kMicronsPerInch)) return std::nullopt;
    return (masterValue * kMicronsPerInch * 2 + unitsPerInch) / (2 * unitsPerInch);
}

std::optional<std::pair<long long, long long>> MicronPair(const NamingContext& context,
                                                          std::pair<long long, long long> master,
                                                          const gpd::Selections& selections) {
    const auto units = PairAttribute(context.model.Root(), "*MasterUnits", selections);
    if (!units) return std::nullopt;
    const std::optional<long long> width = Microns(master.first, units->first);
    const std::optional<long long> height = Microns(master.second, units->second);
    if (!width || !height) return std::nullopt;
    return std::make_pair(*width, *height);
}

bool IsCustomSize(const NamingContext& context, const gpd::Feature& feature, const gpd::Option& option) {
    return feature.name == "PaperSize" && option.name == "CUSTOMSIZE" &&
           OptionSchemaName(context, feature, option) == Keyword("CustomMediaSize");
}

void AddMediaSize(const NamingContext& context, const gpd::Feature& feature, const gpd::Option& option,
                  const gpd::Selections& selections, std::vector<ScoredProperty>& properties) {
    if (IsCustomSize(context, feature, option)) {
        properties.push_back({Keyword("MediaSizeWidth"), 0, Keyword("PageMediaSizeMediaSizeWidth")});
        properties.push_back({Keyword("MediaSizeHeight"), 0, Keyword("PageMediaSizeMediaSizeHeight")});
        return;
    }
    std::optional<std::pair<long long, long long>> size;
    if (const auto dimensions = PairAttribute(option.attributes, "*PageDimensions", selections)) {
        size = MicronPair(context, *dimensions, selections);
    } else if (const StandardMediaSize* standard = FindStandardMediaSize(option.name)) {
        size = std::make_pair(standard->width, standard->height);
    }
    if (!size || size->first <= 0 || size->second <= 0) return;
    properties.push_back({Keyword("MediaSizeWidth"), size->first, std::nullopt});
    properties.push_back({Keyword("MediaSizeHeight"), size->second, std::nullopt});
}

void AddResolution(const gpd::Option& option, const gpd::Selections& selections,
                   std::vector<ScoredProperty>& properties) {
    const auto dpi = PairAttribute(option.attributes, "*DPI", selections);
    if (!dpi) return;
    properties.push_back({Keyword("ResolutionX"), dpi->first, std::nullopt});
    properties.push_back({Keyword("ResolutionY"), dpi->second, std::nullopt});
}

void AddPagesPerSheet(const gpd::Option& option, std::vector<ScoredProperty>& properties) {
    const std::string& name = option.name;
    if (name.empty() || name.size() > 9 || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return;
    const long long pages = std::stoll(name);
    if (pages > 0) properties.push_back({Keyword("PagesPerSheet"), pages, std::nullopt});
}

long long MaxCopies(const NamingContext& context, const gpd::Selections& selections) {
    const std::optional<std::string> raw = context.model.Root().Value("*MaxCopies", selections);
    const long long declared = std::max(1LL, raw ? gpd::IntegerValue(*raw).value_or(1) : 1);
    return context.model.IsXpsDriver() ? declared : std::max(declared, kGdiMinimumMaxCopies);
}

void AddCustomSizeParameters(const NamingContext& context, const gpd::Feature& paperSize, const gpd::Option& custom,
                             const gpd::Selections& selections, std::vector<Parameter>& parameters) {
    const auto minimum = PairAttribute(custom.attributes, "*MinSize", selections);
    const auto maximum = PairAttribute(custom.attributes, "*MaxSize", selections);
    const auto minMicrons = minimum ? MicronPair(context, *minimum, selections) : std::nullopt;
    const auto maxMicrons = maximum ? MicronPair(context, *maximum, selections) : std::nullopt;
    const std::pair<long long, long long> low = minMicrons.value_or(std::make_pair(1LL, 1LL));
    const std::pair<long long, long long> high = maxMicrons.value_or(std::make_pair(kUnboundedMicrons, kUnboundedMicrons));
    const std::string name = OptionDisplayName(paperSize, custom, selections);
    parameters.push_back({Keyword("PageMediaSizeMediaSizeWidth"), name + " Width", low.first, low.first,
                          std::max(low.first, high.first), "Conditional", "microns"});
    parameters.push_back({Keyword("PageMediaSizeMediaSizeHeight"), name + " Height", low.second, low.second,
                          std::max(low.second, high.second), "Conditional", "microns"});
}

}  // namespace

std::string FeatureDisplayName(const gpd::Feature& feature, const gpd::Selections& selections) {
    if (std::optional<std::string> text = DisplayText(feature.attributes, selections)) return *text;
    const StandardFeature* standard = FindStandardFeature(feature.name);
    if (standard != nullptr && feature.attributes.Has("*rcNameID")) return standard->displayName;
    return feature.name;
}

std::string OptionDisplayName(const gpd::Feature& feature, const gpd::Option& option,
                              const gpd::Selections& selections) {
    if (std::optional<std::string> text = DisplayText(option.attributes, selections)) return *text;
    const StandardOption* standard = FindStandardOption(feature.name, option.name);
    if (standard != nullptr && standard->displayName != nullptr && option.attributes.Has("*rcNameID"))
        return standard->displayName;
    return option.name;
}

bool IsConcealed(const gpd::Feature& feature, const gpd::Selections& selections) {
    const std::optional<std::string> raw = feature.attributes.Value("*ConcealFromUI?", selections);
    return raw && gpd::BooleanValue(*raw).value_or(false);
}

bool IsNUpFeature(const SchemaName& name) {
    return name.uri == kKeywordsNamespace &&
           std::any_of(std::begin(kNUpFeatures), std::end(kNUpFeatures), [&](const char* n) { return name.local == n; });
}



std::vector<ScoredProperty> ScoredProperties(const NamingContext& context, const gpd::Feature& feature,
                                             const SchemaName& featureName, const gpd::Option& option,
                                             const gpd::Selections& selections) {
    std::vector<ScoredProperty> properties;
    if (feature.name == "PaperSize") AddMediaSize(context, feature, option, selections, properties);
    if (feature.name == "Resolution") AddResolution(option, selections, properties);
    if (IsNUpFeature(featureName)) AddPagesPerSheet(option, properties);
    return properties;
}

std::vector<Parameter> Parameters(const NamingContext& context, const gpd::Selections& selections) {
    std::vector<Parameter> parameters;
    parameters.push_back({Keyword("JobCopiesAllDocuments"), "Copies", 1, 1, MaxCopies(context, selections),
                          "Unconditional", "copies"});
    const gpd::Feature* paperSize = context.model.FindFeature("PaperSize");
    const gpd::Option* custom = paperSize ? paperSize->FindOption("CUSTOMSIZE") : nullptr;
    if (custom != nullptr && IsCustomSize(context, *paperSize, *custom))
        AddCustomSizeParameters(context, *paperSize, *custom, selections, parameters);
    return parameters;
}

}  // namespace print_schema
