// PrintSchemaContext: the element shapes the builders write, and the finders' walks.
#include "schema_fixture.h"

#include <common/constants.h>

using qp::Bstr;
using qp::ComPtr;

namespace schematest {
namespace {

using qp::kPrivateNamespace;
using qp::kPskNamespace;
using qp::kXsdNamespace;

using PrintSchemaContextTest = SchemaTest;

TEST_F(PrintSchemaContextTest, BuildersWriteTheDocumentsOwnQNames) {
    Load(Ticket(R"(<f:Feature name="k:JobOutputBin"/>)"));
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> option;
    ComPtr<IXMLDOMElement> property;
    EXPECT_EQ(Context().CreateFeature(nullptr, kPskNamespace, u"JobHolePunch", feature.put()), S_OK);
    EXPECT_EQ(Context().CreateOption(feature.get(), nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Context().CreateOption(feature.get(), kPrivateNamespace, u"Center", kPskNamespace, u"Never",
                                     option.put()),
              S_OK);
    EXPECT_EQ(Context().CreateScoredProperty(option.get(), kPskNamespace, u"HoleCount", property.put()), S_OK);
    EXPECT_EQ(Context().CreateIntegerValue(property.get(), kXsdNamespace, u"integer", 0, nullptr), S_OK);
    EXPECT_EQ(Context().CreateIntegerValue(property.get(), kXsdNamespace, u"integer", -2147483647 - 1, nullptr), S_OK);
    EXPECT_EQ(Context().CreateValue(property.get(), kXsdNamespace, nullptr, u"untyped", nullptr), S_OK);
    EXPECT_EQ(Context().CreateValue(property.get(), nullptr, u"string", u"untyped too", nullptr), S_OK);
    EXPECT_EQ(Context().CreateProperty(nullptr, nullptr, u"Bare", nullptr), S_OK);

    auto out = Output();
    EXPECT_EQ(out->Count("/psf:PrintTicket/*"), 3);
    EXPECT_EQ(out->Text("/psf:PrintTicket/psf:Feature[2]/@name"), "k:JobHolePunch");
    EXPECT_EQ(out->Text("/psf:PrintTicket/*[3][self::psf:Property]/@name"), "Bare");
    EXPECT_EQ(out->Count("//psf:Feature[2]/psf:Option[1]/@*"), 0);
    EXPECT_EQ(out->Text("//psf:Option[2]/@name"), "q:Center");
    EXPECT_EQ(out->Text("//psf:Option[2]/@constrained"), "k:Never");
    const std::string values = "//psf:Option[2]/psf:ScoredProperty[@name='k:HoleCount']/psf:Value";
    EXPECT_EQ(out->Texts(values), (std::vector<std::string>{"0", "-2147483648", "untyped", "untyped too"}));
    EXPECT_EQ(out->Texts(values + "/@xsi:type"), (std::vector<std::string>{"t:integer", "t:integer"}));
    EXPECT_EQ(out->Count("//@*[local-name()='type' and namespace-uri()!='" +
                         qptest::Utf8(qp::kXsiNamespace) + "']"),
              0);
}

TEST_F(PrintSchemaContextTest, BuildersInADefaultPsfNamespace) {
    Load(Ticket("", " xmlns=\"" + qptest::Utf8(qp::kPsfNamespace) + "\" xmlns:k=\"" + qptest::Utf8(kPskNamespace) +
                        "\" xmlns:s=\"" + qptest::Utf8(qp::kXsiNamespace) + "\""));
    ComPtr<IXMLDOMElement> feature;
    EXPECT_EQ(Context().CreateFeature(nullptr, kPskNamespace, u"JobOutputBin", feature.put()), S_OK);
    EXPECT_EQ(Context().CreateValue(feature.get(), kXsdNamespace, u"string", u"x", nullptr), E_FAIL)
        << "xsd is not bound: the value stays, incomplete";
    auto out = Output();
    EXPECT_EQ(out->Count("/psf:PrintTicket/psf:Feature[@name='k:JobOutputBin']/psf:Value[not(@*)][.='']"), 1);
    ComPtr<IXMLDOMElement> found;
    EXPECT_EQ(Context().FindFeature(nullptr, kPskNamespace, u"JobOutputBin", found.put()), S_OK);
}

const std::string kOptionNames = R"(<f:Feature name="k:JobOutputBin">
    <f:Option><f:ScoredProperty name="f:OptionName"><f:Value>q:ByValue</f:Value></f:ScoredProperty></f:Option>
    <f:Option name="q:ByAttribute"/>
    <f:Option><f:ScoredProperty name="f:OptionName"><f:Value>q:Unreached</f:Value></f:ScoredProperty></f:Option>
  </f:Feature>)";

TEST_F(PrintSchemaContextTest, FindOptionFallsBackToOptionNameInOrder) {
    Load(Ticket(kOptionNames));
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> option;
    ASSERT_EQ(Context().FindFeature(nullptr, kPskNamespace, u"JobOutputBin", feature.put()), S_OK);

    EXPECT_EQ(Context().FindOption(feature.get(), kPrivateNamespace, u"ByValue", option.put()), S_OK);
    EXPECT_EQ(option.get(), Nth(u"f:Option", 0).get());
    // The first walk ends at the unnamed option; the second ends at the option without OptionName.
    EXPECT_EQ(Context().FindOption(feature.get(), kPrivateNamespace, u"ByAttribute", option.put()), S_FALSE);
    EXPECT_EQ(Context().FindOption(feature.get(), kPrivateNamespace, u"Unreached", option.put()), S_FALSE);
    EXPECT_EQ(option.get(), nullptr);
    EXPECT_EQ(Context().FindOption(nullptr, kPrivateNamespace, u"ByValue", option.put()), E_INVALIDARG);
    EXPECT_EQ(Context().FindScoredProperty(nullptr, qp::kPsfNamespace, u"OptionName", option.put()), E_INVALIDARG);
}

TEST_F(PrintSchemaContextTest, FindersSearchAllDescendantsFromTheRoot) {
    Load(Ticket(R"(<Feature xmlns="urn:other" name="Decoy"/>
      <f:Feature name="k:JobNUpAllDocumentsContiguously">
        <f:Feature name="k:PresentationDirection"><f:Option name="k:RightBottom"/></f:Feature>
        <f:Option name="k:OneUp"/>
        <f:Property name="JobPresentationDirection"/>
      </f:Feature>)",
                kPrivateDefault));
    ComPtr<IXMLDOMElement> nup;
    ComPtr<IXMLDOMElement> found;
    ASSERT_EQ(Context().FindFeature(nullptr, kPskNamespace, u"JobNUpAllDocumentsContiguously", nup.put()), S_OK);
    EXPECT_EQ(Context().FindFeature(nullptr, kPskNamespace, u"PresentationDirection", found.put()), S_OK);
    EXPECT_EQ(Context().FindProperty(nullptr, kPrivateNamespace, u"JobPresentationDirection", found.put()), S_OK);
    EXPECT_EQ(Context().FindFeature(nullptr, kPrivateNamespace, u"Decoy", found.put()), S_FALSE);

    ASSERT_EQ(Context().GetFirstOption(nup.get(), found.put()), S_OK);
    ComPtr<IXMLDOMAttribute> name;
    Bstr text;
    ASSERT_EQ(Context().GetAttribute(found.get(), u"name", name.put()), S_OK);
    ASSERT_EQ(name->get_text(text.put()), S_OK);
    EXPECT_EQ(Text(text.get()), u"k:RightBottom") << "the sub-feature's option comes first";
    EXPECT_EQ(Context().GetFirstValue(nup.get(), found.put()), S_FALSE);
    EXPECT_EQ(Context().FindFeature(nullptr, u"urn:unbound", u"X", found.put()), E_FAIL);
}

}  // namespace
}  // namespace schematest
