// The generated documents must have the shape the benchmarks claim: the asked number of filler
// features, the edited features as one block at the asked place, and the form each conversion
// expects. Checked by parsing the text independently.
#include "document_generator.h"

#include <support/ledger_check.h>
#include <support/xml_assert.h>

#include <string>

namespace qpbench {
namespace {

using qptest::XmlDoc;

constexpr const char* kFillers = "/*/psf:Feature[starts-with(@name, 'ns0000:Feature')]";

// How many root features come before the first feature named `name`.
int FeaturesBefore(const XmlDoc& doc, const std::string& name) {
    return doc.Count("/*/psf:Feature[@name='" + name + "']/preceding-sibling::psf:Feature");
}

class DocumentGeneratorTest : public LedgerTest {};

TEST_F(DocumentGeneratorTest, PlacesTheEditedBlockFirstInTheMiddleOrLast) {
    struct Case {
        Placement placement;
        int before;  // filler features before the block, of 10
    };
    for (const Case c : {Case{Placement::First, 0}, Case{Placement::Middle, 5}, Case{Placement::Last, 10}}) {
        const XmlDoc doc(GenerateDocument({DocumentKind::PrintTicket, 10, c.placement, Form::Driver}));
        ASSERT_TRUE(doc.valid()) << doc.error();
        SCOPED_TRACE(PlacementName(c.placement));
        EXPECT_EQ(doc.Count(kFillers), 10);
        // The block keeps its order: presentation direction, N-up, output bin, hole punch.
        EXPECT_EQ(FeaturesBefore(doc, "ns0000:JobPresentationDirection"), c.before);
        EXPECT_EQ(FeaturesBefore(doc, "psk:JobNUpAllDocumentsContiguously"), c.before + 1);
        EXPECT_EQ(FeaturesBefore(doc, "psk:JobOutputBin"), c.before + 2);
        EXPECT_EQ(FeaturesBefore(doc, "psk:JobHolePunch"), c.before + 3);
        EXPECT_EQ(doc.Count("/*/psf:Feature"), 14);
    }
}

TEST_F(DocumentGeneratorTest, TicketsSelectOneOptionAndCapabilitiesOfferSeveral) {
    const XmlDoc ticket(GenerateDocument({DocumentKind::PrintTicket, 3, Placement::Last, Form::Driver}));
    ASSERT_TRUE(ticket.valid()) << ticket.error();
    EXPECT_EQ(ticket.Count("/psf:PrintTicket"), 1);
    EXPECT_EQ(ticket.Count(std::string(kFillers) + "/psf:Option"), 3);
    EXPECT_EQ(ticket.Text("//psf:Feature[@name='psk:JobOutputBin']/psf:Option/@name"), "ns0000:Center");

    const XmlDoc caps(GenerateDocument({DocumentKind::PrintCapabilities, 3, Placement::Last, Form::Driver}));
    ASSERT_TRUE(caps.valid()) << caps.error();
    EXPECT_EQ(caps.Count("/psf:PrintCapabilities"), 1);
    EXPECT_EQ(caps.Count(std::string(kFillers) + "/psf:Option"), 3 * kCapabilitiesOptionsPerFeature);
    EXPECT_EQ(caps.Count(std::string(kFillers) + "/psf:Option/psf:Property[@name='psk:DisplayName']/psf:Value"),
              3 * kCapabilitiesOptionsPerFeature);
    EXPECT_EQ(caps.Count("//psf:Feature[@name='psk:JobOutputBin']/psf:Option[@name='ns0000:Center' or "
                         "@name='ns0000:Finisher']"),
              2);
    // Nothing but elements: whether a loader keeps whitespace changes nothing.
    EXPECT_EQ(caps.Count("//text()[normalize-space()='']"), 0);
}

TEST_F(DocumentGeneratorTest, PublicTicketsCarryWhatTheReverseConversionUndoes) {
    const XmlDoc doc(GenerateDocument({DocumentKind::PrintTicket, 4, Placement::Middle, Form::Public}));
    ASSERT_TRUE(doc.valid()) << doc.error();
    EXPECT_EQ(doc.Count("//psf:Feature[@name='ns0000:JobPresentationDirection']"), 0);
    EXPECT_EQ(doc.Count("/*/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"
                        "/psf:Feature[@name='psk:PresentationDirection']/psf:Option"),
              1);
    EXPECT_EQ(doc.Text("//psf:Feature[@name='psk:JobOutputBin']/psf:Option[1]"
                       "/psf:ScoredProperty[@name='psk:BinType']/psf:Value"),
              "psk:Stacker");
    EXPECT_EQ(FeaturesBefore(doc, "psk:JobNUpAllDocumentsContiguously"), 2);
    // The private namespace is bound at the root, where the plug-in looks its prefix up.
    EXPECT_EQ(doc.Count("/*/namespace::ns0000"), 1);
}

}  // namespace
}  // namespace qpbench
