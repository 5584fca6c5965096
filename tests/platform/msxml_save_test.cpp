// IXMLDOMDocument::save to a file: the declaration and encoding MSXML writes, the edits and
// namespaces of the tree, and the failures a file can give.
#include "msxml_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using qp::ComPtr;
using qp::Variant;

namespace msxmltest {
namespace {

using qptest::XmlDoc;

constexpr const char* kUtf8Body =
    "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " version=\"1\"><psf:Feature name=\"Bac \xC3\xA0 papier \xE2\x98\x83\"/></psf:PrintTicket>\n";
constexpr const char* kFeatureName = "Bac \xC3\xA0 papier \xE2\x98\x83";

class SaveTest : public MsxmlTest {
protected:
    void TearDown() override {
        std::filesystem::remove_all(directory_);
        MsxmlTest::TearDown();
    }

    std::string PathOf(const std::string& name) const { return (directory_ / name).string(); }

    static void SetPath(Variant& value, const std::string& path) {
        value.get().vt = VT_BSTR;
        value.get().bstrVal = B(path).detach();
    }

    // Loads `bytes` from a file, as pthost does.
    ComPtr<IXMLDOMDocument2> LoadFile(const std::string& bytes) {
        const std::string path = PathOf("in.xml");
        std::ofstream(path, std::ios::binary) << bytes;
        ComPtr<IXMLDOMDocument2> doc = NewDocument();
        Variant source;
        SetPath(source, path);
        VARIANT_BOOL ok = VARIANT_FALSE;
        EXPECT_EQ(doc->load(source.get(), &ok), S_OK);
        return doc;
    }

    static HRESULT Save(IXMLDOMDocument2* doc, const std::string& path) {
        Variant destination;
        SetPath(destination, path);
        return doc->save(destination.get());
    }

    static std::string Read(const std::string& path) {
        std::stringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

private:
    std::filesystem::path directory_ = [] {
        std::filesystem::path made = std::filesystem::path(::testing::TempDir()) / "msxml_save_XXXXXX";
        std::string pattern = made.string();
        return std::filesystem::path(mkdtemp(pattern.data()));
    }();
};

struct EncodingCase {
    const char* name;
    std::string input;
    std::string declared;  // the encoding the saved declaration must name
    std::string start;     // the saved file's first bytes
    bool declaration;      // whether the input opens with a declaration, which the xml property keeps
};

TEST_F(SaveTest, AFileIsWrittenInTheEncodingItsDeclarationNamedAndSaysSo) {
    const std::string utf8Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const EncodingCase cases[] = {
        {"UTF-8 declared", utf8Declaration + kUtf8Body, "UTF-8", utf8Declaration, true},
        {"UTF-8, no encoding", std::string("<?xml version=\"1.0\"?>\n") + kUtf8Body, "UTF-8", utf8Declaration, true},
        {"UTF-8, no declaration", kUtf8Body, "UTF-8", utf8Declaration, false},
        {"UTF-16 declared", qptest::Utf16LeWithBom(std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n") + kUtf8Body),
         "UTF-16", qptest::Utf16LeWithBom("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"), true},
        {"UTF-16, no declaration", qptest::Utf16LeWithBom(kUtf8Body), "UTF-8", utf8Declaration, false},
    };
    for (const EncodingCase& c : cases) {
        ComPtr<IXMLDOMDocument2> doc = LoadFile(c.input);
        const std::string out = PathOf("out.xml");
        ASSERT_EQ(Save(doc.get(), out), S_OK) << c.name;
        const std::string saved = Read(out);
        EXPECT_EQ(saved.substr(0, c.start.size()), c.start) << c.name;
        XmlDoc reparsed(saved, XmlDoc::Encoding::AsDeclared);
        ASSERT_TRUE(reparsed.valid()) << c.name << ": " << reparsed.error();
        EXPECT_EQ(reparsed.DeclaredEncoding(), c.declared) << c.name;
        EXPECT_EQ(reparsed.Text("/psf:PrintTicket[@version='1']/psf:Feature/@name"), kFeatureName) << c.name;
        EXPECT_EQ(Xml(doc.get()).rfind("<?xml version=\"1.0\"?>", 0) == 0, c.declaration) << c.name;
    }

    // A declared single-byte encoding is kept too: é is one byte, the snowman a character reference.
    ComPtr<IXMLDOMDocument2> latin1 = LoadFile("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>");
    ASSERT_EQ(Save(latin1.get(), PathOf("latin1.xml")), S_OK);
    const std::string saved = Read(PathOf("latin1.xml"));
    EXPECT_NE(saved.find("<a>caf\xE9</a>"), std::string::npos) << saved;
    EXPECT_EQ(XmlDoc(saved, XmlDoc::Encoding::AsDeclared).DeclaredEncoding(), "ISO-8859-1");
}

TEST_F(SaveTest, TheEditedTreeIsSavedWithTheDeclarationsItNeedsAndItsStandalone) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument(
        "<?xml version=\"1.0\" standalone=\"yes\"?><psf:PrintTicket xmlns:psf=\"" + std::string(kPsf) + "\"/>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMNode> feature = Create(doc.get(), NODE_ELEMENT, "psk:Feature", kPsk);
    ComPtr<IXMLDOMElement> root = Root(doc.get());
    ASSERT_EQ(root->appendChild(feature.get(), nullptr), S_OK);
    ASSERT_EQ(Save(doc.get(), PathOf("edited.xml")), S_OK);
    const std::string saved = Read(PathOf("edited.xml"));
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n", 0), 0u) << saved;
    XmlDoc reparsed(saved, XmlDoc::Encoding::AsDeclared);
    ASSERT_TRUE(reparsed.valid()) << reparsed.error();
    EXPECT_EQ(reparsed.Count("/psf:PrintTicket/psk:Feature"), 1) << saved;
    EXPECT_EQ(Xml(doc.get()).rfind("<?xml version=\"1.0\" standalone=\"yes\"?>", 0), 0u)
        << "the xml property still names no encoding";
}

TEST_F(SaveTest, DestinationsThatAreNotFilesAndFilesThatCannotBeWrittenFail) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument(kUtf8Body);
    ASSERT_TRUE(doc);
    Variant number = Variant::Int32(1);
    EXPECT_EQ(doc->save(number.get()), E_INVALIDARG);
    Variant stream;
    stream.get().vt = VT_UNKNOWN;
    stream.get().punkVal = nullptr;
    EXPECT_EQ(doc->save(stream.get()), E_NOTIMPL);
    EXPECT_EQ(Save(doc.get(), ""), E_INVALIDARG);

    EXPECT_EQ(Save(doc.get(), PathOf("")), E_ACCESSDENIED) << "a directory";
    EXPECT_EQ(Save(doc.get(), PathOf("absent/out.xml")), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(std::filesystem::exists(PathOf("absent")));
    EXPECT_EQ(Save(doc.get(), "/dev/full"), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
    EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is never removed";
}

// The xml property and save write one document the same way, however large its text.
TEST_F(SaveTest, ALargeTextValueIsWrittenWhole) {
    const std::string value(3 << 20, 'x');
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<a>" + value + "\xC3\xA9</a>");
    ASSERT_TRUE(doc);
    ASSERT_EQ(Save(doc.get(), PathOf("large.xml")), S_OK);
    EXPECT_EQ(XmlDoc(Read(PathOf("large.xml")), XmlDoc::Encoding::AsDeclared).Text("/a"), value + "\xC3\xA9");
    EXPECT_EQ(XmlDoc(Xml(doc.get())).Text("/a"), value + "\xC3\xA9");
}

}  // namespace
}  // namespace msxmltest
