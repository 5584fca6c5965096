// DomContext: QNames formed from the root element's declarations, QName splitting, element lists,
// attribute search, removal, and a context that could not be bound.
#include "schema_fixture.h"

#include <common/constants.h>

using qp::Bstr;
using qp::ComPtr;

namespace schematest {
namespace {

using qp::kPrivateNamespace;
using qp::kPskNamespace;
using qp::kPsfNamespace;

const std::string kOptions = R"(<f:Feature name="k:JobOutputBin">
    <f:Option/>
    <f:Option name="k:TwoPages"/>
    <f:Feature name="k:Inner"><f:Option name="k:Nested" xmlns:z="urn:inner"/></f:Feature>
  </f:Feature>)";

class DomContextTest : public SchemaTest {
protected:
    HRESULT QName(const WCHAR* ns, const WCHAR* local, std::u16string& text) {
        Bstr qname;
        const HRESULT hr = Context().MakeQName(ns, local, qname.put());
        text = Text(qname.get());
        if (qname) {
            const bool prefixed = text.find(u':') != std::u16string::npos;
            EXPECT_EQ(qname.Length(), text.size() + (prefixed ? 1 : 0)) << "a formed QName counts its terminator";
        }
        return hr;
    }
};

TEST_F(DomContextTest, QNamesUseTheRootPrefixOrNone) {
    Load(Ticket(kOptions, kPrivateDefault + R"( xmlns:x="urn:inner-only-elsewhere")"));
    std::u16string text;
    EXPECT_EQ(QName(kPskNamespace, u"JobOutputBin", text), S_OK);
    EXPECT_EQ(text, u"k:JobOutputBin");
    EXPECT_EQ(QName(kPrivateNamespace, u"Center", text), S_OK) << "default namespace";
    EXPECT_EQ(text, u"Center");
    EXPECT_EQ(QName(nullptr, u"Bare", text), S_OK);
    EXPECT_EQ(text, u"Bare");
    EXPECT_EQ(QName(kPskNamespace, u"", text), S_OK);
    EXPECT_EQ(text, u"k:");
    EXPECT_EQ(QName(u"urn:inner", u"Nested", text), E_FAIL) << "declared below the root only";
    EXPECT_EQ(text, u"(null)");
    EXPECT_EQ(QName(kPskNamespace, nullptr, text), E_INVALIDARG);
}

TEST_F(DomContextTest, PrefixAndLocalNameLimits) {
    const std::string longPrefix(9999, 'p');
    const std::string tooLongPrefix(10000, 'r');
    Load(Ticket("", kOddPrefixes + " xmlns:" + longPrefix + "=\"urn:long\" xmlns:" + tooLongPrefix + "=\"urn:longer\""));
    std::u16string text;
    EXPECT_EQ(QName(u"urn:long", u"x", text), S_OK);
    EXPECT_EQ(text, std::u16string(9999, u'p') + u":x");
    EXPECT_EQ(QName(u"urn:longer", u"x", text), E_INVALIDARG);
    EXPECT_EQ(text, u"(null)");
    EXPECT_EQ(QName(kPskNamespace, std::u16string(9999, u'l').c_str(), text), S_OK);
    EXPECT_EQ(text.size(), 10001u);
    EXPECT_EQ(QName(kPskNamespace, std::u16string(10000, u'l').c_str(), text), E_INVALIDARG);
}

TEST_F(DomContextTest, SplitsAtTheFirstColon) {
    Load(Ticket(kOptions));
    struct Case {
        const char16_t* qname;
        const char16_t* prefix;
        const char16_t* local;
    };
    for (const Case& c : {Case{u"", u"", u""}, Case{u"plain", u"", u"plain"}, Case{u"k:Name", u"k", u"Name"},
                          Case{u"a:b:c", u"a", u"b:c"}, Case{u":x", u"", u"x"}}) {
        Bstr prefix;
        Bstr local;
        EXPECT_EQ(Context().GetPrefix(c.qname, prefix.put()), S_OK);
        EXPECT_EQ(Context().GetLocalName(c.qname, local.put()), S_OK);
        EXPECT_EQ(Text(prefix.get()), c.prefix);
        EXPECT_EQ(Text(local.get()), c.local);
    }
    Bstr uri;
    EXPECT_EQ(Context().GetNamespaceURI(Root(), u"k:Anything", uri.put()), S_OK);
    EXPECT_EQ(Text(uri.get()), kPskNamespace);
    EXPECT_EQ(Context().GetNamespaceURI(Nth(u"f:Option", 2).get(), u"z:Nested", uri.put()), S_OK);
    EXPECT_EQ(Text(uri.get()), u"urn:inner");
    EXPECT_NE(Context().GetNamespaceURI(Root(), u"z:Nested", uri.put()), S_OK);
    EXPECT_EQ(uri.get(), nullptr);
}

TEST_F(DomContextTest, ElementListsCoverDescendantsInDocumentOrder) {
    Load(Ticket(kOptions));
    LONG count = -1;
    EXPECT_EQ(Context().CountElements(Root(), kPsfNamespace, u"Option", &count), S_OK);
    EXPECT_EQ(count, 3);
    ComPtr<IXMLDOMElement> element;
    EXPECT_EQ(Context().GetElementAt(Root(), kPsfNamespace, u"Option", 2, element.put()), S_OK);
    ComPtr<IXMLDOMAttribute> name;
    EXPECT_EQ(Context().GetAttribute(element.get(), u"name", name.put()), S_OK);
    Bstr text;
    EXPECT_EQ(name->get_text(text.put()), S_OK);
    EXPECT_EQ(Text(text.get()), u"k:Nested");
    EXPECT_EQ(Context().GetElementAt(Root(), kPsfNamespace, u"Option", 3, element.put()), S_FALSE);
    EXPECT_EQ(element.get(), nullptr);
    EXPECT_EQ(Context().GetElementAt(Nth(u"f:Option").get(), kPsfNamespace, u"Option", 0, element.put()), S_FALSE);
    EXPECT_EQ(Context().GetAttribute(Nth(u"f:Option").get(), u"name", name.put()), S_FALSE);
    EXPECT_EQ(name.get(), nullptr);
}

TEST_F(DomContextTest, AttributeSearchStopsAtAnElementWithoutIt) {
    Load(Ticket(kOptions));
    ComPtr<IXMLDOMNodeList> list;
    ComPtr<IXMLDOMElement> found;
    ASSERT_EQ(Context().GetElementsByTagName(nullptr, kPsfNamespace, u"Option", list.put()), S_OK);
    EXPECT_EQ(Context().FindElementByAttribute(list.get(), u"name", u"k:TwoPages", found.put()), S_FALSE);
    EXPECT_EQ(found.get(), nullptr);

    // From the second option on, every one has a name: only an exact, case-sensitive text matches.
    for (const char16_t* miss : {u"k:twopages", u"k:TwoPage", u"k:TwoPages ", u"psk:TwoPages"}) {
        ASSERT_EQ(Context().GetElementsByTagName(Nth(u"f:Feature").get(), kPsfNamespace, u"Option", list.put()), S_OK);
        ComPtr<IXMLDOMNode> skipped;
        ASSERT_EQ(list->nextNode(skipped.put()), S_OK);
        EXPECT_EQ(Context().FindElementByAttribute(list.get(), u"name", miss, found.put()), S_FALSE);
    }
    ASSERT_EQ(list->reset(), S_OK);
    ComPtr<IXMLDOMNode> skipped;
    ASSERT_EQ(list->nextNode(skipped.put()), S_OK);
    EXPECT_EQ(Context().FindElementByAttribute(list.get(), u"name", u"k:Nested", found.put()), S_OK);
    EXPECT_TRUE(found);
}

TEST_F(DomContextTest, RemoveChildTakesOnlyDirectChildrenAndConsumesTheReference) {
    Load(Ticket(kOptions));
    ComPtr<IXMLDOMElement> grandchild = Nth(u"f:Option", 1);
    EXPECT_NE(Context().RemoveChild(nullptr, grandchild.get()), S_OK);
    EXPECT_EQ(Output()->Count("//psf:Option[@name='k:TwoPages']"), 1);

    ComPtr<IXMLDOMElement> child = Nth(u"f:Feature");
    EXPECT_EQ(Context().RemoveChild(nullptr, child.get()), S_OK);
    (void)child.detach();  // consumed
    EXPECT_EQ(Output()->Count("//psf:Feature"), 0);
    // The caller's remaining reference still reaches the detached element.
    Bstr text;
    EXPECT_EQ(grandchild->get_text(text.put()), S_OK);
}

TEST_F(DomContextTest, QNameAttributeReplacesOneOfTheSameName) {
    Load(Ticket(kOptions));
    ComPtr<IXMLDOMElement> option = Nth(u"f:Option");
    ComPtr<IXMLDOMAttribute> attribute;
    EXPECT_EQ(Context().SetQNameAttribute(option.get(), kPsfNamespace, u"name", kPrivateNamespace, u"First", nullptr), S_OK);
    EXPECT_EQ(Context().SetQNameAttribute(option.get(), kPsfNamespace, u"name", kPskNamespace, u"Second",
                                          attribute.put()),
              S_OK);
    EXPECT_TRUE(attribute);
    auto output = Output();
    EXPECT_EQ(output->Count("/psf:PrintTicket/psf:Feature/psf:Option[1]/@*"), 1);
    EXPECT_EQ(output->Text("/psf:PrintTicket/psf:Feature/psf:Option[1]/@name"), "k:Second");
}

TEST_F(DomContextTest, ContextThatCannotBindAnswersUnexpected) {
    auto doc = qptest::LoadDocument(Ticket(kOptions));
    qp::PrintSchemaContext unbound(doc.get(), nullptr);
    EXPECT_EQ(unbound.GetInitializeResult(), E_INVALIDARG);
    ComPtr<IXMLDOMElement> root;
    Bstr text;
    EXPECT_EQ(unbound.GetRootElement(root.put()), E_UNEXPECTED);
    EXPECT_EQ(root.get(), nullptr);
    EXPECT_EQ(unbound.MakeQName(nullptr, u"x", text.put()), E_UNEXPECTED);
    EXPECT_EQ(unbound.FindFeature(nullptr, kPskNamespace, u"JobOutputBin", root.put()), E_UNEXPECTED);
    EXPECT_EQ(unbound.CreateFeature(nullptr, kPskNamespace, u"X", nullptr), E_UNEXPECTED);
    EXPECT_EQ(unbound.GetRootElement(nullptr), E_INVALIDARG) << "argument checks come first";

    helper_->FailCreateInstance(E_NOINTERFACE);
    EXPECT_EQ(qp::SchemaDocument(doc.get(), helper_.get()).GetStatus(), E_NOINTERFACE);
    helper_->FailCreateInstance(S_OK);
    EXPECT_EQ(qp::SchemaDocument(doc.get(), nullptr).GetStatus(), E_INVALIDARG);

    ComPtr<IXMLDOMDocument2> empty;
    ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                               empty.put_void()),
              S_OK);
    qp::SchemaDocument rootless(empty.get(), helper_.get());
    EXPECT_EQ(rootless.GetStatus(), E_FAIL);
    EXPECT_EQ(rootless.FindFeature(kPskNamespace, u"JobOutputBin"), nullptr);
    EXPECT_EQ(rootless.AddFeature(kPskNamespace, u"JobOutputBin"), nullptr);
    EXPECT_FALSE(rootless.AppendFeature(nullptr));
    WCHAR buffer[8] = {};
    ULONG chars = 8;
    EXPECT_FALSE(rootless.FormatQName(nullptr, u"x", buffer, &chars));

    PortableFaultArm(1);
    qp::SchemaDocument unallocated(doc.get(), helper_.get());
    EXPECT_TRUE(PortableFaultFired());
    EXPECT_EQ(unallocated.GetStatus(), E_OUTOFMEMORY);
    EXPECT_FALSE(unallocated.RemoveFeature(kPskNamespace, u"JobOutputBin"));
}

}  // namespace
}  // namespace schematest
