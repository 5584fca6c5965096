// The wrappers: independence, moves and removals, renaming, the caller-buffer contract, and
// allocation failure at every point of a builder and a finder.
#include "schema_fixture.h"

#include <common/constants.h>
#include <schema/schema_feature.h>
#include <schema/schema_option.h>
#include <schema/schema_property.h>
#include <schema/schema_value.h>

#include <algorithm>
#include <iterator>

using qp::ComPtr;

namespace schematest {
namespace {

using qp::kPrivateNamespace;
using qp::kPskNamespace;
using qp::kPsfNamespace;
using qp::SchemaFeature;
using qp::SchemaOption;
using qp::SchemaProperty;
using qp::SchemaValue;
template <class T>
using Owned = std::unique_ptr<T>;

const std::string kDocument = R"(<f:Feature name="q:JobPresentationDirection"><f:Option name="q:LeftToRight"/></f:Feature>
  <f:Feature name="k:JobNUpAllDocumentsContiguously">
    <f:Feature name="k:Inner"><f:Option name="k:InnerOption"/></f:Feature>
    <f:Option name="k:OneUp"><f:ScoredProperty name="f:OptionName"><f:Value>k:Kept</f:Value></f:ScoredProperty></f:Option>
  </f:Feature>
  <f:Feature><f:Option><f:ScoredProperty name="f:OptionName"><f:Value>q:Named</f:Value></f:ScoredProperty></f:Option>
    <f:Option/></f:Feature>)";

using WrapperTest = SchemaTest;

TEST_F(WrapperTest, WrappersAreIndependentAndOutliveTheirElementsPlace) {
    Load(Ticket(kDocument));
    Owned<SchemaFeature> first(Document().FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
    Owned<SchemaFeature> second(Document().FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->GetElement(), second->GetElement());
    EXPECT_EQ(first->GetContext(), Document().GetContext());
    first.reset();
    EXPECT_FALSE(Document().RemoveFeature(kPskNamespace, u"Inner")) << "not a child of the root";
    EXPECT_TRUE(Document().RemoveFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
    EXPECT_EQ(Document().FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"), nullptr);
    // The detached feature still works through its own wrapper.
    Owned<SchemaOption> option(second->FindOption(kPskNamespace, u"OneUp"));
    ASSERT_TRUE(option);
    EXPECT_TRUE(second->SetName(kPskNamespace, u"Detached"));
    EXPECT_TRUE(Document().AppendFeature(second.get()));
    EXPECT_EQ(Output()->Count("/psf:PrintTicket/psf:Feature[last()][@name='k:Detached']/psf:Option"), 1);
    EXPECT_EQ(Document().FindFeature(nullptr, u"X"), nullptr);
    EXPECT_EQ(Document().AddFeature(kPskNamespace, nullptr), nullptr);
    EXPECT_FALSE(Document().RemoveFeature(nullptr, u"Inner"));
}

TEST_F(WrapperTest, AppendFeatureMovesAndSetNameRenamesOnlyTheName) {
    Load(Ticket(kDocument));
    Owned<SchemaFeature> inner(Document().FindFeature(kPskNamespace, u"Inner"));
    Owned<SchemaFeature> direction(Document().FindFeature(kPrivateNamespace, u"JobPresentationDirection"));
    ASSERT_TRUE(inner && direction);
    EXPECT_TRUE(Document().AppendFeature(inner.get()));
    EXPECT_FALSE(Document().AppendFeature(nullptr));
    EXPECT_FALSE(inner->AppendFeature(inner.get())) << "a feature cannot hold itself";
    EXPECT_TRUE(direction->SetName(kPskNamespace, u"PresentationDirection"));
    EXPECT_FALSE(direction->SetName(nullptr, u"PresentationDirection"));
    EXPECT_FALSE(direction->SetName(u"urn:unbound", u"PresentationDirection"));
    ComPtr<IXMLDOMElement> unnamedElement = Nth(u"f:Feature", 2);  // Inner has moved behind it
    EXPECT_FALSE(SchemaFeature(&Context(), unnamedElement.get()).SetName(kPskNamespace, u"Never"))
        << "a feature without a name is not given one";
    auto out = Output();
    EXPECT_EQ(out->Count("/psf:PrintTicket/psf:Feature[last()][@name='k:Inner']/psf:Option[@name='k:InnerOption']"), 1);
    EXPECT_EQ(out->Count("//psf:Feature[@name='k:JobNUpAllDocumentsContiguously']/psf:Feature"), 0);
    EXPECT_EQ(out->Count("/psf:PrintTicket/psf:Feature[1][@name='k:PresentationDirection']/psf:Option[@name='q:LeftToRight']"), 1);
    EXPECT_EQ(out->Count("/psf:PrintTicket/psf:Feature[not(@name)]"), 1);

    Owned<SchemaFeature> nup(Document().FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
    ASSERT_TRUE(nup);
    EXPECT_FALSE(nup->RemoveOption(kPskNamespace, u"Gone")) << "no such option";
    EXPECT_TRUE(nup->RemoveFirstOption());
    EXPECT_FALSE(nup->RemoveFirstOption());
}

TEST_F(WrapperTest, RemoveOptionOfASubFeatureIsRefused) {
    Load(Ticket(kDocument));
    Owned<SchemaFeature> nup(Document().FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
    ASSERT_TRUE(nup);
    Owned<SchemaOption> first(nup->GetFirstOption());
    ASSERT_TRUE(first);
    WCHAR name[32];
    ULONG chars = 32;
    EXPECT_TRUE(first->GetName(name, &chars));
    EXPECT_EQ(std::u16string(name), u"k:InnerOption");
    EXPECT_FALSE(nup->RemoveOption(kPskNamespace, u"InnerOption"));
    EXPECT_FALSE(nup->RemoveFirstOption());
    EXPECT_EQ(Output()->Count("//psf:Option[@name='k:InnerOption']"), 1);
}

TEST_F(WrapperTest, OptionSetNameInEveryCase) {
    Load(Ticket(kDocument));
    Owned<SchemaFeature> nup(Document().FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
    Owned<SchemaOption> named(nup->FindOption(kPskNamespace, u"OneUp"));
    ASSERT_TRUE(named);
    EXPECT_TRUE(named->SetName(kPskNamespace, u"TwoUp")) << "rewrites; OptionName stays";
    EXPECT_FALSE(named->SetName(kPskNamespace, nullptr));

    ComPtr<IXMLDOMElement> third = Nth(u"f:Feature", 3);
    SchemaFeature unnamedFeature(&Context(), third.get());
    Owned<SchemaOption> viaOptionName(unnamedFeature.FindOption(kPrivateNamespace, u"Named"));
    ASSERT_TRUE(viaOptionName);
    BSTR ns = reinterpret_cast<BSTR>(1);
    BSTR local = reinterpret_cast<BSTR>(1);
    EXPECT_FALSE(viaOptionName->GetNameParts(&ns, &local)) << "only the attribute is split";
    EXPECT_EQ(ns, nullptr);
    EXPECT_EQ(local, nullptr);
    EXPECT_FALSE(viaOptionName->SetName(kPrivateNamespace, nullptr));
    EXPECT_TRUE(viaOptionName->SetName(kPrivateNamespace, u"Center")) << "adds the attribute, drops OptionName";
    ComPtr<IXMLDOMElement> bareOption = Nth(u"f:Option", 4);
    SchemaOption withoutAnything(&Context(), bareOption.get());
    EXPECT_TRUE(withoutAnything.SetName(nullptr, u"Bare")) << "nothing to remove; bare local name";

    auto out = Output();
    EXPECT_EQ(out->Count("//psf:Option[@name='k:TwoUp']/psf:ScoredProperty[@name='f:OptionName']"), 1);
    EXPECT_EQ(out->Count("//psf:Option[@name='q:Center'][not(*)]"), 1);
    EXPECT_EQ(out->Count("//psf:Option[@name='Bare']"), 1);

    EXPECT_TRUE(named->GetNameParts(&ns, &local));
    EXPECT_EQ(Text(ns), kPskNamespace);
    EXPECT_EQ(Text(local), u"TwoUp");
    SysFreeString(ns);
    SysFreeString(local);
}

TEST_F(WrapperTest, CallerBuffersCountCharactersWithTheTerminator) {
    Load(Ticket(kDocument));
    WCHAR buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    ULONG chars = 5;  // "k:Ab" needs 5
    EXPECT_TRUE(Document().FormatQName(kPskNamespace, u"Ab", buffer, &chars));
    EXPECT_EQ(chars, 5u);
    EXPECT_EQ(std::u16string(buffer, 6), std::u16string(u"k:Ab\0#", 6));
    chars = 4;
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_FALSE(Document().FormatQName(kPskNamespace, u"Ab", buffer, &chars));
    EXPECT_EQ(chars, 5u);
    EXPECT_EQ(buffer[0], u'#');
    chars = 0x80000000u;
    EXPECT_FALSE(Document().FormatQName(nullptr, u"Ab", buffer, &chars));
    EXPECT_EQ(chars, 0x80000000u);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_FALSE(Document().FormatQName(u"urn:unbound", u"Ab", buffer, &chars));

    Owned<SchemaFeature> last(Document().AddFeature(kPskNamespace, u"JobHolePunch"));
    Owned<SchemaOption> option(last->AddOption(kPskNamespace, u"First", nullptr, nullptr));
    Owned<SchemaProperty> count(option->AddScoredProperty(kPskNamespace, u"HoleCount"));
    Owned<SchemaProperty> again(option->AddScoredProperty(kPskNamespace, u"HoleCount"));
    Owned<SchemaValue> empty(count->AddStringValue(u""));
    Owned<SchemaValue> number(count->AddIntegerValue(-3));
    Owned<SchemaValue> qname(again->AddQNameValue(nullptr, u"Plain"));
    ASSERT_TRUE(empty && number && qname);
    EXPECT_EQ(again->AddQNameValue(kPskNamespace, nullptr), nullptr);

    chars = 1;
    EXPECT_TRUE(empty->GetText(buffer, &chars));
    EXPECT_EQ(buffer[0], 0);
    chars = 2;
    EXPECT_FALSE(number->GetText(buffer, &chars));
    EXPECT_EQ(chars, 3u);
    EXPECT_TRUE(number->GetText(buffer, &chars));
    EXPECT_EQ(std::u16string(buffer), u"-3");
    chars = 0x80000000u;
    EXPECT_FALSE(qname->GetText(buffer, &chars));
    EXPECT_EQ(chars, 0x80000000u);

    Owned<SchemaProperty> found(option->FindScoredProperty(kPskNamespace, u"HoleCount"));
    Owned<SchemaValue> first(found->GetFirstValue());
    EXPECT_EQ(found->GetElement(), count->GetElement());
    EXPECT_EQ(first->GetElement(), empty->GetElement());
    EXPECT_TRUE(again->RemoveFirstValue());
    EXPECT_FALSE(again->RemoveFirstValue());
    EXPECT_TRUE(option->RemoveScoredProperty(kPskNamespace, u"HoleCount"));
    auto out = Output();
    EXPECT_EQ(out->Texts("//psf:Option[@name='k:First']/psf:ScoredProperty/psf:Value"), std::vector<std::string>{});
    EXPECT_EQ(out->Count("//psf:Option[@name='k:First']/psf:ScoredProperty[@name='k:HoleCount']"), 1);
}

TEST_F(WrapperTest, OptionNameIsReadFromTheAttributeOrOptionName) {
    Load(Ticket(kDocument));
    ComPtr<IXMLDOMElement> third = Nth(u"f:Feature", 3);
    SchemaFeature last(&Context(), third.get());
    Owned<SchemaOption> byValue(last.GetFirstOption());
    ASSERT_TRUE(byValue);
    WCHAR buffer[8] = {u'#'};
    ULONG chars = 7;  // "q:Named" needs 8
    EXPECT_FALSE(byValue->GetName(buffer, &chars));
    EXPECT_EQ(chars, 8u);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_TRUE(byValue->GetName(buffer, &chars));
    EXPECT_EQ(std::u16string(buffer), u"q:Named");

    ComPtr<IXMLDOMElement> unnamed = Nth(u"f:Option", 4);
    SchemaOption nothing(&Context(), unnamed.get());
    chars = 8;
    EXPECT_FALSE(nothing.GetName(buffer, &chars));
    EXPECT_EQ(chars, 8u);
}

// Fails each allocation of `operation` in turn on a fresh document: the operation reports
// failure and nothing leaks.
template <class Operation>
void FailEveryAllocation(const std::string& xml, Operation operation) {
    uint64_t allocations = 0;
    {
        auto doc = qptest::LoadDocument(xml);
        qp::SchemaDocument wrapper(doc.get(), CoreHelperStub::Create().get());
        PortableFaultResetCount();
        ASSERT_TRUE(operation(wrapper));
        allocations = PortableFaultAllocationCount();
    }
    ASSERT_GT(allocations, 0u);
    for (uint64_t n = 1; n <= allocations; ++n) {
        const PortableLedger before = PortableLedgerRead();
        {
            auto doc = qptest::LoadDocument(xml);
            auto helper = CoreHelperStub::Create();
            qp::SchemaDocument wrapper(doc.get(), helper.get());
            PortableFaultArm(n);
            const bool succeeded = operation(wrapper);
            PortableFaultDisarm();
            EXPECT_FALSE(succeeded) << "allocation " << n << " of " << allocations;
            EXPECT_TRUE(qptest::XmlDoc(qptest::SerializeUtf8(doc.get())).valid());
        }
        EXPECT_LEDGER_BALANCED(before) << "allocation " << n;
    }
}

TEST_F(WrapperTest, EveryAllocationFailureOfABuilderAndAFinder) {
    // The finder: an option found by its OptionName scored property, in a feature found by name.
    FailEveryAllocation(Ticket(kDocument), [](qp::SchemaDocument& document) {
        Owned<SchemaFeature> feature(document.FindFeature(kPskNamespace, u"JobNUpAllDocumentsContiguously"));
        Owned<SchemaFeature> inner(feature ? feature->FindFeature(kPskNamespace, u"Inner") : nullptr);
        Owned<SchemaOption> option(inner ? inner->FindOption(kPskNamespace, u"InnerOption") : nullptr);
        return option != nullptr;
    });
    // The builder: a scored property with a typed QName value, as a bin type is added.
    FailEveryAllocation(Ticket(kDocument), [](qp::SchemaDocument& document) {
        Owned<SchemaFeature> feature(document.AddFeature(kPskNamespace, u"JobOutputBin"));
        Owned<SchemaOption> option(feature ? feature->AddOption(kPrivateNamespace, u"Center", nullptr, nullptr) : nullptr);
        Owned<SchemaProperty> binType(option ? option->AddScoredProperty(kPskNamespace, u"BinType") : nullptr);
        Owned<SchemaValue> value(binType ? binType->AddQNameValue(kPrivateNamespace, u"Tray") : nullptr);
        return value != nullptr;
    });
}

}  // namespace
}  // namespace schematest
