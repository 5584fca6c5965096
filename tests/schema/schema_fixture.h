// Fixture of the Print Schema layer tests: a real Print Schema document loaded into the MSXML
// stand-in, wrapped in a SchemaDocument over a CoreHelperStub, and read back independently.
#pragma once

#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <session/core_helper_stub.h>
#include <schema/print_schema_context.h>
#include <schema/schema_document.h>

#include <memory>
#include <string>

namespace schematest {

// Root declarations that bind every namespace under a prefix other than the usual one.
extern const std::string kOddPrefixes;
// The same, with the private namespace as the default namespace.
extern const std::string kPrivateDefault;

// A psf:PrintTicket (written with the prefix `f`, or none when psf is the default namespace)
// whose root carries `declarations` and holds `body`.
std::string Ticket(const std::string& body, const std::string& declarations = kOddPrefixes);

// The text of a BSTR up to its first NUL; "(null)" for a null one.
std::u16string Text(BSTR s);

class SchemaTest : public LedgerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads `xml` and wraps it; the wrapper must be bound.
    void Load(const std::string& xml);

    qp::SchemaDocument& Document() const { return *wrapper_; }
    qp::PrintSchemaContext& Context() const { return *wrapper_->GetContext(); }
    IXMLDOMElement* Root() const { return wrapper_->GetElement(); }
    // The index-th descendant of the root element named `qname` as written, straight from the DOM.
    qp::ComPtr<IXMLDOMElement> Nth(const char16_t* qname, LONG index = 0) const;
    // The document serialized and parsed again.
    std::unique_ptr<qptest::XmlDoc> Output() const;

    qp::ComPtr<CoreHelperStub> helper_;
    qp::ComPtr<IXMLDOMDocument2> doc_;
    std::unique_ptr<qp::SchemaDocument> wrapper_;
};

}  // namespace schematest
