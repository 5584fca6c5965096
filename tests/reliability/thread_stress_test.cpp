// The core driver may call from any of its threads. Several threads convert their own documents
// through one shared provider, run DEVMODE and info calls on one shared UI plug-in, and keep
// making and dropping factories, objects and server locks; afterwards every result is right,
// nothing leaked and the module can be unloaded. Run under ThreadSanitizer by the tsan preset.
#include "reliability_support.h"
#include "support/xml_assert.h"

#include <common/constants.h>

#include <atomic>
#include <iostream>
#include <thread>
#include <vector>

using qp::ComPtr;

namespace reliability {
namespace {

using qptest::XmlDoc;

inline constexpr int kThreads = 6;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kRounds = 40;
#else
inline constexpr int kRounds = 150;
#endif

struct Counters {
    std::atomic<long> conversions{0};
    std::atomic<long> devmodeCalls{0};
    std::atomic<long> objectsMade{0};
    std::atomic<long> locks{0};
    long Total() const { return conversions + devmodeCalls + objectsMade + locks; }
};

// One round of a converting thread: its own documents through all three conversions, checked.
void ConvertOwnDocuments(DriverSession& shared, const std::string& text, Counters& counters) {
    ComPtr<IXMLDOMDocument2> ticket = qptest::LoadDocument(text);
    ComPtr<IXMLDOMDocument2> capabilities = qptest::LoadDocument(text);
    ASSERT_TRUE(ticket && capabilities);
    ASSERT_EQ(shared.Convert(Conversion::DevModeToPrintTicket, ticket.get()), S_OK);
    ASSERT_EQ(shared.Convert(Conversion::PrintTicketToDevMode, ticket.get()), S_OK);
    ASSERT_EQ(shared.Convert(Conversion::CompletePrintCapabilities, capabilities.get()), S_OK);
    counters.conversions += 3;

    // The private feature went into the N-up feature behind the public one, which then came
    // back out under the private name; the hole count was added beside the one there.
    const XmlDoc out(qptest::SerializeUtf8(ticket.get()));
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Feature[@name='ns0000:JobPresentationDirection']/psf:Option"
                        "[@name='psk:RightBottom']"),
              1);
    EXPECT_EQ(out.Count("//psf:Option[@name='psk:LeftEdge']/psf:ScoredProperty[@name='psk:HoleCount']/psf:Value"),
              2);
    const XmlDoc completed(qptest::SerializeUtf8(capabilities.get()));
    EXPECT_EQ(completed.Count("//psf:Option[@name='ns0000:Finisher']/psf:ScoredProperty[@name='psk:BinType']"), 1);
}

// One round of DEVMODE and info traffic on the shared UI plug-in, with buffers of its own.
void UseSharedPlugin(IPrintOemUI2* plugin, Counters& counters) {
    OEM_DMEXTRAHEADER in{12, qp::kPluginSignature, 7};
    OEM_DMEXTRAHEADER out{};
    OEMDMPARAM params{};
    params.cbSize = sizeof(params);
    params.pOEMDMIn = &in;
    params.pOEMDMOut = &out;
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, &params), S_OK);
    EXPECT_EQ(params.cbBufSize, 12u);
    EXPECT_EQ(plugin->DevMode(OEMDM_DEFAULT, &params), S_OK);
    EXPECT_EQ(plugin->DevMode(OEMDM_CONVERT, &params), S_OK);
    EXPECT_EQ(out.dwVersion, 1u);
    EXPECT_EQ(plugin->DevMode(OEMDM_MERGE, &params), S_OK);
    EXPECT_EQ(out.dwSignature, qp::kPluginSignature);

    DWORD signature = 0;
    DWORD needed = 0;
    EXPECT_EQ(plugin->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof(signature), &needed), S_OK);
    EXPECT_EQ(signature, qp::kPluginSignature);
    // A failure's last error belongs to the calling thread.
    EXPECT_EQ(plugin->GetInfo(OEMGI_GETINTERFACEVERSION, &signature, sizeof(signature), &needed), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    counters.devmodeCalls += 6;
}

// One round of factory, object and lock traffic.
void ChurnServer(IPrintOemPrintTicketProvider* sharedProvider, Counters& counters) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(Module().GetClassObject(CLSID_OEMUI, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    ComPtr<IUnknown> plugin;
    ComPtr<IUnknown> provider;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI2, plugin.put_void()), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, provider.put_void()), S_OK);
    ComPtr<IPrintOemPrintTicketProvider> again;
    EXPECT_EQ(sharedProvider->QueryInterface(IID_IPrintOemPrintTicketProvider, again.put_void()), S_OK);
    BSTR uri = nullptr;
    EXPECT_EQ(sharedProvider->QueryDeviceDefaultNamespace(&uri), S_OK);
    SysFreeString(uri);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    counters.objectsMade += 3;
    counters.locks += 2;
}

class ThreadStress : public LedgerTest {};

TEST_F(ThreadStress, SharedProviderAndPluginUnderConcurrentConversionsAndFactoryTraffic) {
    const std::string text = EveryPassDocument();
    ASSERT_FALSE(text.empty());
    Counters counters;
    {
        DriverSession shared;
        ASSERT_TRUE(shared.Ready());
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                while (!go.load()) std::this_thread::yield();
                for (int round = 0; round < kRounds && !::testing::Test::HasFatalFailure(); ++round) {
                    // Every thread does every kind of work, in an order of its own.
                    switch ((t + round) % 3) {
                    case 0: ConvertOwnDocuments(shared, text, counters); break;
                    case 1: UseSharedPlugin(shared.Plugin(), counters); break;
                    default: ChurnServer(shared.Provider(), counters); break;
                    }
                }
            });
        }
        go = true;
        for (auto& thread : threads) thread.join();
        EXPECT_EQ(Module().CanUnloadNow(), S_FALSE) << "the shared objects are still alive";
    }
    EXPECT_EQ(Module().CanUnloadNow(), S_OK) << "an object or a lock outlived the threads";
    std::cout << "threads: " << kThreads << " threads ran " << counters.Total() << " operations ("
              << counters.conversions << " conversions, " << counters.devmodeCalls << " UI plug-in calls, "
              << counters.objectsMade << " objects made, " << counters.locks << " lock calls)" << std::endl;
    RecordProperty("operations", static_cast<int>(counters.Total()));
}

}  // namespace
}  // namespace reliability
