// The runtime's own entries in the ledger of live resources (BSTRs and task-memory blocks).
// Not exported from the shared library.
#pragma once

#include <cstdint>

void PortableLedgerAddBstrs(int64_t delta);
void PortableLedgerAddTaskMemBlocks(int64_t delta);
