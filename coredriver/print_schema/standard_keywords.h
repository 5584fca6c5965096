// The GPD's standard features and options and the public Print Schema keywords the core driver
// gives them, with the sizes of the standard paper sizes and the English display names it shows
// when the GPD names them only by a resource id. Held as data, one row per name.
#pragma once

#include <string_view>

namespace print_schema {

inline constexpr const char* kKeywordsV11Namespace =
    "http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11";

struct StandardFeature {
    const char* gpdName;
    const char* keyword;      // null: published in the private namespace
    bool featureMapHonoured;  // whether *PrintSchemaKeywordMap on the feature renames it
    bool optionMapsHonoured;  // whether *PrintSchemaKeywordMap on its options renames them
    bool printerSticky;       // PRINTER_PROPERTY unless the GPD says otherwise
    const char* displayName;  // shown when the GPD gives only *rcNameID
};

struct StandardOption {
    const char* gpdFeature;
    const char* gpdOption;
    const char* keyword;      // null: published in the private namespace
    const char* displayName;  // shown when the GPD gives only *rcNameID; null: the GPD name
};

// A standard paper size with a public keyword; width and height in microns, 0 for the custom size.
struct StandardMediaSize {
    const char* gpdOption;
    const char* keyword;
    long long width;
    long long height;
};

const StandardFeature* FindStandardFeature(std::string_view gpdFeature);
const StandardOption* FindStandardOption(std::string_view gpdFeature, std::string_view gpdOption);
const StandardMediaSize* FindStandardMediaSize(std::string_view gpdOption);
// The namespace of a public feature keyword: the 2013 keywords for the few that live there.
const char* FeatureKeywordNamespace(std::string_view keyword);

}  // namespace print_schema
