#include "hostile_documents.h"

namespace hostile {
namespace {

std::string Declare(const std::string& prefix, const char* uri) {
    if (prefix.empty()) return {};
    return " xmlns:" + prefix + "=\"" + uri + "\"";
}

// `prefix:local`, or the bare local name for an undeclared (empty) prefix.
std::string Q(const std::string& prefix, const std::string& local) {
    return prefix.empty() ? local : prefix + ":" + local;
}

struct Writer {
    const Prefixes& p;
    std::string out;

    std::string F(const std::string& local) const { return Q(p.psf, local); }

    void Open(const std::string& rootExtra) {
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + F("PrintTicket") + Declare(p.psf, kPsf);
        if (!p.pskInnerOnly) out += Declare(p.psk, kPsk) + Declare(p.pskSecond, kPsk);
        if (!p.privInnerOnly) out += Declare(p.priv, kPrivate) + Declare(p.privSecond, kPrivate);
        out += Declare("xsi", kXsi) + Declare("xsd", kXsd) + rootExtra + " version=\"1\">\n";
    }
    void Close() { out += "</" + F("PrintTicket") + ">\n"; }

    void Padding(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            out += "<" + F("Feature") + " name=\"" + Q(p.priv, "Pad" + n) + "\"><" + F("Option") + " name=\"" +
                   Q(p.priv, "Choice" + n) + "\"/></" + F("Feature") + ">\n";
        }
    }

    // The private presentation direction; the first feature, so inner-only declarations go here.
    void PresentationDirection(const std::string& optionLocal = "RightBottom") {
        out += "<" + F("Feature");
        if (p.pskInnerOnly) out += Declare(p.psk, kPsk);
        if (p.privInnerOnly) out += Declare(p.priv, kPrivate);
        out += " name=\"" + Q(p.priv, "JobPresentationDirection") + "\"><" + F("Option") + " name=\"" +
               Q(p.priv, optionLocal) + "\"/></" + F("Feature") + ">\n";
    }

    void NUp() {
        out += "<" + F("Feature") + " name=\"" + Q(p.psk, "JobNUpAllDocumentsContiguously") + "\"><" + F("Option") +
               "><" + F("ScoredProperty") + " name=\"" + Q(p.psk, "PagesPerSheet") + "\"><" + F("Value") +
               " xsi:type=\"xsd:integer\">2</" + F("Value") + "></" + F("ScoredProperty") + "></" + F("Option") +
               "></" + F("Feature") + ">\n";
    }

    void OutputBin(size_t extraOptions = 0, const std::string& binTypeText = "") {
        out += "<" + F("Feature") + " name=\"" + Q(p.psk, "JobOutputBin") + "\">\n";
        const std::string binType = binTypeText.empty() ? Q(p.psk, "Stacker") : binTypeText;
        out += "<" + F("Option") + " name=\"" + Q(p.psk, "AutoSelect") + "\"><" + F("ScoredProperty") + " name=\"" +
               Q(p.psk, "BinType") + "\"><" + F("Value") + " xsi:type=\"xsd:QName\">" + binType + "</" +
               F("Value") + "></" + F("ScoredProperty") + "></" + F("Option") + ">\n";
        for (size_t i = 0; i < extraOptions; ++i) {
            out += "<" + F("Option") + " name=\"" + Q(p.priv, "Bin" + std::to_string(i)) + "\"/>\n";
        }
        out += "<" + F("Option") + " name=\"" + Q(p.priv, "Center") + "\"/>\n<" + F("Option") + " name=\"" +
               Q(p.priv, "Finisher") + "\"/>\n</" + F("Feature") + ">\n";
    }

    void HolePunch() {
        out += "<" + F("Feature") + " name=\"" + Q(p.psk, "JobHolePunch") + "\"><" + F("Option") + " name=\"" +
               Q(p.psk, "LeftEdge") + "\"/></" + F("Feature") + ">\n";
    }
};

// The driver-form ticket: `padding` features, then the four the passes look for, the output bin
// with `extraBins` more options before the driver's two.
std::string DriverFormTicket(const Prefixes& prefixes, size_t padding, size_t extraBins) {
    Writer w{prefixes, {}};
    w.Open("");
    w.Padding(padding);
    w.PresentationDirection();
    w.NUp();
    w.OutputBin(extraBins);
    w.HolePunch();
    w.Close();
    return w.out;
}

}  // namespace

std::string Repeat(char c, size_t length) { return std::string(length, c); }

std::string Ticket(const Prefixes& prefixes, size_t padding) { return DriverFormTicket(prefixes, padding, 0); }

std::string LongNames(size_t length) {
    Prefixes prefixes;
    prefixes.priv = "p" + Repeat('r', length - 1);
    Writer w{prefixes, {}};
    w.Open(" decoy=\"" + Repeat('a', length) + "\"");
    w.out += "<psf:Feature name=\"psk:" + Repeat('L', length) + "\"><psf:Option name=\"" + Q(prefixes.priv, Repeat('o', length)) +
             "\"/></psf:Feature>\n";
    w.out += "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:string\">" +
             Repeat('v', length) + "</psf:Value></psf:ParameterInit>\n";
    w.PresentationDirection(Repeat('d', length));
    w.NUp();
    w.OutputBin(0, "psk:" + Repeat('S', length));
    w.HolePunch();
    w.Close();
    return w.out;
}

std::string DeepFeatures(size_t depth) {
    const Prefixes prefixes;
    Writer w{prefixes, {}};
    w.Open("");
    w.NUp();
    w.OutputBin();
    w.HolePunch();
    for (size_t i = 0; i < depth; ++i) w.out += "<psf:Feature name=\"ns0000:Level" + std::to_string(i) + "\">";
    w.PresentationDirection();
    for (size_t i = 0; i < depth; ++i) w.out += "</psf:Feature>";
    w.out += "\n";
    w.Close();
    return w.out;
}

std::string ManyOutputBinOptions(size_t count) { return DriverFormTicket({}, 0, count); }

std::string EscapedAndAstral() {
    // The psk namespace goes by a prefix with a character outside the BMP, so every name the
    // plug-in forms for it carries a surrogate pair; escaped characters sit in the attribute and
    // text the passes move or read.
    Prefixes prefixes;
    prefixes.psk = kAstralPrefix;
    Writer w{prefixes, {}};
    const std::string escapedAttribute = "&lt;&amp;&gt;&quot;&apos; tab&#9;here \xF0\x9F\x96\xA8";
    const std::string escapedText = "&lt;&amp;&gt;\"' tab\there \xF0\x9F\x96\xA8";
    w.Open(" note=\"" + escapedAttribute + "\"");
    w.out += "<psf:Feature name=\"ns0000:JobPresentationDirection\"><psf:Option name=\"ns0000:RightBottom\" note=\"" +
             escapedAttribute + "\"><psf:ScoredProperty name=\"ns0000:Note\"><psf:Value xsi:type=\"xsd:string\">" +
             escapedText + "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>\n";
    w.NUp();
    w.OutputBin(0, escapedText);
    w.HolePunch();
    w.Close();
    return w.out;
}

std::string RootWithoutNamespaces() {
    return "<?xml version=\"1.0\"?>\n<PrintTicket version=\"1\"><Feature name=\"JobPresentationDirection\">"
           "<Option name=\"RightBottom\"/></Feature><Feature name=\"JobNUpAllDocumentsContiguously\"/>"
           "<Feature name=\"JobOutputBin\"><Option name=\"Center\"/></Feature></PrintTicket>\n";
}

}  // namespace hostile
