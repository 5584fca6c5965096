// The Windows conformance run: loads qpplugin.dll with LoadLibrary and exercises it through its
// two exports with the real COM runtime and MSXML 6. Each case ends by checking that the module
// holds no object and that every task-memory block and BSTR made during the case was freed.
// The module is the qpplugin.dll beside this program.
#include "check.h"
#include "documents.h"
#include "module_under_test.h"
#include "task_memory_spy.h"

#include <cstdio>

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

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        std::printf("CoInitializeEx failed\n");
        return 2;
    }
    g_countTaskMemory = BstrCacheDisabled() && wintest::TaskMemorySpy::Install();
    if (!g_countTaskMemory) std::printf("note: task memory not counted (set OANOCACHE=1)\n");
    if (!wintest::LoadModule()) return 2;
    std::printf("running under %s; %s\n", wintest::UnderWine() ? "Wine" : "Windows",
                wintest::MsxmlSupportsConversions()
                    ? "conversions checked for their edits"
                    : "MSXML cannot serve a conversion: conversions checked for failing cleanly");

    wintest::RunAll(BeforeEach, AfterEach);
    wintest::Run("ModuleUnloadsAndLoadsAgain", ModuleUnloadsAndLoadsAgain);
    if (g_countTaskMemory) wintest::TaskMemorySpy::Uninstall();
    CoUninitialize();
    return wintest::Summary() == 0 ? 0 : 1;
}
