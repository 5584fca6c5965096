// Writes a Print Schema document as XML text, indented two blanks a level, and loads it into a
// DOM document with loadXML: the one DOM call it needs, so that the same code runs over the
// stand-in here and over MSXML on Windows, and building costs little more than parsing.
// Names are formed from (namespace, local) pairs with the prefixes the root element declares.
#pragma once

#include <print_schema/schema_mapping.h>

#include <platform/com_ptr.h>
#include <platform/platform.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace print_schema {

struct NamespaceBinding {
    std::string prefix;
    std::string uri;
};

class SchemaTextWriter {
public:
    using Attribute = std::pair<const char*, std::string>;

    explicit SchemaTextWriter(std::vector<NamespaceBinding> bindings);

    // Opens the root element psf:`local` with the declarations and version="1".
    void OpenRoot(const char* local);
    // Opens psf:`local`, or writes it empty when `empty`.
    void Open(const char* local, std::initializer_list<Attribute> attributes, bool empty = false);
    void Close(const char* local);
    // Writes <psf:Value xsi:type="`xsdType`">text</psf:Value>.
    void Value(const char* xsdType, const std::string& text);
    // Writes psf:`element` named `name` holding one value.
    void NamedValue(const char* element, const SchemaName& name, const char* xsdType, const std::string& text);
    // The QName the root's declarations give `name`; empty when its namespace is not declared.
    std::string QName(const SchemaName& name);

    // Loads what was written into the empty `document`, keeping the indentation.
    HRESULT Load(IXMLDOMDocument2* document) const;

private:
    void Indent();

    std::vector<NamespaceBinding> bindings_;
    std::string text_;
    size_t depth_ = 0;
    bool qnameFailed_ = false;
};

// Text as a BSTR the DOM accepts: malformed UTF-8 and characters XML cannot hold become U+FFFD.
qp::Bstr ToBstr(const std::string& utf8);

}  // namespace print_schema
