// The Windows conformance run: loads qpplugin.dll with LoadLibrary and exercises it through its
// two exports with the real COM runtime and MSXML 6. Each case ends by checking that the module
// holds no object and that every task-memory block and BSTR made during the case was freed.
// The module is the qpplugin.dll beside this program.
//
// `qpplugin_conformance pthost ARGUMENTS...` runs pthost's command line in this process instead,
// with the element search that conversions need (qualified_name_search.h), so that a script can
// compare its conversions with pthost's on another platform.
#include "check.h"
#include "module_under_test.h"
#include "qualified_name_search.h"
#include "task_memory_spy.h"

#include <pthost/command.h>

#include <cstdio>
#include <cwchar>

namespace {

bool g_countTaskMemory = false;
long g_liveBefore = 0;

void BeforeEach() { g_liveBefore = wintest::TaskMemorySpy::Live(); }

void AfterEach() {
    CHECK_HR(wintest::CanUnloadNow(), S_OK);
    if (g_countTaskMemory) CHECK_EQ(wintest::TaskMemorySpy::Live(), g_liveBefore);
}

// BSTRs are task memory too, but only countable while the runtime keeps no cache of them.
bool BstrCacheDisabled() { return GetEnvironmentVariableW(L"OANOCACHE", nullptr, 0) != 0; }

// The module may be unloaded once it says so, and comes back with fresh counters.
void ModuleUnloadsAndLoadsAgain() {
    CHECK_HR(wintest::CanUnloadNow(), S_OK);
    wintest::UnloadModule();
    CHECK(GetModuleHandleW(wintest::ModuleFileName()) == nullptr);
    CHECK(wintest::LoadModule());
    CHECK_HR(wintest::CanUnloadNow(), S_OK);
    wintest::UnloadModule();
}

// MSXML's element search as conversions need it, or the reason the run cannot go on.
bool ElementSearchReady() {
    const wintest::ElementSearch search = wintest::MatchQualifiedNamesInElementSearch();
    std::printf("%s\n", wintest::Describe(search));
    return search != wintest::ElementSearch::Unknown;
}

int RunConformance() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        std::printf("CoInitializeEx failed\n");
        return 2;
    }
    g_countTaskMemory = BstrCacheDisabled() && wintest::TaskMemorySpy::Install();
    if (!g_countTaskMemory) std::printf("note: task memory not counted (set OANOCACHE=1)\n");
    if (!ElementSearchReady() || !wintest::LoadModule()) return 2;
    std::printf("running under %s\n", wintest::UnderWine() ? "Wine" : "Windows");

    wintest::RunAll(BeforeEach, AfterEach);
    wintest::Run("ModuleUnloadsAndLoadsAgain", ModuleUnloadsAndLoadsAgain);
    if (g_countTaskMemory) wintest::TaskMemorySpy::Uninstall();
    CoUninitialize();
    return wintest::Summary() == 0 ? 0 : 1;
}

int RunPthost(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fprintf(stderr, "CoInitializeEx failed\n");
        return 2;
    }
    const wintest::ElementSearch search = wintest::MatchQualifiedNamesInElementSearch();
    int status = 2;
    if (search == wintest::ElementSearch::Unknown) {
        std::fprintf(stderr, "%s\n", wintest::Describe(search));
    } else {
        status = pthost::Main(pthost::Utf8Arguments(argc - 1, argv + 1));
    }
    CoUninitialize();
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"pthost") == 0) return RunPthost(argc, argv);
    return RunConformance();
}
