// The four feature-container operations, written once for the document wrapper and the feature
// wrapper. They reach the context and the element only through the container's virtual
// GetContext and GetElement: on a document the root element, on a feature its own element.
#pragma once

#include <platform/platform.h>

namespace qp {

class SchemaNode;
class SchemaFeature;

namespace feature_container {

SchemaFeature* AddFeature(const SchemaNode& container, const WCHAR* ns, const WCHAR* local);
SchemaFeature* FindFeature(const SchemaNode& container, const WCHAR* ns, const WCHAR* local);
bool RemoveFeature(const SchemaNode& container, const WCHAR* ns, const WCHAR* local);
bool AppendFeature(const SchemaNode& container, const SchemaFeature* feature);

}  // namespace feature_container
}  // namespace qp
