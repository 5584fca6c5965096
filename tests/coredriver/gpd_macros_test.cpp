// Value macros, block macros and *IgnoreBlock: what they define, where, and for how long.
#include "coredriver/gpd_test_support.h"

#include <gpd/gpd_values.h>

namespace {

using gpdtest::Failure;
using gpdtest::FeatureNames;
using gpdtest::OptionNames;
using gpdtest::Parsed;
using Names = std::vector<std::string>;

const char* const kMacros = R"GPD(*Macros: Shared
{
    DefaultBin: Tray1
    BinCmd: "<1B>B"
    Twice: =BinCmd "x"
}
*BlockMacro: TwoOptions
{
    *Option: Tray1 { *Name: "Tray 1" }
    *Option: Tray2 { *Command: CmdSelect { *Cmd: =BinCmd "2" } }
}
*BlockMacro: Unused
{
    *Feature: NeverInserted { *Option: A { } }
}
*IgnoreBlock
{
    *Feature: Ignored { *Option: A { } }
    *Macros { DefaultBin: Ignored }
}
*Feature: InputBin
{
    *Macros
    {
        Local: "local"
        DefaultBin: Tray2
    }
    *DefaultOption: =DefaultBin
    *Name: =Local
    *InsertBlock: =TwoOptions
}
*Feature: OutputBin
{
    *DefaultOption: =DefaultBin
    *Cmd: =Twice "y"
    *BlockMacro: Inner { *Option: Tray1 { } }
    *InsertBlock: =Inner
}
)GPD";

TEST(GpdMacrosTest, MacrosAreSubstitutedInsertedAndScopedByTheirBraces) {
    const gpd::GpdModel model = Parsed(kMacros);
    EXPECT_EQ(FeatureNames(model), (Names{"InputBin", "OutputBin"}));
    EXPECT_EQ(OptionNames(model, "InputBin"), (Names{"Tray1", "Tray2"}));
    const gpd::Feature& input = *model.FindFeature("InputBin");
    EXPECT_EQ(input.attributes.Value("*DefaultOption"), "Tray2");
    EXPECT_EQ(input.FindOption("Tray2")->commands.at(0).attributes.Value("*Cmd"), "\"<1B>B\" \"2\"");
    const gpd::Feature& output = *model.FindFeature("OutputBin");
    EXPECT_EQ(output.attributes.Value("*DefaultOption"), "Tray1");
    EXPECT_EQ(gpd::TextValue(*output.attributes.Value("*Cmd")), "\x1B" "Bxy");
}

TEST(GpdMacrosTest, AMacroOutOfScopeSelfNamedOrUndefinedFailsAtItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"*Feature: A\n{\n  *Macros { M: B }\n  *Option: B { }\n}\n*Feature: C { *DefaultOption: =M }\n",
         "t.gpd:6: =M names no macro defined before it"},
        {"*Macros\n{\n  Loop: =Loop\n}\n", "t.gpd:3: the macro Loop names itself"},
        {"*BlockMacro: Self\n{\n  *InsertBlock: =Self\n}\n*InsertBlock: =Self\n", "t.gpd:3: the block macro Self inserts itself"},
        {"*InsertBlock: =Later\n*BlockMacro: Later { }\n", "t.gpd:1: *InsertBlock: =Later names no block macro defined before it"},
        {"*Macros\n{\n  *Name: \"x\"\n}\n", "t.gpd:3: *Name: \"x\" inside *Macros: its entries are written 'Name: value', without '*'"},
        {"*IgnoreBlock\n{\n  *Feature: A {\n}\n", "t.gpd:1: the '{' of *IgnoreBlock is never closed"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(Failure(text), message) << text;
}

}  // namespace
