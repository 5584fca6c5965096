// The diff that --diff prints: exact hunks for small edits, for any pair of texts a diff that,
// applied to the first, gives the second, and documents laid out so that layout is no edit.
#include <pthost/unified_diff.h>
#include <pthost/xml_lines.h>

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using pthost::UnifiedDiff;

std::string Lines(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

// Applies a unified diff to `before`; the result, or "<bad diff>" when a hunk does not fit.
std::string Apply(const std::string& before, const std::string& diff) {
    std::vector<std::string> lines;
    std::istringstream in(before);
    for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
    if (!before.empty() && before.back() != '\n') lines.back().pop_back();

    std::vector<std::string> out;
    size_t next = 0;
    std::istringstream patch(diff);
    std::string line;
    char lastSign = ' ';
    std::getline(patch, line);  // ---
    std::getline(patch, line);  // +++
    while (std::getline(patch, line)) {
        if (line.rfind("@@ -", 0) == 0) {
            size_t start = std::stoul(line.substr(4));
            const size_t comma = line.find(',');
            const bool empty = comma < line.find(' ', 4) && std::stoul(line.substr(comma + 1)) == 0;
            if (!empty) --start;
            if (start < next) return "<bad diff>";
            while (next < start) out.push_back(lines[next++]);
        } else if (line == "\\ No newline at end of file") {
            if (lastSign != '-' && !out.empty() && out.back().back() == '\n') out.back().pop_back();
            continue;
        } else if (line[0] == ' ' || line[0] == '-') {
            if (next >= lines.size() || lines[next].substr(0, lines[next].find('\n')) != line.substr(1)) {
                return "<bad diff>";
            }
            if (line[0] == ' ') out.push_back(lines[next]);
            ++next;
        } else if (line[0] == '+') {
            out.push_back(line.substr(1) + "\n");
        }
        lastSign = line[0];
    }
    while (next < lines.size()) out.push_back(lines[next++]);
    std::string result;
    for (const std::string& piece : out) result += piece;
    return result;
}

TEST(UnifiedDiff, EqualTextsGiveNothing) {
    EXPECT_EQ(UnifiedDiff("", ""), "");
    EXPECT_EQ(UnifiedDiff(Lines(1, 20), Lines(1, 20)), "");
}

TEST(UnifiedDiff, OneChangedLineWithThreeLinesAround) {
    std::string after = Lines(1, 10);
    after.replace(after.find("line 5\n"), 7, "line five\n");
    EXPECT_EQ(UnifiedDiff(Lines(1, 10), after),
              "--- before\n+++ after\n"
              "@@ -2,7 +2,7 @@\n line 2\n line 3\n line 4\n-line 5\n+line five\n line 6\n line 7\n line 8\n");
}

TEST(UnifiedDiff, ChangesFarApartMakeTwoHunksAndCloseOnesOne) {
    const std::string far = Lines(1, 1) + "x\n" + Lines(3, 19) + "y\n";
    EXPECT_EQ(UnifiedDiff(Lines(1, 20), far),
              "--- before\n+++ after\n"
              "@@ -1,5 +1,5 @@\n line 1\n-line 2\n+x\n line 3\n line 4\n line 5\n"
              "@@ -17,4 +17,4 @@\n line 17\n line 18\n line 19\n-line 20\n+y\n");
    const std::string close = Lines(1, 3) + Lines(5, 10) + "inserted\n" + Lines(11, 12);
    EXPECT_EQ(UnifiedDiff(Lines(1, 12), close),
              "--- before\n+++ after\n"
              "@@ -1,12 +1,12 @@\n line 1\n line 2\n line 3\n-line 4\n line 5\n line 6\n line 7\n line 8\n"
              " line 9\n line 10\n+inserted\n line 11\n line 12\n");
}

TEST(UnifiedDiff, EmptySidesAndMissingLastLineBreak) {
    EXPECT_EQ(UnifiedDiff("", "a\n"), "--- before\n+++ after\n@@ -0,0 +1 @@\n+a\n");
    EXPECT_EQ(UnifiedDiff("a\nb\n", "a\nb", "x", "y"),
              "--- x\n+++ y\n@@ -1,2 +1,2 @@\n a\n-b\n+b\n\\ No newline at end of file\n");
}

TEST(UnifiedDiff, AnyDiffAppliedToTheFirstTextGivesTheSecond) {
    std::mt19937 random(21);
    const auto text = [&](int count, int alphabet) {
        std::string result;
        for (int i = 0; i < count; ++i) result += std::string(1, static_cast<char>('a' + random() % alphabet)) + "\n";
        if (random() % 4 == 0 && !result.empty()) result.pop_back();
        return result;
    };
    for (int round = 0; round < 300; ++round) {
        const std::string before = text(static_cast<int>(random() % 40), 4);
        const std::string after = text(static_cast<int>(random() % 40), 4);
        const std::string diff = UnifiedDiff(before, after);
        ASSERT_EQ(diff.empty(), before == after);
        if (!diff.empty()) {
            ASSERT_EQ(Apply(before, diff), after) << before << "\n---\n" << after << "\n---\n" << diff;
        }
    }
    // Texts too different to search for the shortest edit are still a correct diff.
    const std::string before = text(3000, 26);
    const std::string after = text(3000, 26);
    EXPECT_EQ(Apply(before, UnifiedDiff(before, after)), after);
}

TEST(OneElementPerLine, LaysOutTagsByDepthKeepingTextElementsWholeAndMarkupIntact) {
    const std::string oneLine =
        "<?xml version=\"1.0\"?><r a='x>y'><!-- c > d --><f n=\"1\"><v>text</v><e/></f>"
        "<t><![CDATA[<raw>]]></t></r>";
    EXPECT_EQ(pthost::OneElementPerLine(oneLine),
              "<?xml version=\"1.0\"?>\n<r a='x>y'>\n  <!-- c > d -->\n  <f n=\"1\">\n    <v>text</v>\n    <e/>\n"
              "  </f>\n  <t><![CDATA[<raw>]]></t>\n</r>\n");
    const std::string indented =
        "<?xml version=\"1.0\"?>\n<r a='x>y'>\n <!-- c > d -->\n\t<f n=\"1\">\n"
        "<v>text</v>   <e/></f><t><![CDATA[<raw>]]></t>\n</r>\n";
    EXPECT_EQ(UnifiedDiff(pthost::OneElementPerLine(oneLine), pthost::OneElementPerLine(indented)), "");
}

}  // namespace
