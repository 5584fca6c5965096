#include <package/sectioned_file.h>

#include <session/text_codec.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace package {
namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

// UTF-16 text after its byte-order mark, as UTF-8.
std::string FromUtf16(const std::string& bytes, bool bigEndian) {
    coredriver::WideString wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        wide.push_back(static_cast<WCHAR>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
    }
    return coredriver::EncodeUtf8(wide.data(), wide.size());
}

// The text as UTF-8: UTF-16 with a byte-order mark decoded, a UTF-8 byte-order mark dropped,
// anything else (ASCII, ANSI) kept as its bytes.
bool Decode(const std::string& bytes, std::string& text) {
    const bool littleEndian = bytes.rfind("\xFF\xFE", 0) == 0;
    const bool bigEndian = bytes.rfind("\xFE\xFF", 0) == 0;
    if (littleEndian || bigEndian) {
        if (bytes.size() % 2 != 0) return false;
        text = FromUtf16(bytes, bigEndian);
    } else {
        text = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    }
    return true;
}

// The line without its comment: an INF's `;` outside quotes anywhere, or a whole line that
// starts with `#` or `;` in a plug-in configuration file.
std::string WithoutComment(const std::string& line, SectionedFile::Syntax syntax) {
    const std::string trimmed = Trimmed(line);
    if (syntax == SectionedFile::Syntax::Ini) {
        return trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';' ? std::string() : trimmed;
    }
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return Trimmed(line.substr(0, i));
    }
    return trimmed;
}

SectionLine MakeLine(const std::string& text, int number) {
    SectionLine line;
    line.text = text;
    line.line = number;
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        line.value = Unquoted(text);
        return line;
    }
    line.key = Trimmed(text.substr(0, equals));
    line.value = Trimmed(text.substr(equals + 1));
    return line;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> SplitFields(const std::string& value) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (const char c : value) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            fields.push_back(Unquoted(Trimmed(field)));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(Unquoted(Trimmed(field)));
    return fields;
}

const SectionLine* Section::Find(const std::string& key) const {
    for (const SectionLine& entry : lines) {
        if (SameName(entry.key, key)) return &entry;
    }
    return nullptr;
}

const Section* SectionedFile::Find(const std::string& sectionName) const {
    for (const Section& section : sections_) {
        if (SameName(section.name, sectionName)) return &section;
    }
    return nullptr;
}

bool SectionedFile::Read(const std::string& path, Syntax syntax, SectionedFile& file, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    // An empty file is read whole; inserting its empty buffer would count as a failure.
    if (in && in.peek() != std::ifstream::traits_type::eof()) bytes << in.rdbuf();
    if (!in.is_open() || in.bad() || (in.fail() && !in.eof())) {
        error = path + ": cannot read";
        return false;
    }
    return Parse(path, bytes.str(), syntax, file, error);
}

bool SectionedFile::Parse(const std::string& name, const std::string& bytes, Syntax syntax, SectionedFile& file,
                          std::string& error) {
    std::string text;
    if (!Decode(bytes, text)) {
        error = name + ": UTF-16 text with an odd number of bytes";
        return false;
    }
    file = SectionedFile();
    file.name_ = name;
    std::istringstream lines(text);
    std::string raw;
    for (int number = 1; std::getline(lines, raw); ++number) {
        const std::string line = WithoutComment(raw, syntax);
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            file.sections_.push_back({Trimmed(line.substr(1, line.size() - 2)), number, {}});
        } else if (file.sections_.empty()) {
            file.stray_.push_back(MakeLine(line, number));
        } else {
            file.sections_.back().lines.push_back(MakeLine(line, number));
        }
    }
    return true;
}

}  // namespace package
