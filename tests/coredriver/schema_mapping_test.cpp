// The names a GPD's features and options take in the documents: standard keywords, keyword
// maps, private names, and the private namespace's precedence.
#include <print_schema/schema_mapping.h>

#include <gtest/gtest.h>

#include <string>

namespace print_schema {
void PrintTo(const SchemaName& name, std::ostream* os) { *os << "{" << name.uri << "}" << name.local; }
}  // namespace print_schema

namespace {

using print_schema::SchemaName;

constexpr const char* kPsk = print_schema::kKeywordsNamespace;
constexpr const char* kPrivate = "urn:private";

class Naming {
public:
    explicit Naming(const std::string& body) {
        const std::string text = "*GPDSpecVersion: \"1.0\"\n*ModelName: \"Test Printer\"\n*MasterUnits: PAIR(1200, 1200)\n" + body;
        std::string error;
        ok_ = gpd::GpdModel::Parse("test.gpd", text, {}, model_, error);
        EXPECT_TRUE(ok_) << error;
    }
    SchemaName Feature(const std::string& feature) const {
        const gpd::Feature* found = model_.FindFeature(feature);
        if (found == nullptr) return {"missing feature", feature};
        return print_schema::FeatureSchemaName(Context(), *found);
    }
    SchemaName Option(const std::string& feature, const std::string& option) const {
        const gpd::Feature* found = model_.FindFeature(feature);
        const gpd::Option* chosen = found ? found->FindOption(option) : nullptr;
        if (chosen == nullptr) return {"missing option", option};
        return print_schema::OptionSchemaName(Context(), *found, *chosen);
    }
    bool InTicket(const std::string& feature) const {
        return print_schema::IsInTicket(Context(), *model_.FindFeature(feature));
    }
    const gpd::GpdModel& Model() const { return model_; }

private:
    print_schema::NamingContext Context() const { return {model_, kPrivate}; }
    gpd::GpdModel model_;
    bool ok_ = false;
};

SchemaName Psk(const std::string& local) { return {kPsk, local}; }
SchemaName Private(const std::string& local) { return {kPrivate, local}; }

std::string Feature(const std::string& name, const std::string& inside) {
    return "*Feature: " + name + "\n{\n*Name: \"" + name + "\"\n*FeatureType: DOC_PROPERTY\n" + inside + "}\n";
}

TEST(SchemaMappingTest, StandardFeaturesTakeTheirKeywordsWhateverTheirMapSays) {
    const struct {
        const char* feature;
        const char* inside;
        SchemaName name;
    } features[] = {
        {"PaperSize", "*PrintSchemaKeywordMap: \"JobHolePunch\"\n*Option: A4 {}\n", Psk("PageMediaSize")},
        {"ColorMode", "*PrintSchemaKeywordMap: \"Foo\"\n*Option: Mono {}\n", Psk("PageOutputColor")},
        {"Duplex", "*Option: NONE {}\n", Psk("JobDuplexAllDocumentsContiguously")},
        {"Collate", "*Option: ON {}\n", Psk("DocumentCollate")},
        {"InputBin", "*Option: UPPER {}\n", Psk("JobInputBin")},
        {"MediaType", "*Option: GLOSSY {}\n", Psk("PageMediaType")},
        {"Orientation", "*Option: PORTRAIT {}\n", Psk("PageOrientation")},
        {"OutputBin", "*Option: Top {}\n", Psk("JobOutputBin")},
        {"Resolution", "*Option: R600 {}\n", Psk("PageResolution")},
        {"Stapling", "*Option: Off {}\n", Psk("JobStapleAllDocuments")},
        {"PageProtect", "*Option: ON {}\n", Psk("JobPageProtection")},
        {"JobPasscode", "*Option: ON {}\n",
         {"http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11", "JobPasscode"}},
    };
    std::string body;
    for (const auto& row : features) body += Feature(row.feature, row.inside);
    const Naming naming(body);
    for (const auto& row : features) EXPECT_EQ(naming.Feature(row.feature), row.name);
}

TEST(SchemaMappingTest, StandardOptionsTakeTheirKeywordsAndUnsettledPaperSizesStayPrivate) {
    const Naming naming(
        Feature("Duplex", "*Option: NONE {}\n*Option: VERTICAL { *PrintSchemaKeywordMap: \"TwoSidedShortEdge\" }\n"
                          "*Option: HORIZONTAL {}\n") +
        Feature("Collate", "*Option: OFF {}\n*Option: ON {}\n") +
        Feature("Orientation", "*Option: LANDSCAPE_CC270 {}\n") +
        Feature("PaperSize", "*Option: A4 {}\n*Option: LETTER {}\n*Option: A4_ROTATED {}\n*Option: ENV_C65 {}\n"
                             "*Option: LEDGER {}\n*Option: CUSTOMSIZE {}\n*Option: Photo4x6 {}\n"
                             "*Option: Banner { *PrintSchemaKeywordMap: \"NorthAmericaTabloid\" }\n") +
        Feature("InputBin", "*Option: FORMSOURCE {}\n*Option: LOWER {}\n*Option: Tray3 {}\n") +
        Feature("PageProtect", "*Option: ON {}\n"));
    const struct {
        const char* feature;
        const char* option;
        SchemaName name;
    } options[] = {
        {"Duplex", "NONE", Psk("OneSided")},
        {"Duplex", "VERTICAL", Psk("TwoSidedLongEdge")},  // Duplex options are not remapped
        {"Duplex", "HORIZONTAL", Psk("TwoSidedShortEdge")},
        {"Collate", "OFF", Psk("Uncollated")},
        {"Orientation", "LANDSCAPE_CC270", Psk("ReverseLandscape")},
        {"PaperSize", "A4", Psk("ISOA4")},
        {"PaperSize", "LETTER", Psk("NorthAmericaLetter")},
        {"PaperSize", "A4_ROTATED", Private("A4_ROTATED")},
        {"PaperSize", "ENV_C65", Private("ENV_C65")},
        {"PaperSize", "LEDGER", Private("LEDGER")},
        {"PaperSize", "CUSTOMSIZE", Psk("CustomMediaSize")},
        {"PaperSize", "Photo4x6", Private("Photo4x6")},
        {"PaperSize", "Banner", Psk("NorthAmericaTabloid")},
        {"InputBin", "FORMSOURCE", Psk("AutoSelect")},
        {"InputBin", "LOWER", Psk("High")},
        {"InputBin", "Tray3", Private("Tray3")},
        {"PageProtect", "ON", Private("ON")},
    };
    for (const auto& row : options) EXPECT_EQ(naming.Option(row.feature, row.option), row.name) << row.option;
}

TEST(SchemaMappingTest, AnInputBinOptionMappedToAutoSelectTakesTheNameFromFormSource) {
    const Naming naming(Feature("InputBin", "*Option: FORMSOURCE {}\n*Option: Auto { *PrintSchemaKeywordMap: \"AutoSelect\" }\n"));
    EXPECT_EQ(naming.Option("InputBin", "Auto"), Psk("AutoSelect"));
    EXPECT_EQ(naming.Option("InputBin", "FORMSOURCE"), Private("FORMSOURCE"));
}

TEST(SchemaMappingTest, KeywordMapsRenameCustomFeaturesAndOptionsAndUnusableMapsAreIgnored) {
    const Naming naming(
        Feature("Punch", "*PrintSchemaKeywordMap: \"JobHolePunch\"\n*Option: NONE { *PrintSchemaKeywordMap: \"None\" }\n"
                         "*Option: Left { *PrintSchemaKeywordMap: \"LeftEdge\" }\n*Option: AUTO {}\n") +
        Feature("PagesPerSheet", "*PrintSchemaKeywordMap: \"JobNUpAllDocumentsContiguously\"\n*Option: 1 {}\n*Option: 2 {}\n") +
        Feature("Halftone", "*PrintSchemaKeywordMap: \"PageHalftone\"\n*Option: HT_PATSIZE_AUTO {}\n") +
        Feature("RESDLL", "*PrintSchemaKeywordMap: \"Resources\"\n*Option: First {}\n") +
        Feature("Quality", "*PrintSchemaKeywordMap: \"Page Quality\"\n*Option: Draft { *PrintSchemaKeywordMap: \"psk:Draft\" }\n"));
    EXPECT_EQ(naming.Feature("Punch"), Psk("JobHolePunch"));
    EXPECT_EQ(naming.Option("Punch", "NONE"), Psk("None"));
    EXPECT_EQ(naming.Option("Punch", "Left"), Psk("LeftEdge"));
    EXPECT_EQ(naming.Option("Punch", "AUTO"), Private("AUTO")) << "unmapped options of a mapped feature stay private";
    EXPECT_EQ(naming.Feature("PagesPerSheet"), Psk("JobNUpAllDocumentsContiguously"));
    EXPECT_EQ(naming.Option("PagesPerSheet", "2"), Private("_2"));
    EXPECT_EQ(naming.Feature("Halftone"), Psk("PageHalftone")) << "Halftone has no keyword of its own";
    EXPECT_EQ(naming.Feature("RESDLL"), Private("RESDLL")) << "RESDLL cannot be mapped";
    EXPECT_EQ(naming.Feature("Quality"), Private("Quality"));
    EXPECT_EQ(naming.Option("Quality", "Draft"), Private("Draft"));
}

std::string Ordered(const std::string& name, const std::string& section, const std::string& options = "") {
    return Feature(name, "*Option: " + std::string("First") + " { *Command: CmdSelect { *Order: " + section +
                             ".10\n*Cmd: \"x\" } }\n" + options);
}

TEST(SchemaMappingTest, PrivateNamesFollowTheSectionPrefixAndSubstitutionRules) {
    const Naming naming(Ordered("Finishing", "JOB_SETUP", "*Option: 2Sided {}\n*Option: _x {}\n") +
                        Ordered("EconoMode", "DOC_SETUP") + Ordered("PageSaver", "PAGE_SETUP") +
                        Ordered("Shift", "PAGE_FINISH") + Ordered("JobPresentationDirection", "JOB_SETUP") +
                        Feature("Unordered", "*Option: On {}\n"));
    EXPECT_EQ(naming.Feature("Finishing"), Private("JobFinishing"));
    EXPECT_EQ(naming.Feature("EconoMode"), Private("DocumentEconoMode"));
    EXPECT_EQ(naming.Feature("PageSaver"), Private("PageSaver"));
    EXPECT_EQ(naming.Feature("Shift"), Private("PageShift"));
    EXPECT_EQ(naming.Feature("JobPresentationDirection"), Private("JobPresentationDirection"));
    EXPECT_EQ(naming.Feature("Unordered"), Private("Unordered"));
    EXPECT_EQ(naming.Option("Finishing", "2Sided"), Private("_2Sided"));
    EXPECT_EQ(naming.Option("Finishing", "_x"), Private("__x"));
}

TEST(SchemaMappingTest, KeepingPunctuationKeepsLeadingDigits) {
    const Naming naming("*NoPunctuationCharSubstitute?: TRUE\n" + Feature("Finishing", "*Option: 2Sided {}\n"));
    EXPECT_EQ(naming.Option("Finishing", "2Sided"), Private("2Sided"));
}

TEST(SchemaMappingTest, PunctuatedNamesKeepDotAndHyphenOnlyWhereTheGpdSaysSo) {
    const std::string bins = Feature("Out-Bins", "*Option: Tray-1.5 {}\n*Option: Tray/2 {}\n");
    const Naming substituted(bins);
    EXPECT_EQ(substituted.Feature("Out-Bins"), Private("Out_Bins"));
    EXPECT_EQ(substituted.Option("Out-Bins", "Tray-1.5"), Private("Tray_1_5"));
    EXPECT_EQ(substituted.Option("Out-Bins", "Tray/2"), Private("Tray_2"));
    const Naming kept("*NoPunctuationCharSubstitute?: TRUE\n" + bins);
    EXPECT_EQ(kept.Feature("Out-Bins"), Private("Out-Bins"));
    EXPECT_EQ(kept.Option("Out-Bins", "Tray-1.5"), Private("Tray-1.5"));
    EXPECT_EQ(kept.Option("Out-Bins", "Tray/2"), Private("Tray_2"));
}

TEST(SchemaMappingTest, PrivateNamespaceIsTheGpdsThenThePluginsThenOneMadeFromTheModelName) {
    const Naming withUri("*PrintSchemaPrivateNamespaceURI: \"urn:gpd\"\n");
    EXPECT_EQ(print_schema::PrivateNamespace(withUri.Model(), "urn:plugin"), "urn:gpd");
    const Naming without("");
    EXPECT_EQ(print_schema::PrivateNamespace(without.Model(), "urn:plugin"), "urn:plugin");
    EXPECT_EQ(print_schema::PrivateNamespace(without.Model(), ""),
              "http://schemas.microsoft.com/windows/printing/oemdriverpt/Test_Printer");
}

TEST(SchemaMappingTest, PrinterScopedFeaturesStayOutOfTickets) {
    const Naming naming("*Feature: Tray { *FeatureType: PRINTER_PROPERTY\n*Option: A {} }\n"
                        "*Feature: Memory { *Option: 16MB {} }\n"
                        "*Feature: Locale { *FeatureType: DOC_PROPERTY\n*Option: English {} }\n" +
                        Feature("Finishing", "*Option: On {}\n"));
    EXPECT_FALSE(naming.InTicket("Tray"));
    EXPECT_FALSE(naming.InTicket("Memory")) << "Memory is a printer property unless the GPD says otherwise";
    EXPECT_FALSE(naming.InTicket("Locale"));
    EXPECT_TRUE(naming.InTicket("Finishing"));
}

}  // namespace
