// Node lists and attribute maps: what getElementsByTagName matches, liveness, and walking.
#include "msxml_fixture.h"

#include <vector>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace msxmltest {
namespace {

constexpr const char* kNested =
    "<psf:PrintCapabilities xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " xmlns:alias=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\">"
    "<psf:Feature name=\"f1\"><psf:Option name=\"o1\"/>"
    "<psf:Feature name=\"f2\"><psf:Option name=\"o2\"/></psf:Feature></psf:Feature>"
    "<alias:Feature name=\"other-prefix\"/>"
    "<Feature xmlns=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" name=\"default\">"
    "<Option name=\"o3\"/></Feature>"
    "</psf:PrintCapabilities>";

class ListTest : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        Load(kNested);
    }

    ComPtr<IXMLDOMNodeList> Search(IXMLDOMElement* scope, const std::string& name) {
        ComPtr<IXMLDOMNodeList> list;
        Bstr bname = B(name);
        EXPECT_EQ(scope->getElementsByTagName(bname.get(), list.put()), S_OK);
        return list;
    }

    // The "name" attributes (or node names) of what nextNode gives, from the list's position on.
    static std::vector<std::string> Walk(IXMLDOMNodeList* list) {
        std::vector<std::string> names;
        ComPtr<IXMLDOMNode> node;
        while (list->nextNode(node.put()) == S_OK) names.push_back(Label(node.get()));
        EXPECT_FALSE(node) << "the end gives a null node";
        return names;
    }

    static std::string Label(IXMLDOMNode* node) {
        ComPtr<IXMLDOMElement> element;
        EXPECT_EQ(node->QueryInterface(IID_IXMLDOMElement, element.put_void()), S_OK);
        Bstr attribute = Bstr::Copy(W("name"));
        Variant value;
        if (element->getAttribute(attribute.get(), value.put()) == S_OK) return qptest::Utf8(value.get().bstrVal);
        Bstr name;
        element->get_nodeName(name.put());
        return qptest::Utf8(name.get());
    }

};

TEST_F(ListTest, NamesMatchAsWrittenOverAllDescendantsInDocumentOrder) {
    EXPECT_EQ(Walk(Search(root_.get(), "psf:Feature").get()), (std::vector<std::string>{"f1", "f2"}))
        << "nested ones included, another prefix for the same namespace not";
    EXPECT_EQ(Walk(Search(root_.get(), "alias:Feature").get()), std::vector<std::string>{"other-prefix"});
    EXPECT_EQ(Walk(Search(root_.get(), "Feature").get()), std::vector<std::string>{"default"});
    EXPECT_EQ(Walk(Search(root_.get(), "psf:Option").get()), (std::vector<std::string>{"o1", "o2"}));
    EXPECT_EQ(Walk(Search(root_.get(), "*").get()),
              (std::vector<std::string>{"f1", "o1", "f2", "o2", "other-prefix", "default", "o3"}))
        << "every descendant, not the element itself";
    EXPECT_TRUE(Walk(Search(root_.get(), "psf:feature").get()).empty()) << "case matters";

    ComPtr<IXMLDOMNodeList> fromDocument;
    Bstr rootName = B("psf:PrintCapabilities");
    ASSERT_EQ(doc_->getElementsByTagName(rootName.get(), fromDocument.put()), S_OK);
    LONG length = 0;
    EXPECT_EQ(fromDocument->get_length(&length), S_OK);
    EXPECT_EQ(length, 1) << "the document's search includes the root";
}

TEST_F(ListTest, ItemsAndLengthFollowTheTreeAsItChanges) {
    ComPtr<IXMLDOMNodeList> options = Search(root_.get(), "psf:Option");
    ComPtr<IXMLDOMNode> item;
    ASSERT_EQ(options->get_item(1, item.put()), S_OK);
    EXPECT_EQ(Label(item.get()), "o2");
    EXPECT_EQ(options->get_item(2, item.put()), S_FALSE);
    EXPECT_FALSE(item);
    EXPECT_EQ(options->get_item(-1, item.put()), S_FALSE);
    EXPECT_EQ(options->get_item(0, nullptr), E_INVALIDARG);

    ASSERT_EQ(root_->appendChild(Create(doc_.get(), NODE_ELEMENT, "psf:Option", kPsf).get(), nullptr), S_OK);
    LONG length = 0;
    EXPECT_EQ(options->get_length(&length), S_OK);
    EXPECT_EQ(length, 3);
    ASSERT_EQ(options->get_item(0, item.put()), S_OK);
    ComPtr<IXMLDOMNode> parent;
    ASSERT_EQ(item->get_parentNode(parent.put()), S_OK);
    ASSERT_EQ(parent->removeChild(item.get(), nullptr), S_OK);
    EXPECT_EQ(options->get_length(&length), S_OK);
    EXPECT_EQ(length, 2);
    ASSERT_EQ(options->get_item(0, item.put()), S_OK);
    EXPECT_EQ(Label(item.get()), "o2") << "the removed node left the list";
}

TEST_F(ListTest, NextNodeWalksOnceResetRestartsAndARemovedCurrentNodeEndsTheWalk) {
    ComPtr<IXMLDOMNodeList> features = Search(root_.get(), "psf:Feature");
    ComPtr<IXMLDOMNode> first;
    ASSERT_EQ(features->nextNode(first.put()), S_OK);
    EXPECT_EQ(Walk(features.get()), std::vector<std::string>{"f2"});
    ComPtr<IXMLDOMNode> none;
    EXPECT_EQ(features->nextNode(none.put()), S_FALSE) << "and stays at the end";
    EXPECT_EQ(features->reset(), S_OK);
    EXPECT_EQ(Walk(features.get()), (std::vector<std::string>{"f1", "f2"}));

    EXPECT_EQ(features->reset(), S_OK);
    ComPtr<IXMLDOMNode> current;
    ASSERT_EQ(features->nextNode(current.put()), S_OK);
    ASSERT_EQ(root_->removeChild(current.get(), nullptr), S_OK);
    EXPECT_EQ(features->nextNode(none.put()), S_FALSE);
    EXPECT_FALSE(none);
    EXPECT_EQ(features->reset(), S_OK);
    EXPECT_TRUE(Walk(features.get()).empty()) << "f1 and the f2 inside it are gone";

    ComPtr<IXMLDOMNodeList> star = Search(root_.get(), "*");
    ASSERT_EQ(star->nextNode(current.put()), S_OK);
    ASSERT_EQ(root_->appendChild(Create(doc_.get(), NODE_ELEMENT, "late", "").get(), nullptr), S_OK);
    EXPECT_EQ(Walk(star.get()), (std::vector<std::string>{"default", "o3", "late"}))
        << "a walk whose current node stayed continues over the changed tree";
}

TEST_F(ListTest, ChildNodesListTheChildrenOfAnyKind) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<r>t<a/><!--c--><b/></r>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMNodeList> children;
    ASSERT_EQ(Root(doc.get())->get_childNodes(children.put()), S_OK);
    LONG length = 0;
    EXPECT_EQ(children->get_length(&length), S_OK);
    EXPECT_EQ(length, 4);
    std::vector<DOMNodeType> types;
    ComPtr<IXMLDOMNode> child;
    while (children->nextNode(child.put()) == S_OK) {
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        types.push_back(type);
    }
    EXPECT_EQ(types, (std::vector<DOMNodeType>{NODE_TEXT, NODE_ELEMENT, NODE_COMMENT, NODE_ELEMENT}));
}

TEST_F(ListTest, AttributeMapsFindByQualifiedNameAndWalk) {
    ComPtr<IXMLDOMDocument2> doc =
        qptest::LoadDocument("<r xmlns:x=\"urn:x\" name=\"plain\" x:name=\"prefixed\" other=\"o\"/>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMNamedNodeMap> map;
    ASSERT_EQ(Root(doc.get())->get_attributes(map.put()), S_OK);
    ComPtr<IXMLDOMNode> item;
    Bstr name = B("x:name");
    ASSERT_EQ(map->getNamedItem(name.get(), item.put()), S_OK);
    EXPECT_EQ(Text(item.get()), "prefixed");
    Bstr missing = B("absent");
    EXPECT_EQ(map->getNamedItem(missing.get(), item.put()), S_FALSE);
    EXPECT_FALSE(item);
    EXPECT_EQ(map->getNamedItem(name.get(), nullptr), E_INVALIDARG);
    Bstr local = B("name");
    Bstr uri = B("urn:x");
    ASSERT_EQ(map->getQualifiedItem(local.get(), uri.get(), item.put()), S_OK);
    EXPECT_EQ(Text(item.get()), "prefixed");

    std::vector<std::string> values;
    while (map->nextNode(item.put()) == S_OK) values.push_back(Text(item.get()));
    EXPECT_EQ(values, (std::vector<std::string>{"plain", "prefixed", "o"}));
    EXPECT_EQ(map->get_item(3, item.put()), S_FALSE);
    EXPECT_EQ(map->reset(), S_OK);

    Bstr other = B("other");
    ASSERT_EQ(map->removeNamedItem(other.get(), item.put()), S_OK);
    EXPECT_EQ(Text(item.get()), "o") << "the removed attribute stays usable";
    LONG length = 0;
    EXPECT_EQ(map->get_length(&length), S_OK);
    EXPECT_EQ(length, 2);
    ComPtr<IXMLDOMNamedNodeMap> none;
    EXPECT_EQ(item->get_attributes(none.put()), S_FALSE) << "only elements have attributes";
    qptest::XmlDoc out(Xml(doc.get()));
    EXPECT_EQ(out.Count("/r/@*"), 2);
}

}  // namespace
}  // namespace msxmltest
