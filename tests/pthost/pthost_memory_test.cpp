// pthost's commands run in this process while one allocation after another fails; with
// throwing_new.cpp, std::bad_alloc comes out of pthost's own containers and strings as well as
// out of the host's.
#include "pthost_runner.h"

#include "support/ledger_check.h"

#include <pthost/command.h>

#include <fcntl.h>
#include <unistd.h>


namespace pthosttest {
namespace {

// Standard error goes nowhere while a sweep runs: every failing step has its one line.
class QuietStandardError {
public:
    QuietStandardError() : saved_(dup(2)) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        close(null);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;
    ~QuietStandardError() {
        dup2(saved_, 2);
        close(saved_);
    }

private:
    int saved_;
};

class PthostMemoryTest : public LedgerTest {};

TEST_F(PthostMemoryTest, EveryFailedAllocationEndsTheRunWithAStatus) {
    const std::string output = ScratchFile("out.xml", "");
    const std::vector<std::string> args = {"--plugin", ModulePath(), "to-ticket", "--option", "PunchHole=3Holes",
                                           "-o", output, ExamplePath("printticket.xml")};
    PortableFaultResetCount();
    ASSERT_EQ(pthost::Main(args), 0);
    const uint64_t allocations = PortableFaultAllocationCount();
    ASSERT_GT(allocations, 0u);

    int outOfMemory = 0;
    QuietStandardError quiet;
    for (uint64_t failAt = 1; failAt <= allocations; ++failAt) {
        PortableFaultArm(failAt);
        const int status = pthost::Main(args);
        PortableFaultDisarm();
        ASSERT_TRUE(status == 0 || status == 1 || status == 2) << "allocation " << failAt << ": " << status;
        outOfMemory += status == 2;
    }
    EXPECT_GT(outOfMemory, 0);
}

}  // namespace
}  // namespace pthosttest
