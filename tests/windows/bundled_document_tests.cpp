// The bundled example documents and the test suite's own ticket, converted through the real
// MSXML as the core driver would: every edit of each conversion is checked in a fresh parse of
// the output, with the document's own prefix for the driver's namespace (ns0000).
#include "check.h"
#include "documents.h"
#include "module_under_test.h"
#include "provider_conversion.h"

#include <string>

using namespace wintest;

namespace {

const wchar_t* const kPrivateDirection = L"//psf:Feature[@name='ns0000:JobPresentationDirection']";
const wchar_t* const kPublicDirection = L"//psf:Feature[@name='psk:PresentationDirection']";
const wchar_t* const kMovedDirection =
    L"/*/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature[@name='psk:PresentationDirection']";
const wchar_t* const kCenterAsTray =
    L"//psf:Feature[@name='psk:JobOutputBin']/psf:Option[@name='ns0000:Center']"
    L"/psf:ScoredProperty[@name='psk:BinType']/psf:Value[@xsi:type='xsd:QName'][.='ns0000:Tray']";
const wchar_t* const kFinisherAsStacker =
    L"//psf:Feature[@name='psk:JobOutputBin']/psf:Option[@name='ns0000:Finisher']"
    L"/psf:ScoredProperty[@name='psk:BinType']/psf:Value[@xsi:type='xsd:QName'][.='psk:Stacker']";
const wchar_t* const kAnyBinType = L"//psf:ScoredProperty[@name='psk:BinType']";
const wchar_t* const kThreeHolesFirst =
    L"//psf:Feature[@name='psk:JobHolePunch']/psf:Option[1]/psf:ScoredProperty[@name='psk:HoleCount']"
    L"/psf:Value[@xsi:type='xsd:integer'][.='3']";

// The module kept to its side of the call: references given back, DEVMODE not written.
void CheckManners(Conversion& c, ULONG refs) {
    CHECK_EQ(RefCount(c.document.get()), refs);
    CHECK(c.DevModeUntouched());
}

}  // namespace

WT_CASE(BundledTicketToTicketAndBack) {
    Conversion c;
    REQUIRE(c.Prepare(LoadBundledDocument(L"printticket.xml")));
    IXMLDOMDocument2* ticket = c.document.get();
    const ULONG refs = RefCount(ticket);

    CHECK_HR(c.ToTicket(), S_OK);
    CheckManners(c, refs);
    CHECK_EQ(CountNodes(ticket, kPrivateDirection), 0);
    CHECK_EQ(CountNodes(ticket, (std::wstring(kMovedDirection) + L"/psf:Option[@name='ns0000:RightBottom']").c_str()), 1);
    CHECK_EQ(CountNodes(ticket, kCenterAsTray), 1);
    CHECK_EQ(CountNodes(ticket, kAnyBinType), 1);
    CHECK_EQ(CountNodes(ticket, kThreeHolesFirst), 1);

    CHECK_HR(c.ToDevMode(), S_OK);
    CheckManners(c, refs);
    CHECK_EQ(CountNodes(ticket, L"/psf:PrintTicket/psf:Feature[@name='ns0000:JobPresentationDirection']"
                                L"/psf:Option[@name='ns0000:RightBottom']"),
             1);
    CHECK_EQ(CountNodes(ticket, kPublicDirection), 0);
    CHECK_EQ(CountNodes(ticket, kAnyBinType), 0);
    CHECK_EQ(CountNodes(ticket, L"//psf:Feature[@name='psk:JobOutputBin']/psf:Option[1][@name='ns0000:Center']"), 1);
    CHECK_EQ(CountNodes(ticket, kThreeHolesFirst), 1);
}

WT_CASE(BundledCapabilities) {
    Conversion c;
    REQUIRE(c.Prepare(LoadBundledDocument(L"printcapabilities.xml")));
    IXMLDOMDocument2* capabilities = c.document.get();
    const ULONG refs = RefCount(capabilities);

    CHECK_HR(c.Capabilities(), S_OK);
    CheckManners(c, refs);
    CHECK_EQ(CountNodes(capabilities, kPrivateDirection), 0);
    CHECK_EQ(CountNodes(capabilities, (std::wstring(kMovedDirection) + L"/psf:Option").c_str()), 4);
    CHECK_EQ(CountNodes(capabilities, kCenterAsTray), 1);
    CHECK_EQ(CountNodes(capabilities, kFinisherAsStacker), 1);
    CHECK_EQ(CountNodes(capabilities, kAnyBinType), 2);
    CHECK_EQ(c.helper->OptionCalls().size(), 0);
}

// Every pass finds what it looks for, and finds some of its work already done: the moved
// feature joins the public one, the bins and the hole-punch option gain a second bin type or
// count, and the way back renames the first bin by the bin type it carries.
WT_CASE(EveryPassTicketBothWays) {
    Conversion toTicket;
    REQUIRE(toTicket.Prepare(LoadBundledDocument(L"every_pass_ticket.xml")));
    IXMLDOMDocument2* ticket = toTicket.document.get();
    const ULONG refs = RefCount(ticket);
    CHECK_HR(toTicket.ToTicket(), S_OK);
    CheckManners(toTicket, refs);
    CHECK_EQ(CountNodes(ticket, kPrivateDirection), 0);
    CHECK_EQ(CountNodes(ticket, kMovedDirection), 2);
    CHECK_EQ(CountNodes(ticket, kCenterAsTray), 1);
    CHECK_EQ(CountNodes(ticket, kFinisherAsStacker), 1);
    CHECK_EQ(CountNodes(ticket, kAnyBinType), 3);
    CHECK_EQ(CountNodes(ticket, kThreeHolesFirst), 1);

    Conversion toDevMode;
    REQUIRE(toDevMode.Prepare(LoadBundledDocument(L"every_pass_ticket.xml")));
    ticket = toDevMode.document.get();
    const ULONG backRefs = RefCount(ticket);
    CHECK_HR(toDevMode.ToDevMode(), S_OK);
    CheckManners(toDevMode, backRefs);
    CHECK_EQ(CountNodes(ticket, kPublicDirection), 0);
    CHECK_EQ(CountNodes(ticket, L"/psf:PrintTicket/psf:Feature[@name='ns0000:JobPresentationDirection']"), 2);
    CHECK_EQ(CountNodes(ticket, kAnyBinType), 0);
    CHECK_EQ(CountNodes(ticket, L"//psf:Feature[@name='psk:JobOutputBin']/psf:Option[@name='ns0000:Finisher']"), 2);
    CHECK_EQ(toDevMode.helper->OptionCalls().size(), 0);
}
