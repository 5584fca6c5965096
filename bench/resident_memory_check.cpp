// Runs a long series of conversions on the bundled examples, each on a freshly parsed document,
// and checks that the process ends with the resident memory it had once warmed up, and that the
// runtime's ledger of BSTRs, task memory and DOM objects is back where it started. A leak of a
// few bytes per conversion shows as hundreds of kilobytes over the run.
//
//   qp_rss_check [--conversions=100000] [--warmup=2000] [--tolerance-kib=64]
#include "bench_subjects.h"

#include <portable/test_support.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace qpbench {
namespace {

struct Options {
    long conversions = 100000;
    long warmup = 2000;
    long toleranceKiB = 64;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&arg](const char* prefix, long& out) {
            const std::string p = prefix;
            if (arg.compare(0, p.size(), p) != 0) return false;
            out = std::atol(arg.c_str() + p.size());
            return true;
        };
        if (!value("--conversions=", options.conversions) && !value("--warmup=", options.warmup) &&
            !value("--tolerance-kib=", options.toleranceKiB)) {
            return false;
        }
    }
    return options.conversions > 0 && options.warmup >= 0 && options.toleranceKiB >= 0;
}

// The process's resident set in KiB, as the kernel counts it; -1 when it cannot be read.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 6, "VmRSS:") == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

bool SameLedger(const PortableLedger& a, const PortableLedger& b) {
    return a.bstrs == b.bstrs && a.taskMemBlocks == b.taskMemBlocks && a.domObjects == b.domObjects;
}

// One conversion of subject `n % count` on a fresh copy of its document.
bool ConvertOne(ProviderSession& session, const std::vector<Subject>& subjects, long n) {
    const Subject& subject = subjects[static_cast<size_t>(n) % subjects.size()];
    ComPtr<IXMLDOMDocument2> document = ParseDocument(*subject.text);
    return document && session.Convert(subject.conversion, document.get()) == S_OK;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: " << argv[0] << " [--conversions=N] [--warmup=N] [--tolerance-kib=N]\n";
        return 2;
    }
    std::string error;
    std::unique_ptr<ProviderSession> session = ProviderSession::Open(error);
    std::vector<Subject> subjects = session ? ExampleSubjects(*session, error) : std::vector<Subject>();
    if (subjects.empty()) {
        std::cerr << error << "\n";
        return 1;
    }

    for (long n = 0; n < options.warmup; ++n) {
        if (!ConvertOne(*session, subjects, n)) {
            std::cerr << "a conversion failed during warm-up\n";
            return 1;
        }
    }
    const PortableLedger ledgerBefore = PortableLedgerRead();
    const long before = ResidentKiB();
    std::cout << "resident after " << options.warmup << " warm-up conversions: " << before << " KiB\n";
    const long step = options.conversions / 10 > 0 ? options.conversions / 10 : 1;
    for (long n = 1; n <= options.conversions; ++n) {
        if (!ConvertOne(*session, subjects, n)) {
            std::cerr << "conversion " << n << " failed\n";
            return 1;
        }
        if (n % step == 0) std::cout << "  after " << n << " conversions: " << ResidentKiB() << " KiB\n";
    }
    const long after = ResidentKiB();
    const PortableLedger ledgerAfter = PortableLedgerRead();

    const bool flat = before > 0 && after - before <= options.toleranceKiB;
    const bool balanced = SameLedger(ledgerBefore, ledgerAfter);
    std::cout << (flat ? "PASS  " : "FAIL  ") << options.conversions << " conversions: resident " << before
              << " KiB -> " << after << " KiB (" << (after - before) << " KiB, allowed " << options.toleranceKiB
              << ")\n";
    std::cout << (balanced ? "PASS  " : "FAIL  ") << "ledger after the run: " << ledgerAfter.bstrs << " BSTRs, "
              << ledgerAfter.taskMemBlocks << " task blocks, " << ledgerAfter.domObjects
              << " DOM objects (before: " << ledgerBefore.bstrs << ", " << ledgerBefore.taskMemBlocks << ", "
              << ledgerBefore.domObjects << ")\n";
    return flat && balanced ? 0 : 3;
}

}  // namespace
}  // namespace qpbench

int main(int argc, char** argv) { return qpbench::Run(argc, argv); }
