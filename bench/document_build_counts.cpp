// Instruction counts of the documents built from a GPD: the PrintCapabilities of a generated GPD
// with N filler features is built (BuildDocument), parsed from its own text (loadXML, the
// reference), and completed by the plug-in (CompletePrintCapabilities). Run under callgrind with
// collection off at start, one profile is dumped per measurement; run again with --report, the
// profiles are read back into the table and the targets.
//
//   valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=DIR/callgrind.out
//       qp_icount_build [--sizes=100,1000]
//   qp_icount_build --report=DIR [--sizes=100,1000]
#include "bench_host.h"
#include "bench_subjects.h"
#include "callgrind_measure.h"
#include "callgrind_profiles.h"

#include <gpd/gpd_model.h>
#include <print_schema/document_builder.h>

#include <cstdio>
#include <iostream>
#include <map>

using qp::ComPtr;

namespace qpbench {
namespace {

// Building may cost at most this many times parsing the document it builds.
constexpr double kMaxBuildToParse = 2.0;
// Ten times the features may cost at most this many times the instructions.
constexpr double kMaxGrowthPerTenfold = 12.0;
constexpr const char* kOperations[] = {"build", "parse", "convert"};

// Filler feature `f`: four options, its selection commands in the job, document or page section.
std::string FillerFeature(int f) {
    static constexpr const char* kSections[] = {"JOB_SETUP", "DOC_SETUP", "PAGE_SETUP"};
    std::string text = "*Feature: Filler" + std::to_string(f) + "\n{\n*Name: \"Filler feature " + std::to_string(f) +
                       "\"\n*FeatureType: DOC_PROPERTY\n";
    for (int o = 0; o < 4; ++o) {
        text += "*Option: Level" + std::to_string(o) + "\n{\n*Name: \"Level " + std::to_string(o) +
                "\"\n*Command: CmdSelect\n{\n*Order: " + kSections[f % 3] + "." + std::to_string(20 + o) +
                "\n*Cmd: \"x\"\n}\n}\n";
    }
    return text + "}\n";
}

// A root GPD beside the sample package, so that its *Include finds qpplugin.gpd: XPSDrv, the
// plug-in's namespace and features, `features` fillers of four options each (their selection
// commands in turn in the job, document and page sections), and last the N-up feature, which
// the plug-in must look through the fillers to find.
std::string GeneratedGpd(int features) {
    std::string text =
        "*GPDSpecVersion: \"1.0\"\n*ModelName: \"Generated\"\n*MasterUnits: PAIR(1200, 1200)\n"
        "*PrintSchemaPrivateNamespaceURI: \"http://schemas.qpqp.example/qv/2021/04/printing/printticket\"\n"
        "*Include: \"MSXpsInc.gpd\"\n*Include: \"qpplugin.gpd\"\n";
    for (int f = 0; f < features; ++f) text += FillerFeature(f);
    return text +
        "*Feature: PagesPerSheet\n{\n*PrintSchemaKeywordMap: \"JobNUpAllDocumentsContiguously\"\n*Name: \"Pages\"\n"
        "*FeatureType: DOC_PROPERTY\n*Option: 1 {}\n*Option: 2 {}\n*Option: 4 {}\n}\n";
}

std::string Key(const char* operation, int size) { return std::string(operation) + "/" + std::to_string(size); }

HRESULT Build(const gpd::GpdModel& model, IXMLDOMDocument2* document) {
    gpd::Selections selections;
    std::string error;
    if (!model.Select({}, selections, error)) return E_FAIL;
    const print_schema::NamingContext context{model, print_schema::PrivateNamespace(model, "")};
    return print_schema::BuildDocument(context, print_schema::DocumentKind::Capabilities, selections, document);
}

bool MeasureSize(CoreDriverSession& session, int size) {
    gpd::GpdModel model;
    std::string error;
    const std::string name = std::string(QP_SOURCE_DIR) + "/examples/driver/generated.gpd";
    if (!gpd::GpdModel::Parse(name, GeneratedGpd(size), {}, model, error)) {
        std::cerr << error << "\n";
        return false;
    }
    ComPtr<IXMLDOMDocument2> warmUp = NewDocument();
    if (Build(model, warmUp.get()) != S_OK) return false;
    const DocumentText text(Serialize(warmUp.get()));

    bool ok = true;
    ComPtr<IXMLDOMDocument2> built = NewDocument();
    Measure(Key("build", size), [&] { ok = Build(model, built.get()) == S_OK; });
    ComPtr<IXMLDOMDocument2> parsed = NewDocument();
    Measure(Key("parse", size), [&] { ok = ok && LoadText(parsed.get(), text) == S_OK; });
    Measure(Key("convert", size),
            [&] { ok = ok && session.Convert(ProviderConversion::CompletePrintCapabilities, built.get()) == S_OK; });
    return ok;
}

bool Check(bool held, const std::string& what) {
    std::cout << (held ? "PASS " : "FAIL ") << what << "\n";
    return held;
}

int Report(const std::string& directory, const std::vector<int>& sizes) {
    std::map<std::string, double> m = ReadProfiles(directory);
    for (const int size : sizes) {
        for (const char* operation : kOperations) {
            if (m.count(Key(operation, size)) == 0) {
                std::cerr << "no profile for " << Key(operation, size) << "\n";
                return 1;
            }
        }
    }
    std::cout << "| features | parse | build | build / parse | complete capabilities |\n|---|---|---|---|---|\n";
    for (const int size : sizes) {
        char row[200];
        std::snprintf(row, sizeof row, "| %d | %.0f | %.0f | %.2f | %.0f |\n", size, m[Key("parse", size)],
                      m[Key("build", size)], m[Key("build", size)] / m[Key("parse", size)], m[Key("convert", size)]);
        std::cout << row;
    }
    std::cout << "\nTargets on the documents built from a GPD:\n";
    bool held = true;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const double ratio = m[Key("build", sizes[i])] / m[Key("parse", sizes[i])];
        held &= Check(ratio <= kMaxBuildToParse, "building " + std::to_string(sizes[i]) + " features costs " +
                                                     std::to_string(ratio) + " of parsing them (at most 2)");
        if (i == 0) continue;
        const double scale = static_cast<double>(sizes[i]) / sizes[i - 1];
        for (const char* operation : {"build", "convert"}) {
            const double growth = m[Key(operation, sizes[i])] / m[Key(operation, sizes[i - 1])];
            const double bound = kMaxGrowthPerTenfold * scale / 10;
            held &= Check(growth <= bound, std::string(operation) + " grows " + std::to_string(growth) + "x from " +
                                               std::to_string(sizes[i - 1]) + " to " + std::to_string(sizes[i]) +
                                               " features (at most " + std::to_string(bound) + ")");
        }
    }
    return held ? 0 : 3;
}

int Run(int argc, char** argv) {
    std::vector<int> sizes = {100, 1000};
    std::string reportDirectory;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) == 0 && ParseSizeList(arg.substr(8), sizes)) continue;
        if (arg.rfind("--report=", 0) == 0) {
            reportDirectory = arg.substr(9);
            continue;
        }
        std::cerr << "usage: " << argv[0] << " [--sizes=N,N...] [--report=DIR]\n";
        return 2;
    }
    if (!reportDirectory.empty()) return Report(reportDirectory, sizes);

    std::string error;
    std::unique_ptr<CoreDriverSession> session = OpenProviderSession(error);
    if (!session) {
        std::cerr << error << "\n";
        return 1;
    }
    if (!UnderCallgrind()) std::cerr << "not running under callgrind: nothing will be counted\n";
    for (const int size : sizes) {
        if (!MeasureSize(*session, size)) {
            std::cerr << size << " features: a measured call failed\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace qpbench

int main(int argc, char** argv) { return qpbench::Run(argc, argv); }
