// The preprocessor and *Include: which sections are kept, the core driver's symbols and the
// user's, another prefix, files read in place beside their includer, the WDK's include files,
// and the faults, each at its own line.
#include "coredriver/gpd_test_support.h"

namespace {

using gpdtest::Failure;
using gpdtest::FeatureNames;
using gpdtest::Parsed;
using gpdtest::ScratchDirectory;
using Names = std::vector<std::string>;

const char* const kConditional = R"GPD(*Ifdef: WINNT_60
*Feature: Vista { *Option: On { } }
*Elseifdef: WINNT_51
*Feature: XpOnly { *Option: On { } }
*Else:
*Feature: Old { *Option: On { } }
*Endif: WINNT_60
  *Ifdef: CUSTOM   *% a comment after the symbol
*Feature: Custom { *Option: On { } }
*Ifdef: NESTED
*Feature: Nested { *Option: On { } }
*Endif:
*Else
*Feature: NotCustom { *Option: On { } }
*Endif
*Define: LATER
*Undefine: WINNT_40
*Ifdef: WINNT_40
*Feature: Undefined { *Option: On { } }
*Elseifdef: LATER
*Feature: Later { *Option: On { } }
*Endif:
*SetPPPrefix: #
*Ifdef: LATER
*Feature: StarIfdefIsAnEntry { *Option: On { } }
*Endif:
#Ifdef: PARSER_VER_1.0
*Feature: Hash { *Option: On { } }
#Endif:
#SetPPPrefix: *
)GPD";

TEST(GpdPreprocessorTest, KeepsOneSectionPerConstructWithTheCoreDriversSymbolsAndTheUsers) {
    EXPECT_EQ(FeatureNames(Parsed(kConditional)), (Names{"Vista", "NotCustom", "Later", "StarIfdefIsAnEntry", "Hash"}));
    gpd::ReadOptions options;
    options.defines = {"CUSTOM", "NESTED"};
    EXPECT_EQ(FeatureNames(Parsed(kConditional, options)), (Names{"Vista", "Custom", "Nested", "Later", "StarIfdefIsAnEntry", "Hash"}));
}

TEST(GpdPreprocessorTest, MalformedConstructsFailAtTheirLines) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"*Feature: A { }\n*Endif:\n", "t.gpd:2: *Endif without *Ifdef"},
        {"*Ifdef: X\n*Else:\n*Else:\n*Endif:\n", "t.gpd:3: *Else after *Else"},
        {"*Ifdef: X\n*Else:\n*Elseifdef: Y\n*Endif:\n", "t.gpd:3: *Elseifdef after *Else"},
        {"*% top\n*Ifdef: WINNT_50\n*Feature: A { }\n", "t.gpd:2: *Ifdef has no *Endif before the end of its file"},
        {"*Define:\n", "t.gpd:1: *Define needs a symbol"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(Failure(text), message) << text;
}

TEST(GpdPreprocessorTest, IncludesAreReadInPlaceBesideTheirIncluderAsOneStream) {
    ScratchDirectory dir;
    dir.Write("drv/common.gpd", "*Macros { Bin: Upper }\n*Include: \"Bins.GPD\"\n*Feature: Punch { *Option: NONE { } }\n");
    dir.Write("drv/bins.gpd", "*Feature: OutputBin\n{\n    *DefaultOption: =Bin\n    *Option: Upper { }\n}\n");
    dir.Write("extra/locale.gpd", "*Feature: Locale { *Option: English { } }\n");
    dir.Write("drv/root.gpd", "*GPDSpecVersion: \"1.0\"\n*Include: \"common.gpd\"\n*Include: locale.gpd\n"
                              "*Feature: OutputBin { *Option: FaceUp { } }\n");
    gpd::ReadOptions options;
    options.includeDirectories = {dir.Path("extra")};
    gpd::GpdModel model;
    std::string error;
    ASSERT_TRUE(gpd::GpdModel::Read(dir.Path("drv/root.gpd"), options, model, error)) << error;
    EXPECT_EQ(FeatureNames(model), (Names{"OutputBin", "Punch", "Locale"}));
    EXPECT_EQ(gpdtest::OptionNames(model, "OutputBin"), (Names{"Upper", "FaceUp"}));
    EXPECT_EQ(model.FindFeature("OutputBin")->attributes.Resolve("*DefaultOption")->where.Text(),
              dir.Path("drv/bins.gpd") + ":3");
    EXPECT_EQ(model.Files(), (Names{dir.Path("drv/root.gpd"), dir.Path("drv/common.gpd"), dir.Path("drv/bins.gpd"),
                                    dir.Path("extra/locale.gpd")}));
    ASSERT_EQ(model.Warnings().size(), 1u);
    EXPECT_EQ(model.Warnings()[0].Text(), dir.Path("drv/root.gpd") + ":3: *Include: locale.gpd has no quotes; read as \"locale.gpd\"");
}

TEST(GpdPreprocessorTest, TheWdksIncludesAreModelledWhenAbsentAndOthersMustBeThere) {
    const gpd::GpdModel model = Parsed("*Include: \"MSxpsinc.gpd\"\n*Include: \"StdNames.gpd\"\n"
                                       "*Feature: PaperSize { *Option: A4 { *rcNameID: =RCID_DMPAPER_SYSTEM_NAME } }\n");
    EXPECT_TRUE(model.IsXpsDriver());
    EXPECT_EQ(model.SuppliedIncludes(), (Names{"MSxpsinc.gpd", "StdNames.gpd"}));
    ASSERT_EQ(model.Warnings().size(), 2u);
    EXPECT_EQ(model.Warnings()[0].Text(), "t.gpd:1: MSxpsinc.gpd is the WDK's; not found beside t.gpd, modelled: *IsXPSDriver?: TRUE");
    EXPECT_EQ(model.FindFeature("PaperSize")->options[0].attributes.Value("*rcNameID"), "=RCID_DMPAPER_SYSTEM_NAME");
    EXPECT_FALSE(Parsed("*Feature: A { *Option: B { } }\n").IsXpsDriver());

    EXPECT_EQ(Failure("*Feature: A { *Option: B { *rcNameID: =UNDEFINED } }\n"), "t.gpd:1: =UNDEFINED names no macro defined before it");
    EXPECT_EQ(Failure("*% x\n*Include: \"Absent.gpd\"\n"), "t.gpd:2: *Include: cannot find \"Absent.gpd\" beside t.gpd");
    EXPECT_EQ(Failure("*Include: \"../up.gpd\"\n"), "t.gpd:1: *Include: \"../up.gpd\" is not a file name (no directory goes with it)");
}

TEST(GpdPreprocessorTest, AnIncludeCycleAndAnUnbalancedIncludeFailAtTheirLines) {
    ScratchDirectory dir;
    dir.Write("a.gpd", "*Feature: A { *Option: B { } }\n*Include: \"b.gpd\"\n");
    dir.Write("b.gpd", "*% b\n*Include: \"a.gpd\"\n");
    dir.Write("open.gpd", "*Ifdef: WINNT_50\n");
    dir.Write("brace.gpd", "*Feature: A\n{\n");
    dir.Write("root.gpd", "*Include: \"open.gpd\"\n*Endif:\n");
    dir.Write("braces.gpd", "*Include: \"brace.gpd\"\n}\n");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a.gpd", dir.Path("b.gpd") + ":2: *Include: \"a.gpd\" includes itself again (an include cycle)"},
        {"root.gpd", dir.Path("open.gpd") + ":1: *Ifdef has no *Endif before the end of its file"},
        {"braces.gpd", dir.Path("brace.gpd") + ":2: the '{' of *Feature: A is not closed in its own file"},
        {"absent.gpd", dir.Path("absent.gpd") + ": cannot read: No such file or directory"},
    };
    for (const auto& [root, message] : cases) {
        gpd::GpdModel model;
        std::string error;
        EXPECT_FALSE(gpd::GpdModel::Read(dir.Path(root), {}, model, error));
        EXPECT_EQ(error, message);
    }
}

}  // namespace
