#include <print_schema/ticket_reader.h>

#include <session/hresult_text.h>
#include <session/core_helper_stub.h>
#include <session/text_codec.h>

#include <platform/hresult_flow.h>

#include <optional>
#include <utility>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace print_schema {
namespace {

using coredriver::WideString;

// Up to the first NUL, as the DOM reads its strings.
std::string Utf8(const WCHAR* text) {
    if (text == nullptr) return {};
    size_t length = 0;
    while (text[length] != 0) ++length;
    return coredriver::EncodeUtf8(text, length);
}

WideString Wide(const std::string& utf8) {
    WideString text;
    size_t ignored = 0;
    coredriver::DecodeUtf8(utf8, text, ignored);
    return text;
}

// A child element of the ticket, by its (namespace, local name).
struct Element {
    ComPtr<IXMLDOMNode> node;
    SchemaName name;
};

HRESULT NextElement(ComPtr<IXMLDOMNode>& node, Element& element) {
    while (node) {
        ComPtr<IXMLDOMNode> next;
        RETURN_IF_FAILED(node->get_nextSibling(next.put()));
        ComPtr<IXMLDOMNode> current = std::exchange(node, std::move(next));
        DOMNodeType type = NODE_INVALID;
        RETURN_IF_FAILED(current->get_nodeType(&type));
        if (type != NODE_ELEMENT) continue;
        Bstr uri;
        Bstr local;
        RETURN_IF_FAILED(current->get_namespaceURI(uri.put()));
        RETURN_IF_FAILED(current->get_baseName(local.put()));
        element = Element{std::move(current), SchemaName{Utf8(uri.get()), Utf8(local.get())}};
        return S_OK;
    }
    return S_FALSE;
}

// Calls `visit` with each child element of `parent`, in order.
template <class Visit>
HRESULT ForEachChildElement(IXMLDOMNode* parent, Visit visit) {
    ComPtr<IXMLDOMNode> node;
    RETURN_IF_FAILED(parent->get_firstChild(node.put()));
    Element element;
    HRESULT hr = S_OK;
    while ((hr = NextElement(node, element)) == S_OK) RETURN_IF_FAILED(visit(element));
    return FAILED(hr) ? hr : S_OK;
}

// The text of the name attribute; nullopt when there is none.
HRESULT NameAttribute(IXMLDOMNode* node, std::optional<std::string>& name) {
    name.reset();
    ComPtr<IXMLDOMElement> element;
    RETURN_IF_FAILED(node->QueryInterface(IID_IXMLDOMElement, element.put_void()));
    const Bstr attribute = Bstr::Copy(W("name"));
    if (!attribute) return E_OUTOFMEMORY;
    Variant value;
    RETURN_IF_FAILED(element->getAttribute(attribute.get(), value.put()));
    if (value.get().vt == VT_BSTR) name = Utf8(value.get().bstrVal);
    return S_OK;
}

bool IsFramework(const Element& element, const char* local) {
    return element.name.uri == kFrameworkNamespace && element.name.local == local;
}

class TicketReader {
public:
    TicketReader(const NamingContext& context, TicketReading& reading) : context_(context), reading_(reading) {}

    HRESULT Read(IXMLDOMDocument2* ticket) {
        // The namespace manager the core driver hands the plug-in: MSXML's, or the host's own.
        const ComPtr<CoreHelperStub> helper = CoreHelperStub::Create();
        RETURN_IF_FAILED(helper->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER,
                                                             IID_IMXNamespaceManager, manager_.put_void()));
        if (!manager_) return E_POINTER;
        ComPtr<IXMLDOMElement> root;
        RETURN_IF_NOT_OK(ticket->get_documentElement(root.put()));
        return ReadChildren(root.get());
    }

private:
    HRESULT ReadChildren(IXMLDOMNode* parent) {
        return ForEachChildElement(parent, [&](const Element& child) -> HRESULT {
            if (IsFramework(child, "Feature")) return ReadFeature(child);
            if (IsFramework(child, "ParameterInit")) return NoteParameter(child);
            return S_OK;
        });
    }

    HRESULT ReadFeature(const Element& element) {
        std::optional<std::string> qname;
        SchemaName name;
        RETURN_IF_FAILED(NameAttribute(element.node.get(), qname));
        if (!qname || !Resolve(element.node.get(), *qname, name)) {
            Note("not mapped: a feature whose name " +
                 (qname ? "'" + *qname + "' has an undeclared prefix" : "is missing"));
        } else if (const gpd::Feature* feature = FindFeature(name, *qname)) {
            RETURN_IF_FAILED(ReadOption(element.node.get(), *feature, *qname));
        } else {
            Note("not mapped: feature " + Described(*qname, name));
        }
        // Sub-features (psk:PresentationDirection under N-up, say) are read as features of their own.
        return ForEachChildElement(element.node.get(), [&](const Element& child) -> HRESULT {
            return IsFramework(child, "Feature") ? ReadFeature(child) : S_OK;
        });
    }

    HRESULT ReadOption(IXMLDOMNode* featureNode, const gpd::Feature& feature, const std::string& featureQName) {
        std::optional<Element> option;
        RETURN_IF_FAILED(ForEachChildElement(featureNode, [&](const Element& child) -> HRESULT {
            if (!option && IsFramework(child, "Option")) option = Element{child.node, child.name};
            return S_OK;
        }));
        const std::string keeps = " (" + feature.name + " keeps " + Selected(feature) + ")";
        if (!option) {
            Note("not mapped: feature " + featureQName + " selects no option" + keeps);
            return S_OK;
        }
        std::optional<std::string> qname;
        RETURN_IF_FAILED(NameAttribute(option->node.get(), qname));
        SchemaName name;
        if (!qname || !Resolve(option->node.get(), *qname, name)) {
            Note("not mapped: an option of feature " + featureQName + " without a usable name" + keeps);
        } else if (const gpd::Option* gpdOption = FindOption(feature, name, *qname, featureQName)) {
            reading_.selections[feature.name] = gpdOption->name;
            reading_.fromTicket.insert(feature.name);
            if (name == SchemaName{kKeywordsNamespace, "CustomMediaSize"}) {
                Note("not read back: the size of " + *qname + ", given by parameters, is no GPD selection");
            }
        } else {
            Note("not mapped: option " + Described(*qname, name) + " of feature " + featureQName + keeps);
        }
        return S_OK;
    }

    HRESULT NoteParameter(const Element& element) {
        std::optional<std::string> qname;
        RETURN_IF_FAILED(NameAttribute(element.node.get(), qname));
        Note("not read back: parameter " + qname.value_or("(unnamed)") + " is no GPD selection");
        return S_OK;
    }

    // The first GPD feature of that name; several are noted.
    const gpd::Feature* FindFeature(const SchemaName& name, const std::string& qname) {
        std::vector<const gpd::Feature*> found;
        for (const gpd::Feature& feature : context_.model.Features()) {
            if (IsPublished(context_, feature) && FeatureSchemaName(context_, feature) == name)
                found.push_back(&feature);
        }
        if (found.size() > 1)
            Note("ambiguous: feature " + qname + " is " + Names(found) + ": " + found[0]->name + " taken");
        return found.empty() ? nullptr : found.front();
    }

    const gpd::Option* FindOption(const gpd::Feature& feature, const SchemaName& name, const std::string& qname,
                                  const std::string& featureQName) {
        std::vector<const gpd::Option*> found;
        for (const gpd::Option& option : feature.options) {
            if (OptionSchemaName(context_, feature, option) == name) found.push_back(&option);
        }
        if (found.size() > 1) {
            Note("ambiguous: option " + qname + " of feature " + featureQName + " is " + Names(found) + " of " +
                 feature.name + ": " + found[0]->name + " taken");
        }
        return found.empty() ? nullptr : found.front();
    }

    template <class T>
    static std::string Names(const std::vector<const T*>& items) {
        std::string text;
        for (const T* item : items) text += (text.empty() ? "" : ", ") + item->name;
        return text;
    }

    std::string Selected(const gpd::Feature& feature) const {
        const auto selected = reading_.selections.find(feature.name);
        return selected == reading_.selections.end() ? "no option" : selected->second;
    }

    // The QName, with its namespace when that is neither the keywords' nor the private one in
    // force: a ticket written for another namespace shows why nothing in it maps.
    std::string Described(const std::string& qname, const SchemaName& name) const {
        if (name.uri == kKeywordsNamespace || name.uri == context_.privateNamespace) return qname;
        return qname + " (namespace " + (name.uri.empty() ? "none" : name.uri) + ")";
    }

    // The (namespace, local name) of a QName written at `node`, by the declarations in scope
    // there; false when its prefix is not declared.
    bool Resolve(IXMLDOMNode* node, const std::string& qname, SchemaName& name) {
        const size_t colon = qname.find(':');
        const std::string prefix = colon == std::string::npos ? std::string() : qname.substr(0, colon);
        name.local = colon == std::string::npos ? qname : qname.substr(colon + 1);
        if (manager_->pushNodeContext(node, VARIANT_TRUE) != S_OK) return false;
        const bool bound = BoundUri(Wide(prefix), name.uri);
        manager_->popContext();
        // Without a default namespace an unprefixed name is in none.
        return bound || prefix.empty();
    }

    // The URI `prefix` is bound to in the manager's current context.
    bool BoundUri(const WideString& prefix, std::string& uri) {
        uri.clear();
        int length = 0;
        if (manager_->getURI(prefix.c_str(), nullptr, nullptr, &length) != S_OK || length < 0) return false;
        WideString text(static_cast<size_t>(length) + 1, WCHAR{0});
        int capacity = length + 1;
        if (manager_->getURI(prefix.c_str(), nullptr, text.data(), &capacity) != S_OK) return false;
        uri = Utf8(text.c_str());
        return true;
    }

    void Note(std::string text) { reading_.notes.push_back(std::move(text)); }

    const NamingContext& context_;
    TicketReading& reading_;
    ComPtr<IMXNamespaceManager> manager_;
};

}  // namespace

bool ReadTicket(const NamingContext& context, IXMLDOMDocument2* ticket, const gpd::Selections& defaults,
                TicketReading& reading, std::string& error) {
    reading = TicketReading{defaults, {}, {}};
    TicketReader reader(context, reading);
    const HRESULT hr = qp::NoThrow([&] { return reader.Read(ticket); });
    if (SUCCEEDED(hr)) return true;
    error = "cannot read the PrintTicket: " + DescribeHResult(hr);
    return false;
}

std::string SelectionsText(const gpd::GpdModel& model, const gpd::Selections& selections) {
    std::string text;
    for (const gpd::Feature& feature : model.Features()) {
        const auto selected = selections.find(feature.name);
        if (selected != selections.end()) text += (text.empty() ? "" : " ") + feature.name + "=" + selected->second;
    }
    return text;
}

}  // namespace print_schema
