// The way back: a PrintTicket read into GPD selections by the naming tables run backwards.
#include <print_schema/document_builder.h>
#include <print_schema/round_trip.h>
#include <print_schema/ticket_reader.h>

#include "gpd_test_support.h"
#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <algorithm>

namespace {

using print_schema::NamingContext;
using print_schema::TicketReading;

const std::string kGpd = R"(*GPDSpecVersion: "1.0"
*ModelName: "Reader"
*MasterUnits: PAIR(1200, 1200)
*PrinterType: PAGE
*PrintSchemaPrivateNamespaceURI: "urn:private"
*Feature: Orientation
{
    *Name: "Orientation"
    *Option: PORTRAIT { *Name: "Portrait" }
    *Option: LANDSCAPE_CC270 { *Name: "Landscape" }
}
*Feature: InputBin
{
    *Name: "Source"
    *Option: UPPER { *Name: "Upper" }
    *Option: AUTO { *Name: "Auto" }
    *Option: CASSETTE { *Name: "Cassette" }
}
*Feature: Punch
{
    *PrintSchemaKeywordMap: "JobHolePunch"
    *Name: "Punch"
    *Option: Off { *Name: "Off" }
    *Option: Left
    {
        *Name: "Left"
        *PrintSchemaKeywordMap: "LeftEdge"
    }
}
*Feature: Finishing
{
    *FeatureType: DOC_PROPERTY
    *Name: "Finishing"
    *Option: Plain { *Name: "Plain" }
    *Option: Edge { *Name: "Edge" }
}
*Feature: Tone
{
    *FeatureType: DOC_PROPERTY
    *Name: "Tone"
    *Option: Dark { *Name: "Dark" }
    *Option: Light { *Name: "Light" }
}
*Feature: Collate
{
    *Name: "Collate"
    *Option: OFF { *Name: "Off" }
    *Option: ON { *Name: "On" }
}
)";

class TicketReaderTest : public LedgerTest {
protected:
    TicketReading Read(const std::string& ticket, const gpd::Selections& defaults) {
        TicketReading reading;
        qp::ComPtr<IXMLDOMDocument2> document = qptest::LoadDocument(ticket);
        std::string error;
        if (document) {
            EXPECT_TRUE(print_schema::ReadTicket(naming_, document.get(), defaults, reading, error)) << error;
        }
        return reading;
    }

    gpd::GpdModel model_ = gpdtest::Parsed(kGpd);
    NamingContext naming_{model_, print_schema::PrivateNamespace(model_, "")};
};

bool HasNote(const TicketReading& reading, const std::string& note) {
    return std::find(reading.notes.begin(), reading.notes.end(), note) != reading.notes.end();
}

// Prefixes of the ticket's own choosing, one declared only where it is used, a sub-feature, a
// tie, and names the GPD lacks.
TEST_F(TicketReaderTest, EachFeatureByItsNameAndOptionInTheGpdNamesWhateverThePrefixes) {
    const std::string ticket =
        "<f:PrintTicket xmlns:f='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework'"
        " xmlns:k='http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords' version='1'>"
        "<f:Feature name='k:PageOrientation'><f:Option name='k:ReverseLandscape'/></f:Feature>"
        "<f:Feature name='k:JobInputBin'><f:Option name='k:Cassette'/></f:Feature>"
        "<f:Feature name='k:JobHolePunch'><f:Option name='k:LeftEdge'/></f:Feature>"
        "<f:Feature xmlns:p='urn:private' name='p:Finishing'><f:Option name='p:Bogus'/>"
        "  <f:Feature name='p:Tone'><f:Option name='p:Light'/></f:Feature></f:Feature>"
        "<f:Feature name='k:JobStapleAllDocuments'><f:Option name='k:StapleTopLeft'/></f:Feature>"
        "<f:ParameterInit name='k:JobCopiesAllDocuments'/>"
        "</f:PrintTicket>";
    const gpd::Selections defaults = gpdtest::Defaults(model_, {{"Collate", "ON"}});
    const TicketReading reading = Read(ticket, defaults);

    EXPECT_EQ(print_schema::SelectionsText(model_, reading.selections),
              "Orientation=LANDSCAPE_CC270 InputBin=AUTO Punch=Left Finishing=Plain Tone=Light Collate=ON");
    EXPECT_EQ(reading.fromTicket, (std::set<std::string, std::less<>>{"InputBin", "Orientation", "Punch", "Tone"}));
    EXPECT_TRUE(HasNote(reading,
                        "ambiguous: option k:Cassette of feature k:JobInputBin is AUTO, CASSETTE of InputBin: "
                        "AUTO taken"));
    EXPECT_TRUE(HasNote(reading, "not mapped: option p:Bogus of feature p:Finishing (Finishing keeps Plain)"));
    EXPECT_TRUE(HasNote(reading, "not mapped: feature k:JobStapleAllDocuments"));
    EXPECT_TRUE(HasNote(reading, "not read back: parameter k:JobCopiesAllDocuments is no GPD selection"));
    EXPECT_EQ(reading.notes.size(), 4u);
}

TEST_F(TicketReaderTest, ANameInAnotherNamespaceMapsToNothingAndSaysWhichNamespace) {
    const std::string ticket =
        "<psf:PrintTicket xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework'"
        " xmlns:ns0000='urn:elsewhere' version='1'>"
        "<psf:Feature name='ns0000:Tone'><psf:Option name='ns0000:Light'/></psf:Feature>"
        "<psf:Feature name='undeclared:Tone'><psf:Option name='undeclared:Light'/></psf:Feature>"
        "</psf:PrintTicket>";
    const TicketReading reading = Read(ticket, gpdtest::Defaults(model_));
    EXPECT_EQ(reading.selections.at("Tone"), "Dark");
    EXPECT_TRUE(reading.fromTicket.empty());
    EXPECT_EQ(reading.notes, (std::vector<std::string>{
                                 "not mapped: feature ns0000:Tone (namespace urn:elsewhere)",
                                 "not mapped: a feature whose name 'undeclared:Tone' has an undeclared prefix"}));
}

// Builds the ticket of each option of each feature in tickets, one option at a time, and expects
// the selections to read back as they went in: the two directions of the naming agree.
void ExpectEveryOptionReadsBack(const gpd::GpdModel& model) {
    const NamingContext naming{model, print_schema::PrivateNamespace(model, "")};
    std::string error;
    for (const gpd::Feature& feature : model.Features()) {
        if (!print_schema::IsInTicket(naming, feature)) continue;
        for (const gpd::Option& option : feature.options) {
            const gpd::Selections selections = gpdtest::Defaults(model, {{feature.name, option.name}});
            qp::ComPtr<IXMLDOMDocument2> ticket;
            ASSERT_TRUE(
                print_schema::NewGpdDocument(naming, print_schema::DocumentKind::Ticket, selections, ticket, error))
                << error;
            TicketReading reading;
            ASSERT_TRUE(print_schema::ReadTicket(naming, ticket.get(), {}, reading, error)) << error;
            EXPECT_EQ(reading.selections, selections) << feature.name << "=" << option.name;
        }
    }
}

TEST_F(TicketReaderTest, EveryOptionOfTheSamplePackageReadsBackFromTheTicketBuiltForIt) {
    gpd::GpdModel sample;
    std::string error;
    ASSERT_TRUE(gpd::GpdModel::Read(std::string(QP_SOURCE_DIR) + "/examples/driver/qpqpex.gpd", {}, sample, error))
        << error;
    ExpectEveryOptionReadsBack(sample);
}

// Names with punctuation read back whether the Print Schema names substitute it or keep it.
TEST_F(TicketReaderTest, PunctuatedNamesReadBackSubstitutedOrKept) {
    const std::string bins =
        "*Feature: Out-Bins\n{\n*FeatureType: DOC_PROPERTY\n*Option: Tray-1.5 { }\n*Option: Tray/2 { }\n}\n";
    ExpectEveryOptionReadsBack(gpdtest::Parsed(bins));
    ExpectEveryOptionReadsBack(gpdtest::Parsed("*NoPunctuationCharSubstitute?: TRUE\n" + bins));
}

}  // namespace
