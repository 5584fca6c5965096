// Hostile documents handed to the three conversions in process, through the module's exports:
// each must end without a crash, with the result the conversion defines for that document, a
// well-formed document and nothing leaked. How long each takes is measured by the benchmarks.
#include "hostile_documents.h"
#include "reliability_support.h"
#include "support/xml_assert.h"

#include <pthread.h>

#include <functional>

using qp::ComPtr;

namespace reliability {
namespace {

using qptest::XmlDoc;


struct Outcome {
    HRESULT hr;
    std::string before;  // serialized before the conversion
    std::string after;
};

class HostileDocuments : public LedgerTest {
protected:
    // Runs `conversion` on a fresh copy of `text` and returns the result and both serializations.
    Outcome Run(Conversion conversion, const std::string& text) {
        DriverSession session;
        ComPtr<IXMLDOMDocument2> document = TryLoad(text);
        if (!document) {
            ADD_FAILURE() << "the stand-in does not load the " << text.size() << "-byte document";
            return {E_UNEXPECTED, {}, {}};
        }
        return Run(session, conversion, document.get());
    }

    static Outcome Run(DriverSession& session, Conversion conversion, IXMLDOMDocument2* document) {
        Outcome outcome{};
        outcome.before = qptest::SerializeUtf8(document);
        outcome.hr = session.Convert(conversion, document);
        outcome.after = ExpectWellFormed(document, MethodName(conversion));
        return outcome;
    }

    // Every conversion on `text` returns what `expected` gives for it, and leaves the document
    // as it was where `unchanged` says so.
    void ExpectResults(const std::string& text, const std::function<HRESULT(Conversion)>& expected,
                       const std::function<bool(Conversion)>& unchanged) {
        for (const Conversion conversion : kAllConversions) {
            SCOPED_TRACE(MethodName(conversion));
            const Outcome outcome = Run(conversion, text);
            EXPECT_EQ(outcome.hr, expected(conversion));
            if (unchanged(conversion)) {
                EXPECT_EQ(outcome.after, outcome.before) << "the document was edited";
            }
        }
    }
};

// Runs `body` on a thread with a 1 MiB stack: any recursion per level of a deep document
// overflows it, where the main thread's larger stack might hide a shallow one.
void RunOnSmallStack(const std::function<void()>& body) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 1 << 20), 0);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

HRESULT FailsTowardsPublic(Conversion c) { return c == Conversion::PrintTicketToDevMode ? S_OK : E_FAIL; }
bool Always(Conversion) { return true; }

TEST_F(HostileDocuments, DocumentWithoutRootIsRefusedAndStaysEmpty) {
    DriverSession session;
    for (const Conversion conversion : kAllConversions) {
        ComPtr<IXMLDOMDocument2> empty;
        ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                   empty.put_void()),
                  S_OK);
        const HRESULT hr = session.Convert(conversion, empty.get());
        if (conversion != Conversion::PrintTicketToDevMode) {
            EXPECT_TRUE(FAILED(hr)) << MethodName(conversion) << " reported success on a document without a root";
        }
        ComPtr<IXMLDOMElement> root;
        EXPECT_NE(empty->get_documentElement(root.put()), S_OK) << MethodName(conversion) << " made a root";
    }
}

TEST_F(HostileDocuments, MissingOrMisplacedNamespaceDeclarationsChangeNothing) {
    // Without the names the passes form, each pass stops before its first edit: the conversions
    // towards the public keywords fail, the one back to the DEVMODE succeeds, and nothing moves.
    ExpectResults(hostile::RootWithoutNamespaces(), FailsTowardsPublic, Always);

    hostile::Prefixes privateUnbound;
    privateUnbound.priv.clear();
    ExpectResults(hostile::Ticket(privateUnbound), FailsTowardsPublic, Always);

    hostile::Prefixes pskUnbound;
    pskUnbound.psk.clear();
    ExpectResults(hostile::Ticket(pskUnbound), FailsTowardsPublic, Always);

    hostile::Prefixes pskInner;
    pskInner.pskInnerOnly = true;
    ExpectResults(hostile::Ticket(pskInner), FailsTowardsPublic, Always);

    hostile::Prefixes privateInner;
    privateInner.privInnerOnly = true;
    ExpectResults(hostile::Ticket(privateInner), FailsTowardsPublic, Always);
}

TEST_F(HostileDocuments, NamespaceBoundTwiceUsesOneOfItsPrefixes) {
    // The document writes every name with the first prefix. If the context forms names with the
    // second, nothing it looks for matches: for psk the rename has already happened when the
    // N-up feature is not found; for the private namespace nothing is found at all.
    hostile::Prefixes pskTwice;
    pskTwice.pskSecond = "k2";
    const Outcome psk = Run(Conversion::DevModeToPrintTicket, hostile::Ticket(pskTwice));
    const XmlDoc pskOut(psk.after);
    if (psk.hr == S_OK) {
        EXPECT_EQ(pskOut.Count("//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature"
                               "[@name='psk:PresentationDirection']"),
                  1);
    } else {
        EXPECT_EQ(psk.hr, E_FAIL);
        EXPECT_EQ(pskOut.Count("/psf:PrintTicket/psf:Feature[@name='k2:PresentationDirection']"), 1);
    }

    hostile::Prefixes privateTwice;
    privateTwice.privSecond = "p2";
    const Outcome priv = Run(Conversion::DevModeToPrintTicket, hostile::Ticket(privateTwice));
    if (priv.hr == S_OK) {
        EXPECT_EQ(XmlDoc(priv.after).Count("//psf:Option[@name='ns0000:Center']/psf:ScoredProperty"), 1);
    } else {
        EXPECT_EQ(priv.hr, E_FAIL);
        EXPECT_EQ(priv.after, priv.before);
    }
}

TEST_F(HostileDocuments, NamesAndValuesAroundTheLengthLimit) {
    // 50,000 is the longest name the parser takes.
    for (const size_t length : {size_t{9'999}, size_t{10'000}, size_t{50'000}}) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::string text = hostile::LongNames(length);
        // The private prefix has `length` characters: below the limit the ticket converts, at it
        // or above it no private name can be formed and nothing is edited.
        const Outcome toTicket = Run(Conversion::DevModeToPrintTicket, text);
        const XmlDoc out(toTicket.after);
        if (length < 10'000) {
            EXPECT_EQ(toTicket.hr, S_OK);
            EXPECT_EQ(out.Count("//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature"
                                "[@name='psk:PresentationDirection']/psf:Option"),
                      1);
            EXPECT_EQ(out.Count("//psk:BinType"), 0) << "the value is QName text, not an element";
            EXPECT_EQ(out.Count("//psf:ScoredProperty[@name='psk:BinType']/psf:Value[@xsi:type='xsd:QName']"), 3);
        } else {
            EXPECT_EQ(toTicket.hr, E_FAIL);
            EXPECT_EQ(toTicket.after, toTicket.before);
        }
        // The bin-type text is far beyond what the reverse pass reads: the ticket stays as it is
        // apart from the presentation direction, which has no long name to form.
        const Outcome toDevMode = Run(Conversion::PrintTicketToDevMode, text);
        EXPECT_EQ(toDevMode.hr, S_OK);
        EXPECT_EQ(XmlDoc(toDevMode.after).Text("//psf:Feature[@name='psk:JobOutputBin']/psf:Option[1]/@name"),
                  "psk:AutoSelect");
    }
}

TEST_F(HostileDocuments, EscapedCharactersAndSurrogatePairsSurviveEveryConversion) {
    const std::string text = hostile::EscapedAndAstral();
    const std::string psk = hostile::kAstralPrefix;

    const Outcome toTicket = Run(Conversion::DevModeToPrintTicket, text);
    EXPECT_EQ(toTicket.hr, S_OK);
    const XmlDoc ticket(toTicket.after);
    ASSERT_TRUE(ticket.valid());
    const std::string moved = "//psf:Feature[@name='" + psk + ":JobNUpAllDocumentsContiguously']/psf:Feature[@name='" +
                              psk + ":PresentationDirection']";
    EXPECT_EQ(ticket.Count(moved), 1) << "the prefix with a surrogate pair was not written back whole";
    EXPECT_EQ(ticket.Text(moved + "/psf:Option/@note"), hostile::kEscapedText);
    EXPECT_EQ(ticket.Text(moved + "/psf:Option//psf:Value"), hostile::kEscapedText);
    EXPECT_EQ(ticket.Text("/psf:PrintTicket/@note"), hostile::kEscapedText);
    EXPECT_EQ(ticket.Text("//psf:Option[@name='ns0000:Finisher']/psf:ScoredProperty/psf:Value"), psk + ":Stacker");

    // The first output bin's type is the escaped text: no driver bin has it, nothing is renamed.
    const Outcome toDevMode = Run(Conversion::PrintTicketToDevMode, text);
    EXPECT_EQ(toDevMode.hr, S_OK);
    const XmlDoc devmode(toDevMode.after);
    EXPECT_EQ(devmode.Text("//psf:Feature[@name='" + psk + ":JobOutputBin']/psf:Option[1]//psf:Value"),
              hostile::kEscapedText);
    EXPECT_EQ(devmode.Text("//psf:Feature[@name='" + psk + ":JobOutputBin']/psf:Option[1]/@name"),
              psk + ":AutoSelect");
}

TEST_F(HostileDocuments, HundredThousandFeaturesBeforeTheInterestingOnes) {
    const std::string text = hostile::Ticket({}, kHugeCount);
    const Outcome toTicket = Run(Conversion::DevModeToPrintTicket, text);
    EXPECT_EQ(toTicket.hr, S_OK);
    const XmlDoc out(toTicket.after);
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Feature"), static_cast<int>(kHugeCount) + 3);
    EXPECT_EQ(out.Text("//psf:Option[@name='psk:LeftEdge']/psf:ScoredProperty[@name='psk:HoleCount']/psf:Value"), "3");

    const Outcome back = Run(Conversion::PrintTicketToDevMode, toTicket.after);
    EXPECT_EQ(back.hr, S_OK);
    EXPECT_EQ(XmlDoc(back.after).Text("/psf:PrintTicket/psf:Feature[last()]/@name"), "ns0000:JobPresentationDirection");
}

TEST_F(HostileDocuments, OutputBinWithTenThousandOptions) {
    const std::string text = hostile::ManyOutputBinOptions(10'000);
    const Outcome capabilities = Run(Conversion::CompletePrintCapabilities, text);
    EXPECT_EQ(capabilities.hr, S_OK);
    const XmlDoc out(capabilities.after);
    EXPECT_EQ(out.Count("//psf:Feature[@name='psk:JobOutputBin']/psf:Option"), 10'003);
    EXPECT_EQ(out.Text("//psf:Option[@name='ns0000:Center']/psf:ScoredProperty[@name='psk:BinType']/psf:Value"),
              "ns0000:Tray");
    EXPECT_EQ(out.Text("//psf:Option[@name='ns0000:Finisher']/psf:ScoredProperty[@name='psk:BinType']/psf:Value"),
              "psk:Stacker");

    const Outcome back = Run(Conversion::PrintTicketToDevMode, text);
    EXPECT_EQ(back.hr, S_OK);
    EXPECT_EQ(XmlDoc(back.after).Text("//psf:Feature[@name='psk:JobOutputBin']/psf:Option[1]/@name"),
              "ns0000:Finisher");
}

TEST_F(HostileDocuments, FeaturesNestedPastTheDepthBoundAreRefusedAtLoad) {
    std::string reason;
    EXPECT_FALSE(TryLoad(hostile::DeepFeatures(kHugeCount), 256, &reason));
    EXPECT_NE(reason.find("MaxElementDepth"), std::string::npos) << reason;
    EXPECT_FALSE(TryLoad(hostile::DeepFeatures(hostile::kDeepestUnderDefaultBound + 1), 256, nullptr));
    ComPtr<IXMLDOMDocument2> deepest = TryLoad(hostile::DeepFeatures(hostile::kDeepestUnderDefaultBound));
    ASSERT_TRUE(deepest);
    DriverSession session;
    EXPECT_EQ(Run(session, Conversion::DevModeToPrintTicket, deepest.get()).hr, S_OK);
}

TEST_F(HostileDocuments, FeaturesNestedHundredThousandDeepWhereTheBoundIsLifted) {
    // Parsed, converted both ways, serialized and freed on a small stack: nothing may recurse
    // once per level, neither the plug-in nor the stand-in.
    RunOnSmallStack([this] {
        DriverSession session;
        ComPtr<IXMLDOMDocument2> document = TryLoad(hostile::DeepFeatures(kHugeCount), 0, nullptr);
        ASSERT_TRUE(document) << "the stand-in does not load the nested document";
        const Outcome toTicket = Run(session, Conversion::DevModeToPrintTicket, document.get());
        EXPECT_EQ(toTicket.hr, S_OK);
        const Outcome back = Run(session, Conversion::PrintTicketToDevMode, document.get());
        EXPECT_EQ(back.hr, S_OK);
        const XmlDoc out(back.after);
        EXPECT_EQ(out.Text("/psf:PrintTicket/psf:Feature[last()]/@name"), "ns0000:JobPresentationDirection");
    });
}

}  // namespace
}  // namespace reliability
