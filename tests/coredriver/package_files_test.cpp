// The package's own files as the check reads them: the plug-in configuration file and the INF.
#include "support/ledger_check.h"

#include <package/package_check.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using package::Finding;
using package::SectionedFile;

SectionedFile Parsed(const std::string& name, const std::string& bytes, SectionedFile::Syntax syntax) {
    SectionedFile file;
    std::string error;
    EXPECT_TRUE(SectionedFile::Parse(name, bytes, syntax, file, error)) << error;
    return file;
}

std::vector<std::string> Texts(const std::vector<Finding>& findings) {
    std::vector<std::string> texts;
    for (const Finding& finding : findings) texts.push_back(finding.Text());
    return texts;
}

std::string Utf16Le(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

TEST(PackageFiles, AUnicodeConfigurationFileReadsAsItsAsciiTwin) {
    const std::string text = "# comment\r\n[OEMFiles]\r\nOEMConfigFile1=qpplugin.dll\r\n";
    for (const std::string& bytes : {text, Utf16Le(text), "\xEF\xBB\xBF" + text}) {
        const SectionedFile ini = Parsed("q.ini", bytes, SectionedFile::Syntax::Ini);
        ASSERT_NE(ini.Find("oemfiles"), nullptr);
        EXPECT_EQ(ini.Find("OEMFiles")->line, 2);
        EXPECT_EQ(ini.Find("OEMFiles")->Find("oemconfigfile1")->value, "qpplugin.dll");
        EXPECT_TRUE(package::CheckIni(ini).empty()) << Texts(package::CheckIni(ini)).front();
    }
    SectionedFile odd;
    std::string error;
    EXPECT_FALSE(SectionedFile::Parse("odd.ini", Utf16Le(text) + "x", SectionedFile::Syntax::Ini, odd, error));
    EXPECT_EQ(error, "odd.ini: UTF-16 text with an odd number of bytes");
}

TEST(PackageFiles, AnEmptyFileIsReadAndAnAbsentOneIsNot) {
    const std::string empty = testing::TempDir() + "package-files-empty.ini";
    std::ofstream(empty, std::ios::binary).close();
    SectionedFile ini;
    std::string error;
    ASSERT_TRUE(SectionedFile::Read(empty, SectionedFile::Syntax::Ini, ini, error)) << error;
    EXPECT_EQ(Texts(package::CheckIni(ini)), std::vector<std::string>{empty + ":1: no [OEMFiles] section: the core "
                                                                          "driver does not load the plug-in: no ticket "
                                                                          "or capabilities document is edited"});
    EXPECT_FALSE(SectionedFile::Read(empty + ".absent", SectionedFile::Syntax::Ini, ini, error));
    EXPECT_EQ(error, empty + ".absent: cannot read");
}

TEST(PackageFiles, InfCommentsEndAtSemicolonsOutsideQuotesAndQuotedListsSplitWhole) {
    const SectionedFile inf = Parsed("q.inf",
                                     "[S] ; header comment\n"
                                     "CoreDriverSections=\"{A},X.OEM,Y\",\"{B},Z;W\" ; tail\n"
                                     "Name=\"a;b\"\n",
                                     SectionedFile::Syntax::Inf);
    const package::Section* section = inf.Find("S");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(package::SplitFields(section->Find("CoreDriverSections")->value),
              (std::vector<std::string>{"{A},X.OEM,Y", "{B},Z;W"}));
    EXPECT_EQ(section->Find("Name")->value, "\"a;b\"");
}

TEST(PackageFiles, TheConfigurationFileNamesThePluginOnceNumberedFromOneWithoutBlanksOrPaths) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[OEMFiles]\nOEMConfigFile2=qpplugin.dll\n", "q.ini:2: OEMConfigFile2 where OEMConfigFile1 is due"},
        {"[OEMFiles]\nOEMConfigFile1 = qpplugin.dll\n", "q.ini:2: blanks around '='"},
        {"[OEMFiles]\nOEMConfigFile1=C:\\drv\\qpplugin.dll\n", "q.ini:2: OEMConfigFile1 names a path"},
        {"[OEMFiles]\nOEMDriverFile1=qpplugin.dll\n", "q.ini:2: names qpplugin.dll as a rendering plug-in"},
        {"[OEMFiles]\nOEMConfigFile1=other.dll\n", "q.ini:1: [OEMFiles] has no OEMConfigFileN=qpplugin.dll"},
        {"# [OEMFiles]\nOEMConfigFile1=qpplugin.dll\n", "q.ini:1: no [OEMFiles] section"},
    };
    for (const auto& [text, expected] : cases) {
        const std::vector<std::string> found = Texts(package::CheckIni(Parsed("q.ini", text, SectionedFile::Syntax::Ini)));
        ASSERT_FALSE(found.empty()) << text;
        EXPECT_EQ(found.front().rfind(expected, 0), 0u) << text << "\n" << found.front();
    }
}

}  // namespace
