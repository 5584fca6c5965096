// SchemaNode: the base of every Print Schema wrapper. It pairs a borrowed PrintSchemaContext,
// through which it does all DOM work, with one owned reference to the wrapped element.
#pragma once

#include <platform/com_ptr.h>
#include <platform/platform.h>

namespace qp {

class PrintSchemaContext;

class SchemaNode {
public:
    // Borrows `context` and takes a reference of its own to `element`.
    SchemaNode(PrintSchemaContext* context, IXMLDOMElement* element) noexcept;
    SchemaNode(const SchemaNode&) = delete;
    SchemaNode& operator=(const SchemaNode&) = delete;

    // Releases the element reference; never touches the context.
    virtual ~SchemaNode();

    // Copies the document's QName of (ns, local) and its terminator into `buffer`. `chars` is the
    // capacity in characters, terminator included: when it is too small the result is false, the
    // buffer untouched and *chars the number needed; on success *chars keeps its value. A
    // capacity above 2147483647, a null `chars` or a null buffer is refused (false, nothing written).
    virtual bool FormatQName(const WCHAR* ns, const WCHAR* local, WCHAR* buffer, ULONG* chars);

    // The wrapped element, borrowed: no reference is added.
    virtual IXMLDOMElement* GetElement() const;

    // The context, borrowed.
    virtual PrintSchemaContext* GetContext() const;

protected:
    // For the document wrapper, which makes its context and root element after construction.
    SchemaNode() noexcept = default;
    void Bind(PrintSchemaContext* context, ComPtr<IXMLDOMElement> element) noexcept;

private:
    PrintSchemaContext* context_ = nullptr;
    ComPtr<IXMLDOMElement> element_;
};

}  // namespace qp
