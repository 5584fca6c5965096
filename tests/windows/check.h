// A small check harness for the Windows conformance run: cases register themselves, checks
// are counted, and the runner reports "N passed, M failed" and exits non-zero on a failure.
#pragma once

#include <platform/platform.h>

namespace wintest {

using CaseFn = void (*)();

// Adds a case to the run; cases run in registration order.
int Register(const char* name, CaseFn fn);
// Runs every registered case between `beforeEach` and `afterEach` (the leak checks).
void RunAll(void (*beforeEach)(), void (*afterEach)());
// Runs one case that is not registered, under its name.
void Run(const char* name, CaseFn fn);
// Prints "N passed, M failed" and returns the number of failed checks.
int Summary();

bool Record(bool ok, const char* file, int line, const char* text);
void RecordHr(HRESULT actual, HRESULT expected, const char* file, int line, const char* text);
void RecordEq(unsigned long long actual, unsigned long long expected, const char* file, int line,
              const char* text);

}  // namespace wintest

#define WT_CASE(name)                                                                     \
    static void name();                                                                   \
    [[maybe_unused]] static const int name##Registered = ::wintest::Register(#name, name); \
    static void name()

#define CHECK(cond) ::wintest::Record(static_cast<bool>(cond), __FILE__, __LINE__, #cond)
// Ends the case when the condition fails: what follows depends on it.
#define REQUIRE(cond)                                                                       \
    do {                                                                                    \
        if (!::wintest::Record(static_cast<bool>(cond), __FILE__, __LINE__, #cond)) return; \
    } while (0)
#define CHECK_HR(expr, expected) \
    ::wintest::RecordHr(static_cast<HRESULT>(expr), static_cast<HRESULT>(expected), __FILE__, __LINE__, #expr)
#define CHECK_EQ(actual, expected)                                                   \
    ::wintest::RecordEq(static_cast<unsigned long long>(actual),                     \
                        static_cast<unsigned long long>(expected), __FILE__, __LINE__, \
                        #actual " == " #expected)
