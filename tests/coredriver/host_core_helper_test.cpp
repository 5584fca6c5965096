// The core driver's helper and publisher stand-ins: what they answer, what they record, and the
// reference counts through which tests see what the plug-in took and gave back.
#include "support/ledger_check.h"

#include <session/fake_driver_publisher.h>

#include <cstring>
#include <string>
#include <vector>

using qp::ComPtr;

namespace {

class CoreHelperStubTest : public LedgerTest {
protected:
    void TearDown() override {
        EXPECT_EQ(stub->RefCount(), 1u) << "every reference taken was given back";
        stub.reset();
        LedgerTest::TearDown();
    }

    ComPtr<CoreHelperStub> stub = CoreHelperStub::Create();
    DEVMODEW devmode{};
};

TEST_F(CoreHelperStubTest, GetOptionAnswersFromTheSelectionsAndRecordsEachCall) {
    stub->SetOption("PunchHole", "3Holes");
    PCSTR option = "untouched";
    EXPECT_EQ(stub->GetOption(&devmode, 232, "PunchHole", &option), S_OK);
    ASSERT_NE(option, nullptr);
    EXPECT_STREQ(option, "3Holes");

    option = "untouched";
    EXPECT_EQ(stub->GetOption(nullptr, 0, "Punch", &option), E_FAIL) << "a feature the GPD lacks";
    EXPECT_EQ(option, nullptr);

    const std::vector<CoreHelperStub::OptionCall> calls = stub->OptionCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].feature, "PunchHole");
    EXPECT_EQ(calls[0].devmode, &devmode);
    EXPECT_EQ(calls[0].size, 232u);
    EXPECT_EQ(calls[1].feature, "Punch");
    EXPECT_EQ(calls[1].devmode, nullptr);
    EXPECT_EQ(stub->RequestedFeatures(), (std::vector<std::string>{"PunchHole", "Punch"}));
}

TEST_F(CoreHelperStubTest, ForcedResultsWinButTheOptionPointerStaysSet) {
    stub->SetOption("PunchHole", "4Holes");
    stub->ForceOptionResult("PunchHole", S_FALSE);
    stub->ForceOptionResult("Punch", E_INVALIDARG);
    PCSTR option = nullptr;
    EXPECT_EQ(stub->GetOption(&devmode, sizeof devmode, "PunchHole", &option), S_FALSE);
    ASSERT_NE(option, nullptr) << "a caller must look at the result, not the pointer";
    EXPECT_STREQ(option, "4Holes");
    EXPECT_EQ(stub->GetOption(&devmode, sizeof devmode, "Punch", &option), E_INVALIDARG);
    EXPECT_EQ(option, nullptr);
}

TEST_F(CoreHelperStubTest, GetOptionRefusesMissingPointers) {
    PCSTR option = "x";
    EXPECT_EQ(stub->GetOption(&devmode, sizeof devmode, nullptr, &option), E_INVALIDARG);
    EXPECT_EQ(option, nullptr);
    EXPECT_EQ(stub->GetOption(&devmode, sizeof devmode, "PunchHole", nullptr), E_INVALIDARG);
    EXPECT_EQ(stub->OptionCalls().size(), 2u) << "recorded all the same";
}

TEST_F(CoreHelperStubTest, HandsOutTheNamespaceManagerOnly) {
    ComPtr<IMXNamespaceManager> manager;
    EXPECT_EQ(stub->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, 0, IID_IMXNamespaceManager,
                                                manager.put_void()),
              S_OK);
    EXPECT_TRUE(manager);
    manager.reset();

    ComPtr<IUnknown> other;
    EXPECT_EQ(stub->CreateInstanceOfMSXMLObject(CLSID_DOMDocument60, nullptr, 0, IID_IUnknown, other.put_void()),
              REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(other);
    EXPECT_EQ(stub->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, stub.get(), 0, IID_IUnknown,
                                                other.put_void()),
              CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(other);

    stub->FailCreateInstance(E_OUTOFMEMORY);
    EXPECT_EQ(stub->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, 0, IID_IMXNamespaceManager,
                                                manager.put_void()),
              E_OUTOFMEMORY);
    EXPECT_FALSE(manager);
    EXPECT_EQ(stub->CreateInstanceCalls(), 4);
}

TEST_F(CoreHelperStubTest, AnswersOnlyItsOwnInterfaces) {
    ComPtr<IPrintCoreHelper> helper;
    EXPECT_EQ(stub->QueryInterface(IID_IPrintCoreHelper, helper.put_void()), S_OK);
    EXPECT_EQ(stub->RefCount(), 2u);
    helper.reset();
    ComPtr<IUnknown> other;
    EXPECT_EQ(stub->QueryInterface(IID_IPrintCoreHelperUni, other.put_void()), E_NOINTERFACE);
    EXPECT_FALSE(other);
}

class FakeDriverPublisherTest : public LedgerTest {};

TEST_F(FakeDriverPublisherTest, SuppliesWhatItIsConfiguredToAndCountsTheQueries) {
    ComPtr<CoreHelperStub> stub = CoreHelperStub::Create();
    ComPtr<FakeDriverPublisher> publisher = FakeDriverPublisher::Create(stub, true);

    ComPtr<IPrintCoreHelper> helper;
    ASSERT_EQ(publisher->QueryInterface(IID_IPrintCoreHelper, helper.put_void()), S_OK);
    EXPECT_EQ(helper.get(), static_cast<IPrintCoreHelper*>(stub.get()));
    EXPECT_EQ(stub->RefCount(), 3u) << "ours, the publisher's and the query's";

    ComPtr<IPrintOemDriverUI> driverUI;
    ASSERT_EQ(publisher->QueryInterface(IID_IPrintOemDriverUI, driverUI.put_void()), S_OK);
    EXPECT_EQ(publisher->RefCount(), 2u);
    EXPECT_EQ(driverUI->DrvUpgradeRegistrySetting(nullptr, "f", "o"), E_NOTIMPL);

    EXPECT_EQ(publisher->QueryCount(IID_IPrintCoreHelper), 1);
    EXPECT_EQ(publisher->QueryCount(IID_IPrintOemDriverUI), 1);
    EXPECT_EQ(publisher->QueryCount(), 2);
    helper.reset();
    driverUI.reset();
    EXPECT_EQ(stub->RefCount(), 2u);
    EXPECT_EQ(publisher->RefCount(), 1u);
}

TEST_F(FakeDriverPublisherTest, RefusesWhatItDoesNotOfferAndFailsOnRequest) {
    ComPtr<FakeDriverPublisher> publisher = FakeDriverPublisher::Create(nullptr, false);
    ComPtr<IUnknown> out;
    EXPECT_EQ(publisher->QueryInterface(IID_IPrintCoreHelper, out.put_void()), E_NOINTERFACE);
    EXPECT_EQ(publisher->QueryInterface(IID_IPrintOemDriverUI, out.put_void()), E_NOINTERFACE);
    EXPECT_FALSE(out);

    ComPtr<FakeDriverPublisher> failing = FakeDriverPublisher::Create(CoreHelperStub::Create(), true);
    failing->FailQuery(IID_IPrintCoreHelper, E_OUTOFMEMORY);
    EXPECT_EQ(failing->QueryInterface(IID_IPrintCoreHelper, out.put_void()), E_OUTOFMEMORY);
    EXPECT_FALSE(out);
    EXPECT_EQ(failing->Helper()->RefCount(), 1u);
    EXPECT_EQ(failing->QueryCount(IID_IPrintCoreHelper), 1);
}

}  // namespace
