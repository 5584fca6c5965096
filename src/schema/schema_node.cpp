#include <schema/schema_node.h>

#include <schema/caller_buffer.h>
#include <schema/wrapper_support.h>

#include <utility>

namespace qp {

SchemaNode::SchemaNode(PrintSchemaContext* context, IXMLDOMElement* element) noexcept
    : context_(context), element_(element) {}

SchemaNode::~SchemaNode() = default;

void SchemaNode::Bind(PrintSchemaContext* context, ComPtr<IXMLDOMElement> element) noexcept {
    context_ = context;
    element_ = std::move(element);
}

bool SchemaNode::FormatQName(const WCHAR* ns, const WCHAR* local, WCHAR* buffer, ULONG* chars) {
    if (!wrapper_support::IsUsable(*this)) return false;
    Bstr qname;
    if (GetContext()->MakeQName(ns, local, qname.put()) != S_OK) return false;
    return CopyCountingTerminator(qname.get(), buffer, chars);
}

IXMLDOMElement* SchemaNode::GetElement() const { return element_.get(); }

PrintSchemaContext* SchemaNode::GetContext() const { return context_; }

}  // namespace qp
