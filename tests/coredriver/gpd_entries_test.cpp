// The GPD language's lexical rules: entries and braces, comments, continuation lines, quoted
// strings, merged repeats, and where a malformed file is reported.
#include "coredriver/gpd_test_support.h"

#include <gpd/gpd_values.h>

namespace {

using gpdtest::Failure;
using gpdtest::FeatureNames;
using gpdtest::OptionNames;
using gpdtest::Parsed;
using Names = std::vector<std::string>;

// Constructs around the entries that could be mistaken for one, or for a brace.
const char* const kLexical = R"GPD(*% A *Option: Fake outside any feature, in a comment { }
*GPDSpecVersion: "1.0"
*Feature: OutputBin {
    *Name: "Bins { and } braces *% not a comment"
    *DefaultOption: Center   *% trailing comment with a }
    *Option: Upper { *Name: "Up" "per" }
    *Option: Center
    {
        *Name: "Cen"
+              "ter"   *% a comment before the continuation
+              " Tray"
        *Command: CmdSelect
        {
            *Order: DOC_SETUP.12
            *Cmd: "<1B>&l" %d{NumOfCopies}"X"
            *Long: <BeginValue:Q>"*Option: Hidden {"
            }<EndValue:Q>
        }
        *Command: CmdEject: "<0C>"
    }
    *Flag: AUTO*% no comment without a blank before it
    *Option: Off{}
}
*Feature:Punch{*Option: NONE{*Name: "None"}*Option: AUTO{}}
*Feature: OutputBin
{
    *Name: "Output Bin"
    *Option: FaceUp { }
    *Option: Upper { *Name: "Upper" }
}
)GPD";

TEST(GpdEntriesTest, ReadsEntriesBracesCommentsContinuationsAndMergesRepeats) {
    const gpd::GpdModel model = Parsed(kLexical);
    EXPECT_EQ(FeatureNames(model), (Names{"OutputBin", "Punch"}));
    EXPECT_EQ(OptionNames(model, "OutputBin"), (Names{"Upper", "Center", "Off", "FaceUp"}));
    EXPECT_EQ(OptionNames(model, "Punch"), (Names{"NONE", "AUTO"}));
    const gpd::Feature& bins = *model.FindFeature("OutputBin");
    EXPECT_EQ(bins.attributes.Value("*Name"), "\"Output Bin\"");
    EXPECT_EQ(bins.attributes.All("*Name").size(), 2u);
    EXPECT_EQ(bins.attributes.Value("*Flag"), "AUTO*% no comment without a blank before it");
    EXPECT_EQ(gpd::TextValue(*bins.FindOption("Upper")->attributes.Value("*Name")), "Upper");
    const gpd::Option& center = *bins.FindOption("Center");
    EXPECT_EQ(gpd::TextValue(*center.attributes.Value("*Name")), "Center Tray");
    EXPECT_EQ(center.attributes.Resolve("*Name")->where.Text(), "t.gpd:9");
    ASSERT_EQ(center.commands.size(), 2u);
    EXPECT_EQ(center.commands[0].attributes.Value("*Cmd"), "\"<1B>&l\" %d{NumOfCopies}\"X\"");
    EXPECT_EQ(center.commands[0].attributes.Value("*Long"), "\"*Option: Hidden {\"\n            }");
    EXPECT_EQ(center.FindCommand("CmdEject")->attributes.Value("*Cmd"), "\"<0C>\"");
    EXPECT_EQ(gpd::ParseOrder(*center.commands[0].attributes.Value("*Order"))->order, 12);
    EXPECT_EQ(model.FindFeature("Punch")->FindOption("NONE")->attributes.Value("*Name"), "\"None\"");
}

TEST(GpdEntriesTest, AMalformedFileFailsAtTheRightLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"*Feature: A\n{\n  *Option: B\n  {\n}\n", "t.gpd:2: the '{' of *Feature: A is never closed"},
        {"*Feature: A\n{\n}\n}\n", "t.gpd:4: '}' without a '{' to close"},
        {"*% intro\n*Option: B\n{\n}\n", "t.gpd:2: *Option: B outside a *Feature block"},
        {"*Feature: A\n{\n  *Feature: B\n  {\n  }\n}\n", "t.gpd:3: *Feature: B inside the block of *Feature: A"},
        {"*Feature: A\n*Feature: B\n{\n}\n", "t.gpd:1: *Feature: A has no { } block"},
        {"*Feature: A\n{\n  *DefaultOption: C\n  *Option: B { }\n}\n",
         "t.gpd:3: *DefaultOption: C is not an option of A (its options: B)"},
        {"*Feature: A\n{\n  *Name: \"open\n+ \"more\"\n}\n", "t.gpd:3: a quoted string is not closed on its line"},
        {"*Feature: A\n{\n  *Name: \"x\" *Cmd: \"y\"\n}\n", "t.gpd:3: a second entry on the line of another; put *Cmd on a line of its own"},
        {"*Feature: A\n{\n  *Cmd: <BeginValue:Q>x\n}\n", "t.gpd:3: <BeginValue:Q> has no <EndValue:Q>"},
        {"*Feature: A B\n{\n}\n",
         "t.gpd:1: *Feature needs a name of letters, digits, '_' and punctuation such as '-' and '.', got 'A B'"},
        {"*Feature: A\n{\n  Option: B\n}\n", "t.gpd:3: 'Option: B' has no '*' (only the entries of *Macros go without)"},
        {"*Feature: A\n{\n *Name: \"x\"\n  + \"y\"\n}\n", "t.gpd:4: expected an entry '*Keyword: value', found '+'"},
        {"*Feature: A { }\n+ \"y\"\n", "t.gpd:2: a '+' line continues an entry, and there is none before it"},
        {"{\n}\n", "t.gpd:1: '{' without an entry before it"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(Failure(text), message) << text;
}

TEST(GpdEntriesTest, DigitInitialNamesNonAsciiBytesAndLowerCaseBooleansAreWarningsWithTheirLines) {
    const gpd::GpdModel model = Parsed("*Feature: PunchHole\n{\n  *Option: 2Holes { *Name: \"Zwei L\xC3\xB6" "cher\" }\n"
                                       "  *ConcealFromUI?: True\n  *Option: 2Holes { }\n}\n");
    EXPECT_EQ(OptionNames(model, "PunchHole"), (Names{"2Holes"}));
    ASSERT_EQ(model.Warnings().size(), 3u);
    EXPECT_EQ(model.Warnings()[0].Text().rfind("t.gpd:3: byte 0xC3 is not ASCII", 0), 0u) << model.Warnings()[0].Text();
    EXPECT_EQ(model.Warnings()[1].Text(), "t.gpd:3: the option name 2Holes does not start with a letter, as symbolic names should");
    EXPECT_EQ(model.Warnings()[2].Text(), "t.gpd:4: *ConcealFromUI?: True is read as TRUE; Booleans are written in capitals");
}

// Punctuation that is no GPD syntax reads with a warning; the characters the syntax uses, and
// bytes past ASCII, are refused where the name is.
TEST(GpdEntriesTest, PunctuatedNamesAreWarningsAndSyntaxCharactersAreRefused) {
    const gpd::GpdModel model = Parsed("*Feature: Out-Bins\n{\n  *DefaultOption: Tray-1.5\n  *Option: Tray/2+ { }\n"
                                       "  *Option: Tray-1.5 { }\n  *Option: Tray-1.5 { }\n}\n");
    EXPECT_EQ(OptionNames(model, "Out-Bins"), (Names{"Tray/2+", "Tray-1.5"}));
    EXPECT_EQ(gpdtest::Defaults(model).at("Out-Bins"), "Tray-1.5");
    std::vector<std::string> warnings;
    for (const gpd::Diagnostic& warning : model.Warnings()) warnings.push_back(warning.Text());
    EXPECT_EQ(warnings, (Names{"t.gpd:1: the feature name Out-Bins is not a symbolic name of letters, digits and '_'",
                               "t.gpd:4: the option name Tray/2+ is not a symbolic name of letters, digits and '_'",
                               "t.gpd:5: the option name Tray-1.5 is not a symbolic name of letters, digits and '_'"}));

    for (const std::string refused : {"*", "%", ":", "=", "<", ">", ",", "(", ")", ";", "[", "\xC3\xA9"}) {
        EXPECT_EQ(Failure("*Feature: A\n{\n  *Option: B" + refused + "C { }\n}\n"),
                  "t.gpd:3: *Option needs a name of letters, digits, '_' and punctuation such as '-' and '.', got 'B" +
                      refused + "C'");
    }
    EXPECT_EQ(Failure("*Macros: M\n{\n  Tray.1: \"x\"\n}\n").rfind("t.gpd:3: ", 0), 0u) << "macro names stay symbolic";
}

}  // namespace

namespace {

TEST(GpdValuesTest, TextStringsNumbersPairsOrdersAndMacroReferences) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> texts = {
        {"\"abc\"\"def\"  \"gh\"", "abcdefgh"},
        {"\"<1B>E<03 1B><031B>\"", "\x1B" "E\x03\x1B\x03\x1B"},
        {"\"say %\"hi%\" %<tag>\"", "say \"hi\" <tag>"},
        {"\"<1>\"", std::nullopt},
        {"\"<1G>\"", std::nullopt},
        {"\"open", std::nullopt},
        {"=NAME", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [value, text] : texts) EXPECT_EQ(gpd::TextValue(value), text) << value;
    EXPECT_EQ(gpd::IntegerValue(" -12 "), -12);
    EXPECT_EQ(gpd::IntegerValue("0x1F"), 31);
    EXPECT_EQ(gpd::IntegerValue("12a"), std::nullopt);
    EXPECT_EQ(gpd::IntegerValue("99999999999999999999"), std::nullopt);
    EXPECT_EQ(gpd::BooleanValue("True"), true);
    EXPECT_EQ(gpd::BooleanValue("FALSE"), false);
    EXPECT_EQ(gpd::BooleanValue("yes"), std::nullopt);
    EXPECT_EQ(gpd::PairValue("PAIR (600, -1)"), std::make_pair(600LL, -1LL));
    EXPECT_EQ(gpd::PairValue("PAIR(600)"), std::nullopt);
    const auto order = gpd::ParseOrder("JOB_SETUP.30");
    ASSERT_TRUE(order);
    EXPECT_EQ(order->section, "JOB_SETUP");
    EXPECT_EQ(order->order, 30);
    EXPECT_EQ(gpd::ParseOrder("JOB_SETUP"), std::nullopt);
    EXPECT_TRUE(gpd::IsMacroReference("=RCID_DMPAPER_SYSTEM_NAME"));
    EXPECT_FALSE(gpd::IsMacroReference("=A \"x\""));
}

}  // namespace
