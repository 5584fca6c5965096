// Runs a long series of conversions on the bundled examples, each on a freshly parsed document,
// and checks that the process ends with the resident memory it had once warmed up, and that the
// runtime's ledger of BSTRs, task memory and DOM objects is back where it started. A leak of a
// few bytes per conversion shows as hundreds of kilobytes over the run.
//
//   qp_rss_check [--conversions=100000] [--warmup=10000] [--tolerance-kib=64]
// Warm-up runs at least --warmup conversions, and on until the resident set holds still.
#include "bench_subjects.h"

#include <portable/test_support.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

using qp::ComPtr;

namespace qpbench {
namespace {

struct Options {
    long conversions = 100000;
    long warmup = 10000;
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

// The process's resident set in KiB, as the kernel counts it; -1 when it cannot be read. Reads
// into a buffer on the stack, so that measuring allocates nothing.
long ResidentKiB() {
    const int fd = open("/proc/self/statm", O_RDONLY);
    if (fd < 0) return -1;
    char text[128] = {};
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    long pages = 0;
    long resident = 0;
    if (got <= 0 || std::sscanf(text, "%ld %ld", &pages, &resident) != 2) return -1;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool SameLedger(const PortableLedger& a, const PortableLedger& b) {
    return a.bstrs == b.bstrs && a.taskMemBlocks == b.taskMemBlocks && a.domObjects == b.domObjects;
}

// One conversion of subject `n % count` on a fresh copy of its document.
bool ConvertOne(CoreDriverSession& session, const std::vector<Subject>& subjects, long n) {
    const Subject& subject = subjects[static_cast<size_t>(n) % subjects.size()];
    ComPtr<IXMLDOMDocument2> document = ParseDocument(*subject.text);
    return document && session.Convert(subject.conversion, document.get()) == S_OK;
}

// Converts until at least `minimum` conversions are done and the resident set has held still
// over the last five rounds of a thousand (the allocator grows and trims its heap while it
// settles, which is not the conversions' doing), or `limit` are done. Returns the number of
// conversions, or -1 when one failed.
long WarmUp(CoreDriverSession& session, const std::vector<Subject>& subjects, long minimum, long limit) {
    long done = 0;
    int steadyRounds = 0;
    long last = ResidentKiB();
    while (done < limit && (done < minimum || steadyRounds < 5)) {
        for (int i = 0; i < 1000; ++i, ++done) {
            if (!ConvertOne(session, subjects, done)) return -1;
        }
        const long now = ResidentKiB();
        steadyRounds = now == last ? steadyRounds + 1 : 0;
        last = now;
    }
    return done;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: " << argv[0] << " [--conversions=N] [--warmup=N] [--tolerance-kib=N]\n";
        return 2;
    }
    std::string error;
    std::vector<Subject> subjects;
    std::unique_ptr<CoreDriverSession> session = OpenSubjects(true, {}, subjects, error);
    if (!session) {
        std::cerr << error << "\n";
        return 1;
    }

    const long warmedUp = WarmUp(*session, subjects, options.warmup, options.warmup + options.conversions);
    if (warmedUp < 0) {
        std::cerr << "a conversion failed during warm-up\n";
        return 1;
    }
    // Nothing is printed until the run is over: output buffers would count as growth.
    std::vector<long> samples(11, -1);
    const PortableLedger ledgerBefore = PortableLedgerRead();
    samples[0] = ResidentKiB();
    const long step = options.conversions / 10 > 0 ? options.conversions / 10 : 1;
    for (long n = 1; n <= options.conversions; ++n) {
        if (!ConvertOne(*session, subjects, n)) {
            std::cerr << "conversion " << n << " failed\n";
            return 1;
        }
        if (n % step == 0 && n / step <= 10) samples[static_cast<size_t>(n / step)] = ResidentKiB();
    }
    const long before = samples[0];
    const long after = ResidentKiB();
    const PortableLedger ledgerAfter = PortableLedgerRead();
    std::cout << "resident after " << warmedUp << " warm-up conversions: " << before << " KiB\n";
    for (size_t i = 1; i < samples.size(); ++i) {
        std::cout << "  after " << static_cast<long>(i) * step << " conversions: " << samples[i] << " KiB\n";
    }

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
