// Fixtures for the translation passes and conversions: a Print Ticket provider with a published
// core helper stub, documents built from Print Schema fragments, and the edited document
// re-parsed independently for XPath assertions (prefixes psf, psk, xsi, xsd and pv, the
// driver's namespace).
#pragma once

#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <session/core_helper_stub.h>
#include <schema/schema_document.h>
#include <server/print_ticket_provider.h>

#include <string>

namespace translationtest {

inline constexpr const char* kPsfUri = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr const char* kPskUri = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";

// The namespace declarations a core driver puts on the root, the driver's namespace under
// `privatePrefix`; a declaration whose prefix is listed in `omit` (space-separated) is left out.
std::string RootDeclarations(const std::string& privatePrefix = "ns0000", const std::string& omit = "");

// A PrintTicket (or, with `root`, another Print Schema root) holding `body`.
std::string Document(const std::string& body, const std::string& declarations = RootDeclarations(),
                     const std::string& root = "psf:PrintTicket");

// A psf:Feature named `name` holding `children`; a psf:Option named `name`, likewise.
std::string Feature(const std::string& name, const std::string& children = "");
std::string Option(const std::string& name, const std::string& children = "");
// A psf:ScoredProperty named `name` with one psf:Value of type `type` holding `text`.
std::string ScoredProperty(const std::string& name, const std::string& text, const std::string& type = "xsd:QName");

class TranslationTest : public LedgerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads `xml` into a stand-in document; the test fails when it does not load.
    static qp::ComPtr<IXMLDOMDocument2> Load(const std::string& xml);
    // Wraps `document` as a conversion does and runs one pass on it.
    bool RunPass(bool (qp::PrintTicketProvider::*pass)(qp::SchemaDocument&), IXMLDOMDocument2* document);
    // Runs one pass on `xml`, expecting `result` and the document exactly as it was.
    void ExpectUnchanged(bool (qp::PrintTicketProvider::*pass)(qp::SchemaDocument&), const std::string& xml,
                         bool result = false);
    // The document serialized, for before/after comparisons.
    static std::string Text(IXMLDOMDocument2* document);

    qp::ComPtr<CoreHelperStub> helper_;
    // Made by the test and published the helper, as the core driver sets it up.
    qp::PrintTicketProvider* provider_ = nullptr;
};

}  // namespace translationtest
