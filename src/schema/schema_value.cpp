#include <schema/schema_value.h>

#include <schema/caller_buffer.h>

namespace qp {

SchemaValue::SchemaValue(IXMLDOMElement* element, PrintSchemaContext* context) noexcept
    : SchemaNode(context, element) {}

bool SchemaValue::GetText(WCHAR* buffer, ULONG* chars) {
    Bstr text;
    if (FAILED(GetElement()->get_text(text.put()))) return false;
    return CopyCountingTerminator(text.get(), buffer, chars);
}

}  // namespace qp
