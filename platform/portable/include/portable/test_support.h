// Test support of the portable runtime: the ledger of live resources and allocation fault
// injection. One runtime per process, so one ledger and one switch for the module, the host
// and the tests alike. Not part of any Windows API.
#pragma once

#include <windows.h>

#include <cstdint>

// Live resources the runtime and the MSXML stand-in have handed out and not yet had back.
struct PortableLedger {
    int64_t bstrs;          // BSTRs allocated and not freed
    int64_t taskMemBlocks;  // CoTaskMemAlloc blocks not freed
    int64_t domObjects;     // stand-in COM objects (documents, nodes, lists, maps, managers, errors) alive
};

STDAPI_(PortableLedger) PortableLedgerRead();

// Fault injection. Every allocation the runtime makes (task memory, BSTRs, VARIANT conversions,
// stand-in node creation and out-strings) and every non-throwing operator new of an executable
// that links the replacement (the qp_fault_new object library) asks PortableFaultNextAllocationFails().
// When armed with N >= 1, the Nth allocation from the arming on fails, once; 0 disarms.
STDAPI_(void) PortableFaultArm(uint64_t failAt);
STDAPI_(void) PortableFaultDisarm();
// Allocations counted since the last arm or PortableFaultResetCount (counted even when disarmed).
STDAPI_(uint64_t) PortableFaultAllocationCount();
STDAPI_(void) PortableFaultResetCount();
// Counts one allocation and answers whether it must fail.
STDAPI_(bool) PortableFaultNextAllocationFails();
// The same for an allocation libxml2 asks the stand-in for; these are also counted apart.
STDAPI_(bool) PortableFaultNextLibxmlAllocationFails();
// libxml2's share of PortableFaultAllocationCount().
STDAPI_(uint64_t) PortableFaultLibxmlAllocationCount();
// True once the armed failure has been delivered, until the next PortableFaultArm.
STDAPI_(bool) PortableFaultFired();

// UTF-16 / UTF-8 conversion used at the stand-in's boundary (and by hosts for printing).
// Unpaired surrogates become U+FFFD. The results are ordinary heap strings, not ledger items.
#include <string>
PORTABLE_API std::string PortableToUtf8(const WCHAR* text, size_t length);
PORTABLE_API std::u16string PortableFromUtf8(const char* text, size_t length);
