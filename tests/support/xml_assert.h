// Independent checks of edited documents: the serialized output is parsed again with libxml2
// and queried with XPath, with the Print Schema namespaces registered under fixed prefixes
// (psf, psk, xsi, xsd, and pv for the driver's private namespace), whatever prefixes the
// document itself uses.
#pragma once

#include <platform/com_ptr.h>

#include <memory>
#include <string>
#include <vector>

namespace qptest {

inline constexpr const char* kPrivateNamespaceUtf8 = "http://schemas.qpqp.example/qv/2021/04/printing/printticket";

class XmlDoc {
public:
    // How the bytes are read: always as UTF-8, or as their byte-order mark and declaration say.
    enum class Encoding { Utf8, AsDeclared };

    // Parses XML; valid() is false (and error() says why) when it is not well-formed.
    explicit XmlDoc(const std::string& bytes, Encoding encoding = Encoding::Utf8);
    ~XmlDoc();
    XmlDoc(const XmlDoc&) = delete;
    XmlDoc& operator=(const XmlDoc&) = delete;

    bool valid() const { return doc_ != nullptr; }
    const std::string& error() const { return error_; }

    // Number of nodes the expression selects (0 for a non-node-set result).
    int Count(const std::string& xpath) const;
    // The XPath string() of the expression.
    std::string Text(const std::string& xpath) const;
    // string() of each selected node, in document order.
    std::vector<std::string> Texts(const std::string& xpath) const;
    // The encoding the XML declaration names: "" when it names none, "(none)" without one.
    std::string DeclaredEncoding() const;

private:
    void* doc_ = nullptr;
    std::string error_;
};

// Serializes a stand-in node (get_xml) to UTF-8; empty when that fails.
std::string SerializeUtf8(IXMLDOMNode* node);

// Makes a stand-in document from UTF-8 text; null (with a test failure) when it does not load.
qp::ComPtr<IXMLDOMDocument2> LoadDocument(const std::string& utf8);

// UTF-8 to UTF-16 and back, for building expectations.
std::u16string Utf16(const std::string& utf8);
// UTF-8 text as UTF-16LE bytes after a byte-order mark, as a UTF-16 file holds it.
std::string Utf16LeWithBom(const std::string& utf8);
std::string Utf8(const WCHAR* text);

}  // namespace qptest
