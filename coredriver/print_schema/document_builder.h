// The PrintCapabilities and PrintTicket documents the core driver builds from a GPD before it
// hands them to the plug-in, loaded into an empty DOM document through the DOM interfaces.
#pragma once

#include <print_schema/document_content.h>
#include <print_schema/schema_mapping.h>

#include <platform/platform.h>

namespace print_schema {

// The prefix the private namespace takes on the root.
inline constexpr const char* kPrivatePrefix = "ns0000";

// Fills the empty `document` with the document of `kind` for the GPD of `context` under
// `selections` (every feature's option, as GpdModel::Select gives them). A failure is the DOM's.
HRESULT BuildDocument(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections,
                      IXMLDOMDocument2* document);

}  // namespace print_schema
