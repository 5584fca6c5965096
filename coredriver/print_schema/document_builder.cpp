#include <print_schema/document_builder.h>

#include <print_schema/schema_text_writer.h>
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
    Builder(SchemaTextWriter& writer, DocumentKind kind) : writer_(writer), kind_(kind) {}

    void Feature(const FeatureContent& feature) {
        writer_.Open("Feature", {{"name", writer_.QName(feature.name)}});
        if (kind_ == DocumentKind::Capabilities) {
            FeatureProperties(feature);
            for (const OptionContent& option : feature.options) Option(option);
        } else if (feature.selected < feature.options.size()) {
            Option(feature.options[feature.selected]);
        }
        for (const FeatureContent& sub : feature.subFeatures) Feature(sub);
        writer_.Close("Feature");
    }

    void Parameter(const print_schema::Parameter& parameter) {
        if (kind_ == DocumentKind::Ticket) {
            if (parameter.initialized) {
                writer_.NamedValue("ParameterInit", parameter.name, "xsd:integer", std::to_string(parameter.defaultValue));
            }
            return;
        }
        writer_.Open("ParameterDef", {{"name", writer_.QName(parameter.name)}});
        Property(Framework("DataType"), "xsd:QName", "xsd:integer");
        Property(Framework("DefaultValue"), "xsd:integer", std::to_string(parameter.defaultValue));
        Property(Framework("MinValue"), "xsd:integer", std::to_string(parameter.minValue));
        Property(Framework("MaxValue"), "xsd:integer", std::to_string(parameter.maxValue));
        Property(Framework("Multiple"), "xsd:integer", "1");
        Property(Framework("Mandatory"), "xsd:QName", std::string("psk:") + parameter.mandatory);
        Property(Framework("UnitType"), "xsd:string", parameter.unitType);
        Property(Keyword("DisplayName"), "xsd:string", parameter.displayName);
        writer_.Close("ParameterDef");
    }

private:
    static SchemaName Framework(const char* local) { return SchemaName{kFrameworkNamespace, local}; }
    static SchemaName Keyword(const char* local) { return SchemaName{kKeywordsNamespace, local}; }

    void Property(const SchemaName& name, const char* type, const std::string& text) {
        writer_.NamedValue("Property", name, type, text);
    }

    void FeatureProperties(const FeatureContent& feature) {
        Property(Framework("SelectionType"), "xsd:QName", "psk:PickOne");
        Property(Keyword("DisplayName"), "xsd:string", feature.displayName);
        if (feature.concealed) Property(Keyword("DisplayUI"), "xsd:string", "False");
    }

    void Option(const OptionContent& option) {
        const bool capabilities = kind_ == DocumentKind::Capabilities;
        const bool empty = !capabilities && option.scored.empty();
        const std::string name = option.name ? writer_.QName(*option.name) : std::string();
        if (!option.name) {
            writer_.Open("Option", {}, empty);
        } else if (capabilities) {
            writer_.Open("Option", {{"name", name}, {"constrained", "psk:None"}}, empty);
        } else {
            writer_.Open("Option", {{"name", name}}, empty);
        }
        if (capabilities) Property(Keyword("DisplayName"), "xsd:string", option.displayName);
        for (const ScoredProperty& scored : option.scored) Scored(scored);
        if (!empty) writer_.Close("Option");
    }

    void Scored(const ScoredProperty& scored) {
        if (!scored.parameter) {
            writer_.NamedValue("ScoredProperty", scored.name, "xsd:integer", std::to_string(scored.value));
            return;
        }
        writer_.Open("ScoredProperty", {{"name", writer_.QName(scored.name)}});
        writer_.Open("ParameterRef", {{"name", writer_.QName(*scored.parameter)}}, true);
        writer_.Close("ScoredProperty");
    }

    SchemaTextWriter& writer_;
    DocumentKind kind_;
};

}  // namespace

HRESULT BuildDocument(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections,
                      IXMLDOMDocument2* document) {
    if (document == nullptr) return E_POINTER;
    return qp::NoThrow([&]() -> HRESULT {
        const DocumentContent content = CollectContent(context, kind, selections);
        SchemaTextWriter writer(Bindings(context, content));
        const char* root = kind == DocumentKind::Capabilities ? "PrintCapabilities" : "PrintTicket";
        writer.OpenRoot(root);
        Builder builder(writer, kind);
        for (const FeatureContent& feature : content.features) builder.Feature(feature);
        for (const Parameter& parameter : content.parameters) builder.Parameter(parameter);
        writer.Close(root);
        return writer.Load(document);
    });
}

}  // namespace print_schema
