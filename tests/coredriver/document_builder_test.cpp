// The documents built from a GPD, read back with libxml2 and XPath: their shape, display names,
// scored properties and parameters, tickets under selections, and the two modes.
#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <print_schema/document_builder.h>

#include <string>
#include <vector>

using qp::ComPtr;
using qptest::XmlDoc;

namespace {

constexpr const char* kHeader =
    "*GPDSpecVersion: \"1.0\"\n*ModelName: \"Test Printer\"\n*MasterUnits: PAIR(1200, 1200)\n*MaxCopies: 99\n"
    "*Include: \"StdNames.gpd\"\n";

const std::string kPaper =
    "*Feature: PaperSize\n{\n*rcNameID: =PAPER_SIZE_DISPLAY\n*DefaultOption: A4\n"
    "*Option: A4 { *rcNameID: =RCID_DMPAPER_SYSTEM_NAME }\n"
    "*Option: Photo { *Name: \"Photo 4x6\"\n*PageDimensions: PAIR(4800, 7200) }\n"
    "*Option: CUSTOMSIZE { *rcNameID: =USER_DEFINED_SIZE_DISPLAY\n*MinSize: PAIR(1200, 2400)\n"
    "*MaxSize: PAIR(12000, 24000) }\n}\n";
const std::string kResolution =
    "*Feature: Resolution\n{\n*Name: \"Quality\"\n*Option: R600 { *Name: \"600 dpi\"\n*DPI: PAIR(600, 300) }\n}\n";
const std::string kConcealed =
    "*Feature: Secret\n{\n*Name: \"Secret\"\n*FeatureType: DOC_PROPERTY\n*ConcealFromUI?: TRUE\n"
    "*Option: Off {}\n*Option: On {}\n}\n";
const std::string kPrinterTray =
    "*Feature: Trays\n{\n*Name: \"Installed trays\"\n*FeatureType: PRINTER_PROPERTY\n*Option: One {}\n}\n";
const std::string kNUp =
    "*Feature: PagesPerSheet\n{\n*PrintSchemaKeywordMap: \"JobNUpAllDocumentsContiguously\"\n*Name: \"Pages\"\n"
    "*FeatureType: DOC_PROPERTY\n*Option: 1 {}\n*Option: 2 {}\n*Option: 4 {}\n*Option: Booklet {}\n}\n";

class DocumentBuilderTest : public LedgerTest {
protected:
    // Builds the document of `kind` for the GPD text after the header; empty when it fails.
    std::string Build(const std::string& body, print_schema::DocumentKind kind, const gpd::Selections& chosen = {},
                      bool xps = true) {
        gpd::GpdModel model;
        std::string error;
        const std::string text = kHeader + std::string(xps ? "*IsXPSDriver?: TRUE\n" : "") + body;
        if (!gpd::GpdModel::Parse("test.gpd", text, {}, model, error)) {
            ADD_FAILURE() << error;
            return {};
        }
        gpd::Selections selections;
        if (!model.Select(chosen, selections, error)) {
            ADD_FAILURE() << error;
            return {};
        }
        const print_schema::NamingContext context{model, qptest::kPrivateNamespaceUtf8};
        ComPtr<IXMLDOMDocument2> document;
        EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                   document.put_void()),
                  S_OK);
        if (!document) return {};
        const HRESULT built = print_schema::BuildDocument(context, kind, selections, document.get());
        EXPECT_EQ(built, S_OK);
        return built == S_OK ? qptest::SerializeUtf8(document.get()) : std::string();
    }
    std::string Capabilities(const std::string& body, bool xps = true) {
        return Build(body, print_schema::DocumentKind::Capabilities, {}, xps);
    }
    std::string Ticket(const std::string& body, const gpd::Selections& chosen = {}, bool xps = true) {
        return Build(body, print_schema::DocumentKind::Ticket, chosen, xps);
    }
};

const char* const kMediaSize = "/psf:PrintCapabilities/psf:Feature[@name='psk:PageMediaSize']";

TEST_F(DocumentBuilderTest, CapabilitiesDescribeEachFeatureWithItsPropertiesAndOptions) {
    const XmlDoc doc(Capabilities(kPaper + kResolution + kConcealed + kPrinterTray));
    ASSERT_TRUE(doc.valid()) << doc.error();
    EXPECT_EQ(doc.Text("/psf:PrintCapabilities/@version"), "1");
    EXPECT_EQ(doc.Count("/psf:PrintCapabilities/psf:Feature"), 4);
    EXPECT_EQ(doc.Count("/psf:PrintCapabilities/psf:Feature[psf:Property[@name='psf:SelectionType']"
                        "/psf:Value[@xsi:type='xsd:QName']='psk:PickOne']"), 4);
    EXPECT_EQ(doc.Count("//psf:Option[not(@constrained='psk:None')]"), 0);
    EXPECT_EQ(doc.Text(std::string(kMediaSize) + "/psf:Property[@name='psk:DisplayName']/psf:Value"), "Paper Size")
        << "a standard feature named only by a resource id gets the standard display name";
    EXPECT_EQ(doc.Texts(std::string(kMediaSize) + "/psf:Option/psf:Property[@name='psk:DisplayName']/psf:Value"),
              (std::vector<std::string>{"A4", "Photo 4x6", "Custom Size"}));
    EXPECT_EQ(doc.Texts("//psf:Feature[psf:Property/psf:Value='psk:PickOne'][psf:Property[@name='psk:DisplayUI']]/@name"),
              (std::vector<std::string>{"ns0000:Secret"}));
    EXPECT_EQ(doc.Text("//psf:Feature[@name='ns0000:Secret']/psf:Property[@name='psk:DisplayUI']/psf:Value"), "False");
    EXPECT_EQ(doc.Count("//psf:Feature[@name='ns0000:Trays']"), 1) << "printer properties are capabilities";
}

TEST_F(DocumentBuilderTest, ScoredPropertiesGiveSizesInMicronsAndResolutionsFromDpi) {
    const XmlDoc doc(Capabilities(kPaper + kResolution));
    ASSERT_TRUE(doc.valid()) << doc.error();
    const std::string a4 = std::string(kMediaSize) + "/psf:Option[@name='psk:ISOA4']";
    EXPECT_EQ(doc.Text(a4 + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value[@xsi:type='xsd:integer']"), "210000");
    EXPECT_EQ(doc.Text(a4 + "/psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"), "297000");
    const std::string photo = std::string(kMediaSize) + "/psf:Option[@name='ns0000:Photo']";
    EXPECT_EQ(doc.Text(photo + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"), "101600");
    EXPECT_EQ(doc.Text(photo + "/psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"), "152400");
    const std::string custom = std::string(kMediaSize) + "/psf:Option[@name='psk:CustomMediaSize']";
    EXPECT_EQ(doc.Text(custom + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:ParameterRef/@name"),
              "psk:PageMediaSizeMediaSizeWidth");
    const std::string dpi = "//psf:Feature[@name='psk:PageResolution']/psf:Option[@name='ns0000:R600']";
    EXPECT_EQ(doc.Text(dpi + "/psf:ScoredProperty[@name='psk:ResolutionX']/psf:Value"), "600");
    EXPECT_EQ(doc.Text(dpi + "/psf:ScoredProperty[@name='psk:ResolutionY']/psf:Value"), "300");
}

TEST_F(DocumentBuilderTest, ParametersDefineCopiesAndTheCustomSize) {
    const XmlDoc doc(Capabilities(kPaper));
    ASSERT_TRUE(doc.valid()) << doc.error();
    const std::string copies = "/psf:PrintCapabilities/psf:ParameterDef[@name='psk:JobCopiesAllDocuments']";
    EXPECT_EQ(doc.Text(copies + "/psf:Property[@name='psf:DataType']/psf:Value"), "xsd:integer");
    EXPECT_EQ(doc.Text(copies + "/psf:Property[@name='psf:DefaultValue']/psf:Value"), "1");
    EXPECT_EQ(doc.Text(copies + "/psf:Property[@name='psf:MaxValue']/psf:Value"), "99");
    EXPECT_EQ(doc.Text(copies + "/psf:Property[@name='psf:Mandatory']/psf:Value"), "psk:Unconditional");
    const std::string width = "/psf:PrintCapabilities/psf:ParameterDef[@name='psk:PageMediaSizeMediaSizeWidth']";
    EXPECT_EQ(doc.Text(width + "/psf:Property[@name='psf:MinValue']/psf:Value"), "25400");
    EXPECT_EQ(doc.Text(width + "/psf:Property[@name='psf:MaxValue']/psf:Value"), "254000");
    EXPECT_EQ(doc.Text(width + "/psf:Property[@name='psf:UnitType']/psf:Value"), "microns");
    EXPECT_EQ(doc.Text("//psf:ParameterDef[@name='psk:PageMediaSizeMediaSizeHeight']"
                       "/psf:Property[@name='psf:MaxValue']/psf:Value"), "508000");
}

TEST_F(DocumentBuilderTest, TicketsHoldTheSelectedOptionsAndNoPrinterProperties) {
    const XmlDoc defaults(Ticket(kPaper + kResolution + kPrinterTray));
    ASSERT_TRUE(defaults.valid()) << defaults.error();
    EXPECT_EQ(defaults.Texts("/psf:PrintTicket/psf:Feature/@name"),
              (std::vector<std::string>{"psk:PageMediaSize", "psk:PageResolution"}));
    EXPECT_EQ(defaults.Count("//psf:Property"), 0);
    EXPECT_EQ(defaults.Texts("//psf:Feature[@name='psk:PageMediaSize']/psf:Option/@name"),
              (std::vector<std::string>{"psk:ISOA4"}));
    EXPECT_EQ(defaults.Text("//psf:Option[@name='psk:ISOA4']/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"),
              "210000");
    EXPECT_EQ(defaults.Text("/psf:PrintTicket/psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "1");
    EXPECT_EQ(defaults.Count("//psf:ParameterInit"), 1) << "no custom size unless it is selected";

    const XmlDoc passcode(Ticket("*Feature: JobPasscode\n{\n*Name: \"PIN\"\n*Option: OFF {}\n*Option: ON {}\n}\n",
                                 {{"JobPasscode", "ON"}}));
    ASSERT_TRUE(passcode.valid()) << passcode.error();
    EXPECT_EQ(passcode.Text("/psf:PrintTicket/namespace::pskv11"),
              "http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11");
    EXPECT_EQ(passcode.Text("/psf:PrintTicket/psf:Feature[@name='pskv11:JobPasscode']/psf:Option/@name"), "psk:On");

    const XmlDoc custom(Ticket(kPaper, {{"PaperSize", "CUSTOMSIZE"}}));
    ASSERT_TRUE(custom.valid()) << custom.error();
    EXPECT_EQ(custom.Count("//psf:Option[@name='psk:CustomMediaSize']/psf:ScoredProperty/psf:ParameterRef"), 2);
    EXPECT_EQ(custom.Text("//psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeWidth']/psf:Value"), "25400");
    EXPECT_EQ(custom.Count("//psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeHeight']"), 1);
}

TEST_F(DocumentBuilderTest, AnNUpFeatureCarriesPagesPerSheetFromItsNumericOptions) {
    const XmlDoc caps(Capabilities(kNUp));
    ASSERT_TRUE(caps.valid()) << caps.error();
    const std::string nUp = "//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
    EXPECT_EQ(caps.Texts(nUp + "/psf:Option/psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value"),
              (std::vector<std::string>{"1", "2", "4"}));
    EXPECT_EQ(caps.Count(nUp + "/psf:Option[@name='ns0000:Booklet'][not(psf:ScoredProperty)]"), 1);
    const XmlDoc ticket(Ticket(kNUp, {{"PagesPerSheet", "4"}}));
    EXPECT_EQ(ticket.Text(nUp + "/psf:Option[@name='ns0000:_4']/psf:ScoredProperty/psf:Value"), "4");
}

TEST_F(DocumentBuilderTest, GdiModeAddsTheCoreDriversOwnNUpAndPageOrderUnlessTheGpdHasThem) {
    const XmlDoc xps(Capabilities(kResolution, true));
    ASSERT_TRUE(xps.valid()) << xps.error();
    EXPECT_EQ(xps.Texts("/psf:PrintCapabilities/psf:Feature/@name"), (std::vector<std::string>{"psk:PageResolution"}));

    const XmlDoc gdi(Capabilities(kResolution, false));
    ASSERT_TRUE(gdi.valid()) << gdi.error();
    EXPECT_EQ(gdi.Texts("/psf:PrintCapabilities/psf:Feature/@name"),
              (std::vector<std::string>{"psk:PageResolution", "psk:JobNUpAllDocumentsContiguously", "psk:JobPageOrder"}));
    const std::string nUp = "//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
    EXPECT_EQ(gdi.Texts(nUp + "/psf:Option/psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value"),
              (std::vector<std::string>{"1", "2", "4", "6", "9", "16"}));
    EXPECT_EQ(gdi.Count(nUp + "/psf:Feature[@name='psk:PresentationDirection']/psf:Option"), 4);

    const XmlDoc gdiTicket(Ticket(kResolution, {}, false));
    EXPECT_EQ(gdiTicket.Text(nUp + "/psf:Option/psf:ScoredProperty/psf:Value"), "1");
    EXPECT_EQ(gdiTicket.Text(nUp + "/psf:Feature/psf:Option/@name"), "psk:RightBottom");

    const XmlDoc gdiWithNUp(Capabilities(kNUp, false));
    EXPECT_EQ(gdiWithNUp.Count("//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"), 1);
}

TEST_F(DocumentBuilderTest, TextsXmlCannotHoldStillMakeAWellFormedDocument) {
    const std::string body =
        "*Feature: Odd\n{\n*Name: \"Tab<09>Bell<07>Nul<00>Bad<FF>&%<\"\n*FeatureType: DOC_PROPERTY\n*Option: A {}\n}\n";
    const std::string built = Capabilities(body);
    const XmlDoc doc(built);
    ASSERT_TRUE(doc.valid()) << doc.error() << "\n" << built;
    EXPECT_EQ(doc.Text("//psf:Feature[@name='ns0000:Odd']/psf:Property[@name='psk:DisplayName']/psf:Value"),
              "Tab\tBell\xEF\xBF\xBDNul\xEF\xBF\xBD" "Bad\xEF\xBF\xBD&<");
}

}  // namespace
