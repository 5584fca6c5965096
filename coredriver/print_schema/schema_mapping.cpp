#include <print_schema/schema_mapping.h>

#include <gpd/gpd_values.h>
#include <print_schema/standard_keywords.h>

#include <algorithm>
#include <iterator>

namespace print_schema {
namespace {

constexpr const char* kKeywordMap = "*PrintSchemaKeywordMap";
constexpr const char* kNamespaceAttribute = "*PrintSchemaPrivateNamespaceURI";
constexpr const char* kNoPunctuationSubstitute = "*NoPunctuationCharSubstitute?";
constexpr const char* kFeatureType = "*FeatureType";
constexpr const char* kPrinterProperty = "PRINTER_PROPERTY";
// The namespace the core driver makes itself when neither the GPD nor the plug-in names one.
constexpr const char* kCoreNamespaceBase = "http://schemas.microsoft.com/windows/printing/oemdriverpt/";
// Features whose selection the printer keeps rather than the job, besides PRINTER_PROPERTY ones.
constexpr const char* kPrinterScopedFeatures[] = {"Locale"};

// The prefix a private feature's name gains from the section of its first option's CmdSelect.
struct SectionPrefix {
    const char* section;
    const char* prefix;
};
constexpr SectionPrefix kSectionPrefixes[] = {
    {"JOB_SETUP", "Job"},       {"JOB_FINISH", "Job"},       {"DOC_SETUP", "Document"},
    {"DOC_FINISH", "Document"}, {"PAGE_SETUP", "Page"},      {"PAGE_FINISH", "Page"},
};

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// A keyword map's value when it is a usable local name; a value that is not (blanks, a prefix)
// would make an unreadable QName, so the map is then ignored.
std::optional<std::string> KeywordMap(const gpd::Attributes& attributes) {
    const std::optional<std::string> raw = attributes.Value(kKeywordMap);
    if (!raw) return std::nullopt;
    std::optional<std::string> keyword = gpd::TextValue(*raw);
    if (!keyword || keyword->empty() || !IsNameStart(keyword->front())) return std::nullopt;
    if (!std::all_of(keyword->begin(), keyword->end(), IsNameChar)) return std::nullopt;
    return keyword;
}

bool KeepsPunctuation(const gpd::GpdModel& model) {
    const std::optional<std::string> value = model.Root().Value(kNoPunctuationSubstitute);
    return value && gpd::BooleanValue(*value).value_or(false);
}

// Every character outside A-Z a-z 0-9 _ becomes one `_` (a UTF-8 sequence counts as one);
// `.` and `-` stay when the GPD keeps punctuation.
std::string Substitute(const std::string& name, bool keepPunctuation) {
    std::string local;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) continue;
        const bool kept = IsNameChar(c) || (keepPunctuation && (c == '.' || c == '-'));
        local += kept ? c : '_';
    }
    return local;
}

std::string PrivateLocalName(const std::string& name, bool keepPunctuation) {
    std::string local = Substitute(name, keepPunctuation);
    const bool needsMark = !local.empty() && ((local.front() >= '0' && local.front() <= '9') || local.front() == '_');
    if (needsMark && !keepPunctuation) local.insert(0, "_");
    return local;
}

std::optional<std::string> FirstOrderSection(const gpd::Feature& feature) {
    if (feature.options.empty()) return std::nullopt;
    const gpd::Command* select = feature.options.front().FindCommand("CmdSelect");
    if (select == nullptr) return std::nullopt;
    const std::vector<gpd::Assignment>& orders = select->attributes.All("*Order");
    if (orders.empty()) return std::nullopt;
    const std::optional<gpd::OrderValue> order = gpd::ParseOrder(orders.back().value);
    if (!order) return std::nullopt;
    return order->section;
}

std::string SectionPrefixFor(const gpd::Feature& feature) {
    const std::optional<std::string> section = FirstOrderSection(feature);
    if (!section) return {};
    const auto row = std::find_if(std::begin(kSectionPrefixes), std::end(kSectionPrefixes),
                                  [&](const SectionPrefix& p) { return *section == p.section; });
    if (row == std::end(kSectionPrefixes) || feature.name.starts_with(row->prefix)) return {};
    return row->prefix;
}

SchemaName PrivateName(const NamingContext& context, std::string local) {
    return SchemaName{context.privateNamespace, std::move(local)};
}

SchemaName OptionKeyword(const std::string& keyword) { return SchemaName{kKeywordsNamespace, keyword}; }

bool IsUriChar(char c) {
    static constexpr std::string_view kAllowed = "-._~!$&'()*+,;=:@/";
    return IsNameChar(c) || kAllowed.find(c) != std::string_view::npos;
}

std::string CoreNamespace(const gpd::GpdModel& model) {
    const std::optional<std::string> raw = model.Root().Value("*ModelName");
    const std::string name = raw ? gpd::TextValue(*raw).value_or(std::string()) : std::string();
    std::string uri = kCoreNamespaceBase;
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ' ') uri += '_';
        else if (IsUriChar(c)) uri += c;
        else uri += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
    }
    return uri;
}

// InputBin's generated FORMSOURCE is AutoSelect unless another option of the feature claims
// AutoSelect through the map; it then stays private.
bool AutoSelectTakenByMap(const gpd::Feature& feature, const gpd::Option& option) {
    return std::any_of(feature.options.begin(), feature.options.end(), [&](const gpd::Option& other) {
        return &other != &option && KeywordMap(other.attributes) == std::optional<std::string>("AutoSelect");
    });
}

std::optional<SchemaName> StandardOptionName(const gpd::Feature& feature, const gpd::Option& option) {
    if (feature.name == "PaperSize") {
        const StandardMediaSize* size = FindStandardMediaSize(option.name);
        if (size == nullptr) return std::nullopt;
        return OptionKeyword(size->keyword);
    }
    const StandardOption* row = FindStandardOption(feature.name, option.name);
    if (row == nullptr || row->keyword == nullptr) return std::nullopt;
    if (feature.name == "InputBin" && option.name == "FORMSOURCE" && AutoSelectTakenByMap(feature, option))
        return std::nullopt;
    return OptionKeyword(row->keyword);
}

}  // namespace

std::string PrivateNamespace(const gpd::GpdModel& model, const std::string& pluginNamespace) {
    if (const std::optional<std::string> raw = model.Root().Value(kNamespaceAttribute)) {
        std::optional<std::string> uri = gpd::TextValue(*raw);
        if (uri && !uri->empty()) return *uri;
    }
    if (!pluginNamespace.empty()) return pluginNamespace;
    return CoreNamespace(model);
}

bool IsPublished(const NamingContext&, const gpd::Feature& feature) { return !feature.options.empty(); }

bool IsInTicket(const NamingContext&, const gpd::Feature& feature) {
    const std::optional<std::string> type = feature.attributes.Value(kFeatureType);
    if (type) {
        if (*type == kPrinterProperty) return false;
    } else if (const StandardFeature* standard = FindStandardFeature(feature.name); standard && standard->printerSticky) {
        return false;
    }
    return std::find(std::begin(kPrinterScopedFeatures), std::end(kPrinterScopedFeatures), feature.name) ==
           std::end(kPrinterScopedFeatures);
}

SchemaName FeatureSchemaName(const NamingContext& context, const gpd::Feature& feature) {
    const StandardFeature* standard = FindStandardFeature(feature.name);
    if (standard != nullptr && standard->keyword != nullptr)
        return SchemaName{FeatureKeywordNamespace(standard->keyword), standard->keyword};
    if (standard == nullptr || standard->featureMapHonoured) {
        if (std::optional<std::string> keyword = KeywordMap(feature.attributes))
            return SchemaName{FeatureKeywordNamespace(*keyword), *keyword};
    }
    std::string local = SectionPrefixFor(feature) + Substitute(feature.name, KeepsPunctuation(context.model));
    // A feature name should start with a letter; one that does not is marked as options are,
    // so that it still makes a QName.
    if (!local.empty() && local.front() >= '0' && local.front() <= '9') local.insert(0, "_");
    return PrivateName(context, std::move(local));
}

SchemaName OptionSchemaName(const NamingContext& context, const gpd::Feature& feature, const gpd::Option& option) {
    const StandardFeature* standard = FindStandardFeature(feature.name);
    if (standard == nullptr || standard->optionMapsHonoured) {
        if (std::optional<std::string> keyword = KeywordMap(option.attributes)) return OptionKeyword(*keyword);
    }
    if (standard != nullptr) {
        if (std::optional<SchemaName> name = StandardOptionName(feature, option)) return *name;
    }
    return PrivateName(context, PrivateLocalName(option.name, KeepsPunctuation(context.model)));
}

}  // namespace print_schema
