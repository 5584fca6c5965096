#include <gpd/gpd_preprocessor.h>
#include <gpd/gpd_text.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace gpd {
namespace {

namespace fs = std::filesystem;

// The symbols the core driver defines on current Windows.
const char* const kCoreDriverSymbols[] = {"WINNT_40", "WINNT_50", "WINNT_51", "WINNT_60", "PARSER_VER_1.0"};

// The WDK's include files, which a driver package ships only compiled in; what the reader
// models of each when it is not beside the GPD. Add a row to model another.
struct SuppliedInclude {
    const char* name;
    const char* effect;  // an entry that stands for the file's documented effect, or empty
};
const SuppliedInclude kSuppliedIncludes[] = {
    {"StdNames.gpd", ""},
    {"MSXpsInc.gpd", "*IsXPSDriver?: TRUE"},
    {"ttfsub.gpd", ""},
};

const char* const kDirectives[] = {"Define", "Undefine", "Ifdef", "Elseifdef", "Else", "Endif", "Include", "SetPPPrefix"};

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

// `name` in `directory`, matched without regard to case when no file has it exactly, as on the
// file systems the driver is installed on. Empty when there is none.
std::string FindIn(const fs::path& directory, const std::string& name) {
    std::error_code ignored;
    const fs::path exact = directory / PathOf(name);
    if (fs::is_regular_file(exact, ignored)) return Utf8Of(exact);
    for (fs::directory_iterator it(directory.empty() ? fs::path(".") : directory, ignored), end; !ignored && it != end;
         it.increment(ignored)) {
        const std::u8string entry = it->path().filename().u8string();
        if (SameIgnoringCase(std::string(entry.begin(), entry.end()), name) && fs::is_regular_file(it->path(), ignored)) {
            return Utf8Of(directory / it->path().filename());
        }
    }
    return {};
}

std::string Identity(const std::string& path) {
    std::error_code ignored;
    const fs::path canonical = fs::weakly_canonical(PathOf(path), ignored);
    return ignored ? path : Utf8Of(canonical);
}

// The value of a comment-free directive line: a `*%` after white space ends it.
std::string WithoutComment(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '*' && text[i + 1] == '%' && (i == 0 || IsBlank(text[i - 1]))) return text.substr(0, i);
    }
    return text;
}

}  // namespace

std::vector<std::string> CoreDriverSymbols() { return {std::begin(kCoreDriverSymbols), std::end(kCoreDriverSymbols)}; }

bool ReadWholeFile(const std::string& path, std::string& text, std::string& reason) {
    errno = 0;
    std::error_code ignored;
    if (fs::is_directory(PathOf(path), ignored)) {
        reason = "is a directory";
        return false;
    }
    const std::uintmax_t size = fs::file_size(PathOf(path), ignored);
    if (!ignored && size > kMaxInputBytes) {
        reason = "larger than " + std::to_string(kMaxInputBytes >> 20) + " MiB, too large for a GPD";
        return false;
    }
    std::ifstream file(PathOf(path), std::ios::binary);
    std::ostringstream content;
    if (file) content << file.rdbuf();
    if (!file || file.bad()) {
        reason = errno != 0 ? std::strerror(errno) : "read error";
        return false;
    }
    text = content.str();
    return true;
}

Preprocessor::Preprocessor(const ReadOptions& options, SourceText& out) : options_(options), out_(out) {
    symbols_.insert(std::begin(kCoreDriverSymbols), std::end(kCoreDriverSymbols));
    symbols_.insert(options.defines.begin(), options.defines.end());
}

void Preprocessor::Run(const std::string& rootName, std::string rootText) {
    Open(rootName, std::move(rootText), Identity(rootName));
    std::string line;
    while (!open_.empty()) {
        if (!NextLine(line)) {
            CloseFile();
            continue;
        }
        Directive directive;
        if (ParseDirective(line, directive)) {
            Apply(directive);
        } else if (Keeping()) {
            out_.lines.push_back(SourceLine{std::move(line), open_.back().file, open_.back().line});
        }
    }
}

void Preprocessor::Open(const std::string& name, std::string text, const std::string& identity) {
    bytesRead_ += text.size();
    if (bytesRead_ > kMaxInputBytes) {
        throw ReadFailure(open_.empty() ? SourceLocation{name, 0} : Here(),
                          "the GPD and its includes exceed " + std::to_string(kMaxInputBytes >> 20) + " MiB");
    }
    const auto known = std::find(out_.files.begin(), out_.files.end(), name);
    OpenFile file;
    file.file = static_cast<int>(known - out_.files.begin());
    if (known == out_.files.end()) out_.files.push_back(name);
    file.text = std::move(text);
    if (file.text.rfind("\xEF\xBB\xBF", 0) == 0) file.position = 3;
    file.conditionalDepth = conditionals_.size();
    file.identity = identity;
    open_.push_back(std::move(file));
}

bool Preprocessor::NextLine(std::string& line) {
    OpenFile& file = open_.back();
    if (file.position >= file.text.size()) return false;
    const size_t end = std::min(file.text.find('\n', file.position), file.text.size());
    line.assign(file.text, file.position, end - file.position);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    file.position = end + 1;
    ++file.line;
    NoteNonAscii(line);
    return true;
}

// Each file has to close the constructs it opens.
void Preprocessor::CloseFile() {
    if (conditionals_.size() > open_.back().conditionalDepth) {
        throw ReadFailure(conditionals_.back().where, "*Ifdef has no *Endif before the end of its file");
    }
    open_.pop_back();
}

void Preprocessor::NoteNonAscii(const std::string& line) {
    OpenFile& file = open_.back();
    if (file.nonAsciiNoted) return;
    const auto byte = std::find_if(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
    if (byte == line.end()) return;
    file.nonAsciiNoted = true;
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(*byte)));
    Warn(std::string("byte ") + hex + " is not ASCII; a GPD's encoding is undefined beyond ASCII (first such byte in the file)");
}

// A directive stands alone on its line, blanks before it allowed: PREFIX NAME [:] [VALUE].
bool Preprocessor::ParseDirective(const std::string& line, Directive& directive) const {
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (line.compare(at, prefix_.size(), prefix_) != 0) return false;
    at += prefix_.size();
    size_t end = at;
    while (end < line.size() && IsNameChar(line[end])) ++end;
    const std::string name = line.substr(at, end - at);
    if (std::find(std::begin(kDirectives), std::end(kDirectives), name) == std::end(kDirectives)) return false;
    while (end < line.size() && IsBlank(line[end])) ++end;
    if (end < line.size() && line[end] == ':') ++end;
    else if (end < line.size() && line.compare(end, 2, "*%") != 0) return false;
    directive.name = name;
    directive.value = Trimmed(WithoutComment(line.substr(end)));
    return true;
}

void Preprocessor::Apply(const Directive& directive) {
    const std::string& name = directive.name;
    if (name == "Ifdef" || name == "Elseifdef" || name == "Else" || name == "Endif") return ApplyConditional(directive);
    if (!Keeping()) return;
    if (name == "Define") {
        symbols_.insert(Symbol(directive));
    } else if (name == "Undefine") {
        symbols_.erase(Symbol(directive));
    } else if (name == "SetPPPrefix") {
        prefix_ = Symbol(directive);
    } else {
        Include(directive.value);
    }
}

void Preprocessor::ApplyConditional(const Directive& directive) {
    const std::string& name = directive.name;
    if (name == "Ifdef") {
        Conditional opened{Here(), Keeping()};
        opened.keeping = opened.parentKeeping && symbols_.count(Symbol(directive)) != 0;
        opened.anyKept = opened.keeping;
        conditionals_.push_back(opened);
        return;
    }
    if (conditionals_.size() <= open_.back().conditionalDepth) {
        throw ReadFailure(Here(), prefix_ + name + " without " + prefix_ + "Ifdef");
    }
    Conditional& current = conditionals_.back();
    if (name == "Endif") {
        conditionals_.pop_back();
        return;
    }
    if (current.sawElse) throw ReadFailure(Here(), prefix_ + name + " after " + prefix_ + "Else");
    const bool holds = name == "Else" || symbols_.count(Symbol(directive)) != 0;
    current.sawElse = name == "Else";
    current.keeping = current.parentKeeping && !current.anyKept && holds;
    current.anyKept = current.anyKept || current.keeping;
}

// A symbol's name ends at white space.
std::string Preprocessor::Symbol(const Directive& directive) const {
    const std::string symbol = directive.value.substr(0, std::min(directive.value.find_first_of(" \t"), directive.value.size()));
    if (symbol.empty()) throw ReadFailure(Here(), prefix_ + directive.name + " needs a symbol");
    return symbol;
}

void Preprocessor::Include(const std::string& value) {
    std::string name = value;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        name = name.substr(1, name.size() - 2);
    } else if (!name.empty() && name.find('"') == std::string::npos) {
        Warn(prefix_ + "Include: " + name + " has no quotes; read as \"" + name + "\"");
    } else {
        throw ReadFailure(Here(), prefix_ + "Include needs a file name in quotes");
    }
    if (name.empty() || name.find_first_of("/\\:") != std::string::npos || name == "." || name == "..") {
        throw ReadFailure(Here(), prefix_ + "Include: \"" + name + "\" is not a file name (no directory goes with it)");
    }
    if (name[0] == '=') throw ReadFailure(Here(), prefix_ + "Include: the file's name cannot be a macro");
    if (open_.size() >= kMaxIncludeDepth) {
        throw ReadFailure(Here(), "includes nested too deeply (more than " + std::to_string(kMaxIncludeDepth) + " files)");
    }
    const std::string path = Locate(name);
    if (path.empty()) return IncludeSupplied(name);
    const std::string identity = Identity(path);
    for (const OpenFile& file : open_) {
        if (file.identity == identity) throw ReadFailure(Here(), prefix_ + "Include: \"" + name + "\" includes itself again (an include cycle)");
    }
    std::string text;
    std::string reason;
    if (!ReadWholeFile(path, text, reason)) throw ReadFailure(Here(), "cannot read included " + path + ": " + reason);
    Open(path, std::move(text), identity);
}

// Where *Include finds `name`: beside the including file, else in the include directories.
// Remembered, since a file may name the same include many times.
std::string Preprocessor::Locate(const std::string& name) {
    const fs::path beside = PathOf(out_.files[static_cast<size_t>(open_.back().file)]).parent_path();
    const auto [known, added] = located_.try_emplace(Utf8Of(beside) + '\n' + name);
    if (!added) return known->second;
    std::string path = FindIn(beside, name);
    for (size_t i = 0; path.empty() && i < options_.includeDirectories.size(); ++i) {
        path = FindIn(PathOf(options_.includeDirectories[i]), name);
    }
    known->second = path;
    return path;
}

// A WDK include that is not here: noted, and modelled by its documented effect.
void Preprocessor::IncludeSupplied(const std::string& name) {
    const std::string& includer = out_.files[static_cast<size_t>(open_.back().file)];
    const auto supplied = std::find_if(std::begin(kSuppliedIncludes), std::end(kSuppliedIncludes),
                                       [&](const SuppliedInclude& known) { return SameIgnoringCase(known.name, name); });
    if (supplied == std::end(kSuppliedIncludes)) {
        std::string where = "beside " + includer;
        for (const std::string& directory : options_.includeDirectories) where += " or in " + directory;
        throw ReadFailure(Here(), prefix_ + "Include: cannot find \"" + name + "\" " + where);
    }
    const std::string effect = supplied->effect;
    Warn(name + " is the WDK's; not found beside " + includer + ", modelled" + (effect.empty() ? " as defining its macros" : ": " + effect));
    if (std::find(out_.suppliedIncludes.begin(), out_.suppliedIncludes.end(), name) == out_.suppliedIncludes.end()) {
        out_.suppliedIncludes.push_back(name);
    }
    if (!effect.empty()) out_.lines.push_back(SourceLine{effect, open_.back().file, open_.back().line});
}

SourceLocation Preprocessor::Here() const { return out_.Where(open_.back().file, open_.back().line); }

void Preprocessor::Warn(const std::string& message) { out_.warnings.push_back(Diagnostic{Here(), message}); }

}  // namespace gpd
