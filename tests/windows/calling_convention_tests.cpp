// 32-bit x86 only: the exports and the COM methods are __stdcall, so the callee pops its own
// arguments. A module built with the wrong convention still returns the right values, and a
// caller that restores its stack from a frame pointer may not notice, so these calls go through
// a thunk that pushes the arguments itself and reports how many bytes the callee popped.
#include "check.h"
#include "module_under_test.h"

#if defined(__i386__)

#include <cstdint>

using namespace wintest;

namespace {

// Calls `fn` with `argc` pointer-sized arguments from `args` (pushed right to left), stores what
// it returned in `*result`, and returns the number of bytes the callee removed from the stack.
extern "C" std::uint32_t CallCountingPops(const void* fn, std::uint32_t argc, const void* const* args,
                                          std::uint32_t* result) asm("qp_call_counting_pops");

asm(R"(
    .text
    .globl qp_call_counting_pops
qp_call_counting_pops:
    pushl %ebp
    movl  %esp, %ebp
    pushl %esi
    pushl %edi
    movl  12(%ebp), %ecx
    movl  16(%ebp), %esi
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  movl  %esp, %edi
    call  *8(%ebp)
    movl  20(%ebp), %ecx
    movl  %eax, (%ecx)
    movl  %esp, %eax
    subl  %edi, %eax
    leal  -8(%ebp), %esp
    popl  %edi
    popl  %esi
    popl  %ebp
    ret
)");

// The slot'th method of a COM object's vtable.
const void* Method(IUnknown* object, unsigned slot) {
    return (*reinterpret_cast<const void* const* const*>(object))[slot];
}

std::uint32_t __cdecl CdeclEcho(std::uint32_t value) { return value; }
std::uint32_t __stdcall StdcallEcho(std::uint32_t value) { return value; }

}  // namespace

// The thunk itself tells the two conventions apart.
WT_CASE(ThunkCountsWhatEachConventionPops) {
    std::uint32_t result = 0;
    const void* args[] = {reinterpret_cast<const void*>(static_cast<std::uintptr_t>(0x1234))};
    CHECK_EQ(CallCountingPops(reinterpret_cast<const void*>(&CdeclEcho), 1, args, &result), 0);
    CHECK_EQ(result, 0x1234);
    CHECK_EQ(CallCountingPops(reinterpret_cast<const void*>(&StdcallEcho), 1, args, &result), 4);
    CHECK_EQ(result, 0x1234);
}

WT_CASE(ExportsAndMethodsPopTheirOwnArgumentsAsStdcall) {
    std::uint32_t result = 0;
    CHECK_EQ(CallCountingPops(reinterpret_cast<const void*>(Module().canUnloadNow), 0, nullptr, &result), 0);
    CHECK_HR(static_cast<HRESULT>(result), S_OK);

    IClassFactory* factory = nullptr;
    const void* getArgs[] = {&CLSID_OEMPTPROVIDER, &IID_IClassFactory, &factory};
    CHECK_EQ(CallCountingPops(reinterpret_cast<const void*>(Module().getClassObject), 3, getArgs, &result), 12);
    CHECK_HR(static_cast<HRESULT>(result), S_OK);
    REQUIRE(factory != nullptr);

    // IClassFactory::CreateInstance (slot 3): this, outer, riid, out.
    IUnknown* provider = nullptr;
    const void* createArgs[] = {factory, nullptr, &IID_IPrintOemPrintTicketProvider, &provider};
    CHECK_EQ(CallCountingPops(Method(factory, 3), 4, createArgs, &result), 16);
    CHECK_HR(static_cast<HRESULT>(result), S_OK);

    // IUnknown::Release (slot 2): this alone.
    if (provider != nullptr) {
        const void* releaseArgs[] = {provider};
        CHECK_EQ(CallCountingPops(Method(provider, 2), 1, releaseArgs, &result), 4);
        CHECK_EQ(result, 0);
    }
    const void* releaseArgs[] = {factory};
    CHECK_EQ(CallCountingPops(Method(factory, 2), 1, releaseArgs, &result), 4);
    CHECK_EQ(result, 0);
    CHECK_HR(CanUnloadNow(), S_OK);
}

#endif
