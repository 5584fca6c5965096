// Selections through the built module both ways and back: whole on the sample package, and lost,
// with the step named, when the GPD's private namespace is not the plug-in's.
#include <print_schema/round_trip.h>

#include "gpd_test_support.h"
#include "support/ledger_check.h"

#include <fstream>
#include <sstream>

namespace {

using print_schema::LostSelection;
using print_schema::RoundTrip;

const std::string kSampleDirectory = std::string(QP_SOURCE_DIR) + "/examples/driver/";

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class RoundTripTest : public LedgerTest {
protected:
    // The round trip of `chosen` over the defaults; what it lost.
    std::vector<LostSelection> Run(const gpd::GpdModel& model, const gpd::Selections& chosen) {
        std::string error;
        const std::unique_ptr<RoundTrip> trip = RoundTrip::Open(model, QP_MODULE_PATH, error);
        EXPECT_TRUE(trip) << error;
        std::vector<LostSelection> lost;
        if (trip) {
            EXPECT_TRUE(trip->Run(gpdtest::Defaults(model, chosen), chosen, lost, error)) << error;
        }
        return lost;
    }

    static gpd::GpdModel Read(const std::string& path) {
        gpd::GpdModel model;
        std::string error;
        EXPECT_TRUE(gpd::GpdModel::Read(path, {}, model, error)) << error;
        return model;
    }
};

TEST_F(RoundTripTest, EveryOptionOfEveryFeatureThePluginTouchesComesBackOnTheSamplePackage) {
    const gpd::GpdModel model = Read(kSampleDirectory + "qpqpex.gpd");
    std::string error;
    const std::unique_ptr<RoundTrip> trip = RoundTrip::Open(model, QP_MODULE_PATH, error);
    ASSERT_TRUE(trip) << error;
    const std::vector<gpd::Selections> choices = trip->PluginOptionChoices();
    // Page order 4, output bin 4, holes 4, punch 2, pages per sheet 6.
    EXPECT_EQ(choices.size(), 20u);
    for (const gpd::Selections& choice : choices) {
        std::vector<LostSelection> lost;
        ASSERT_TRUE(trip->Run(gpdtest::Defaults(model, choice), choice, lost, error)) << error;
        for (const LostSelection& selection : lost) ADD_FAILURE() << selection.Text();
    }
}

TEST_F(RoundTripTest, APrivateNamespaceOtherThanThePluginsLosesThePageOrderAtTheFirstConversion) {
    gpdtest::ScratchDirectory copy;
    std::string root = FileText(kSampleDirectory + "qpqpex.gpd");
    const std::string own = "http://schemas.qpqp.example/qv/2021/04/printing/printticket";
    ASSERT_NE(root.find(own), std::string::npos);
    root.replace(root.find(own), own.size(), "urn:another-namespace");
    const std::string path = copy.Write("qpqpex.gpd", root);
    copy.Write("qpplugin.gpd", FileText(kSampleDirectory + "qpplugin.gpd"));

    const std::vector<LostSelection> lost = Run(Read(path), {{"JobPresentationDirection", "BottomLeft"}});
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].feature, "JobPresentationDirection");
    EXPECT_EQ(lost[0].option, "BottomLeft");
    EXPECT_EQ(lost[0].step, "at ConvertDevModeToPrintTicket");
    EXPECT_EQ(lost[0].reason.rfind("it returned 0x80004005 (E_FAIL): ", 0), 0u) << lost[0].reason;
}

// A setting the printer keeps travels in no ticket: chosen away from its default, it is lost
// before the plug-in sees the ticket.
TEST_F(RoundTripTest, APrinterSettingIsLostInTheTicketBuiltFromTheGpd) {
    const std::string gpd = R"(*GPDSpecVersion: "1.0"
*ModelName: "Lossy"
*MasterUnits: PAIR(1200, 1200)
*PrinterType: PAGE
*PrintSchemaPrivateNamespaceURI: "http://schemas.qpqp.example/qv/2021/04/printing/printticket"
*Feature: JobPresentationDirection
{
    *FeatureType: DOC_PROPERTY
    *Name: "Order"
    *Option: RightBottom { *Name: "RB" }
    *Option: BottomRight { *Name: "BR" }
}
*Feature: Pages
{
    *PrintSchemaKeywordMap: "JobNUpAllDocumentsContiguously"
    *FeatureType: DOC_PROPERTY
    *Name: "Pages"
    *Option: One { *Name: "1" }
}
*Feature: OutputBin
{
    *Name: "Bin"
    *Option: Center { *Name: "Center" }
}
*Feature: Punch
{
    *PrintSchemaKeywordMap: "JobHolePunch"
    *FeatureType: DOC_PROPERTY
    *Name: "Punch"
    *Option: NONE { *Name: "Off" }
}
*Feature: Cartridge
{
    *FeatureType: PRINTER_PROPERTY
    *Name: "Cartridge"
    *Option: Black { *Name: "Black" }
    *Option: Color { *Name: "Color" }
}
)";
    const std::vector<LostSelection> lost =
        Run(gpdtest::Parsed(gpd), {{"Cartridge", "Color"}, {"JobPresentationDirection", "BottomRight"}});
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].Text(),
              "Cartridge=Color: lost in the ticket built from the GPD: the ticket has no feature that maps back to "
              "Cartridge");
}

}  // namespace
