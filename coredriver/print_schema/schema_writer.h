// Writes Print Schema elements into a document through the DOM interfaces only, so that the same
// code runs over the stand-in here and over MSXML on Windows. Names are formed from
// (namespace, local) pairs with the prefixes the root element declares. Elements are appended
// in document order (each one's children before its next sibling), which lets the writer indent
// them with whitespace text, two blanks a level, so that the saved document reads as a file.
#pragma once

#include <print_schema/schema_mapping.h>

#include <platform/com_ptr.h>
#include <platform/platform.h>

#include <map>
#include <string>
#include <vector>

namespace print_schema {

struct NamespaceBinding {
    std::string prefix;
    std::string uri;
};

class SchemaWriter {
public:
    // Writes into `document`, which must be empty; `bindings` are declared on the root.
    SchemaWriter(IXMLDOMDocument2* document, std::vector<NamespaceBinding> bindings);

    // Makes the root element psf:`local` with version="1" and the declarations.
    HRESULT CreateRoot(const char* local, qp::ComPtr<IXMLDOMElement>& root);
    // Appends a new psf:`local` element to `parent`, which is the root or the last element
    // appended or one of its ancestors.
    HRESULT AppendElement(IXMLDOMNode* parent, const char* local, qp::ComPtr<IXMLDOMElement>& element);
    // Sets the unqualified attribute `name` on an element already in the document.
    HRESULT SetAttribute(IXMLDOMElement* element, const char* name, const std::string& value);
    // Sets `name` to the QName of `value`.
    HRESULT SetNameAttribute(IXMLDOMElement* element, const char* name, const SchemaName& value);
    // Appends <psf:Value xsi:type="`xsdType`">text</psf:Value>.
    HRESULT AppendValue(IXMLDOMNode* parent, const char* xsdType, const std::string& text);
    // Appends psf:`element` named `name` holding one value.
    HRESULT AppendNamedValue(IXMLDOMNode* parent, const char* element, const SchemaName& name, const char* xsdType,
                             const std::string& text);
    // Ends the indentation of the elements still open; call once the last element is appended.
    HRESULT Finish();
    // The QName the root's declarations give `name`; E_UNEXPECTED when its namespace is not declared.
    HRESULT QName(const SchemaName& name, std::string& qname) const;

private:
    struct OpenElement {
        qp::ComPtr<IXMLDOMElement> element;
        bool hasChildren = false;
    };

    HRESULT CloseUntil(IXMLDOMNode* parent);
    HRESULT AppendIndent(IXMLDOMNode* parent, size_t depth);
    HRESULT CachedName(const std::string& text, BSTR& name);
    HRESULT NewAttribute(const char* name, BSTR namespaceUri, const std::string& value,
                         qp::ComPtr<IXMLDOMNode>& attribute);

    IXMLDOMDocument2* document_;
    std::vector<NamespaceBinding> bindings_;
    std::map<std::string, qp::Bstr, std::less<>> names_;  // element and attribute names, made once
    std::vector<OpenElement> open_;                        // the root first, then the open descendants
    std::vector<qp::Bstr> indents_;                        // a line break and the blanks of each depth
};

// Text as a BSTR the DOM accepts: malformed UTF-8 and characters XML cannot hold become U+FFFD.
qp::Bstr ToBstr(const std::string& utf8);

}  // namespace print_schema
