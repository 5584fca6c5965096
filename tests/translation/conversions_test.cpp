// The three conversion calls: argument checks, the passes each runs and the result rules, a
// document wrapper that cannot be bound, and the DEVMODE left alone.
#include "translation_fixture.h"

#include <vector>

using qp::ComPtr;

namespace translationtest {
namespace {

const std::string kDirection = Feature("ns0000:JobPresentationDirection", Option("ns0000:RightBottom"));
const std::string kNUp = Feature("psk:JobNUpAllDocumentsContiguously",
                                 "<psf:Option>" + ScoredProperty("psk:PagesPerSheet", "2", "xsd:integer") +
                                     "</psf:Option>");
const std::string kOutputBin = Feature("psk:JobOutputBin", Option("ns0000:Center"));
const std::string kHolePunch = Feature("psk:JobHolePunch", Option("ns0000:AUTO"));

const std::string kMovedDirection =
    "//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature[@name='psk:PresentationDirection']";
const std::string kBinType = "//psf:ScoredProperty[@name='psk:BinType']";
const std::string kHoleCount = "//psf:ScoredProperty[@name='psk:HoleCount']";

class ConversionsTest : public TranslationTest {
protected:
    static constexpr unsigned char kFill = 0xA5;

    PDEVMODE DevMode() { return reinterpret_cast<PDEVMODE>(devmode_.data()); }
    ULONG DevModeSize() const { return static_cast<ULONG>(devmode_.size()); }
    void* PrivateSection() { return devmode_.data() + sizeof(DEVMODEW); }
    static constexpr ULONG kPrivateSize = 12;

    HRESULT ToTicket(IXMLDOMDocument2* ticket) {
        return provider_->ConvertDevModeToPrintTicket(DevModeSize(), DevMode(), kPrivateSize, PrivateSection(),
                                                      ticket);
    }
    HRESULT ToDevMode(IXMLDOMDocument2* ticket) {
        return provider_->ConvertPrintTicketToDevMode(ticket, DevModeSize(), DevMode(), kPrivateSize,
                                                      PrivateSection());
    }
    bool DevModeUntouched() const {
        for (unsigned char byte : devmode_) {
            if (byte != kFill) return false;
        }
        return true;
    }
    // A provider that no core helper was published to.
    void Unpublish() {
        provider_->Release();
        provider_ = new qp::PrintTicketProvider();
    }

    std::vector<unsigned char> devmode_ = std::vector<unsigned char>(sizeof(DEVMODEW) + kPrivateSize, kFill);
};

TEST_F(ConversionsTest, EachBadArgumentIsRefusedBeforeAnythingIsMade) {
    auto ticket = Load(Document(kDirection + kNUp + kOutputBin + kHolePunch));
    ASSERT_TRUE(ticket);
    const std::string before = Text(ticket.get());
    IXMLDOMDocument2* t = ticket.get();
    PDEVMODE dm = DevMode();
    void* priv = PrivateSection();
    const ULONG size = DevModeSize();

    const HRESULT toDevMode[] = {
        provider_->ConvertPrintTicketToDevMode(t, 0, dm, kPrivateSize, priv),
        provider_->ConvertPrintTicketToDevMode(t, size, nullptr, kPrivateSize, priv),
        provider_->ConvertPrintTicketToDevMode(nullptr, size, dm, kPrivateSize, priv),
        provider_->ConvertPrintTicketToDevMode(t, size, dm, 0, priv),
        provider_->ConvertPrintTicketToDevMode(t, size, dm, kPrivateSize, nullptr),
    };
    const HRESULT toTicket[] = {
        provider_->ConvertDevModeToPrintTicket(0, dm, kPrivateSize, priv, t),
        provider_->ConvertDevModeToPrintTicket(size, nullptr, kPrivateSize, priv, t),
        provider_->ConvertDevModeToPrintTicket(size, dm, 0, priv, t),
        provider_->ConvertDevModeToPrintTicket(size, dm, kPrivateSize, nullptr, t),
        provider_->ConvertDevModeToPrintTicket(size, dm, kPrivateSize, priv, nullptr),
    };
    for (HRESULT hr : toDevMode) EXPECT_EQ(hr, E_INVALIDARG);
    for (HRESULT hr : toTicket) EXPECT_EQ(hr, E_INVALIDARG);
    EXPECT_EQ(provider_->CompletePrintCapabilities(t, nullptr), E_INVALIDARG);

    EXPECT_EQ(Text(ticket.get()), before);
    EXPECT_EQ(helper_->CreateInstanceCalls(), 0) << "no document wrapper may be made";
    EXPECT_TRUE(helper_->OptionCalls().empty());
    EXPECT_TRUE(DevModeUntouched());
}

TEST_F(ConversionsTest, DevModeToTicketRunsAllThreePassesAndReadsTheDevModeOnlyThroughGetOption) {
    helper_->SetOption("PunchHole", "3Holes");
    auto ticket = Load(Document(kDirection + kNUp + kOutputBin + kHolePunch));
    ASSERT_TRUE(ticket);
    EXPECT_EQ(ToTicket(ticket.get()), S_OK);

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Count(kMovedDirection), 1);
    EXPECT_EQ(out.Text(kBinType + "/psf:Value"), "ns0000:Tray");
    EXPECT_EQ(out.Text(kHoleCount + "/psf:Value"), "3");
    const auto calls = helper_->OptionCalls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.devmode, DevMode());
        EXPECT_EQ(call.size, DevModeSize());
    }
    EXPECT_TRUE(DevModeUntouched());
}

// The first pass that fails ends the call with E_FAIL; what earlier passes did stays.
TEST_F(ConversionsTest, DevModeToTicketStopsAtTheFirstFailingPassAndKeepsEarlierEdits) {
    struct Case {
        const char* what;
        std::string body;
        int moved, renamedInPlace, binTypes, queries;
    };
    const Case cases[] = {
        {"no private presentation direction", kNUp + kOutputBin + kHolePunch, 0, 0, 0, 0},
        {"no N-up feature", kDirection + kOutputBin + kHolePunch, 0, 1, 0, 0},
        {"no output bin", kDirection + kNUp + kHolePunch, 1, 0, 0, 0},
        {"no hole punch", kDirection + kNUp + kOutputBin, 1, 0, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        helper_ = CoreHelperStub::Create();
        Unpublish();
        ASSERT_EQ(provider_->PublishPrintTicketHelperInterface(helper_.get()), S_OK);
        auto ticket = Load(Document(c.body));
        ASSERT_TRUE(ticket);
        EXPECT_EQ(ToTicket(ticket.get()), E_FAIL);

        qptest::XmlDoc out(Text(ticket.get()));
        EXPECT_EQ(out.Count(kMovedDirection), c.moved);
        EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Feature[@name='psk:PresentationDirection']"), c.renamedInPlace);
        EXPECT_EQ(out.Count(kBinType), c.binTypes);
        EXPECT_EQ(out.Count(kHoleCount), 0);
        EXPECT_EQ(static_cast<int>(helper_->OptionCalls().size()), c.queries);
    }
}

TEST_F(ConversionsTest, CapabilitiesRunTwoPassesWithoutReadingTheDevModeOrTheUserTicket) {
    helper_->SetOption("PunchHole", "3Holes");
    auto capabilities = Load(Document(kDirection + kNUp + kOutputBin + kHolePunch, RootDeclarations(),
                                      "psf:PrintCapabilities"));
    auto userTicket = Load(Document(kDirection + kNUp + kOutputBin + kHolePunch));
    ASSERT_TRUE(capabilities && userTicket);
    const std::string userBefore = Text(userTicket.get());

    EXPECT_EQ(provider_->CompletePrintCapabilities(nullptr, capabilities.get()), S_OK);
    qptest::XmlDoc out(Text(capabilities.get()));
    EXPECT_EQ(out.Count("/psf:PrintCapabilities" + kMovedDirection), 1);
    EXPECT_EQ(out.Count(kBinType), 1);
    EXPECT_EQ(out.Count(kHoleCount), 0);

    auto second = Load(Document(kNUp + kOutputBin, RootDeclarations(), "psf:PrintCapabilities"));
    ASSERT_TRUE(second);
    EXPECT_EQ(provider_->CompletePrintCapabilities(userTicket.get(), second.get()), E_FAIL);
    EXPECT_EQ(qptest::XmlDoc(Text(second.get())).Count(kBinType), 0) << "no pass after a failed one";

    EXPECT_EQ(Text(userTicket.get()), userBefore);
    EXPECT_TRUE(helper_->OptionCalls().empty());
}

TEST_F(ConversionsTest, TicketToDevModeRunsBothPassesAndAnswersSOkWhateverTheyFind) {
    auto ticket = Load(Document(
        Feature("psk:JobNUpAllDocumentsContiguously",
                "<psf:Option/>" + Feature("psk:PresentationDirection", Option("ns0000:RightBottom"))) +
        Feature("psk:JobOutputBin", Option("psk:Stacker", ScoredProperty("psk:BinType", "psk:Stacker")))));
    auto plain = Load(Document(Feature("psk:PageOrientation", Option("psk:Portrait"))));
    auto directionOnly = Load(Document(Feature("psk:PresentationDirection", Option("ns0000:RightBottom")) +
                                       Feature("psk:JobOutputBin", Option("psk:Stacker", ScoredProperty(
                                                                                   "psk:BinType", "psk:Stacker")))));
    ASSERT_TRUE(ticket && plain && directionOnly);
    const std::string plainBefore = Text(plain.get());

    EXPECT_EQ(ToDevMode(ticket.get()), S_OK);
    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Text("/psf:PrintTicket/*[last()]/@name"), "ns0000:JobPresentationDirection");
    EXPECT_EQ(out.Text("//psf:Feature[@name='psk:JobOutputBin']/psf:Option/@name"), "ns0000:Finisher");
    EXPECT_EQ(out.Count(kBinType), 0);

    EXPECT_EQ(ToDevMode(plain.get()), S_OK);
    EXPECT_EQ(Text(plain.get()), plainBefore);

    EXPECT_EQ(ToDevMode(directionOnly.get()), S_OK) << "the second pass runs after the first one failed";
    EXPECT_EQ(qptest::XmlDoc(Text(directionOnly.get())).Count(kBinType), 0);

    EXPECT_TRUE(helper_->OptionCalls().empty());
    EXPECT_TRUE(DevModeUntouched());
}

// Without a usable document wrapper no pass runs: the call came before the core driver published
// its helper, the namespace manager cannot be made, the document has no root element, or the
// wrapper cannot be allocated.
TEST_F(ConversionsTest, NoPassRunsWithoutABoundDocumentWrapper) {
    const std::string body = kDirection + kNUp + kOutputBin + kHolePunch;
    auto check = [&](HRESULT expected, IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) {
        const std::string ticketBefore = Text(ticket);
        const std::string capabilitiesBefore = Text(capabilities);
        EXPECT_EQ(ToTicket(ticket), expected);
        EXPECT_EQ(ToDevMode(ticket), expected);
        EXPECT_EQ(provider_->CompletePrintCapabilities(nullptr, capabilities), expected);
        EXPECT_EQ(Text(ticket), ticketBefore);
        EXPECT_EQ(Text(capabilities), capabilitiesBefore);
        EXPECT_TRUE(helper_->OptionCalls().empty());
        EXPECT_TRUE(DevModeUntouched());
    };
    auto ticket = Load(Document(body));
    auto capabilities = Load(Document(body, RootDeclarations(), "psf:PrintCapabilities"));
    ASSERT_TRUE(ticket && capabilities);
    {
        SCOPED_TRACE("no core helper published");
        Unpublish();
        check(E_UNEXPECTED, ticket.get(), capabilities.get());
        ASSERT_EQ(provider_->PublishPrintTicketHelperInterface(helper_.get()), S_OK);
    }
    {
        SCOPED_TRACE("no namespace manager");
        helper_->FailCreateInstance(E_NOINTERFACE);
        check(E_NOINTERFACE, ticket.get(), capabilities.get());
        helper_->FailCreateInstance(S_OK);
    }
    {
        SCOPED_TRACE("no root element");
        ComPtr<IXMLDOMDocument2> empty;
        ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                   empty.put_void()),
                  S_OK);
        check(E_FAIL, empty.get(), empty.get());
    }
    for (int call = 0; call < 3; ++call) {
        SCOPED_TRACE("the wrapper cannot be allocated");
        const std::string before = Text(ticket.get());
        PortableFaultArm(1);
        const HRESULT hr = call == 0   ? ToTicket(ticket.get())
                           : call == 1 ? ToDevMode(ticket.get())
                                       : provider_->CompletePrintCapabilities(nullptr, ticket.get());
        PortableFaultDisarm();
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(Text(ticket.get()), before);
    }
}

}  // namespace
}  // namespace translationtest
