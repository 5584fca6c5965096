// The first stage of reading: the preprocessor directives (*Define, *Undefine, *Ifdef,
// *Elseifdef, *Else, *Endif, *SetPPPrefix) and *Include, which splices each included file into
// the stream where it is named. What it keeps goes on, line by line, to the entry reader.
#pragma once

#include <gpd/gpd_source.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace gpd {

class Preprocessor {
public:
    Preprocessor(const ReadOptions& options, SourceText& out);

    // Runs the preprocessor over the root file's text; throws ReadFailure on a fault.
    void Run(const std::string& rootName, std::string rootText);

private:
    struct OpenFile {
        int file = 0;
        std::string text;
        size_t position = 0;
        int line = 0;
        size_t conditionalDepth = 0;  // constructs open when the file began
        std::string identity;         // the canonical path, to recognise an include cycle
        bool nonAsciiNoted = false;
    };
    // One *Ifdef construct being read.
    struct Conditional {
        SourceLocation where;
        bool parentKeeping = true;
        bool keeping = false;
        bool anyKept = false;
        bool sawElse = false;
    };
    struct Directive {
        std::string name;   // "Ifdef"
        std::string value;  // the rest of the line after the colon, comment removed, trimmed
    };

    void Open(const std::string& name, std::string text, const std::string& identity);
    bool NextLine(std::string& line);
    void CloseFile();
    void NoteNonAscii(const std::string& line);
    bool ParseDirective(const std::string& line, Directive& directive) const;
    void Apply(const Directive& directive);
    void ApplyConditional(const Directive& directive);
    void Include(const std::string& value);
    std::string Locate(const std::string& name);
    void IncludeSupplied(const std::string& name);
    bool Keeping() const { return conditionals_.empty() || conditionals_.back().keeping; }
    std::string Symbol(const Directive& directive) const;
    SourceLocation Here() const;
    void Warn(const std::string& message);

    const ReadOptions& options_;
    SourceText& out_;
    std::vector<OpenFile> open_;
    std::vector<Conditional> conditionals_;
    std::set<std::string, std::less<>> symbols_;
    std::string prefix_ = "*";
    size_t bytesRead_ = 0;
    std::map<std::string, std::string> located_;  // includer's directory and name -> path found
};

// Reads a whole file; false with the reason when it cannot.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& reason);

}  // namespace gpd
