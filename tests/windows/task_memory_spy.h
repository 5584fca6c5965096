// Counts the task-memory blocks that are alive, through the OLE runtime's malloc spy, so that
// a case can end by checking that every CoTaskMemAlloc and (with the BSTR cache turned off by
// OANOCACHE=1) every BSTR made during it has been freed again.
#pragma once

#include <platform/platform.h>

namespace wintest {

class TaskMemorySpy {
public:
    // Registers the spy with CoRegisterMallocSpy; false when the runtime refused it.
    static bool Install();
    static void Uninstall();
    // Blocks allocated since Install and not yet freed.
    static long Live();
};

}  // namespace wintest
