#include "check.h"

#include <cstdio>
#include <vector>

namespace wintest {
namespace {

struct Case {
    const char* name;
    CaseFn fn;
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

int g_passed = 0;
int g_failed = 0;
const char* g_current = "";

void Fail(const char* file, int line, const char* text, const char* detail) {
    ++g_failed;
    std::printf("FAIL %s (%s:%d): %s%s\n", g_current, file, line, text, detail);
    std::fflush(stdout);
}

}  // namespace

int Register(const char* name, CaseFn fn) {
    Cases().push_back({name, fn});
    return 0;
}

bool Record(bool ok, const char* file, int line, const char* text) {
    if (ok) {
        ++g_passed;
        return true;
    }
    Fail(file, line, text, "");
    return false;
}

void RecordHr(HRESULT actual, HRESULT expected, const char* file, int line, const char* text) {
    if (actual == expected) {
        ++g_passed;
        return;
    }
    char detail[64];
    std::snprintf(detail, sizeof detail, " returned 0x%08X, expected 0x%08X", static_cast<unsigned>(actual),
                  static_cast<unsigned>(expected));
    Fail(file, line, text, detail);
}

void RecordEq(unsigned long long actual, unsigned long long expected, const char* file, int line,
              const char* text) {
    if (actual == expected) {
        ++g_passed;
        return;
    }
    char detail[80];
    std::snprintf(detail, sizeof detail, " (%llu, expected %llu)", actual, expected);
    Fail(file, line, text, detail);
}

void RunAll(void (*beforeEach)(), void (*afterEach)()) {
    for (const Case& c : Cases()) {
        g_current = c.name;
        beforeEach();
        c.fn();
        afterEach();
    }
    g_current = "";
}

void Run(const char* name, CaseFn fn) {
    g_current = name;
    fn();
    g_current = "";
}

int Summary() {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    std::fflush(stdout);
    return g_failed;
}

}  // namespace wintest
