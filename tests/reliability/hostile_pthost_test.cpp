// The hostile documents through pthost, as a driver developer would feed them: every command
// ends with the exit status its result defines, one-line errors that name the file, and output
// that parses again. In the sanitizer build pthost itself runs instrumented, so a leak or a
// memory error on these paths fails here too.
#include "hostile_documents.h"
#include "pthost/pthost_runner.h"
#include "reliability_support.h"
#include "support/xml_assert.h"

#include <filesystem>

namespace reliability {
namespace {

using pthosttest::Outcome;
using qptest::XmlDoc;


// Exit statuses for to-ticket, to-devmode and capabilities, in that order.
struct Expected {
    int toTicket;
    int toDevMode;
    int capabilities;
    int For(Conversion c) const {
        return c == Conversion::DevModeToPrintTicket ? toTicket
               : c == Conversion::PrintTicketToDevMode ? toDevMode
                                                       : capabilities;
    }
};

inline constexpr Expected kConverts{0, 0, 0};
inline constexpr Expected kNoNamesToForm{1, 0, 1};
inline constexpr Expected kRefused{2, 2, 2};

class HostilePthost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(QP_BIN_DIR) + "/pthost")) GTEST_SKIP() << "pthost is not built";
    }

    // Runs every command on `text` and checks statuses, messages and output; returns the
    // output of to-ticket.
    std::string RunAll(const std::string& name, const std::string& text, const Expected& expected) {
        const std::string path = pthosttest::ScratchFile(name, text);
        std::string ticket;
        for (const Conversion conversion : kAllConversions) {
            SCOPED_TRACE(std::string(name) + " " + PthostCommand(conversion));
            const Outcome run = pthosttest::Pthost({PthostCommand(conversion), "--option", "PunchHole=3Holes", path});
            ExpectClean(run);
            EXPECT_EQ(run.status, expected.For(conversion)) << run.err;
            if (run.status == 2) {
                EXPECT_NE(run.err.find(name), std::string::npos) << "the message does not name the file: " << run.err;
                EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "not one line: " << run.err;
                continue;
            }
            const XmlDoc out(run.out);
            EXPECT_TRUE(out.valid()) << out.error();
            if (run.status == 1) {
                EXPECT_NE(run.err.find(std::string(MethodName(conversion)) + " returned 0x80004005 (E_FAIL)"),
                          std::string::npos)
                    << run.err;
            }
            if (conversion == Conversion::DevModeToPrintTicket) ticket = run.out;
        }
        return ticket;
    }

    static void ExpectClean(const Outcome& run) {
        EXPECT_NE(run.status, -1) << "pthost died by a signal: " << run.err;
        EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("runtime error:"), std::string::npos) << run.err;
    }
};

TEST_F(HostilePthost, DocumentsWithoutARootAreRefused) {
    RunAll("empty.xml", "", kRefused);
    RunAll("prolog-only.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", kRefused);
    RunAll("comment-only.xml", "<!-- no element -->\n", kRefused);
}

TEST_F(HostilePthost, EntityTricksAreRefusedWithoutReadingAnything) {
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE t [<!ENTITY l0 \"ha\">";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"" + std::string(10, '&') + "\">";
        std::string refs;
        for (int j = 0; j < 10; ++j) refs += "&l" + std::to_string(i - 1) + ";";
        laughs.replace(laughs.rfind(std::string(10, '&')), 10, refs);
    }
    laughs += "]>\n<t>&l9;</t>\n";
    const std::string external = "<?xml version=\"1.0\"?>\n<!DOCTYPE t [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
                                 "<t>&x;</t>\n";
    for (const auto& [name, text] : {std::pair{"laughs.xml", laughs}, std::pair{"external.xml", external}}) {
        const std::string path = pthosttest::ScratchFile(name, text);
        const Outcome run = pthosttest::Pthost({"to-devmode", path});
        ExpectClean(run);
        EXPECT_EQ(run.status, 2) << name << ": " << run.err;
        EXPECT_EQ(run.out.find("root:"), std::string::npos) << "an external entity was read";
        EXPECT_LT(run.out.size(), 4096u) << name;
    }
}

TEST_F(HostilePthost, MissingOrMisplacedNamespaceDeclarations) {
    RunAll("no-namespaces.xml", hostile::RootWithoutNamespaces(), kNoNamesToForm);
    hostile::Prefixes p;
    p.priv.clear();
    RunAll("private-unbound.xml", hostile::Ticket(p), kNoNamesToForm);
    p = {};
    p.psk.clear();
    RunAll("psk-unbound.xml", hostile::Ticket(p), kNoNamesToForm);
    p = {};
    p.pskInnerOnly = true;
    RunAll("psk-inner.xml", hostile::Ticket(p), kNoNamesToForm);
    p = {};
    p.privInnerOnly = true;
    RunAll("private-inner.xml", hostile::Ticket(p), kNoNamesToForm);
}

TEST_F(HostilePthost, NamespaceBoundTwice) {
    hostile::Prefixes psk;
    psk.pskSecond = "k2";
    hostile::Prefixes priv;
    priv.privSecond = "p2";
    for (const auto& [name, prefixes] : {std::pair{"psk-twice.xml", psk}, std::pair{"private-twice.xml", priv}}) {
        const std::string path = pthosttest::ScratchFile(name, hostile::Ticket(prefixes));
        const Outcome run = pthosttest::Pthost({"to-ticket", "--option", "PunchHole=2Holes", path});
        ExpectClean(run);
        EXPECT_TRUE(run.status == 0 || run.status == 1) << run.err;
        EXPECT_TRUE(XmlDoc(run.out).valid()) << name;
    }
}

TEST_F(HostilePthost, LongNamesAndValues) {
    for (const size_t length : {size_t{9'999}, size_t{10'000}, size_t{50'000}}) {
        const std::string ticket = RunAll("long-" + std::to_string(length) + ".xml", hostile::LongNames(length),
                                          length < 10'000 ? kConverts : kNoNamesToForm);
        if (length < 10'000) {
            EXPECT_EQ(XmlDoc(ticket).Count("//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature"), 1);
        }
    }
}

TEST_F(HostilePthost, EscapedCharactersAndSurrogatePairs) {
    const std::string ticket = RunAll("escaped.xml", hostile::EscapedAndAstral(), kConverts);
    const XmlDoc out(ticket);
    const std::string psk = hostile::kAstralPrefix;
    EXPECT_EQ(out.Text("//psf:Feature[@name='" + psk + ":PresentationDirection']/psf:Option/@note"),
              hostile::kEscapedText);
    EXPECT_EQ(out.Text("/psf:PrintTicket/@note"), hostile::kEscapedText);
}

TEST_F(HostilePthost, LargeDocuments) {
    const std::string many = RunAll("many-features.xml", hostile::Ticket({}, kHugeCount), kConverts);
    EXPECT_EQ(XmlDoc(many).Count("/psf:PrintTicket/psf:Feature"), static_cast<int>(kHugeCount) + 3);
    const std::string bins = RunAll("many-bins.xml", hostile::ManyOutputBinOptions(10'000), kConverts);
    EXPECT_EQ(XmlDoc(bins).Count("//psf:ScoredProperty[@name='psk:BinType']"), 3);
}

TEST_F(HostilePthost, FeaturesNestedPastTheDepthBoundAreRefusedWithTheirPosition) {
    const std::string path = pthosttest::ScratchFile("deep.xml", hostile::DeepFeatures(kHugeCount));
    const Outcome run = pthosttest::Pthost({"to-ticket", path});
    ExpectClean(run);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("deep.xml:"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("MaxElementDepth"), std::string::npos) << run.err;

    const std::string deepest = RunAll("deepest.xml", hostile::DeepFeatures(hostile::kDeepestUnderDefaultBound), kConverts);
    EXPECT_EQ(XmlDoc(deepest).Count("//psf:Feature[@name='psk:PresentationDirection']"), 1);
}

}  // namespace
}  // namespace reliability
