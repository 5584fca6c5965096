// What the core driver puts into the documents for each GPD feature and option besides their
// names: display names, the concealed mark, scored properties, and the parameters. Plain data,
// resolved against the selections in force; document_builder.cpp writes it out.
#pragma once

#include <print_schema/schema_mapping.h>

#include <optional>
#include <string>
#include <vector>

namespace print_schema {

// A scored property: an integer value, or a reference to the parameter that gives it.
struct ScoredProperty {
    SchemaName name;
    long long value = 0;
    std::optional<SchemaName> parameter;
};

// A parameter the PrintCapabilities defines (ParameterDef) and the PrintTicket initializes.
struct Parameter {
    SchemaName name;
    std::string displayName;
    long long defaultValue = 0;
    long long minValue = 0;
    long long maxValue = 0;
    const char* mandatory = "Unconditional";  // a psk keyword
    const char* unitType = "";
    bool initialized = true;  // whether the PrintTicket carries its ParameterInit
};

enum class DocumentKind { Capabilities, Ticket };

struct OptionContent {
    std::optional<SchemaName> name;  // nullopt: an unnamed option, known by its scored properties
    std::string displayName;
    std::vector<ScoredProperty> scored;
};

struct FeatureContent {
    SchemaName name;
    std::string displayName;
    bool concealed = false;
    std::vector<OptionContent> options;
    size_t selected = 0;  // the option a PrintTicket selects
    std::vector<FeatureContent> subFeatures;
};

struct DocumentContent {
    std::vector<FeatureContent> features;
    std::vector<Parameter> parameters;
};

// What a document of `kind` holds for this GPD and these selections: one feature per GPD
// feature the document carries, in GPD order, then the core driver's own features in GDI mode,
// and the parameters.
DocumentContent CollectContent(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections);

// *Name, else the standard display name when only *rcNameID is given, else the GPD name.
std::string FeatureDisplayName(const gpd::Feature& feature, const gpd::Selections& selections);
std::string OptionDisplayName(const gpd::Feature& feature, const gpd::Option& option,
                              const gpd::Selections& selections);
// *ConcealFromUI?: TRUE.
bool IsConcealed(const gpd::Feature& feature, const gpd::Selections& selections);

// Whether `name` is one of the N-up features, whose options carry psk:PagesPerSheet.
bool IsNUpFeature(const SchemaName& name);

// The scored properties of `option` of `feature`, whose name in the documents is `featureName`:
// a paper size's width and height, a resolution's dots per inch, an N-up option's pages per sheet.
std::vector<ScoredProperty> ScoredProperties(const NamingContext& context, const gpd::Feature& feature,
                                             const SchemaName& featureName, const gpd::Option& option,
                                             const gpd::Selections& selections);

// The parameters of this GPD: the number of copies always, the custom paper size's width and
// height when PaperSize offers CUSTOMSIZE.
std::vector<Parameter> Parameters(const NamingContext& context, const gpd::Selections& selections);

}  // namespace print_schema
