// Loads that must not pass over what they could not read: a NUL character after the root
// element, memory running out. And the module's process keeps its standard error to itself:
// nothing libxml2 has to say reaches it.
#include "msxml_fixture.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace msxmltest {
namespace {

// Everything written to file descriptor 2 while it lives.
class CapturedStandardError {
public:
    CapturedStandardError() : file_(std::tmpfile()), saved_(dup(2)) {
        std::fflush(stderr);
        dup2(fileno(file_), 2);
    }
    ~CapturedStandardError() {
        Restore();
        std::fclose(file_);
    }
    CapturedStandardError(const CapturedStandardError&) = delete;
    CapturedStandardError& operator=(const CapturedStandardError&) = delete;

    std::string Text() {
        Restore();
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
        return text;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_;
};

class QuietLoadTest : public MsxmlTest {
protected:
    // load() of a file holding `bytes`; the result, and the parse error's reason.
    static HRESULT LoadFile(IXMLDOMDocument2* doc, const std::string& bytes, std::string& reason) {
        // One file per case: ctest runs the cases of this suite in parallel.
        const std::string path = ::testing::TempDir() + "quiet-load-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml";
        std::ofstream(path, std::ios::binary) << bytes;
        Variant source;
        source.get().vt = VT_BSTR;
        source.get().bstrVal = SysAllocString(qptest::Utf16(path).c_str());
        VARIANT_BOOL loaded = VARIANT_TRUE;
        const HRESULT hr = doc->load(source.get(), &loaded);
        std::remove(path.c_str());
        EXPECT_EQ(loaded == VARIANT_TRUE, hr == S_OK);
        ComPtr<IXMLDOMParseError> error;
        Bstr said;
        if (doc->get_parseError(error.put()) == S_OK && error->get_reason(said.put()) == S_OK && said) {
            reason = qptest::Utf8(said.get());
        }
        return hr;
    }
};

TEST_F(QuietLoadTest, AFileWithANulAndMoreMarkupAfterTheRootIsRefused) {
    const std::string utf16Nul = std::string("\xFF\xFE<\0a\0/\0>\0\0\0<\0b\0/\0>\0", 20);
    for (const std::string& bytes : {std::string("<a/>\0<b/>", 9), std::string("<a/>\n\0garbage", 13), utf16Nul}) {
        ComPtr<IXMLDOMDocument2> doc = NewDocument();
        std::string reason;
        EXPECT_EQ(LoadFile(doc.get(), bytes, reason), S_FALSE) << bytes.size() << " bytes";
        EXPECT_NE(reason.find("NUL"), std::string::npos) << reason;
        ComPtr<IXMLDOMElement> root;
        EXPECT_EQ(doc->get_documentElement(root.put()), S_FALSE) << "the part before the NUL was kept";
    }
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    std::string reason;
    EXPECT_EQ(LoadFile(doc.get(), "<a/>\n", reason), S_OK) << reason;
}

// A file is parsed as it is read, a block at a time: what follows the root element far past the
// first block is still seen, and a long tail of what XML allows there is not taken for more.
TEST_F(QuietLoadTest, WhatFollowsTheRootFarIntoTheFileIsReadToItsEnd) {
    const std::string far(100'000, ' ');
    for (const std::string& bytes : {"<a/>" + far + std::string("\0<b/>", 5), "<a/>" + std::string(1, '\0') + far + "<b/>"}) {
        ComPtr<IXMLDOMDocument2> doc = NewDocument();
        std::string reason;
        EXPECT_EQ(LoadFile(doc.get(), bytes, reason), S_FALSE) << bytes.size() << " bytes";
        EXPECT_NE(reason.find("NUL"), std::string::npos) << reason;
    }
    std::string tail;
    for (int i = 0; i < 20'000; ++i) tail += "<!-- c --><?p i?>\n";
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    std::string reason;
    EXPECT_EQ(LoadFile(doc.get(), "<a/>" + far + tail + far, reason), S_OK) << reason;
    EXPECT_EQ(LoadFile(doc.get(), "<a>" + far + "</a", reason), S_FALSE) << "a root cut short at the end";
}

// MaxXMLSize counts a file's characters as they are read, and fails where loadXML fails the same
// text: at its first character past the bound, with the line it is on.
TEST_F(QuietLoadTest, AFilePastMaxXmlSizeFailsWhereTheSameTextFailsInMemory) {
    const std::string line = std::string(99, 'x') + "\u00e9\n";  // 100 characters, 101 bytes
    std::string body;
    for (int i = 0; i < 2'000; ++i) body += line;
    const std::string text = "<r>\n" + body + "</r>\n";
    const auto failure = [&](bool fromFile, const std::string& bytes) {
        ComPtr<IXMLDOMDocument2> doc = NewDocument();
        Bstr name = B("MaxXMLSize");
        Variant limit = Variant::Int32(64);  // 65,536 characters: within the first tenth of the text
        EXPECT_EQ(doc->setProperty(name.get(), limit.get()), S_OK);
        std::string reason;
        VARIANT_BOOL loaded = VARIANT_TRUE;
        const Bstr xml = B(bytes);
        const HRESULT hr = fromFile ? LoadFile(doc.get(), bytes, reason) : doc->loadXML(xml.get(), &loaded);
        ComPtr<IXMLDOMParseError> error;
        LONG lineNumber = 0;
        LONG column = 0;
        Bstr sourceText;
        EXPECT_EQ(doc->get_parseError(error.put()), S_OK);
        error->get_line(&lineNumber);
        error->get_linepos(&column);
        error->get_srcText(sourceText.put());
        return std::to_string(hr) + " " + std::to_string(lineNumber) + ":" + std::to_string(column) + " " +
               (sourceText ? qptest::Utf8(sourceText.get()) : std::string());
    };
    const std::string inMemory = failure(false, text);
    EXPECT_EQ(inMemory.rfind(std::to_string(S_FALSE) + " 650:85 ", 0), 0u) << inMemory.substr(0, 40);
    EXPECT_EQ(failure(true, text), inMemory);
    const std::string fits = "<r>" + std::string(65'000, 'x') + "</r>";
    EXPECT_EQ(failure(true, fits).rfind(std::to_string(S_OK), 0), 0u);
}

TEST_F(QuietLoadTest, AFileThatCannotBeReadOrRunsOutOfMemoryFailsCleanly) {
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    Variant directory;
    directory.get().vt = VT_BSTR;
    directory.get().bstrVal = SysAllocString(qptest::Utf16(::testing::TempDir()).c_str());
    VARIANT_BOOL loaded = VARIANT_TRUE;
    EXPECT_EQ(doc->load(directory.get(), &loaded), S_FALSE) << "a directory opens but cannot be read";
    ComPtr<IXMLDOMParseError> error;
    Bstr reason;
    ASSERT_EQ(doc->get_parseError(error.put()), S_OK);
    error->get_reason(reason.put());
    EXPECT_EQ(qptest::Utf8(reason.get()), "cannot read the file");

    std::string text = "<r xmlns:p='urn:p'>";
    for (int i = 0; i < 2'000; ++i) text += "<p:a x='1'>text</p:a>";
    const std::string path = ::testing::TempDir() + "quiet-load-sweep.xml";
    std::ofstream(path, std::ios::binary) << text + "</r>";
    Variant file;
    file.get().vt = VT_BSTR;
    file.get().bstrVal = SysAllocString(qptest::Utf16(path).c_str());
    PortableFaultResetCount();
    ASSERT_EQ(doc->load(file.get(), &loaded), S_OK);
    const uint64_t points = PortableFaultAllocationCount();
    uint64_t outOfMemory = 0;
    for (uint64_t n = 1; n <= points; n += 1 + points / 200) {
        PortableFaultArm(n);
        const HRESULT hr = doc->load(file.get(), &loaded);
        PortableFaultDisarm();
        EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << n << ": " << std::hex << hr;
        outOfMemory += hr == E_OUTOFMEMORY;
    }
    std::remove(path.c_str());
    EXPECT_GT(outOfMemory, 0u);
}

TEST_F(QuietLoadTest, MalformedAndOutOfMemoryLoadsWriteNothingToStandardError) {
    const std::string text = "<r xmlns:p='urn:p'><p:a x='1'>text</p:a><b/><c>more text</c></r>";
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    const Bstr good = B(text);
    const Bstr bad = B("<r><unclosed></r>");
    const Bstr unbound = B("<q:r/>");
    CapturedStandardError captured;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(doc->loadXML(bad.get(), &loaded), S_FALSE);
    EXPECT_EQ(doc->loadXML(unbound.get(), &loaded), S_FALSE);
    PortableFaultResetCount();
    EXPECT_EQ(doc->loadXML(good.get(), &loaded), S_OK);
    const uint64_t points = PortableFaultAllocationCount();
    uint64_t outOfMemory = 0;
    for (uint64_t n = 1; n <= points; ++n) {
        PortableFaultArm(n);
        const HRESULT hr = doc->loadXML(good.get(), &loaded);
        PortableFaultDisarm();
        EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << n;
        outOfMemory += hr == E_OUTOFMEMORY;
    }
    EXPECT_GT(outOfMemory, 0u);
    EXPECT_EQ(captured.Text(), "");
}

}  // namespace
}  // namespace msxmltest
