// The second stage of reading: the lines the preprocessor kept, cut into entries and braces.
// An entry ends at the end of its line (its `+` continuation lines joined with a blank) or at a
// brace outside quotes; `*%` after white space or at a line start begins a comment; a quoted
// string ends on its own line.
#pragma once

#include <gpd/gpd_source.h>

#include <string>

namespace gpd {

struct Token {
    enum class Kind { Entry, Open, Close, End };
    Kind kind = Kind::End;
    std::string keyword;        // without its '*': "Feature", "IsXPSDriver?"; a macro's name when bare
    std::string value;          // trimmed; empty when the entry has none
    bool bare = false;          // written without '*', as the entries of *Macros are
    bool externGlobal = false;  // written EXTERN_GLOBAL: *Keyword: value
    int file = 0;
    int line = 0;
};

class EntryReader {
public:
    explicit EntryReader(const SourceText& source) : source_(source) {}

    // The next entry or brace; Kind::End after the last. Throws ReadFailure on a fault.
    Token Next();

private:
    bool AtLineEnd() const;
    char Peek(size_t ahead = 0) const;
    const SourceLine& Line() const { return source_.lines[line_]; }
    bool AtComment() const;
    bool SkipSpace();
    void ReadEntry(Token& token);
    void ReadValue(Token& token);
    bool ContinueOnNextLine();
    void ReadQuoted(std::string& value);
    void ReadParameter(std::string& value);
    void ReadLongValue(std::string& value);
    void CheckNoSecondEntry() const;
    SourceLocation Here() const { return source_.Where(Line().file, Line().line); }

    const SourceText& source_;
    size_t line_ = 0;
    size_t column_ = 0;
};

}  // namespace gpd
