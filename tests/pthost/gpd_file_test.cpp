// pthost's GPD reader, in process: what it takes from a GPD, what it skips, and where it stops.
#include "support/ledger_check.h"

#include <pthost/gpd_file.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pthosttest {
namespace {

using pthost::GpdFeature;
using pthost::GpdFile;

class GpdFileTest : public LedgerTest {};

std::vector<std::string> Names(const GpdFile& gpd) {
    std::vector<std::string> names;
    for (const GpdFeature& feature : gpd.Features()) names.push_back(feature.name);
    return names;
}

// Every construct around the entries that could be mistaken for one, or for a brace.
const char* const kEverythingSkipped = R"GPD(*% A *Option: Fake outside any feature, in a comment { }
*GPDFileVersion: "1.0"
*Include: "Msxpsinc.gpd"
*Feature: OutputBin
{
    *Name: "Bins { and } braces *% not a comment"
    *DefaultOption: Center   *% trailing comment with a }
    *Option: Upper { *Name: "Upper" }
    *Option: Center
    {
        *Name: "Center"
        *Command: CmdSelect
        {
            *Cmd: <BeginValue:Q>"*Option: Hidden {"
            }<EndValue:Q>
        }
        *Switch: PaperSize
        {
            *Case: A4
            {
                *DefaultOption: Ignored
            }
        }
    }
    *Switch: Resolution
    {
        *Case: Draft { *DefaultOption: Upper }
    }
}
*Constraints: LIST(OutputBin.Upper,
+                  OutputBin.Center)
*Feature: Punch
{
    *Option: NONE
    {
    }
    *Option: AUTO
    {
    }
}
*Feature: OutputBin
{
    *Option: FaceUp { }
}
)GPD";

TEST_F(GpdFileTest, TakesFeaturesOptionsAndDefaultsAndSkipsEverythingElse) {
    GpdFile gpd;
    std::string error;
    ASSERT_TRUE(GpdFile::Parse("skip.gpd", kEverythingSkipped, gpd, error)) << error;
    EXPECT_EQ(Names(gpd), (std::vector<std::string>{"OutputBin", "Punch"}));
    const GpdFeature& bins = gpd.Features()[0];
    EXPECT_EQ(bins.options, (std::vector<std::string>{"Upper", "Center", "FaceUp"}));
    EXPECT_EQ(bins.defaultOption, "Center");
    EXPECT_EQ(gpd.Features()[1].options, (std::vector<std::string>{"NONE", "AUTO"}));
    EXPECT_EQ(gpd.Features()[1].defaultOption, "");
}

TEST_F(GpdFileTest, SelectsDefaultsFirstOptionsAndCheckedChoices) {
    GpdFile gpd;
    std::string error;
    ASSERT_TRUE(GpdFile::Parse("skip.gpd", kEverythingSkipped, gpd, error)) << error;
    GpdSelections selections;
    ASSERT_TRUE(gpd.Select({}, selections, error)) << error;
    EXPECT_EQ(selections, (GpdSelections{{"OutputBin", "Center"}, {"Punch", "NONE"}}));
    ASSERT_TRUE(gpd.Select({{"Punch", "AUTO"}}, selections, error)) << error;
    EXPECT_EQ(selections, (GpdSelections{{"OutputBin", "Center"}, {"Punch", "AUTO"}}));

    EXPECT_FALSE(gpd.Select({{"PunchHole", "3Holes"}}, selections, error));
    EXPECT_EQ(error, "--option PunchHole=3Holes: skip.gpd has no feature PunchHole (its features: OutputBin, Punch)");
    EXPECT_FALSE(gpd.Select({{"Punch", "Auto"}}, selections, error));
    EXPECT_EQ(error, "--option Punch=Auto: the feature Punch of skip.gpd has no option Auto (its options: NONE, AUTO)");
}

TEST_F(GpdFileTest, AMalformedGpdIsNamedWithItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"*Feature: A\n{\n  *Option: B\n  {\n}\n", "bad.gpd:2: the '{' of *Feature: A is never closed"},
        {"*Feature: A\n{\n}\n}\n", "bad.gpd:4: '}' without a '{' to close"},
        {"*% intro\n*Option: B\n{\n}\n", "bad.gpd:2: *Option: B outside a *Feature block"},
        {"*Switch: A\n{\n  *Case: X\n  {\n    *DefaultOption: B\n  }\n}\n",
         "bad.gpd:5: *DefaultOption: B outside a *Feature block"},
        {"*Feature: A\n{\n  *Feature: B\n  {\n  }\n}\n", "bad.gpd:3: *Feature: B inside the block of *Feature: A"},
        {"*Feature: A\n{\n  *Option: B\n  {\n    *Option: C\n    {\n    }\n  }\n}\n",
         "bad.gpd:5: *Option: C inside the block of *Option: B"},
        {"*Feature: A\n*Feature: B\n{\n}\n", "bad.gpd:1: *Feature: A has no { } block"},
        {"*Feature: A\n{\n  *DefaultOption: C\n  *Option: B { }\n}\n",
         "bad.gpd:3: *DefaultOption: C is not an option of A (its options: B)"},
        {"*Feature: A\n{\n  *Name: \"open\n}\n", "bad.gpd:3: a quoted string is never closed"},
        {"*Feature: A\n{\n  *Cmd: <BeginValue:Q>x\n}\n", "bad.gpd:3: <BeginValue:Q> has no <EndValue:Q>"},
        {"*Feature: A B\n{\n}\n", "bad.gpd:1: *Feature needs a name of letters, digits and '_', got 'A B'"},
        {"*Feature: A\n{\n  Option: B\n}\n", "bad.gpd:3: expected an entry '*Keyword: value', found 'O'"},
        {"{\n}\n", "bad.gpd:1: '{' without an entry before it"},
    };
    for (const auto& [text, message] : cases) {
        GpdFile gpd;
        std::string error;
        EXPECT_FALSE(GpdFile::Parse("bad.gpd", text, gpd, error)) << text;
        EXPECT_EQ(error, message) << text;
    }
}

}  // namespace
}  // namespace pthosttest
