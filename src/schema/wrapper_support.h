// Steps every wrapper operation shares: making the wrapper of an element a context operation
// returned, and removing a found element from the wrapper's own element.
#pragma once

#include <platform/com_ptr.h>
#include <schema/print_schema_context.h>
#include <schema/schema_node.h>
#include <schema/schema_value.h>

#include <new>
#include <type_traits>

namespace qp::wrapper_support {

// False for a document wrapper that could not be bound: it has no context or no root element.
inline bool IsUsable(const SchemaNode& node) { return node.GetContext() != nullptr && node.GetElement() != nullptr; }

// A new wrapper over `element` when the context operation returned S_OK; null otherwise or when
// it cannot be allocated. The wrapper takes its own reference; `element` keeps the caller's.
template <class Wrapper>
Wrapper* Wrap(HRESULT hr, PrintSchemaContext* context, const ComPtr<IXMLDOMElement>& element) {
    if (hr != S_OK || !element) return nullptr;
    if constexpr (std::is_same_v<Wrapper, SchemaValue>) {
        return new (std::nothrow) SchemaValue(element.get(), context);
    } else {
        return new (std::nothrow) Wrapper(context, element.get());
    }
}

// Removes `found` from `parent` when the finder returned S_OK; true when the DOM accepted it,
// which it does only for a direct child. On success the removal consumed `found`'s reference.
bool RemoveFound(PrintSchemaContext& context, IXMLDOMElement* parent, HRESULT findHr,
                 ComPtr<IXMLDOMElement>& found);

}  // namespace qp::wrapper_support
