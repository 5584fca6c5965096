// Instruction counts, the figures that stay put on a noisy machine. Run under callgrind with
// collection off at start, the tool measures parse, walk and conversion of every subject once
// (after one unmeasured conversion of the same document), collecting only around the measured
// call and dumping one profile per measurement under the measurement's name. Run again with
// --report, it reads those profiles and prints the ratio table and the targets.
//
//   valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=DIR/callgrind.out
//       qp_icount [--sizes=10,100,1000,10000] [--examples-only]
//   qp_icount --report=DIR [--sizes=...] [--examples-only]
#include "bench_subjects.h"
#include "callgrind_measure.h"
#include "callgrind_profiles.h"
#include "ratio_report.h"

#include <iostream>

using qp::ComPtr;

namespace qpbench {
namespace {

struct Options {
    std::vector<int> sizes = {10, 100, 1000, 10000};
    bool examplesOnly = false;
    std::string reportDirectory;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) == 0) {
            if (!ParseSizeList(arg.substr(8), options.sizes)) return false;
        } else if (arg == "--examples-only") {
            options.examplesOnly = true;
        } else if (arg.rfind("--report=", 0) == 0) {
            options.reportDirectory = arg.substr(9);
        } else {
            return false;
        }
    }
    return true;
}

bool MeasureSubject(CoreDriverSession& session, const Subject& subject) {
    bool ok = true;
    ComPtr<IXMLDOMDocument2> document = NewDocument();
    Measure(Measurements::Name(Operation::Parse, subject.key),
            [&] { ok = LoadText(document.get(), *subject.text) == S_OK; });
    document = ParseDocument(*subject.text);
    Measure(Measurements::Name(Operation::Walk, subject.key), [&] { WalkAllNodes(document.get()); });
    document = ParseDocument(*subject.text);
    Measure(Measurements::Name(Operation::Convert, subject.key),
            [&] { ok = ok && session.Convert(subject.conversion, document.get()) == S_OK; });
    return ok;
}

// The profiles in `directory`, by operation and subject.
Measurements ReadMeasurements(const std::string& directory) {
    Measurements measured;
    for (const auto& [name, instructions] : ReadProfiles(directory)) {
        Operation operation;
        std::string key;
        if (Measurements::Split(name, operation, key)) measured.Set(operation, key, instructions);
    }
    return measured;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: " << argv[0] << " [--sizes=N,N...] [--examples-only] [--report=DIR]\n";
        return 2;
    }
    std::string error;
    std::vector<Subject> subjects;
    std::unique_ptr<CoreDriverSession> session = OpenSubjects(options.examplesOnly, options.sizes, subjects, error);
    if (!session) {
        std::cerr << error << "\n";
        return 1;
    }

    if (!options.reportDirectory.empty()) {
        const Measurements measured = ReadMeasurements(options.reportDirectory);
        std::cout << "Instructions per call (callgrind), each conversion against parsing and walking the same "
                     "document:\n\n";
        PrintRatioTable(std::cout, subjects, measured);
        std::cout << "\nTargets on instruction counts:\n";
        return CheckTargets(std::cout, subjects, measured) ? 0 : 3;
    }

    if (!UnderCallgrind()) std::cerr << "not running under callgrind: nothing will be counted\n";
    for (const Subject& subject : subjects) {
        if (const std::string problem = CheckSubject(*session, subject); !problem.empty()) {
            std::cerr << problem << "\n";
            return 1;
        }
        if (!MeasureSubject(*session, subject)) {
            std::cerr << subject.key << ": a measured call failed\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace qpbench

int main(int argc, char** argv) { return qpbench::Run(argc, argv); }
