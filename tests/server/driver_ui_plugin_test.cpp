// The UI plug-in through a module-made object: GetInfo, the private DEVMODE section and the
// interfaces the core driver publishes to it.
#include "server_fixture.h"

#include <array>
#include <cstring>

using qp::ComPtr;

namespace servertest {
namespace {

constexpr DWORD kSignature = 0x50515051;  // "QPQP"
constexpr BYTE kGuard = 0xCC;

// A 12-byte section followed by guard bytes that no DevMode call may touch.
struct Section {
    std::array<BYTE, 12 + 8> bytes{};
    BYTE guard;

    Section(DWORD size, DWORD signature, DWORD version, BYTE guardByte = kGuard) : guard(guardByte) {
        bytes.fill(guard);
        Set(0, size);
        Set(4, signature);
        Set(8, version);
    }
    void Set(size_t offset, DWORD value) { std::memcpy(bytes.data() + offset, &value, sizeof value); }
    DWORD Get(size_t offset) const {
        DWORD value;
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }
    bool HoldsDefaultHeader() const { return Get(0) == 12 && Get(4) == kSignature && Get(8) == 1; }
    bool GuardIntact() const {
        for (size_t i = 12; i < bytes.size(); ++i) {
            if (bytes[i] != guard) return false;
        }
        return true;
    }
};

class DriverUIPluginTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        ui_ = Create<IPrintOemUI2>(IID_IPrintOemUI2);
    }
    void TearDown() override {
        ui_.reset();
        ModuleTest::TearDown();
    }

    HRESULT DevMode(DWORD mode, Section* in, Section* out) {
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.pOEMDMIn = in ? in->bytes.data() : nullptr;
        param.pOEMDMOut = out ? out->bytes.data() : nullptr;
        return ui_->DevMode(mode, &param);
    }

    ComPtr<IPrintOemUI2> ui_;
};

TEST_F(DriverUIPluginTest, GetInfoAnswersItsModesAndRefusesTheRest) {
    struct Row {
        DWORD mode;
        DWORD answer;
    };
    for (const Row row : {Row{OEMGI_GETSIGNATURE, kSignature}, Row{OEMGI_GETVERSION, 1},
                          Row{OEMGI_GETREQUESTEDHELPERINTERFACES, OEMPUBLISH_IPRINTCOREHELPER}}) {
        std::array<BYTE, 8> buffer{};
        buffer.fill(kGuard);
        DWORD needed = 99;
        ASSERT_EQ(ui_->GetInfo(row.mode, buffer.data(), 4, &needed), S_OK) << row.mode;
        DWORD answer;
        std::memcpy(&answer, buffer.data(), 4);
        EXPECT_EQ(answer, row.answer) << row.mode;
        EXPECT_EQ(needed, 4u);
        EXPECT_EQ(buffer[4], kGuard);
    }
    std::array<char, 4> signature{};
    DWORD needed = 0;
    ui_->GetInfo(OEMGI_GETSIGNATURE, signature.data(), 4, &needed);
    EXPECT_EQ(std::string(signature.data(), 4), "QPQP");

    for (const DWORD mode : {OEMGI_GETSIGNATURE, OEMGI_GETVERSION, OEMGI_GETPUBLISHERINFO,
                             OEMGI_GETREQUESTEDHELPERINTERFACES}) {
        std::array<BYTE, 4> buffer{};
        buffer.fill(kGuard);
        needed = 99;
        SetLastError(0);
        EXPECT_EQ(ui_->GetInfo(mode, buffer.data(), 3, &needed), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(needed, 4u);
        EXPECT_EQ(buffer, (std::array<BYTE, 4>{kGuard, kGuard, kGuard, kGuard}));
        needed = 99;
        EXPECT_EQ(ui_->GetInfo(mode, nullptr, 4, &needed), E_FAIL);
        EXPECT_EQ(needed, 4u);
        SetLastError(0);
        EXPECT_EQ(ui_->GetInfo(mode, buffer.data(), 4, nullptr), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }

    DWORD buffer = 0;
    needed = 99;
    EXPECT_EQ(ui_->GetInfo(OEMGI_GETPUBLISHERINFO, &buffer, 4, &needed), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(needed, 0u);
    for (const DWORD mode : {0u, static_cast<DWORD>(OEMGI_GETINTERFACEVERSION), 6u}) {
        needed = 99;
        SetLastError(0);
        EXPECT_EQ(ui_->GetInfo(mode, &buffer, 4, &needed), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(needed, 99u);
    }
}

TEST_F(DriverUIPluginTest, DevModeSizesDefaultsConvertsAndMerges) {
    OEMDMPARAM param{};
    param.cbBufSize = 0;
    ASSERT_EQ(ui_->DevMode(OEMDM_SIZE, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, 12u);

    Section out(0, 0, 0);
    EXPECT_EQ(DevMode(OEMDM_DEFAULT, nullptr, &out), S_OK);
    EXPECT_TRUE(out.HoldsDefaultHeader());

    // Equal signatures keep the input's, whatever it is; different ones reset the output.
    Section foreignIn(8, 0x41424344, 7);
    Section foreignOut(12, 0x41424344, 3);
    EXPECT_EQ(DevMode(OEMDM_CONVERT, &foreignIn, &foreignOut), S_OK);
    EXPECT_EQ(foreignOut.Get(0), 12u);
    EXPECT_EQ(foreignOut.Get(4), 0x41424344u);
    EXPECT_EQ(foreignOut.Get(8), 1u);
    Section mismatched(12, 0x41424344, 1);
    Section ours(12, kSignature, 1);
    EXPECT_EQ(DevMode(OEMDM_CONVERT, &mismatched, &ours), S_OK);
    EXPECT_TRUE(ours.HoldsDefaultHeader());
    Section stale(12, 0x41424344, 5);
    EXPECT_EQ(DevMode(OEMDM_CONVERT, &mismatched, &stale), S_OK);
    EXPECT_EQ(stale.Get(8), 1u);

    Section untouched(3, 4, 5);
    EXPECT_EQ(DevMode(OEMDM_CONVERT, nullptr, &untouched), S_OK);
    EXPECT_EQ(DevMode(OEMDM_CONVERT, &untouched, nullptr), S_OK);
    EXPECT_EQ(untouched.Get(0), 3u);
    EXPECT_EQ(untouched.Get(8), 5u);

    for (Section* in : {&foreignIn, static_cast<Section*>(nullptr)}) {
        Section merged(12, 0x41424344, 9);
        EXPECT_EQ(DevMode(OEMDM_MERGE, in, &merged), S_OK);
        EXPECT_TRUE(merged.HoldsDefaultHeader());
    }
    EXPECT_EQ(DevMode(OEMDM_MERGE, &foreignIn, nullptr), S_OK);
}

TEST_F(DriverUIPluginTest, HostileSectionSizesNeverReachPastTwelveBytes) {
    enum Placement { kInput, kOutput, kBoth };
    for (const DWORD hostile : {0u, 4u, 13u, 0xFFFFFFFFu}) {
        for (const Placement where : {kInput, kOutput, kBoth}) {
            for (const DWORD mode : {OEMDM_CONVERT, OEMDM_MERGE}) {
                Section in(where == kOutput ? 12 : hostile, kSignature, 1, 0xAA);
                Section out(where == kInput ? 12 : hostile, kSignature, 1, 0xBB);
                EXPECT_EQ(DevMode(mode, &in, &out), S_OK);
                EXPECT_TRUE(out.HoldsDefaultHeader()) << hostile << " placement " << where << " mode " << mode;
                EXPECT_TRUE(in.GuardIntact() && out.GuardIntact()) << hostile << " placement " << where;
            }
        }
    }
}

TEST_F(DriverUIPluginTest, DevModeRefusesBadModesAndMissingSections) {
    Section out(0, 0, 0);
    for (const DWORD mode : {0u, 5u}) {
        SetLastError(0);
        EXPECT_EQ(DevMode(mode, nullptr, &out), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    SetLastError(0);
    EXPECT_EQ(ui_->DevMode(OEMDM_SIZE, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(DevMode(OEMDM_DEFAULT, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(out.Get(4), 0u);
}

// References the plug-in holds on the helper and on the driver UI of an offered object.
ULONG HelperTaken(const ComPtr<FakeDriverPublisher>& offered) {
    // The publisher holds its stub once.
    return offered->Helper() ? offered->Helper()->RefCount() - 1 : 0;
}
ULONG DriverUiTaken(const ComPtr<FakeDriverPublisher>& offered) { return offered->RefCount() - 1; }

TEST_F(DriverUIPluginTest, PublicationTakesCoreHelperFirstThenDriverUi) {
    struct Row {
        bool heldHelper, heldUi;      // held before the call
        bool offersHelper, offersUi;  // what the offered object supplies
        HRESULT result;
        int queries;                  // queries the offered object receives
        ULONG helperKept, uiKept;     // references the plug-in keeps on it
    };
    const Row rows[] = {
        {false, false, true, true, S_OK, 1, 1, 0},
        {false, false, false, true, S_OK, 2, 0, 1},
        {false, false, false, false, kDriverUiRefused, 2, 0, 0},
        {true, false, true, true, S_OK, 1, 0, 1},
        {true, false, true, false, kDriverUiRefused, 1, 0, 0},
        {false, true, true, true, S_OK, 1, 1, 0},
        {false, true, false, true, kCoreHelperRefused, 1, 0, 0},
        {true, true, true, true, E_FAIL, 0, 0, 0},
    };
    for (const Row& row : rows) {
        const int rowIndex = static_cast<int>(&row - rows);
        const ComPtr<FakeDriverPublisher> helperSource = Offered(true, false);
        const ComPtr<FakeDriverPublisher> uiSource = Offered(false, true);
        const ComPtr<FakeDriverPublisher> offered = Offered(row.offersHelper, row.offersUi);
        ComPtr<IPrintOemUI2> ui = Create<IPrintOemUI2>(IID_IPrintOemUI2);
        if (row.heldHelper) {
            ASSERT_EQ(ui->PublishDriverInterface(helperSource.get()), S_OK);
        }
        if (row.heldUi) {
            ASSERT_EQ(ui->PublishDriverInterface(uiSource.get()), S_OK);
        }

        EXPECT_EQ(ui->PublishDriverInterface(offered.get()), row.result) << "row " << rowIndex;
        EXPECT_EQ(offered->QueryCount(), row.queries) << "row " << rowIndex;
        EXPECT_EQ(HelperTaken(offered), row.helperKept) << "row " << rowIndex;
        EXPECT_EQ(DriverUiTaken(offered), row.uiKept) << "row " << rowIndex;
        ui.reset();
        for (const auto* source : {&offered, &helperSource, &uiSource}) {
            EXPECT_EQ(HelperTaken(*source) + DriverUiTaken(*source), 0u) << "row " << rowIndex;
        }
    }
}

TEST_F(DriverUIPluginTest, OneObjectOfferedThriceYieldsHelperThenDriverUiThenNothing) {
    const ComPtr<FakeDriverPublisher> both = Offered(true, true);
    EXPECT_EQ(ui_->PublishDriverInterface(both.get()), S_OK);
    EXPECT_EQ(HelperTaken(both), 1u);
    EXPECT_EQ(ui_->PublishDriverInterface(both.get()), S_OK);
    EXPECT_EQ(DriverUiTaken(both), 1u);
    EXPECT_EQ(ui_->PublishDriverInterface(both.get()), E_FAIL);
    EXPECT_EQ(both->QueryCount(), 2);
    EXPECT_EQ(ui_->PublishDriverInterface(nullptr), E_INVALIDARG);
}

TEST_F(DriverUIPluginTest, UnservedCallsDeclineWithoutSideEffects) {
    SetLastError(1234);
    EXPECT_EQ(ui_->CommonUIProp(OEMCUIP_DOCPROP, nullptr), E_NOTIMPL);
    EXPECT_EQ(ui_->DocumentPropertySheets(nullptr, 0), S_OK);
    EXPECT_EQ(ui_->DevicePropertySheets(nullptr, 0), S_OK);
    EXPECT_EQ(ui_->HideStandardUI(0), E_NOTIMPL);
    EXPECT_EQ(ui_->DocumentEvent(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
}  // namespace servertest
