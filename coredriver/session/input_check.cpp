#include <session/input_check.h>

#include <session/core_helper_stub.h>

#include <optional>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace coredriver {
namespace {

const WCHAR* const kFrameworkNamespace = W("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework");
const WCHAR* const kKeywordsNamespace = W("http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords");
const WCHAR* const kInstanceNamespace = W("http://www.w3.org/2001/XMLSchema-instance");
const WCHAR* const kSchemaNamespace = W("http://www.w3.org/2001/XMLSchema");

std::string Utf8(const WideString& text) { return EncodeUtf8(text.data(), text.size()); }

// Up to the first NUL, as the DOM reads its strings.
WideString TextOf(const Bstr& text) { return text ? WideString(text.get()) : WideString(); }

ComPtr<IXMLDOMElement> RootOf(IXMLDOMDocument2* document) {
    ComPtr<IXMLDOMElement> root;
    if (document->get_documentElement(root.put()) != S_OK) root.reset();
    return root;
}

bool IsElement(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    return node->get_nodeType(&type) == S_OK && type == NODE_ELEMENT;
}

WideString NodeName(IXMLDOMNode* node) {
    Bstr name;
    if (node->get_nodeName(name.put()) != S_OK) return {};
    return TextOf(name);
}

// The node after `node` in document order below the node the walk started from, `depth` levels
// above it; null at the end. Without recursion, as a document may nest deeply.
ComPtr<IXMLDOMNode> NextInOrder(ComPtr<IXMLDOMNode> node, int& depth) {
    ComPtr<IXMLDOMNode> next;
    if (node->get_firstChild(next.put()) == S_OK && next) {
        ++depth;
        return next;
    }
    while (depth > 0 && node) {
        if (node->get_nextSibling(next.put()) == S_OK && next) return next;
        ComPtr<IXMLDOMNode> parent;
        if (node->get_parentNode(parent.put()) != S_OK) parent.reset();
        node = std::move(parent);
        --depth;
    }
    return {};
}

// Calls `visit` with every element below `top`, in document order, until it returns true.
template <class Visit>
bool AnyElementBelow(IXMLDOMNode* top, Visit visit) {
    int depth = 0;
    for (ComPtr<IXMLDOMNode> node = NextInOrder(ComPtr<IXMLDOMNode>(top), depth); node;
         node = NextInOrder(std::move(node), depth)) {
        if (IsElement(node.get()) && visit(node.get())) return true;
    }
    return false;
}

WideString NameAttribute(IXMLDOMNode* node) {
    ComPtr<IXMLDOMElement> element;
    const Bstr attribute = Bstr::Copy(W("name"));
    Variant value;
    if (!attribute || node->QueryInterface(IID_IXMLDOMElement, element.put_void()) != S_OK ||
        element->getAttribute(attribute.get(), value.put()) != S_OK || value.get().vt != VT_BSTR) {
        return {};
    }
    return value.get().bstrVal != nullptr ? WideString(value.get().bstrVal) : WideString();
}

// The document's features and the prefixes its root declares, read once.
class InputInspector {
public:
    InputInspector(IXMLDOMDocument2* document, const InputExpectation& expected, const WideString& driverNamespace)
        : root_(RootOf(document)), noun_(expected.noun), driverNamespace_(driverNamespace) {
        if (root_ && !ReadRootDeclarations()) manager_.reset();
    }

    std::string Unmet(InputNeed need) {
        switch (need) {
            case InputNeed::PresentationDirection: return PresentationDirection();
            case InputNeed::OutputBin: return OutputBin();
            case InputNeed::HoleCount: return HoleCount();
        }
        return {};
    }

private:
    struct Feature {
        WideString name;
        ComPtr<IXMLDOMNode> element;
    };

    // Through the namespace manager the core driver would hand the plug-in.
    bool ReadRootDeclarations() {
        const ComPtr<CoreHelperStub> helper = CoreHelperStub::Create();
        return SUCCEEDED(helper->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER,
                                                             IID_IMXNamespaceManager, manager_.put_void())) &&
               manager_ && manager_->pushNodeContext(root_.get(), VARIANT_TRUE) == S_OK;
    }

    std::string PresentationDirection() {
        WideString own;
        WideString keywords;
        if (std::string unmet = Declares(driverNamespace_.c_str(), "the driver's namespace", own); !unmet.empty()) {
            return unmet;
        }
        if (std::string unmet = DeclaresFrameworkAnd(keywords); !unmet.empty()) return unmet;
        const WideString direction = QName(own, W("JobPresentationDirection"));
        if (!FindFeature(direction)) {
            return "the " + noun_ + " has no private JobPresentationDirection feature (" + Utf8(direction) + ")";
        }
        return NoFeature(QName(keywords, W("JobNUpAllDocumentsContiguously")));
    }

    std::string OutputBin() {
        WideString keywords;
        if (std::string unmet = DeclaresFrameworkAnd(keywords); !unmet.empty()) return unmet;
        return NoFeature(QName(keywords, W("JobOutputBin")));
    }

    std::string HoleCount() {
        WideString keywords;
        if (std::string unmet = DeclaresFrameworkAnd(keywords); !unmet.empty()) return unmet;
        const WideString holePunch = QName(keywords, W("JobHolePunch"));
        const Feature* feature = FindFeature(holePunch);
        const WideString option = QName(framework_, W("Option"));
        const auto isOption = [&option](IXMLDOMNode* node) { return NodeName(node) == option; };
        if (feature == nullptr || !AnyElementBelow(feature->element.get(), isOption)) {
            return "the " + noun_ + " has no " + Utf8(holePunch) + " feature with an option";
        }
        return TypeNamespaces();
    }

    // The count is an xsd:integer, typed with xsi:type.
    std::string TypeNamespaces() {
        WideString prefix;
        for (const WCHAR* uri : {kInstanceNamespace, kSchemaNamespace}) {
            if (!Prefix(uri, prefix)) {
                return "the root element does not declare " + Utf8(uri) + ", which the type of the hole count needs";
            }
        }
        return {};
    }

    std::string DeclaresFrameworkAnd(WideString& keywords) {
        if (std::string unmet = Declares(kFrameworkNamespace, "the Print Schema framework namespace", framework_);
            !unmet.empty()) {
            return unmet;
        }
        return Declares(kKeywordsNamespace, "the Print Schema keywords namespace", keywords);
    }

    std::string Declares(const WCHAR* uri, const char* role, WideString& prefix) {
        if (Prefix(uri, prefix)) return {};
        return "the root element does not declare " + std::string(role) + " " + Utf8(uri);
    }

    std::string NoFeature(const WideString& name) {
        if (FindFeature(name)) return {};
        return "the " + noun_ + " has no " + Utf8(name) + " feature";
    }

    // The prefix the root element binds to `uri`, "" for the default namespace.
    bool Prefix(const WCHAR* uri, WideString& prefix) {
        int length = 0;
        if (!manager_ || manager_->getPrefix(uri, 0, nullptr, &length) != S_OK) return false;
        prefix.assign(static_cast<size_t>(length) + 1, WCHAR{0});
        ++length;  // room for the terminator
        if (manager_->getPrefix(uri, 0, prefix.data(), &length) != S_OK) return false;
        prefix.resize(static_cast<size_t>(length));
        return true;
    }

    static WideString QName(const WideString& prefix, const WCHAR* local) {
        return prefix.empty() ? WideString(local) : prefix + W(":") + local;
    }

    // The first psf:Feature named `name`, the one the plug-in would take.
    const Feature* FindFeature(const WideString& name) {
        if (!features_) CollectFeatures();
        for (const Feature& feature : *features_) {
            if (feature.name == name) return &feature;
        }
        return nullptr;
    }

    void CollectFeatures() {
        features_.emplace();
        if (!root_) return;
        // The DOM's own search by qualified name, rather than a visit of every node through the
        // interfaces, which would cost pthost as much as parsing the document.
        const Bstr feature = Bstr::Copy(QName(framework_, W("Feature")).c_str());
        ComPtr<IXMLDOMNodeList> list;
        if (!feature || root_->getElementsByTagName(feature.get(), list.put()) != S_OK) return;
        for (ComPtr<IXMLDOMNode> node; list->nextNode(node.put()) == S_OK && node;) {
            features_->push_back(Feature{NameAttribute(node.get()), node});
        }
    }

    ComPtr<IXMLDOMElement> root_;
    ComPtr<IMXNamespaceManager> manager_;
    std::string noun_;
    WideString driverNamespace_;
    WideString framework_;
    std::optional<std::vector<Feature>> features_;
};

}  // namespace

std::string RootMismatch(IXMLDOMDocument2* document, const InputExpectation& expected) {
    const ComPtr<IXMLDOMElement> root = RootOf(document);
    if (!root) return "the document has no root element";
    Bstr uri;
    Bstr local;
    if (root->get_namespaceURI(uri.put()) != S_OK || root->get_baseName(local.put()) != S_OK) uri.reset();
    const std::string rootName = EncodeUtf8(local ? local.get() : W(""), local ? WStrLen(local.get()) : 0);
    if (TextOf(uri) == kFrameworkNamespace && rootName == expected.rootName) return {};
    return "the root element is " + Utf8(NodeName(root.get())) + ", not a " + expected.rootName;
}

std::string FirstUnmetNeed(IXMLDOMDocument2* document, const InputExpectation& expected,
                           const WideString& driverNamespace) {
    InputInspector inspector(document, expected, driverNamespace);
    for (const InputNeed need : expected.needs) {
        if (std::string unmet = inspector.Unmet(need); !unmet.empty()) return unmet;
    }
    return {};
}

}  // namespace coredriver
