#include <gpd/gpd_entry_reader.h>
#include <gpd/gpd_text.h>

#include <cctype>

namespace gpd {
namespace {

bool IsKeywordChar(char c) { return IsNameChar(c) || c == '?'; }

void TrimEnd(std::string& text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
}

const char kExternGlobal[] = "EXTERN_GLOBAL";

}  // namespace

Token EntryReader::Next() {
    Token token;
    if (!SkipSpace()) return token;
    token.file = Line().file;
    token.line = Line().line;
    const char c = Peek();
    if (c == '{' || c == '}') {
        token.kind = c == '{' ? Token::Kind::Open : Token::Kind::Close;
        ++column_;
        return token;
    }
    token.kind = Token::Kind::Entry;
    ReadEntry(token);
    return token;
}

bool EntryReader::AtLineEnd() const { return column_ >= Line().text.size(); }

char EntryReader::Peek(size_t ahead) const {
    const std::string& text = Line().text;
    return column_ + ahead < text.size() ? text[column_ + ahead] : '\0';
}

bool EntryReader::AtComment() const {
    return Peek() == '*' && Peek(1) == '%' && (column_ == 0 || IsBlank(Line().text[column_ - 1]));
}

// Moves to the next thing that is not blank, comment or line break; false at the end of the
// stream. A `+` line here continues nothing.
bool EntryReader::SkipSpace() {
    while (line_ < source_.lines.size()) {
        if (AtLineEnd() || AtComment()) {
            ++line_;
            column_ = 0;
            if (line_ < source_.lines.size() && Peek() == '+') {
                throw ReadFailure(Here(), "a '+' line continues an entry, and there is none before it");
            }
        } else if (IsBlank(Peek())) {
            ++column_;
        } else {
            return true;
        }
    }
    return false;
}

// *Keyword: value, EXTERN_GLOBAL: *Keyword: value, or Name: value inside *Macros.
void EntryReader::ReadEntry(Token& token) {
    const std::string& text = Line().text;
    if (text.compare(column_, sizeof kExternGlobal - 1, kExternGlobal) == 0 &&
        !IsKeywordChar(Peek(sizeof kExternGlobal - 1))) {
        column_ += sizeof kExternGlobal - 1;
        while (IsBlank(Peek())) ++column_;
        if (Peek() == ':') ++column_;
        while (IsBlank(Peek())) ++column_;
        if (Peek() != '*') throw ReadFailure(Here(), "EXTERN_GLOBAL: needs an entry '*Keyword: value' after it");
        token.externGlobal = true;
    }
    if (Peek() == '*') {
        ++column_;
    } else if (IsNameChar(Peek())) {
        token.bare = true;
    } else {
        throw ReadFailure(Here(), std::string("expected an entry '*Keyword: value', found '") + Peek() + "'");
    }
    while (IsKeywordChar(Peek())) token.keyword += text[column_++];
    if (token.keyword.empty()) throw ReadFailure(Here(), "'*' without a keyword");
    while (IsBlank(Peek())) ++column_;
    if (Peek() == ':') {
        ++column_;
    } else if (token.bare) {
        throw ReadFailure(Here(), "expected an entry '*Keyword: value', found '" + token.keyword + "'");
    }
    ReadValue(token);
}

// The value runs to the end of the line, over `+` lines, and stops at a brace outside quotes.
void EntryReader::ReadValue(Token& token) {
    std::string& value = token.value;
    for (;;) {
        if (AtLineEnd() || AtComment()) {
            if (!ContinueOnNextLine()) break;
            value += ' ';
            continue;
        }
        const char c = Peek();
        if (c == '{' || c == '}') break;
        if (c == '"') {
            ReadQuoted(value);
        } else if (c == '%') {
            ReadParameter(value);
        } else if (Line().text.compare(column_, 12, "<BeginValue:") == 0) {
            ReadLongValue(value);
        } else {
            if (c == '*' && !value.empty() && IsBlank(value.back())) CheckNoSecondEntry();
            value += c;
            ++column_;
        }
    }
    TrimEnd(value);
    size_t first = 0;
    while (first < value.size() && IsBlank(value[first])) ++first;
    value.erase(0, first);
}

// A `+` in the first column of the next line continues the entry.
bool EntryReader::ContinueOnNextLine() {
    if (line_ + 1 >= source_.lines.size()) {
        column_ = Line().text.size();
        return false;
    }
    const std::string& next = source_.lines[line_ + 1].text;
    if (next.empty() || next[0] != '+' || source_.lines[line_ + 1].file != Line().file) {
        column_ = Line().text.size();
        return false;
    }
    ++line_;
    column_ = 1;
    return true;
}

// "..." with its escapes kept as written: %" is a quote inside, %% a percent sign.
void EntryReader::ReadQuoted(std::string& value) {
    const std::string& text = Line().text;
    size_t end = column_ + 1;
    while (end < text.size() && text[end] != '"') end += text[end] == '%' && end + 1 < text.size() ? 2 : 1;
    if (end >= text.size()) throw ReadFailure(Here(), "a quoted string is not closed on its line");
    value.append(text, column_, end + 1 - column_);
    column_ = end + 1;
}

// A command's parameter, %d{expression} or %d[0,255]{expression}: its braces are no block.
void EntryReader::ReadParameter(std::string& value) {
    const std::string& text = Line().text;
    size_t end = column_ + 1;
    while (end < text.size() && (IsNameChar(text[end]) || text[end] == '[' || text[end] == ']' || text[end] == ',' ||
                                 text[end] == '-')) {
        ++end;
    }
    if (end < text.size() && text[end] == '{') {
        const size_t close = text.find('}', end);
        if (close == std::string::npos) throw ReadFailure(Here(), "a command parameter's '{' is not closed on its line");
        end = close + 1;
    } else {
        end = column_ + 1;
    }
    value.append(text, column_, end - column_);
    column_ = end;
}

// <BeginValue:TAG> ... <EndValue:TAG>: taken as written, over as many lines as it takes.
void EntryReader::ReadLongValue(std::string& value) {
    const SourceLocation opened = Here();
    const std::string& text = Line().text;
    const size_t tagEnd = text.find('>', column_);
    if (tagEnd == std::string::npos) throw ReadFailure(opened, "<BeginValue: has no '>'");
    const std::string endMarker = "<EndValue" + text.substr(column_ + 11, tagEnd - column_ - 11) + ">";
    column_ = tagEnd + 1;
    for (;;) {
        const size_t end = Line().text.find(endMarker, column_);
        value.append(Line().text, column_, end == std::string::npos ? std::string::npos : end - column_);
        if (end != std::string::npos) {
            column_ = end + endMarker.size();
            return;
        }
        if (++line_ >= source_.lines.size()) {
            --line_;
            throw ReadFailure(opened, "<BeginValue" + endMarker.substr(9) + " has no " + endMarker);
        }
        column_ = 0;
        value += '\n';
    }
}

// Two entries on one line with no brace between them: the second would be read as a value.
void EntryReader::CheckNoSecondEntry() const {
    size_t end = column_ + 1;
    if (end >= Line().text.size() || !std::isalpha(static_cast<unsigned char>(Line().text[end]))) return;
    while (end < Line().text.size() && IsKeywordChar(Line().text[end])) ++end;
    while (end < Line().text.size() && IsBlank(Line().text[end])) ++end;
    if (end < Line().text.size() && Line().text[end] == ':') {
        throw ReadFailure(Here(), "a second entry on the line of another; put " + Line().text.substr(column_, end - column_) +
                                      " on a line of its own");
    }
}

}  // namespace gpd
