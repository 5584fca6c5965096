// What the reader passes from one stage to the next: the physical lines the preprocessor kept,
// each with the file and line it came from, and the fault that stops the reading.
#pragma once

#include <gpd/gpd_model.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace gpd {

// Bounds that keep a hostile file from exhausting the stack, the memory or the time. Real GPDs
// stay far below each of them.
inline constexpr size_t kMaxInputBytes = 32u << 20;    // all files read, includes counted each time
inline constexpr size_t kMaxIncludeDepth = 32;         // files open at once
inline constexpr size_t kMaxBlockDepth = 256;          // braces open at once
inline constexpr size_t kMaxInsertionDepth = 64;       // *InsertBlock within inserted blocks
inline constexpr size_t kMaxExpandedEntries = 16u << 20;  // entries and braces, inserted ones counted each time

// One physical line the preprocessor kept, without its line break.
struct SourceLine {
    std::string text;
    int file = 0;  // index into SourceText::files
    int line = 0;
};

// The root and everything it includes, as one stream.
struct SourceText {
    std::vector<std::string> files;  // root first, in the order first opened
    std::vector<SourceLine> lines;
    std::vector<std::string> suppliedIncludes;
    std::vector<Diagnostic> warnings;

    SourceLocation Where(int file, int line) const { return SourceLocation{files.at(static_cast<size_t>(file)), line}; }
};

// The fault that ends the reading; Parse and Read turn it into their error text.
class ReadFailure : public std::runtime_error {
public:
    explicit ReadFailure(const std::string& message) : std::runtime_error(OneLine(message)) {}
    ReadFailure(const SourceLocation& where, const std::string& message)
        : std::runtime_error(OneLine(where.Text() + ": " + message)) {}

private:
    // A message quotes what it found, which may hold a line break of a multi-line value.
    static std::string OneLine(std::string message) {
        for (char& c : message) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        return message;
    }
};

}  // namespace gpd
