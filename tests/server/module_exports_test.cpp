// The module's exports, its class factory and the server's lifetime counters, through the two
// exports only.
#include "server_fixture.h"

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using qp::ComPtr;

namespace servertest {
namespace {

void* const kUntouched = reinterpret_cast<void*>(0x5A5A);

using ModuleExportsTest = ModuleTest;

TEST(ModuleSymbols, ExportsExactlyTheTwoEntryPoints) {
    const std::string command = std::string("nm -D --defined-only ") + QP_MODULE_PATH;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::set<std::string> symbols;
    std::array<char, 512> line{};
    while (fgets(line.data(), line.size(), pipe.get()) != nullptr) {
        char name[512] = {};
        if (std::sscanf(line.data(), "%*s %*s %511s", name) == 1) symbols.insert(name);
    }
    EXPECT_EQ(symbols, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject"}));
}

TEST_F(ModuleExportsTest, InterfaceIdAloneChoosesTheObject) {
    for (const CLSID& clsid : {CLSID_OEMUI, CLSID_OEMPTPROVIDER}) {
        const ComPtr<IClassFactory> factory = Factory(clsid);
        for (const IID& iid : {IID_IUnknown, IID_IPrintOemUI2}) {
            ComPtr<IUnknown> object;
            ASSERT_EQ(factory->CreateInstance(nullptr, iid, object.put_void()), S_OK);
            ComPtr<IPrintOemUI2> ui;
            EXPECT_EQ(object.QueryTo(IID_IPrintOemUI2, ui), S_OK);
        }
        ComPtr<IUnknown> provider;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, provider.put_void()), S_OK);
        ComPtr<IPrintOemUI2> notUi;
        EXPECT_EQ(provider.QueryTo(IID_IPrintOemUI2, notUi), E_NOINTERFACE);
        EXPECT_FALSE(notUi);

        for (const IID& iid : {IID_IClassFactory, IID_IPrintOemUI, IID_IPrintOemCommon, IID_IPrintCoreHelper}) {
            void* out = kUntouched;
            EXPECT_EQ(factory->CreateInstance(nullptr, iid, &out), E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
        }
    }
}

TEST_F(ModuleExportsTest, RefusesUnknownClassesAggregationAndNullArguments) {
    void* out = kUntouched;
    EXPECT_EQ(Module().getClassObject(IID_IClassFactory, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(Module().rawGetClassObject(nullptr, &IID_IClassFactory, &out), E_INVALIDARG);
    EXPECT_EQ(Module().rawGetClassObject(&CLSID_OEMUI, nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(Module().rawGetClassObject(&CLSID_OEMUI, &IID_IClassFactory, nullptr), E_POINTER);

    // A factory asked for another interface is destroyed at once.
    EXPECT_EQ(Module().getClassObject(CLSID_OEMUI, IID_IPrintOemUI2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Module().canUnloadNow(), S_OK);

    const ComPtr<IClassFactory> factory = Factory();
    const ComPtr<FakeDriverPublisher> outer = Offered(true, true);
    out = kUntouched;
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IPrintOemUI2, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(outer->QueryCount(), 0);
    EXPECT_EQ(outer->RefCount(), 1u);
    const auto createInstance = VtableSlot<RawCreateInstance>(factory.get(), 3);
    EXPECT_EQ(createInstance(factory.get(), nullptr, nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(createInstance(factory.get(), nullptr, &IID_IPrintOemUI2, nullptr), E_POINTER);
    EXPECT_EQ(VtableSlot<RawQueryInterface>(factory.get(), 0)(factory.get(), nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ModuleExportsTest, ReferenceCountsAndUnloadAnswers) {
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);

    ComPtr<IPrintOemUI2> ui = Create<IPrintOemUI2>(IID_IPrintOemUI2);
    factory.reset();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    EXPECT_EQ(ui->AddRef(), 2u);
    EXPECT_EQ(ui->Release(), 1u);
    EXPECT_EQ(ui.detach()->Release(), 0u);
    EXPECT_EQ(Module().canUnloadNow(), S_OK);

    // Locks outlive their factory and have no floor.
    factory = Factory();
    factory->LockServer(TRUE);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    Factory()->LockServer(FALSE);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    Factory()->LockServer(FALSE);
    EXPECT_EQ(Module().canUnloadNow(), S_OK);
    EXPECT_EQ(Factory()->LockServer(FALSE), S_OK);
    EXPECT_EQ(Module().canUnloadNow(), S_FALSE);
    Factory()->LockServer(TRUE);
}

TEST_F(ModuleExportsTest, EveryAllocationFailureIsOutOfMemoryAndLeavesNothing) {
    // A null interface id stands for DllGetClassObject itself.
    for (const IID* iid : {static_cast<const IID*>(nullptr), &IID_IPrintOemUI2, &IID_IPrintOemPrintTicketProvider}) {
        const ComPtr<IClassFactory> factory = iid ? Factory() : nullptr;
        bool fired = true;
        for (uint64_t n = 1; fired; ++n) {
            void* out = kUntouched;
            PortableFaultArm(n);
            const HRESULT hr = iid ? factory->CreateInstance(nullptr, *iid, &out)
                                   : Module().getClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, &out);
            fired = PortableFaultFired();
            PortableFaultDisarm();
            if (!fired) {
                EXPECT_EQ(hr, S_OK);
                static_cast<IUnknown*>(out)->Release();
                EXPECT_GT(n, 1u) << "no allocation reached the fault injection";
                continue;
            }
            EXPECT_EQ(hr, E_OUTOFMEMORY) << "allocation " << n;
            EXPECT_TRUE(out == kUntouched || out == nullptr) << "allocation " << n;
        }
    }
}

TEST_F(ModuleExportsTest, ConcurrentCreationReferencesAndLocksBalance) {
    const ComPtr<IPrintOemUI2> shared = Create<IPrintOemUI2>(IID_IPrintOemUI2);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&shared, t] {
            for (int i = 0; i < 500; ++i) {
                ComPtr<IClassFactory> factory;
                const CLSID& clsid = (i + t) % 2 ? CLSID_OEMUI : CLSID_OEMPTPROVIDER;
                if (Module().getClassObject(clsid, IID_IClassFactory, factory.put_void()) != S_OK) return;
                factory->LockServer(TRUE);
                ComPtr<IUnknown> object;
                const IID& iid = i % 2 ? IID_IPrintOemUI2 : IID_IPrintOemPrintTicketProvider;
                factory->CreateInstance(nullptr, iid, object.put_void());
                object->AddRef();
                object->Release();
                shared->AddRef();
                shared->Release();
                factory->LockServer(FALSE);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(shared->AddRef(), 2u);
    EXPECT_EQ(shared->Release(), 1u);
}

}  // namespace
}  // namespace servertest
