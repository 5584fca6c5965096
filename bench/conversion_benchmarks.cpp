// The benchmark suite: on every subject document, parsing it into the stand-in DOM, one walk
// over all its nodes, and its conversion through the built module; then the ratio table and the
// targets. Every timed iteration works on a freshly parsed document; only the measured call lies
// inside the timed region (manual timing), so parsing, checking and freeing are not counted.
// The timer is the thread's CPU clock: the machines this runs on are shared, and time spent
// descheduled would otherwise land on whichever call happened to be running.
//
// Options besides Google Benchmark's own:
//   --sizes=10,100,1000,10000   feature counts of the generated documents
//   --budget=0.25               seconds of measured time each benchmark aims at
//   --examples-only             the bundled examples only
#include "bench_subjects.h"
#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>

namespace qpbench {
namespace {

// CPU time of the calling thread, in seconds.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Options {
    std::vector<int> sizes = {10, 100, 1000, 10000};
    double budget = 0.25;
    bool examplesOnly = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) == 0) {
            if (!ParseSizeList(arg.substr(8), options.sizes)) return false;
        } else if (arg.rfind("--budget=", 0) == 0) {
            options.budget = std::atof(arg.c_str() + 9);
            if (!(options.budget > 0)) return false;
        } else if (arg == "--examples-only") {
            options.examplesOnly = true;
        } else {
            std::cerr << "unknown option " << arg << "\n";
            return false;
        }
    }
    return true;
}

// Runs enough iterations for about `budget` seconds of the slowest timed call, parsing, which
// every iteration pays outside the timed region; at least 20, so that small counts stay steady.
benchmark::IterationCount IterationsFor(const DocumentText& text, double budget) {
    double fastest = 1;
    for (int run = 0; run < 3; ++run) {
        ComPtr<IXMLDOMDocument2> document = NewDocument();
        const double start = ThreadSeconds();
        LoadText(document.get(), text);
        fastest = std::min(fastest, ThreadSeconds() - start);
    }
    return std::clamp<benchmark::IterationCount>(static_cast<benchmark::IterationCount>(budget / fastest), 20,
                                                 200000);
}

void TimeParse(benchmark::State& state, const DocumentText& text) {
    for (auto _ : state) {
        ComPtr<IXMLDOMDocument2> document = NewDocument();
        const double start = ThreadSeconds();
        const HRESULT hr = LoadText(document.get(), text);
        state.SetIterationTime(ThreadSeconds() - start);
        if (hr != S_OK) {
            state.SkipWithError("the document does not load");
            break;
        }
    }
}

void TimeWalk(benchmark::State& state, const DocumentText& text) {
    for (auto _ : state) {
        ComPtr<IXMLDOMDocument2> document = ParseDocument(text);
        if (!document) {
            state.SkipWithError("the document does not load");
            break;
        }
        const double start = ThreadSeconds();
        const long visited = WalkAllNodes(document.get());
        state.SetIterationTime(ThreadSeconds() - start);
        benchmark::DoNotOptimize(visited);
    }
}

void TimeConversion(benchmark::State& state, ProviderSession& session, const Subject& subject) {
    for (auto _ : state) {
        ComPtr<IXMLDOMDocument2> document = ParseDocument(*subject.text);
        if (!document) {
            state.SkipWithError("the document does not load");
            break;
        }
        const double start = ThreadSeconds();
        const HRESULT hr = session.Convert(subject.conversion, document.get());
        state.SetIterationTime(ThreadSeconds() - start);
        if (hr != S_OK) {
            state.SkipWithError("the conversion failed");
            break;
        }
    }
}

void Register(ProviderSession& session, const Subject& subject, double budget) {
    const benchmark::IterationCount iterations = IterationsFor(*subject.text, budget);
    const DocumentText& text = *subject.text;
    const auto add = [&](Operation operation, auto body) {
        benchmark::RegisterBenchmark(Measurements::Name(operation, subject.key).c_str(), body)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(iterations);
    };
    add(Operation::Parse, [&text](benchmark::State& state) { TimeParse(state, text); });
    add(Operation::Walk, [&text](benchmark::State& state) { TimeWalk(state, text); });
    add(Operation::Convert, [&session, &subject](benchmark::State& state) { TimeConversion(state, session, subject); });
}

// The console output as usual, and each figure kept for the table: the median when repetitions
// were asked for, else the one run's mean per iteration.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    explicit CollectingReporter(Measurements& measured) : measured_(measured) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) Keep(run);
        ConsoleReporter::ReportRuns(runs);
    }

private:
    void Keep(const Run& run) {
        Operation operation;
        std::string key;
        if (run.error_occurred || !Measurements::Split(run.run_name.function_name, operation, key)) return;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) return;
        if (run.run_type == Run::RT_Iteration && run.repetitions > 1) return;
        measured_.Set(operation, key, run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
    }

    Measurements& measured_;
};

int Run(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: " << argv[0]
                  << " [benchmark options] [--sizes=N,N...] [--budget=SECONDS] [--examples-only]\n";
        return 2;
    }
    std::string error;
    std::vector<Subject> subjects;
    std::unique_ptr<ProviderSession> session = OpenSubjects(options.examplesOnly, options.sizes, subjects, error);
    if (!session) {
        std::cerr << error << "\n";
        return 1;
    }
    for (const Subject& subject : subjects) {
        if (const std::string problem = CheckSubject(*session, subject); !problem.empty()) {
            std::cerr << problem << "\n";
            return 1;
        }
        Register(*session, subject, options.budget);
    }

    Measurements measured;
    CollectingReporter reporter(measured);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::cout << "\nCPU time per call (µs), each conversion against parsing and walking the same document:\n\n";
    PrintRatioTable(std::cout, subjects, measured, Unit::Seconds);
    std::cout << "\nTargets:\n";
    return CheckTargets(std::cout, subjects, measured) ? 0 : 3;
}

}  // namespace
}  // namespace qpbench

int main(int argc, char** argv) { return qpbench::Run(argc, argv); }
