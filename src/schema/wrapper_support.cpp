#include <schema/wrapper_support.h>

namespace qp::wrapper_support {

bool RemoveFound(PrintSchemaContext& context, IXMLDOMElement* parent, HRESULT findHr,
                 ComPtr<IXMLDOMElement>& found) {
    if (findHr != S_OK || !found) return false;
    if (context.RemoveChild(parent, found.get()) != S_OK) return false;
    (void)found.detach();
    return true;
}

}  // namespace qp::wrapper_support
