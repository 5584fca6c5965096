#include "document_generator.h"

#include <cstdio>

namespace qpbench {
namespace {

constexpr const char* kRootAttributes =
    " xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:ns0000=\"http://schemas.qpqp.example/qv/2021/04/printing/printticket\""
    " version=\"1\"";

// Appends elements without whitespace between them, so the DOM is the same whether or not a
// loader keeps whitespace-only text.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    void Open(const char* element, const std::string& name = {}) {
        out_ += '<';
        out_ += element;
        if (!name.empty()) Attribute("name", name);
        out_ += '>';
    }
    void Close(const char* element) {
        out_ += "</";
        out_ += element;
        out_ += '>';
    }
    void Empty(const char* element, const std::string& name) {
        out_ += '<';
        out_ += element;
        Attribute("name", name);
        out_ += "/>";
    }
    void Value(const char* type, const std::string& text) {
        out_ += "<psf:Value xsi:type=\"";
        out_ += type;
        out_ += "\">";
        out_ += text;
        out_ += "</psf:Value>";
    }
    void Property(const char* element, const std::string& name, const char* type, const std::string& text) {
        Open(element, name);
        Value(type, text);
        Close(element);
    }

private:
    void Attribute(const char* attribute, const std::string& value) {
        out_ += ' ';
        out_ += attribute;
        out_ += "=\"";
        out_ += value;
        out_ += '"';
    }

    std::string& out_;
};

std::string Numbered(const char* stem, int n, int width) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%0*d", stem, width, n);
    return buffer;
}

// A capabilities feature's head: how it is chosen and its display name.
void CapabilitiesFeatureHead(Writer& w, const std::string& displayName) {
    w.Property("psf:Property", "psf:SelectionType", "xsd:QName", "psk:PickOne");
    w.Property("psf:Property", "psk:DisplayName", "xsd:string", displayName);
}

void CapabilitiesOption(Writer& w, const std::string& name, const std::string& displayName) {
    w.Open("psf:Option", name);
    w.Property("psf:Property", "psk:DisplayName", "xsd:string", displayName);
    w.Close("psf:Option");
}

void FillerFeature(Writer& w, DocumentKind kind, int n) {
    w.Open("psf:Feature", Numbered("ns0000:Feature", n, 5));
    if (kind == DocumentKind::PrintTicket) {
        w.Empty("psf:Option", "ns0000:Option1");
    } else {
        CapabilitiesFeatureHead(w, Numbered("Feature ", n, 1));
        for (int option = 1; option <= kCapabilitiesOptionsPerFeature; ++option) {
            CapabilitiesOption(w, Numbered("ns0000:Option", option, 1), Numbered("Option ", option, 1));
        }
    }
    w.Close("psf:Feature");
}

void NUpOption(Writer& w, int pagesPerSheet) {
    w.Open("psf:Option");
    w.Property("psf:ScoredProperty", "psk:PagesPerSheet", "xsd:integer", std::to_string(pagesPerSheet));
    w.Close("psf:Option");
}

void PresentationDirectionFeature(Writer& w, DocumentKind kind, const char* name) {
    w.Open("psf:Feature", name);
    if (kind == DocumentKind::PrintTicket) {
        w.Empty("psf:Option", "ns0000:RightBottom");
    } else {
        CapabilitiesFeatureHead(w, "Page Order");
        for (const char* option : {"RightBottom", "BottomRight", "LeftBottom", "BottomLeft"}) {
            CapabilitiesOption(w, std::string("ns0000:") + option, option);
        }
    }
    w.Close("psf:Feature");
}

void NUpFeature(Writer& w, DocumentKind kind, Form form) {
    w.Open("psf:Feature", "psk:JobNUpAllDocumentsContiguously");
    if (kind == DocumentKind::PrintTicket) {
        NUpOption(w, 2);
    } else {
        CapabilitiesFeatureHead(w, "Pages per Sheet");
        for (int pages : {1, 2, 4, 6}) NUpOption(w, pages);
    }
    if (form == Form::Public) PresentationDirectionFeature(w, kind, "psk:PresentationDirection");
    w.Close("psf:Feature");
}

void OutputBinFeature(Writer& w, DocumentKind kind, Form form) {
    w.Open("psf:Feature", "psk:JobOutputBin");
    if (kind == DocumentKind::PrintCapabilities) {
        CapabilitiesFeatureHead(w, "Output Bin");
        for (const char* bin : {"Upper", "Center", "Finisher", "Lower"}) {
            CapabilitiesOption(w, std::string("ns0000:") + bin, bin);
        }
    } else if (form == Form::Driver) {
        w.Empty("psf:Option", "ns0000:Center");
    } else {
        w.Open("psf:Option");
        w.Property("psf:ScoredProperty", "psk:BinType", "xsd:QName", "psk:Stacker");
        w.Close("psf:Option");
    }
    w.Close("psf:Feature");
}

void HolePunchFeature(Writer& w, DocumentKind kind) {
    w.Open("psf:Feature", "psk:JobHolePunch");
    if (kind == DocumentKind::PrintTicket) {
        w.Empty("psf:Option", "ns0000:Holes");
    } else {
        CapabilitiesFeatureHead(w, "Hole Punch");
        for (const char* holes : {"None", "Holes"}) CapabilitiesOption(w, std::string("ns0000:") + holes, holes);
    }
    w.Close("psf:Feature");
}

void EditedFeatures(Writer& w, const DocumentShape& shape) {
    if (shape.form == Form::Driver) {
        PresentationDirectionFeature(w, shape.kind, "ns0000:JobPresentationDirection");
    }
    NUpFeature(w, shape.kind, shape.form);
    OutputBinFeature(w, shape.kind, shape.form);
    HolePunchFeature(w, shape.kind);
}

int EditedBlockPosition(const DocumentShape& shape) {
    switch (shape.placement) {
        case Placement::First: return 0;
        case Placement::Middle: return shape.fillerFeatures / 2;
        case Placement::Last: break;
    }
    return shape.fillerFeatures;
}

}  // namespace

std::string GenerateDocument(const DocumentShape& shape) {
    const char* root = shape.kind == DocumentKind::PrintTicket ? "psf:PrintTicket" : "psf:PrintCapabilities";
    const size_t perFeature = shape.kind == DocumentKind::PrintTicket ? 100 : 900;
    std::string out;
    out.reserve(1024 + perFeature * static_cast<size_t>(shape.fillerFeatures));
    Writer w(out);

    out += '<';
    out += root;
    out += kRootAttributes;
    out += '>';
    const int block = EditedBlockPosition(shape);
    for (int n = 0; n <= shape.fillerFeatures; ++n) {
        if (n == block) EditedFeatures(w, shape);
        if (n < shape.fillerFeatures) FillerFeature(w, shape.kind, n);
    }
    w.Close(root);
    return out;
}

const char* KindName(DocumentKind kind, Form form) {
    if (kind == DocumentKind::PrintCapabilities) return "capabilities";
    return form == Form::Driver ? "ticket" : "public-ticket";
}

const char* PlacementName(Placement placement) {
    switch (placement) {
        case Placement::First: return "first";
        case Placement::Middle: return "middle";
        case Placement::Last: break;
    }
    return "last";
}

}  // namespace qpbench
