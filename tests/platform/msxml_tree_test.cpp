// Editing through the stand-in: node creation with namespaces, moving, removing, attributes,
// text, identity and lifetime. Every edited document is checked by re-parsing its text.
#include "msxml_fixture.h"

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace msxmltest {
namespace {

using qptest::XmlDoc;

constexpr const char* kTicket =
    "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" version=\"1\">"
    "<psf:Feature name=\"psk:JobOutputBin\"><psf:Option name=\"psk:Tray\"><psf:ScoredProperty name=\"a\"/>"
    "</psf:Option></psf:Feature>"
    "<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"/>"
    "</psf:PrintTicket>";
constexpr const char* kXsi = "http://www.w3.org/2001/XMLSchema-instance";

class TreeTest : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        Load(kTicket);
    }

    ComPtr<IXMLDOMAttribute> NewAttribute(const std::string& name, const std::string& uri, const std::string& value,
                                          IXMLDOMDocument2* doc = nullptr) {
        ComPtr<IXMLDOMNode> node = Create(doc ? doc : doc_.get(), NODE_ATTRIBUTE, name, uri);
        ComPtr<IXMLDOMAttribute> attribute;
        EXPECT_EQ(node.QueryTo(IID_IXMLDOMAttribute, attribute), S_OK);
        Variant text;
        text.get().vt = VT_BSTR;
        text.get().bstrVal = B(value).detach();
        EXPECT_EQ(attribute->put_value(text.get()), S_OK);
        return attribute;
    }

    static size_t Occurrences(const std::string& text, const std::string& part) {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }

};

TEST_F(TreeTest, CreatedNodesSerializeWithTheirNamespacesDeclaredOnlyWhereNeeded) {
    ComPtr<IXMLDOMNode> feature = Create(doc_.get(), NODE_ELEMENT, "psf:Feature", kPsf);
    ASSERT_EQ(root_->appendChild(feature.get(), nullptr), S_OK);
    ComPtr<IXMLDOMElement> element;
    ASSERT_EQ(feature.QueryTo(IID_IXMLDOMElement, element), S_OK);
    ASSERT_EQ(element->setAttributeNode(NewAttribute("name", kPsf, "psk:New").get(), nullptr), S_OK);
    ASSERT_EQ(element->setAttributeNode(NewAttribute("xsi:type", kXsi, "xsd:QName").get(), nullptr), S_OK);
    ASSERT_EQ(element->setAttributeNode(NewAttribute("xml:lang", "", "en").get(), nullptr), S_OK);
    ComPtr<IXMLDOMNode> value = Create(doc_.get(), NODE_ELEMENT, "Value", kPsk);
    ASSERT_EQ(feature->appendChild(value.get(), nullptr), S_OK);

    const std::string xml = Xml(doc_.get());
    XmlDoc out(xml);
    ASSERT_TRUE(out.valid()) << out.error() << "\n" << xml;
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Feature[@name='psk:New'][@xsi:type='xsd:QName']/psk:Value"), 1) << xml;
    EXPECT_EQ(out.Count("//psf:Feature/@*[local-name()='name'][namespace-uri()='']"), 3)
        << "an unprefixed attribute is written plain";
    EXPECT_EQ(Occurrences(xml, "xmlns:psf="), 1u) << "the root's declaration is reused: " << xml;
    EXPECT_EQ(Occurrences(xml, "xmlns:xsi="), 1u) << xml;
    EXPECT_EQ(out.Text("//psf:Feature/@xml:lang"), "en") << "the xml prefix needs no declaration";
}

TEST_F(TreeTest, NamespacesStayRightWhereAPrefixOrTheDefaultNamespaceMeansSomethingElse) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<r xmlns=\"urn:default\" xmlns:p=\"urn:a\"><in/></r>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMElement> inner = Only(doc.get(), "in");
    ASSERT_EQ(inner->appendChild(Create(doc.get(), NODE_ELEMENT, "p:x", "urn:b").get(), nullptr), S_OK);
    ASSERT_EQ(inner->appendChild(Create(doc.get(), NODE_ELEMENT, "plain", "").get(), nullptr), S_OK);
    ASSERT_EQ(inner->appendChild(Create(doc.get(), NODE_ELEMENT, "p:y", "urn:a").get(), nullptr), S_OK);

    XmlDoc out(Xml(doc.get()));
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Text("namespace-uri(//*[local-name()='x'])"), "urn:b");
    EXPECT_EQ(out.Text("namespace-uri(//*[local-name()='plain'])"), "");
    EXPECT_EQ(out.Text("namespace-uri(//*[local-name()='y'])"), "urn:a");
    EXPECT_EQ(out.Text("namespace-uri(//*[local-name()='in'])"), "urn:default");

    // The moved element's names hold in its new place as well as alone.
    ComPtr<IXMLDOMElement> x = Only(doc.get(), "p:x");
    ASSERT_EQ(Root(doc.get())->appendChild(x.get(), nullptr), S_OK);
    XmlDoc moved(Xml(doc.get()));
    EXPECT_EQ(moved.Text("namespace-uri(/*/*[local-name()='x'])"), "urn:b");
    XmlDoc alone(Xml(inner.get()));
    ASSERT_TRUE(alone.valid()) << alone.error();
    EXPECT_EQ(alone.Text("namespace-uri(/*)"), "urn:default");
}

TEST_F(TreeTest, AppendChildMovesANodeAndRefusesWhatWouldBreakTheTree) {
    ComPtr<IXMLDOMElement> option = Only(root_.get(), "psf:Option");
    ComPtr<IXMLDOMNodeList> features;
    Bstr name = B("psf:Feature");
    ASSERT_EQ(root_->getElementsByTagName(name.get(), features.put()), S_OK);
    ComPtr<IXMLDOMNode> target;
    ASSERT_EQ(features->get_item(1, target.put()), S_OK);
    ComPtr<IXMLDOMNode> out;
    ASSERT_EQ(target->appendChild(option.get(), out.put()), S_OK);
    EXPECT_EQ(out.get(), static_cast<IXMLDOMNode*>(option.get()));

    ComPtr<IXMLDOMElement> scored = Only(root_.get(), "psf:ScoredProperty");
    EXPECT_EQ(scored->appendChild(root_.get(), nullptr), E_FAIL) << "a node into its own descendant";
    EXPECT_EQ(option->appendChild(option.get(), nullptr), E_FAIL);
    ComPtr<IXMLDOMNode> attribute = Create(doc_.get(), NODE_ATTRIBUTE, "a", "");
    EXPECT_EQ(root_->appendChild(attribute.get(), nullptr), E_FAIL);
    EXPECT_EQ(root_->appendChild(nullptr, nullptr), E_INVALIDARG);
    ComPtr<IXMLDOMDocument2> other = qptest::LoadDocument("<other/>");
    EXPECT_EQ(root_->appendChild(Root(other.get()).get(), nullptr), E_FAIL);
    EXPECT_EQ(doc_->appendChild(Create(doc_.get(), NODE_ELEMENT, "second", "").get(), nullptr), E_FAIL);

    XmlDoc result(Xml(doc_.get()));
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Feature[2]/psf:Option/psf:ScoredProperty"), 1);
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Feature[1]/*"), 0);
}

TEST_F(TreeTest, InsertBeforeReplaceChildAndANewRootKeepSiblingsInOrder) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<r><a/><c/></r>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMElement> root = Root(doc.get());
    ComPtr<IXMLDOMElement> c = Only(root.get(), "c");
    Variant before;
    before.get().vt = VT_UNKNOWN;
    before.get().punkVal = c.get();
    c->AddRef();
    ASSERT_EQ(root->insertBefore(Create(doc.get(), NODE_ELEMENT, "b", "").get(), before.get(), nullptr), S_OK);
    Variant atEnd;
    ASSERT_EQ(root->insertBefore(Create(doc.get(), NODE_ELEMENT, "d", "").get(), atEnd.get(), nullptr), S_OK);
    ComPtr<IXMLDOMNode> replaced;
    ASSERT_EQ(root->replaceChild(Create(doc.get(), NODE_COMMENT, "", "").get(), c.get(), replaced.put()), S_OK);
    EXPECT_EQ(replaced.get(), static_cast<IXMLDOMNode*>(c.get()));
    qptest::XmlDoc out(Xml(doc.get()));
    EXPECT_EQ(out.Count("/r/node()"), 4);
    EXPECT_EQ(out.Count("/r/a/following-sibling::*[1][self::b]/following-sibling::node()[1][self::comment()]"
                        "/following-sibling::*[1][self::d]"),
              1);

    ComPtr<IXMLDOMNode> created = Create(doc.get(), NODE_ELEMENT, "s:new", "urn:s");
    ComPtr<IXMLDOMElement> newRoot;
    ASSERT_EQ(created.QueryTo(IID_IXMLDOMElement, newRoot), S_OK);
    ASSERT_EQ(doc->putref_documentElement(newRoot.get()), S_OK);
    qptest::XmlDoc swapped(Xml(doc.get()));
    EXPECT_EQ(swapped.Text("namespace-uri(/*)"), "urn:s");
    EXPECT_EQ(Text(root.get()), "") << "the old root stays usable, detached";
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(root->get_parentNode(parent.put()), S_FALSE);
}

TEST_F(TreeTest, RemoveChildTakesOnlyDirectChildrenAndTheRemovedNodeStaysUsable) {
    const std::string before = Xml(doc_.get());
    ComPtr<IXMLDOMElement> option = Only(root_.get(), "psf:Option");
    ComPtr<IXMLDOMNode> out;
    EXPECT_EQ(root_->removeChild(option.get(), out.put()), E_INVALIDARG) << "a grandchild";
    EXPECT_FALSE(out);
    EXPECT_EQ(Xml(doc_.get()), before) << "a refused removal changes nothing";

    ComPtr<IXMLDOMNode> feature;
    ASSERT_EQ(option->get_parentNode(feature.put()), S_OK);
    ASSERT_EQ(root_->removeChild(feature.get(), out.put()), S_OK);
    EXPECT_EQ(out.get(), feature.get());
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(feature->get_parentNode(parent.put()), S_FALSE);
    feature.reset();
    out.reset();

    XmlDoc alone(Xml(option.get()));
    ASSERT_TRUE(alone.valid()) << alone.error() << ": a removed node carries its namespaces";
    EXPECT_EQ(alone.Count("/psf:Option[@name='psk:Tray']/psf:ScoredProperty"), 1);
    ASSERT_EQ(root_->appendChild(option.get(), nullptr), S_OK) << "and can be inserted again";
    XmlDoc result(Xml(doc_.get()));
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Feature"), 1);
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Option/psf:ScoredProperty"), 1);
}

TEST_F(TreeTest, SetAttributeNodeReplacesTheAttributeOfTheSameQualifiedName) {
    ComPtr<IXMLDOMElement> option = Only(root_.get(), "psf:Option");
    ComPtr<IXMLDOMAttribute> replaced;
    ASSERT_EQ(option->setAttributeNode(NewAttribute("name", kPsf, "psk:Other").get(), replaced.put()), S_OK);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(Text(replaced.get()), "psk:Tray") << "the old attribute comes back, still usable";
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    ASSERT_EQ(option->get_attributes(attributes.put()), S_OK);
    LONG length = 0;
    EXPECT_EQ(attributes->get_length(&length), S_OK);
    EXPECT_EQ(length, 1);

    ComPtr<IXMLDOMAttribute> onOption;
    Bstr name = B("name");
    ASSERT_EQ(option->getAttributeNode(name.get(), onOption.put()), S_OK);
    EXPECT_EQ(root_->setAttributeNode(onOption.get(), nullptr), E_FAIL) << "already on another element";
    EXPECT_EQ(option->setAttributeNode(NewAttribute("psk:x", "urn:other", "v").get(), nullptr), E_FAIL)
        << "a prefix bound in scope to another namespace";
    EXPECT_EQ(option->setAttributeNode(nullptr, nullptr), E_INVALIDARG);

    XmlDoc out(Xml(doc_.get()));
    EXPECT_EQ(out.Texts("//psf:Option/@name"), std::vector<std::string>{"psk:Other"});
}

TEST_F(TreeTest, TextIsReadExactlyAndReplacedWhole) {
    ComPtr<IXMLDOMDocument2> doc =
        qptest::LoadDocument("<r> a <!--no--><b> b <c>c</c></b><![CDATA[<d>]]>&amp; </r>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMElement> root = Root(doc.get());
    EXPECT_EQ(Text(root.get()), " a  b c<d>& ") << "descendant text and CDATA, no comments, no trimming";
    ComPtr<IXMLDOMElement> c = Only(root.get(), "c");

    Bstr replacement = B("x < y & z");
    ASSERT_EQ(root->put_text(replacement.get()), S_OK);
    EXPECT_EQ(Text(root.get()), "x < y & z");
    VARIANT_BOOL has = VARIANT_FALSE;
    EXPECT_EQ(c->hasChildNodes(&has), S_OK);
    EXPECT_EQ(Text(c.get()), "c") << "a node held across put_text stays usable";
    XmlDoc out(Xml(doc.get()));
    EXPECT_EQ(out.Count("/r/node()"), 1);
    EXPECT_EQ(out.Text("/r"), "x < y & z");

    ComPtr<IXMLDOMAttribute> attribute = NewAttribute("n", "", "first", doc.get());
    ASSERT_EQ(root->setAttributeNode(attribute.get(), nullptr), S_OK);
    Bstr second = B("second");
    ASSERT_EQ(attribute->put_text(second.get()), S_OK);
    Variant number;
    number.get().vt = VT_INT;
    number.get().intVal = -42;
    ComPtr<IXMLDOMAttribute> numeric = NewAttribute("m", "", "", doc.get());
    ASSERT_EQ(numeric->put_value(number.get()), S_OK);
    ASSERT_EQ(root->setAttributeNode(numeric.get(), nullptr), S_OK);
    XmlDoc attributes(Xml(doc.get()));
    EXPECT_EQ(attributes.Text("/r/@n"), "second");
    EXPECT_EQ(attributes.Text("/r/@m"), "-42");
    ComPtr<IXMLDOMElement> empty = Root(qptest::LoadDocument("<e/>").get());
    Bstr nothing;
    EXPECT_EQ(empty->get_text(nothing.put()), S_OK) << "empty text is still text";
    EXPECT_EQ(nothing.Length(), 0u);
}

TEST_F(TreeTest, StringArgumentsAreReadUpToTheirFirstNul) {
    const std::u16string name = u"psf:Feature";
    Bstr counted = Bstr::Attach(SysAllocStringLen(name.c_str(), static_cast<UINT>(name.size() + 1)));
    Bstr uri = Bstr::Attach(SysAllocStringLen(qptest::Utf16(kPsf).c_str(), static_cast<UINT>(qptest::Utf16(kPsf).size() + 1)));
    Variant kind = Variant::Int32(NODE_ELEMENT);
    ComPtr<IXMLDOMNode> node;
    ASSERT_EQ(doc_->createNode(kind.get(), counted.get(), uri.get(), node.put()), S_OK);
    Bstr nodeName;
    ASSERT_EQ(node->get_nodeName(nodeName.put()), S_OK);
    EXPECT_EQ(nodeName.Length(), name.size());
    ASSERT_EQ(root_->appendChild(node.get(), nullptr), S_OK);

    ComPtr<IXMLDOMNodeList> list;
    ASSERT_EQ(root_->getElementsByTagName(counted.get(), list.put()), S_OK);
    LONG length = 0;
    EXPECT_EQ(list->get_length(&length), S_OK);
    EXPECT_EQ(length, 3);
    XmlDoc out(Xml(doc_.get()));
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Feature"), 3) << "the namespace took no NUL either";

    Bstr withNul = Bstr::Attach(SysAllocStringLen(u"ab\0cd", 5));
    ASSERT_EQ(root_->put_text(withNul.get()), S_OK);
    EXPECT_EQ(Text(root_.get()), "ab");
}

TEST_F(TreeTest, NodeObjectsKeepTheirIdentityAndKind) {
    ComPtr<IXMLDOMElement> again = Root(doc_.get());
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(root_.QueryTo(IID_IUnknown, a), S_OK);
    ASSERT_EQ(again.QueryTo(IID_IUnknown, b), S_OK);
    EXPECT_EQ(a.get(), b.get());

    ComPtr<IXMLDOMDocument> owner;
    ASSERT_EQ(root_->get_ownerDocument(owner.put()), S_OK);
    ComPtr<IUnknown> ownerIdentity, docIdentity;
    ASSERT_EQ(owner.QueryTo(IID_IUnknown, ownerIdentity), S_OK);
    ASSERT_EQ(doc_.QueryTo(IID_IUnknown, docIdentity), S_OK);
    EXPECT_EQ(ownerIdentity.get(), docIdentity.get());

    ComPtr<IXMLDOMNode> text = Create(doc_.get(), NODE_TEXT, "", "");
    ComPtr<IXMLDOMElement> notElement;
    EXPECT_EQ(text.QueryTo(IID_IXMLDOMElement, notElement), E_NOINTERFACE);
    EXPECT_FALSE(notElement);
    ComPtr<IXMLDOMAttribute> notAttribute;
    EXPECT_EQ(root_.QueryTo(IID_IXMLDOMAttribute, notAttribute), E_NOINTERFACE);
    DOMNodeType type = NODE_INVALID;
    EXPECT_EQ(text->get_nodeType(&type), S_OK);
    EXPECT_EQ(type, NODE_TEXT);
}

TEST_F(TreeTest, AReferenceKeptTooLongShowsInTheLedger) {
    const PortableLedger before = PortableLedgerRead();
    ComPtr<IXMLDOMElement> option = Only(root_.get(), "psf:Option");
    option->AddRef();
    option.reset();
    EXPECT_EQ(PortableLedgerRead().domObjects, before.domObjects + 1);
    IXMLDOMElement* leaked = Only(root_.get(), "psf:Option").get();
    leaked->Release();
    EXPECT_EQ(PortableLedgerRead().domObjects, before.domObjects);
}

TEST_F(TreeTest, ClonesAreDetachedCopiesWithTheirNamespaces) {
    ComPtr<IXMLDOMElement> feature = Only(root_.get(), "psf:Option");
    ComPtr<IXMLDOMNode> deep, shallow;
    ASSERT_EQ(feature->cloneNode(VARIANT_TRUE, deep.put()), S_OK);
    ASSERT_EQ(feature->cloneNode(VARIANT_FALSE, shallow.put()), S_OK);
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(deep->get_parentNode(parent.put()), S_FALSE);
    XmlDoc alone(Xml(deep.get()));
    ASSERT_TRUE(alone.valid()) << alone.error();
    EXPECT_EQ(alone.Count("/psf:Option[@name='psk:Tray']/psf:ScoredProperty"), 1);
    ASSERT_EQ(root_->appendChild(deep.get(), nullptr), S_OK);
    ASSERT_EQ(root_->appendChild(shallow.get(), nullptr), S_OK);
    XmlDoc out(Xml(doc_.get()));
    EXPECT_EQ(out.Count("//psf:Option[@name='psk:Tray']"), 3);
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Option[1]/psf:ScoredProperty"), 1);
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Option[2]/*"), 0);
}

// Trees built through the API are not bounded by the parser's depth limit; every walk over
// them (search, text, serialization, namespace work, freeing) must hold at this depth.
TEST_F(TreeTest, AHundredThousandLevelsBuiltThroughTheApiAreWalkedAndFreed) {
    constexpr int kDepth = 100000;
    ComPtr<IXMLDOMNode> top = Create(doc_.get(), NODE_ELEMENT, "psf:Deep", kPsf);
    ComPtr<IXMLDOMNode> current = top;
    for (int i = 0; i < kDepth; ++i) {
        ComPtr<IXMLDOMNode> child = Create(doc_.get(), NODE_ELEMENT, "psf:Deep", kPsf);
        ASSERT_EQ(current->appendChild(child.get(), nullptr), S_OK);
        current = child;
    }
    Bstr leaf = B("leaf");
    ASSERT_EQ(current->put_text(leaf.get()), S_OK);
    ASSERT_EQ(root_->appendChild(top.get(), nullptr), S_OK);
    EXPECT_EQ(Text(root_.get()), "leaf");
    ComPtr<IXMLDOMNodeList> list;
    Bstr name = B("psf:Deep");
    ASSERT_EQ(root_->getElementsByTagName(name.get(), list.put()), S_OK);
    LONG length = 0;
    EXPECT_EQ(list->get_length(&length), S_OK);
    EXPECT_EQ(length, kDepth + 1);
    const std::string xml = Xml(doc_.get());
    EXPECT_GT(xml.size(), static_cast<size_t>(kDepth) * 20);
    EXPECT_EQ(xml.find("xmlns:psf", 200), std::string::npos) << "no declaration repeated down the chain";
    ComPtr<IXMLDOMNode> copy;
    ASSERT_EQ(top->cloneNode(VARIANT_TRUE, copy.put()), S_OK);
    ASSERT_EQ(root_->removeChild(top.get(), nullptr), S_OK);
    EXPECT_FALSE(Xml(top.get()).empty());
}

}  // namespace
}  // namespace msxmltest
