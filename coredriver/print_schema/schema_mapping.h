// How the core driver names a GPD's features and options in the Print Schema: standard features
// and options under their public keywords, *PrintSchemaKeywordMap honoured, everything else in
// the private namespace with its local name formed from the GPD name. One table serves both
// ways: the documents built from a GPD, and a PrintTicket read back into GPD selections.
#pragma once

#include <gpd/gpd_model.h>

#include <optional>
#include <string>

namespace print_schema {

inline constexpr const char* kFrameworkNamespace =
    "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr const char* kKeywordsNamespace =
    "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";

// A Print Schema name as a (namespace URI, local name) pair, UTF-8.
struct SchemaName {
    std::string uri;
    std::string local;
    bool operator==(const SchemaName&) const = default;
};

// What naming depends on besides the GPD: the private namespace in force (the GPD's
// *PrintSchemaPrivateNamespaceURI, else the plug-in's default namespace, else the core
// driver's own).
struct NamingContext {
    const gpd::GpdModel& model;
    std::string privateNamespace;
};

// The private namespace the core driver uses for `model`: its *PrintSchemaPrivateNamespaceURI,
// else `pluginNamespace` (what QueryDeviceDefaultNamespace returned; empty when it returned
// E_NOTIMPL), else one the core driver makes from *ModelName.
std::string PrivateNamespace(const gpd::GpdModel& model, const std::string& pluginNamespace);

// Whether the core driver publishes `feature` in the documents of this GPD's mode.
bool IsPublished(const NamingContext& context, const gpd::Feature& feature);
// Whether a PrintTicket carries `feature`: settings the printer keeps (PRINTER_PROPERTY features,
// the Locale) appear in the PrintCapabilities only.
bool IsInTicket(const NamingContext& context, const gpd::Feature& feature);
// The name of `feature` in the documents.
SchemaName FeatureSchemaName(const NamingContext& context, const gpd::Feature& feature);
// The name of `option` of `feature` in the documents.
SchemaName OptionSchemaName(const NamingContext& context, const gpd::Feature& feature, const gpd::Option& option);

}  // namespace print_schema
