#include <print_schema/document_builder.h>

#include <print_schema/schema_writer.h>
#include <print_schema/standard_keywords.h>

#include <platform/hresult_flow.h>

#include <algorithm>

namespace print_schema {
namespace {

void CollectUris(const FeatureContent& feature, std::vector<std::string>& uris) {
    uris.push_back(feature.name.uri);
    for (const OptionContent& option : feature.options) {
        if (option.name) uris.push_back(option.name->uri);
    }
    for (const FeatureContent& sub : feature.subFeatures) CollectUris(sub, uris);
}

// psf, psk, xsi, xsd and the private namespace always; the 2013 keywords when a name uses them.
std::vector<NamespaceBinding> Bindings(const NamingContext& context, const DocumentContent& content) {
    std::vector<NamespaceBinding> bindings = {
        {"psf", kFrameworkNamespace},
        {"psk", kKeywordsNamespace},
        {"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
        {"xsd", "http://www.w3.org/2001/XMLSchema"},
        {kPrivatePrefix, context.privateNamespace},
    };
    std::vector<std::string> uris;
    for (const FeatureContent& feature : content.features) CollectUris(feature, uris);
    if (std::find(uris.begin(), uris.end(), kKeywordsV11Namespace) != uris.end())
        bindings.push_back({"pskv11", kKeywordsV11Namespace});
    return bindings;
}

class Builder {
public:
    Builder(SchemaWriter& writer, DocumentKind kind) : writer_(writer), kind_(kind) {}

    HRESULT Feature(IXMLDOMNode* parent, const FeatureContent& feature) {
        qp::ComPtr<IXMLDOMElement> element;
        RETURN_IF_FAILED(writer_.AppendElement(parent, "Feature", element));
        RETURN_IF_FAILED(writer_.SetNameAttribute(element.get(), "name", feature.name));
        if (kind_ == DocumentKind::Capabilities) {
            RETURN_IF_FAILED(FeatureProperties(element.get(), feature));
            for (const OptionContent& option : feature.options) RETURN_IF_FAILED(Option(element.get(), option));
        } else if (feature.selected < feature.options.size()) {
            RETURN_IF_FAILED(Option(element.get(), feature.options[feature.selected]));
        }
        for (const FeatureContent& sub : feature.subFeatures) RETURN_IF_FAILED(Feature(element.get(), sub));
        return S_OK;
    }

    HRESULT Parameter(IXMLDOMNode* parent, const print_schema::Parameter& parameter) {
        if (kind_ == DocumentKind::Ticket) {
            if (!parameter.initialized) return S_OK;
            return writer_.AppendNamedValue(parent, "ParameterInit", parameter.name, "xsd:integer",
                                            std::to_string(parameter.defaultValue));
        }
        qp::ComPtr<IXMLDOMElement> element;
        RETURN_IF_FAILED(writer_.AppendElement(parent, "ParameterDef", element));
        RETURN_IF_FAILED(writer_.SetNameAttribute(element.get(), "name", parameter.name));
        RETURN_IF_FAILED(Property(element.get(), Framework("DataType"), "xsd:QName", "xsd:integer"));
        RETURN_IF_FAILED(Property(element.get(), Framework("DefaultValue"), "xsd:integer",
                                  std::to_string(parameter.defaultValue)));
        RETURN_IF_FAILED(Property(element.get(), Framework("MinValue"), "xsd:integer", std::to_string(parameter.minValue)));
        RETURN_IF_FAILED(Property(element.get(), Framework("MaxValue"), "xsd:integer", std::to_string(parameter.maxValue)));
        RETURN_IF_FAILED(Property(element.get(), Framework("Multiple"), "xsd:integer", "1"));
        RETURN_IF_FAILED(Property(element.get(), Framework("Mandatory"), "xsd:QName",
                                  std::string("psk:") + parameter.mandatory));
        RETURN_IF_FAILED(Property(element.get(), Framework("UnitType"), "xsd:string", parameter.unitType));
        return Property(element.get(), Keyword("DisplayName"), "xsd:string", parameter.displayName);
    }

private:
    static SchemaName Framework(const char* local) { return SchemaName{kFrameworkNamespace, local}; }
    static SchemaName Keyword(const char* local) { return SchemaName{kKeywordsNamespace, local}; }

    HRESULT Property(IXMLDOMNode* parent, const SchemaName& name, const char* type, const std::string& text) {
        return writer_.AppendNamedValue(parent, "Property", name, type, text);
    }

    HRESULT FeatureProperties(IXMLDOMElement* element, const FeatureContent& feature) {
        RETURN_IF_FAILED(Property(element, Framework("SelectionType"), "xsd:QName", "psk:PickOne"));
        RETURN_IF_FAILED(Property(element, Keyword("DisplayName"), "xsd:string", feature.displayName));
        if (feature.concealed) RETURN_IF_FAILED(Property(element, Keyword("DisplayUI"), "xsd:string", "False"));
        return S_OK;
    }

    HRESULT Option(IXMLDOMElement* feature, const OptionContent& option) {
        qp::ComPtr<IXMLDOMElement> element;
        RETURN_IF_FAILED(writer_.AppendElement(feature, "Option", element));
        if (option.name) RETURN_IF_FAILED(writer_.SetNameAttribute(element.get(), "name", *option.name));
        if (kind_ == DocumentKind::Capabilities) {
            RETURN_IF_FAILED(writer_.SetAttribute(element.get(), "constrained", "psk:None"));
            RETURN_IF_FAILED(Property(element.get(), Keyword("DisplayName"), "xsd:string", option.displayName));
        }
        for (const ScoredProperty& scored : option.scored) RETURN_IF_FAILED(Scored(element.get(), scored));
        return S_OK;
    }

    HRESULT Scored(IXMLDOMElement* option, const ScoredProperty& scored) {
        if (!scored.parameter) {
            return writer_.AppendNamedValue(option, "ScoredProperty", scored.name, "xsd:integer",
                                            std::to_string(scored.value));
        }
        qp::ComPtr<IXMLDOMElement> element;
        RETURN_IF_FAILED(writer_.AppendElement(option, "ScoredProperty", element));
        RETURN_IF_FAILED(writer_.SetNameAttribute(element.get(), "name", scored.name));
        qp::ComPtr<IXMLDOMElement> reference;
        RETURN_IF_FAILED(writer_.AppendElement(element.get(), "ParameterRef", reference));
        return writer_.SetNameAttribute(reference.get(), "name", *scored.parameter);
    }

    SchemaWriter& writer_;
    DocumentKind kind_;
};

}  // namespace

HRESULT BuildDocument(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections,
                      IXMLDOMDocument2* document) {
    if (document == nullptr) return E_POINTER;
    return qp::NoThrow([&]() -> HRESULT {
        const DocumentContent content = CollectContent(context, kind, selections);
        SchemaWriter writer(document, Bindings(context, content));
        qp::ComPtr<IXMLDOMElement> root;
        RETURN_IF_FAILED(writer.CreateRoot(kind == DocumentKind::Capabilities ? "PrintCapabilities" : "PrintTicket", root));
        Builder builder(writer, kind);
        for (const FeatureContent& feature : content.features) RETURN_IF_FAILED(builder.Feature(root.get(), feature));
        for (const Parameter& parameter : content.parameters) RETURN_IF_FAILED(builder.Parameter(root.get(), parameter));
        return writer.Finish();
    });
}

}  // namespace print_schema
