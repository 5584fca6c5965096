// *Switch/*Case/*Default conditions, EXTERN_GLOBAL, and the defaults a DEVMODE selects.
#include "coredriver/gpd_test_support.h"

namespace {

using gpdtest::Defaults;
using gpdtest::Failure;
using gpdtest::Parsed;

const char* const kPunch = R"GPD(*Feature: Punch
{
    *DefaultOption: AUTO
    *Option: NONE { }
    *Option: AUTO
    {
        EXTERN_GLOBAL: *MaxCopies: 99
    }
}
*Feature: PunchHole
{
    *DefaultOption: None
    *switch: Punch
    {
        *case: AUTO
        {
            *DefaultOption: 3Holes
        }
    }
    *Option: None { }
    *Option: 2Holes { }
    *Option: 3Holes { }
}
*Feature: OutputBin
{
    *Option: Upper { *Name: "Upper" }
    *Option: Stacker
    {
        *Switch: PunchHole
        {
            *Case: None
            {
                *Name: "Stacker"
                *Command: CmdSelect: "<1B>S"
            }
            *Default { *Name: "Stacker (punched)" }
        }
    }
    *Switch: PunchHole
    {
        *Default
        {
            *DefaultOption: Stacker
        }
        *Case: None { }
    }
}
*Switch: Punch
{
    *Case: NONE { *ModelName: "Plain" }
    *Default { *ModelName: "Puncher" }
}
)GPD";

TEST(GpdSwitchTest, AConditionalDefaultOptionFollowsTheSelectionsItDependsOn) {
    const gpd::GpdModel model = Parsed(kPunch);
    EXPECT_EQ(Defaults(model), (gpd::Selections{{"Punch", "AUTO"}, {"PunchHole", "3Holes"}, {"OutputBin", "Stacker"}}));
    EXPECT_EQ(Defaults(model, {{"Punch", "NONE"}}),
              (gpd::Selections{{"Punch", "NONE"}, {"PunchHole", "None"}, {"OutputBin", "Upper"}}));
    EXPECT_EQ(Defaults(model, {{"PunchHole", "2Holes"}}),
              (gpd::Selections{{"Punch", "AUTO"}, {"PunchHole", "2Holes"}, {"OutputBin", "Stacker"}}));

    const gpd::Attributes& stacker = model.FindFeature("OutputBin")->FindOption("Stacker")->attributes;
    EXPECT_EQ(stacker.Value("*Name", {{"PunchHole", "None"}}), "\"Stacker\"");
    EXPECT_EQ(stacker.Value("*Name", {{"PunchHole", "3Holes"}}), "\"Stacker (punched)\"");
    const gpd::Attributes& select = model.FindFeature("OutputBin")->FindOption("Stacker")->commands.at(0).attributes;
    EXPECT_EQ(select.Value("*Cmd", {{"PunchHole", "None"}}), "\"<1B>S\"");
    EXPECT_EQ(select.Value("*Cmd", {{"PunchHole", "3Holes"}}), std::nullopt);
    EXPECT_EQ(stacker.All("*Name").at(1).conditions.at(0).caseOptions, (std::vector<std::string>{"None"}));
    EXPECT_EQ(model.Root().Value("*ModelName", {{"Punch", "NONE"}}), "\"Plain\"");
    EXPECT_EQ(model.Root().Value("*ModelName", {{"Punch", "AUTO"}}), "\"Puncher\"");
    EXPECT_EQ(model.Root().Value("*MaxCopies", {{"Punch", "AUTO"}}), "99");
    EXPECT_EQ(model.Root().Value("*MaxCopies", {{"Punch", "NONE"}}), std::nullopt);
}

TEST(GpdSwitchTest, SelectionsTheGpdLacksAndCyclesAreRefused) {
    const gpd::GpdModel model = Parsed(kPunch);
    gpd::Selections selections;
    std::string error;
    EXPECT_FALSE(model.Select({{"Holes", "3"}}, selections, error));
    EXPECT_EQ(error, "t.gpd has no feature Holes (its features: Punch, PunchHole, OutputBin)");
    EXPECT_FALSE(model.Select({{"Punch", "None"}}, selections, error));
    EXPECT_EQ(error, "the feature Punch of t.gpd has no option None (its options: NONE, AUTO)");

    const gpd::GpdModel cycle = Parsed("*Feature: A { *Option: X { } *Option: Y { } *Switch: B { *Case: X { *DefaultOption: Y } } }\n"
                                       "*Feature: B { *Option: X { } *Switch: A { *Case: Y { *DefaultOption: X } } }\n");
    EXPECT_FALSE(cycle.Select({}, selections, error));
    EXPECT_EQ(error, "t.gpd: the default options of A, B depend on each other's selection through *Switch, in a cycle");
    EXPECT_EQ(Defaults(cycle, {{"A", "Y"}}), (gpd::Selections{{"A", "Y"}, {"B", "X"}}));
}

TEST(GpdSwitchTest, MisplacedSwitchesFailAtTheirLines) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"*Feature: A\n{\n  *Option: B { }\n  *Switch: Missing\n  {\n    *Case: B { *Name: \"x\" }\n  }\n}\n",
         "t.gpd:4: *Switch: Missing names no feature of the GPD"},
        {"*Feature: A\n{\n  *Option: B { }\n  *Switch: A\n  {\n    *Case: C { }\n  }\n}\n",
         "t.gpd:6: *Case: C is not an option of A (its options: B)"},
        {"*Feature: A { *Option: B { } }\n*Switch: A\n{\n  *Name: \"x\"\n}\n",
         "t.gpd:4: *Name: \"x\" inside *Switch: A: only *Case and *Default go there"},
        {"*Feature: A { *Option: B { } }\n*Switch: A\n{\n  *Case: B\n  {\n    *Feature: C { }\n  }\n}\n",
         "t.gpd:6: *Feature: C inside the block of *Case: B"},
        {"*Feature: A\n{\n  *Option: B { }\n  *Switch: A\n  {\n    *Case: B { *Constraints: A.B }\n  }\n}\n",
         "t.gpd:6: *Constraints: A.B cannot depend on a *Switch (it stands inside *Case: B)"},
        {"*Feature: A\n{\n  *Option: B { }\n  *Switch: A { *Case: B { *Switch: A { } } }\n}\n",
         "t.gpd:4: *Switch: A inside another *Switch on the same feature"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(Failure(text), message) << text;
}

TEST(GpdSwitchTest, DeepNestingIsAnErrorNotACrash) {
    std::string deep = "*Feature: A\n";
    for (int i = 0; i < 10000; ++i) deep += "{ *X: 1\n";
    EXPECT_EQ(Failure(deep), "t.gpd:256: blocks nested too deeply (more than 256)");
}

}  // namespace
