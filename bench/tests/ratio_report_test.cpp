// The target checks decide whether the suite passes, so a check that compares the wrong figures
// would hide a slow conversion: each one is fed figures on both sides of its bound.
#include "ratio_report.h"

#include <support/ledger_check.h>

#include <sstream>

namespace qpbench {
namespace {

Subject Generated(Form form, Placement placement, int size) {
    Subject subject;
    subject.generated = true;
    subject.shape = DocumentShape{DocumentKind::PrintTicket, size, placement, form};
    subject.conversion = form == Form::Driver ? Conversion::DevModeToPrintTicket : Conversion::PrintTicketToDevMode;
    subject.key = std::string(KindName(DocumentKind::PrintTicket, form)) + "/" + PlacementName(placement) + "/" +
                  std::to_string(size);
    return subject;
}

class RatioReportTest : public LedgerTest {
protected:
    // Two sizes of driver tickets, edited features first and last, and one bundled example.
    RatioReportTest() {
        Subject example;
        example.key = "example/ticket";
        subjects_.push_back(example);
        for (Placement placement : {Placement::First, Placement::Last}) {
            for (int size : {100, 1000}) subjects_.push_back(Generated(Form::Driver, placement, size));
        }
        // Figures that meet every target: the example at 0.4 of its parse, flat when first,
        // ten-fold when last.
        Set("example/ticket", 4, 10);
        Set("ticket/first/100", 5, 100);
        Set("ticket/first/1000", 5, 1000);
        Set("ticket/last/100", 50, 100);
        Set("ticket/last/1000", 500, 1000);
    }

    void Set(const std::string& key, double convert, double parse) {
        measured_.Set(Operation::Convert, key, convert);
        measured_.Set(Operation::Parse, key, parse);
        measured_.Set(Operation::Walk, key, parse / 4);
    }

    bool Check(std::string& log) {
        std::ostringstream out;
        const bool held = CheckTargets(out, subjects_, measured_);
        log = out.str();
        return held;
    }

    std::vector<Subject> subjects_;
    Measurements measured_;
};

TEST_F(RatioReportTest, FiguresWithinEveryBoundPass) {
    std::string log;
    EXPECT_TRUE(Check(log)) << log;
    EXPECT_EQ(log.find("FAIL"), std::string::npos) << log;
    EXPECT_NE(log.find("PASS  ConvertDevModeToPrintTicket grows at most linearly from ticket/last/100 to "
                       "ticket/last/1000: x10.00"),
              std::string::npos)
        << log;
}

TEST_F(RatioReportTest, EachBoundFailsJustPastIt) {
    struct Case {
        const char* key;
        double convert;
        double parse;
        const char* failure;
    };
    const Case cases[] = {
        {"example/ticket", 7.6, 10, "FAIL  ConvertDevModeToPrintTicket on example/ticket costs at most 0.75"},
        {"ticket/last/1000", 610, 600, "FAIL  ConvertDevModeToPrintTicket grows at most linearly from ticket/last/100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        Measurements saved = measured_;
        Set(c.key, c.convert, c.parse);
        std::string log;
        EXPECT_FALSE(Check(log));
        EXPECT_NE(log.find(c.failure), std::string::npos) << log;
        measured_ = saved;
    }
}

TEST_F(RatioReportTest, MissingFiguresAreSkippedNotPassed) {
    measured_ = Measurements();
    std::string log;
    Check(log);
    EXPECT_EQ(log.find("PASS"), std::string::npos) << log;
    EXPECT_NE(log.find("SKIP  ConvertDevModeToPrintTicket on example/ticket"), std::string::npos) << log;

    std::ostringstream table;
    PrintRatioTable(table, subjects_, measured_);
    EXPECT_NE(table.str().find("| ticket | last | 1000 | ConvertDevModeToPrintTicket | n/a |"), std::string::npos)
        << table.str();
}

TEST_F(RatioReportTest, TableShowsRatiosAndGrowth) {
    std::ostringstream table;
    PrintRatioTable(table, subjects_, measured_);
    // ticket/last/1000: 500 against parse 1000 and walk 250, ten-fold from the 100-feature row.
    EXPECT_NE(table.str().find("| ticket | last | 1000 | ConvertDevModeToPrintTicket | 500 | 1000 | 250 | 0.500 | "
                               "2.000 | x10.00 | x10.00 |"),
              std::string::npos)
        << table.str();
}

}  // namespace
}  // namespace qpbench
