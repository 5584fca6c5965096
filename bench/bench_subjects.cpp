#include "bench_subjects.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#ifndef QP_SOURCE_DIR
#error "QP_SOURCE_DIR names the source tree, where the bundled examples are"
#endif

using qp::ComPtr;

namespace qpbench {
namespace {

// A fragment the converted document must hold; with a leading '!', one it must not hold.
const std::vector<std::string>& ExpectedAfter(Conversion conversion) {
    static const std::vector<std::string> toTicket = {"psk:PresentationDirection", "ns0000:Tray", "psk:HoleCount",
                                                      "!ns0000:JobPresentationDirection"};
    static const std::vector<std::string> toDevMode = {"ns0000:JobPresentationDirection", "!psk:BinType",
                                                       "!psk:PresentationDirection"};
    static const std::vector<std::string> capabilities = {"psk:PresentationDirection", "ns0000:Tray", "psk:Stacker",
                                                          "!ns0000:JobPresentationDirection"};
    switch (conversion) {
        case Conversion::DevModeToPrintTicket: return toTicket;
        case Conversion::PrintTicketToDevMode: return toDevMode;
        case Conversion::CompletePrintCapabilities: break;
    }
    return capabilities;
}

Subject ExampleSubject(const char* key, const std::string& text, Conversion conversion) {
    Subject subject;
    subject.key = key;
    subject.conversion = conversion;
    subject.text = std::make_shared<DocumentText>(text);
    subject.expectedAfter = ExpectedAfter(conversion);
    return subject;
}

// The bundled ticket as ConvertDevModeToPrintTicket leaves it: what the core driver hands back
// to ConvertPrintTicketToDevMode when the user has not changed anything.
std::string PublicTicket(CoreDriverSession& session, const DocumentText& driverTicket, std::string& error) {
    ComPtr<IXMLDOMDocument2> document = ParseDocument(driverTicket);
    if (!document) {
        error = "the bundled PrintTicket does not load";
        return {};
    }
    if (session.Convert(Conversion::DevModeToPrintTicket, document.get()) != S_OK) {
        error = "ConvertDevModeToPrintTicket fails on the bundled PrintTicket";
        return {};
    }
    return Serialize(document.get());
}

Conversion ConversionFor(DocumentKind kind, Form form) {
    if (kind == DocumentKind::PrintCapabilities) return Conversion::CompletePrintCapabilities;
    return form == Form::Driver ? Conversion::DevModeToPrintTicket : Conversion::PrintTicketToDevMode;
}

}  // namespace

std::vector<Subject> ExampleSubjects(CoreDriverSession& session, std::string& error) {
    const std::string examples = std::string(QP_SOURCE_DIR) + "/examples/";
    std::string ticket;
    std::string capabilities;
    if (!ReadFile(examples + "printticket.xml", ticket) ||
        !ReadFile(examples + "printcapabilities.xml", capabilities)) {
        error = "cannot read the bundled examples in " + examples;
        return {};
    }
    std::vector<Subject> subjects;
    subjects.push_back(ExampleSubject("example/ticket", ticket, Conversion::DevModeToPrintTicket));
    const std::string publicTicket = PublicTicket(session, *subjects.back().text, error);
    if (publicTicket.empty()) return {};
    subjects.push_back(ExampleSubject("example/public-ticket", publicTicket, Conversion::PrintTicketToDevMode));
    subjects.push_back(ExampleSubject("example/capabilities", capabilities, Conversion::CompletePrintCapabilities));
    return subjects;
}

bool ParseSizeList(const std::string& text, std::vector<int>& sizes) {
    sizes.clear();
    std::stringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        const int size = std::atoi(item.c_str());
        if (size <= 0) return false;
        sizes.push_back(size);
    }
    std::sort(sizes.begin(), sizes.end());
    return !sizes.empty();
}

std::vector<Subject> GeneratedSubjects(const std::vector<int>& sizes) {
    struct Kind {
        DocumentKind kind;
        Form form;
    };
    const Kind kinds[] = {{DocumentKind::PrintTicket, Form::Driver},
                          {DocumentKind::PrintTicket, Form::Public},
                          {DocumentKind::PrintCapabilities, Form::Driver}};
    std::vector<Subject> subjects;
    for (const Kind& kind : kinds) {
        for (Placement placement : {Placement::First, Placement::Middle, Placement::Last}) {
            for (int size : sizes) {
                Subject subject;
                subject.generated = true;
                subject.shape = DocumentShape{kind.kind, size, placement, kind.form};
                subject.key = std::string(KindName(kind.kind, kind.form)) + "/" + PlacementName(placement) + "/" +
                              std::to_string(size);
                subject.conversion = ConversionFor(kind.kind, kind.form);
                subject.text = std::make_shared<DocumentText>(GenerateDocument(subject.shape));
                subject.expectedAfter = ExpectedAfter(subject.conversion);
                // The generated public ticket names its bin by psk:Stacker.
                if (kind.form == Form::Public) subject.expectedAfter.push_back("ns0000:Finisher");
                subjects.push_back(std::move(subject));
            }
        }
    }
    return subjects;
}

std::unique_ptr<CoreDriverSession> OpenSubjects(bool examplesOnly, const std::vector<int>& sizes,
                                              std::vector<Subject>& subjects, std::string& error) {
    std::unique_ptr<CoreDriverSession> session = OpenProviderSession(error);
    if (!session) return nullptr;
    subjects = ExampleSubjects(*session, error);
    if (subjects.empty()) return nullptr;
    if (!examplesOnly) {
        for (Subject& subject : GeneratedSubjects(sizes)) subjects.push_back(std::move(subject));
    }
    return session;
}

std::string CheckSubject(CoreDriverSession& session, const Subject& subject) {
    ComPtr<IXMLDOMDocument2> document = ParseDocument(*subject.text);
    if (!document) return subject.key + ": the document does not load";
    const HRESULT hr = session.Convert(subject.conversion, document.get());
    if (hr != S_OK) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        return subject.key + ": " + MethodName(subject.conversion) + " returned " + code;
    }
    const std::string after = Serialize(document.get());
    for (const std::string& expected : subject.expectedAfter) {
        const bool wanted = expected[0] != '!';
        const std::string fragment = wanted ? expected : expected.substr(1);
        if ((after.find(fragment) != std::string::npos) != wanted) {
            return subject.key + ": after " + MethodName(subject.conversion) + " the document " +
                   (wanted ? "lacks " : "still holds ") + fragment;
        }
    }
    return {};
}

}  // namespace qpbench
