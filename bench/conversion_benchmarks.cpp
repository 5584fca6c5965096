// The benchmark suite: on every subject document, parsing it into the stand-in DOM, one walk
// over all its nodes, and its conversion through the built module; then the ratio table and the
// targets. Every timed iteration works on a freshly parsed document; only the measured call lies
// inside the timed region (manual timing), so parsing, checking and freeing are not counted.
// The timer is the monotonic clock; a call during which the thread was switched out is timed
// again (the machines this runs on are shared).
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
#include <vector>

#include <sys/resource.h>

namespace qpbench {
namespace {

// The monotonic clock, in seconds. Reading it costs some 30 ns on this project's machines, where
// reading the thread's CPU clock is a system call of about 1.6 µs, most of which would land on
// every figure.
double Seconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The calling thread's context switches so far, voluntary and involuntary.
long ContextSwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw + usage.ru_nivcsw;
}

// The time of one `call` on what `prepare` made (untimed), or a negative value, with the
// benchmark skipped, when `prepare` makes nothing or `call` fails. The machines this runs on are
// shared: when the thread was switched out during the call, the time is not the call's, so it
// is taken again on a fresh preparation (the fastest of a few attempts stands when every one
// was switched out).
template <class Prepare, class Call>
double TimeOneCall(benchmark::State& state, Prepare& prepare, Call& call) {
    constexpr int kAttempts = 5;
    double fastest = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        auto subject = prepare();
        if (!subject) {
            state.SkipWithError("the document does not load");
            return -1;
        }
        const long switches = ContextSwitches();
        const double start = Seconds();
        const bool ok = call(subject.get());
        const double elapsed = Seconds() - start;
        if (!ok) {
            state.SkipWithError("the measured call failed");
            return -1;
        }
        if (ContextSwitches() == switches) return elapsed;
        fastest = attempt == 0 ? elapsed : std::min(fastest, elapsed);
    }
    return fastest;
}

// Times `call` once per iteration, and keeps the median of the calls as the counter "median":
// a burst of load from other work on the machine moves the mean, not the median.
template <class Prepare, class Call>
void RunTimed(benchmark::State& state, Prepare prepare, Call call) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(state.max_iterations));
    for (auto _ : state) {
        const double elapsed = TimeOneCall(state, prepare, call);
        if (elapsed < 0) return;
        state.SetIterationTime(elapsed);
        times.push_back(elapsed);
    }
    const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    state.counters["median"] = *middle;
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
        const double start = Seconds();
        LoadText(document.get(), text);
        fastest = std::min(fastest, Seconds() - start);
    }
    return std::clamp<benchmark::IterationCount>(static_cast<benchmark::IterationCount>(budget / fastest), 20,
                                                 200000);
}

void TimeParse(benchmark::State& state, const DocumentText& text) {
    RunTimed(
        state, [] { return NewDocument(); },
        [&text](IXMLDOMDocument2* document) { return LoadText(document, text) == S_OK; });
}

void TimeWalk(benchmark::State& state, const DocumentText& text) {
    RunTimed(
        state, [&text] { return ParseDocument(text); },
        [](IXMLDOMDocument2* document) {
            benchmark::DoNotOptimize(WalkAllNodes(document));
            return true;
        });
}

void TimeConversion(benchmark::State& state, CoreDriverSession& session, const Subject& subject) {
    RunTimed(
        state, [&subject] { return ParseDocument(*subject.text); },
        [&](IXMLDOMDocument2* document) { return session.Convert(subject.conversion, document) == S_OK; });
}

void Register(CoreDriverSession& session, const Subject& subject, double budget) {
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

// The console output as usual, and each figure kept for the table: the median call of the run
// (the median of the runs' medians when repetitions were asked for).
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
        const bool medianRun = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !medianRun) return;
        if (run.run_type == Run::RT_Iteration && run.repetitions > 1) return;
        const auto medianCall = run.counters.find("median");
        if (medianCall == run.counters.end()) return;
        measured_.Set(operation, key, medianCall->second.value);
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
    std::unique_ptr<CoreDriverSession> session = OpenSubjects(options.examplesOnly, options.sizes, subjects, error);
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

    std::cout << "\nTime per call (µs), each conversion against parsing and walking the same document:\n\n";
    PrintRatioTable(std::cout, subjects, measured, Unit::Seconds);
    std::cout << "\nTargets:\n";
    return CheckTargets(std::cout, subjects, measured) ? 0 : 3;
}

}  // namespace
}  // namespace qpbench

int main(int argc, char** argv) { return qpbench::Run(argc, argv); }
