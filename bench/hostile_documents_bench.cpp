// How long the plug-in takes on hostile documents: the largest of the reliability suite's cases,
// each conversion timed on a freshly parsed document (parsing is outside the timed region).
// Every case has a bound; the program fails when a case's mean time exceeds it, so a conversion
// that turns quadratic, or hangs on one of these shapes, fails the run that measures it.
#include "bench_host.h"

#include "../tests/reliability/hostile_documents.h"  // the reliability suite's generators

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using qp::Bstr;
using qp::Variant;

using qp::ComPtr;

namespace qpbench {
namespace {

struct HostileCase {
    const char* name;
    Conversion conversion;
    std::function<std::string()> make;
    double boundSeconds;  // mean time per conversion that must not be exceeded
};

std::vector<HostileCase> Cases() {
    return {
        {"features_100000", Conversion::DevModeToPrintTicket, [] { return hostile::Ticket({}, 100'000); }, 2.0},
        {"features_100000_back", Conversion::PrintTicketToDevMode, [] { return hostile::Ticket({}, 100'000); }, 2.0},
        {"output_bin_options_10000", Conversion::CompletePrintCapabilities, [] { return hostile::ManyOutputBinOptions(10'000); },
         0.5},
        // As deep and as long as a document loads with MSXML's default limits and libxml2's name limit.
        {"nested_253", Conversion::DevModeToPrintTicket,
         [] { return hostile::DeepFeatures(hostile::kDeepestUnderDefaultBound); }, 0.05},
        {"names_50000", Conversion::DevModeToPrintTicket, [] { return hostile::LongNames(50'000); }, 0.2},
        {"names_9999", Conversion::DevModeToPrintTicket, [] { return hostile::LongNames(9'999); }, 0.2},
        {"escaped_astral", Conversion::DevModeToPrintTicket, [] { return hostile::EscapedAndAstral(); }, 0.05},
        {"no_namespaces", Conversion::CompletePrintCapabilities, [] { return hostile::RootWithoutNamespaces(); }, 0.05},
    };
}

// Keeps each case's mean time per conversion in seconds, and the cases that could not run.
class BoundReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> meanSeconds;
    std::map<std::string, std::string> errors;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred) {
                errors[name] = run.error_message;
            } else if (run.iterations > 0) {
                meanSeconds[name] = run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// One text value of 50 MB, written out by the xml property and by save: the output must grow by
// doubling, not by the size of each piece, or this takes minutes under ASan and valgrind.
void SerializeLargeValue(benchmark::State& state, const DocumentText* text) {
    const std::string path = std::filesystem::temp_directory_path() / "qp_bench_hostile_save.xml";
    const std::u16string widePath(path.begin(), path.end());  // the temporary directory's path is ASCII
    for (auto _ : state) {
        ComPtr<IXMLDOMDocument2> document = ParseDocument(*text);
        Bstr xml;
        Variant destination;
        destination.get().vt = VT_BSTR;
        destination.get().bstrVal = SysAllocStringLen(widePath.data(), static_cast<UINT>(widePath.size()));
        const auto start = std::chrono::steady_clock::now();
        const HRESULT shown = document ? document->get_xml(xml.put()) : E_FAIL;
        const HRESULT saved = document ? document->save(destination.get()) : E_FAIL;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (shown != S_OK || saved != S_OK) {
            state.SkipWithError("the document could not be serialized or saved");
            return;
        }
    }
    std::filesystem::remove(path);
}

void Convert(benchmark::State& state, CoreDriverSession* session, const HostileCase* hostileCase,
             const DocumentText* text) {
    for (auto _ : state) {
        ComPtr<IXMLDOMDocument2> document = ParseDocument(*text);
        if (!document) {
            state.SkipWithError("the document does not load");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        const HRESULT hr = session->Convert(hostileCase->conversion, document.get());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(hr);
    }
}

}  // namespace
}  // namespace qpbench

int main(int argc, char** argv) {
    using namespace qpbench;
    benchmark::Initialize(&argc, argv);
    std::string error;
    const std::unique_ptr<CoreDriverSession> session = OpenProviderSession(error);
    if (!session) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const std::vector<HostileCase> cases = Cases();
    std::vector<std::unique_ptr<DocumentText>> texts;
    for (const HostileCase& c : cases) {
        texts.push_back(std::make_unique<DocumentText>(c.make()));
        benchmark::RegisterBenchmark(c.name, Convert, session.get(), &c, texts.back().get())
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.2);
    }
    constexpr double kSerializeBoundSeconds = 8.0;
    const DocumentText largeValue("<a>" + std::string(50u << 20, 'x') + "</a>");
    benchmark::RegisterBenchmark("text_value_50MB_serialized", SerializeLargeValue, &largeValue)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.2);
    BoundReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    int within = 0;
    int over = 0;
    std::printf("\n");
    for (const HostileCase& c : cases) {
        if (reporter.errors.count(c.name)) {
            std::printf("hostile %-26s not measured: %s\n", c.name, reporter.errors[c.name].c_str());
            ++over;
            continue;
        }
        const auto found = reporter.meanSeconds.find(c.name);
        if (found == reporter.meanSeconds.end()) continue;  // filtered out
        const bool ok = found->second <= c.boundSeconds;
        (ok ? within : over) += 1;
        std::printf("hostile %-26s %9.3f ms per conversion, bound %7.1f ms: %s\n", c.name, found->second * 1e3,
                    c.boundSeconds * 1e3, ok ? "within" : "OVER");
    }
    if (const auto found = reporter.meanSeconds.find("text_value_50MB_serialized"); found != reporter.meanSeconds.end()) {
        const bool ok = found->second <= kSerializeBoundSeconds;
        (ok ? within : over) += 1;
        std::printf("hostile %-26s %9.3f ms per get_xml and save, bound %7.1f ms: %s\n", "text_value_50MB_serialized",
                    found->second * 1e3, kSerializeBoundSeconds * 1e3, ok ? "within" : "OVER");
    } else if (reporter.errors.count("text_value_50MB_serialized")) {
        std::printf("hostile text_value_50MB_serialized not measured: %s\n", reporter.errors["text_value_50MB_serialized"].c_str());
        ++over;
    }
    std::printf("hostile: %d cases within their bound, %d over or not measured\n", within, over);
    benchmark::Shutdown();
    return over == 0 ? 0 : 1;
}
