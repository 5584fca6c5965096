// The session the core driver opens on the module: what it keeps from the provider's set-up.
#include "support/ledger_check.h"

#include <session/core_driver_session.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class CoreDriverSessionTest : public LedgerTest {};

// The provider's namespace BSTR counts its terminator in its recorded length: the session keeps
// the text up to the NUL, never the NUL itself.
TEST_F(CoreDriverSessionTest, KeepsTheDefaultNamespaceWithoutItsCountedTerminatorAndTheVersions) {
    std::string error;
    const std::unique_ptr<LoadedModule> module = LoadedModule::Load(QP_MODULE_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    {
        const std::unique_ptr<CoreDriverSession> session =
            CoreDriverSession::Open(*module, CoreHelperStub::Create(), error);
        ASSERT_NE(session, nullptr) << error;
        EXPECT_EQ(session->DefaultNamespace(), "http://schemas.qpqp.example/qv/2021/04/printing/printticket");
        EXPECT_EQ(session->SupportedVersions(), std::vector<INT>{1});
    }
    EXPECT_EQ(module->CanUnloadNow(), S_OK);
}

}  // namespace
