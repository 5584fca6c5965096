// A text file of [sections] holding KEY=VALUE entries and bare lines, as the core driver's plug-in
// configuration file (.ini) and a driver's INF are written. Comment lines and the blank lines
// are dropped; every entry keeps its line number for findings.
#pragma once

#include <string>
#include <vector>

namespace package {

struct SectionLine {
    std::string key;    // before '=', trimmed; empty for a bare line (a file list's entry)
    std::string value;  // after '=', trimmed; the whole line for a bare line
    std::string text;   // the line as written, comment removed
    int line = 0;
    bool HasKey() const { return !key.empty(); }
};

struct Section {
    std::string name;  // as written between the brackets
    int line = 0;
    std::vector<SectionLine> lines;

    // The first entry whose key equals `key`, letter case ignored; null when there is none.
    const SectionLine* Find(const std::string& key) const;
};

class SectionedFile {
public:
    // What starts a comment: `;` in an INF, where it may also follow an entry (outside quotes);
    // `#` (and `;`) at the start of a line in a plug-in configuration file.
    enum class Syntax { Inf, Ini };

    // Reads the file at `path` (UTF-8, or UTF-16 with a byte-order mark). False with
    // "FILE: reason" when it cannot be read or decoded.
    static bool Read(const std::string& path, Syntax syntax, SectionedFile& file, std::string& error);
    // The same for text already read; `name` names it in findings.
    static bool Parse(const std::string& name, const std::string& bytes, Syntax syntax, SectionedFile& file,
                      std::string& error);

    const std::string& Name() const { return name_; }
    const std::vector<Section>& Sections() const { return sections_; }
    // The first section named `name`, letter case ignored; null when there is none.
    const Section* Find(const std::string& name) const;
    // Lines before the first section header (KEY=VALUE or bare), which neither format expects.
    const std::vector<SectionLine>& Stray() const { return stray_; }

private:
    std::string name_;
    std::vector<Section> sections_;
    std::vector<SectionLine> stray_;
};

// Whether the two names are equal, ASCII letter case ignored (as Windows compares section
// names, keys and file names).
bool SameName(const std::string& a, const std::string& b);
// The last component of a path written with '/' or '\'.
std::string FileNameOf(const std::string& path);
// The comma-separated fields of an INF value, each trimmed and unquoted.
std::vector<std::string> SplitFields(const std::string& value);

}  // namespace package
