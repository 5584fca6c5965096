// The Print Schema names the layer writes and looks for.
#pragma once

#include <platform/platform.h>

namespace qp::schema_names {

inline constexpr const WCHAR* kFeature = W("Feature");
inline constexpr const WCHAR* kOption = W("Option");
inline constexpr const WCHAR* kProperty = W("Property");
inline constexpr const WCHAR* kScoredProperty = W("ScoredProperty");
inline constexpr const WCHAR* kValue = W("Value");

// Attributes in the psf namespace, created without a prefix and found by this bare name.
inline constexpr const WCHAR* kNameAttribute = W("name");
inline constexpr const WCHAR* kConstrainedAttribute = W("constrained");
// In the xsi namespace, written with the document's prefix.
inline constexpr const WCHAR* kTypeAttribute = W("type");

// The scored property that names an option lacking a "name" attribute.
inline constexpr const WCHAR* kOptionName = W("OptionName");

// Value types, in the xsd namespace.
inline constexpr const WCHAR* kStringType = W("string");
inline constexpr const WCHAR* kQNameType = W("QName");
inline constexpr const WCHAR* kIntegerType = W("integer");

}  // namespace qp::schema_names
