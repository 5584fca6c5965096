#include "gpd_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

namespace pthost {
namespace {

bool IsSymbolChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool IsKeywordChar(char c) { return IsSymbolChar(c) || c == '?'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool IsSymbol(const std::string& text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsSymbolChar); }

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Listed(const std::vector<std::string>& names) {
    if (names.empty()) return "none";
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// One entry: *Keyword: value.
struct Entry {
    std::string keyword;
    std::string value;
    int line = 0;

    std::string Shown() const { return "*" + keyword + (value.empty() ? "" : ": " + value); }
};

}  // namespace

// Reads the text once, front to back, keeping the open blocks; the features, options and
// defaults it meets go into the GpdFile.
class GpdParser {
public:
    GpdParser(const std::string& name, const std::string& text, GpdFile& gpd) : name_(name), text_(text), gpd_(gpd) {}

    bool Run(std::string& error) {
        const bool parsed = ParseAll() && CheckDefaults();
        if (!parsed) error = error_;
        return parsed;
    }

private:
    enum class BlockKind { Feature, Option, Other };
    struct Block {
        BlockKind kind;
        size_t feature;  // index into the features, for a Feature block
        std::string opener;
        int line;
    };

    bool ParseAll() {
        if (text_.rfind("\xEF\xBB\xBF", 0) == 0) position_ = 3;
        while (SkipSpace(), !AtEnd()) {
            if (!ParseNext()) return false;
        }
        if (!CheckPendingBlock()) return false;
        if (blocks_.empty()) return true;
        return Fail(blocks_.back().line, "the '{' of " + blocks_.back().opener + " is never closed");
    }

    bool ParseNext() {
        const char c = Peek();
        if (c == '{') return OpenBlock();
        if (!CheckPendingBlock()) return false;
        if (c == '}') return CloseBlock();
        if (c != '*') return Fail(line_, std::string("expected an entry '*Keyword: value', found '") + c + "'");
        Entry entry;
        return ReadEntry(entry) && Apply(entry);
    }

    bool Fail(int line, const std::string& reason) {
        error_ = name_ + ":" + std::to_string(line) + ": " + reason;
        return false;
    }

    bool AtEnd() const { return position_ >= text_.size(); }
    char Peek(size_t ahead = 0) const {
        return position_ + ahead < text_.size() ? text_[position_ + ahead] : '\0';
    }
    bool AtComment() const { return Peek() == '*' && Peek(1) == '%'; }
    bool AtText(std::string_view text) const { return std::string_view(text_).substr(position_, text.size()) == text; }

    void Advance() {
        if (Peek() == '\n') ++line_;
        ++position_;
    }
    void AdvanceTo(size_t end) {
        while (position_ < end) Advance();
    }
    void SkipToLineEnd() {
        while (!AtEnd() && Peek() != '\n') Advance();
    }
    void SkipSpace() {
        for (;;) {
            if (IsBlank(Peek()) || Peek() == '\n') {
                Advance();
            } else if (AtComment()) {
                SkipToLineEnd();
            } else {
                return;
            }
        }
    }

    bool ReadEntry(Entry& entry) {
        entry.line = line_;
        Advance();
        while (IsKeywordChar(Peek())) entry.keyword += text_[position_++];
        if (entry.keyword.empty()) return Fail(entry.line, "'*' without a keyword");
        while (IsBlank(Peek())) Advance();
        if (Peek() == ':') Advance();
        return ReadValue(entry.value);
    }

    // The value up to the end of its line, its continuation lines ('+' first) included, or up
    // to a brace that opens or closes a block.
    bool ReadValue(std::string& value) {
        while (!AtEnd() && Peek() != '{' && Peek() != '}') {
            if (Peek() == '\n' && !AtContinuation()) break;
            if (!ReadValuePart(value)) return false;
        }
        value = Trimmed(value);
        return true;
    }

    bool ReadValuePart(std::string& value) {
        if (Peek() == '\n') {
            while (Peek() != '+') Advance();
            Advance();
            value += ' ';
        } else if (AtComment()) {
            SkipToLineEnd();
        } else if (Peek() == '"') {
            return ReadQuoted(value);
        } else if (AtText("<BeginValue")) {
            return SkipLongValue(value);
        } else {
            value += text_[position_];
            Advance();
        }
        return true;
    }

    bool AtContinuation() const {
        size_t next = position_ + 1;
        while (next < text_.size() && IsBlank(text_[next])) ++next;
        return next < text_.size() && text_[next] == '+';
    }

    bool ReadQuoted(std::string& value) {
        const int opened = line_;
        const size_t close = text_.find('"', position_ + 1);
        if (close == std::string::npos) return Fail(opened, "a quoted string is never closed");
        value.append(text_, position_, close + 1 - position_);
        AdvanceTo(close + 1);
        return true;
    }

    // <BeginValue:x> ... <EndValue:x>: anything between, over as many lines as it takes.
    bool SkipLongValue(std::string& value) {
        const int opened = line_;
        const size_t tagEnd = text_.find('>', position_);
        const std::string tag = text_.substr(position_ + 11, tagEnd == std::string::npos ? 0 : tagEnd - position_ - 11);
        const std::string endMarker = "<EndValue" + tag + ">";
        const size_t end = tagEnd == std::string::npos ? tagEnd : text_.find(endMarker, tagEnd);
        if (end == std::string::npos) return Fail(opened, "<BeginValue" + tag + "> has no " + endMarker);
        AdvanceTo(end + endMarker.size());
        value += "<value>";
        return true;
    }

    const Block* EnclosingFeature() const {
        for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
            if (block->kind == BlockKind::Feature) return &*block;
        }
        return nullptr;
    }

    GpdFeature& FeatureOf(const Block& block) { return gpd_.features_[block.feature]; }

    bool Apply(const Entry& entry) {
        pending_ = entry;
        if (entry.keyword == "Feature") return CheckFeature(entry);
        if (entry.keyword == "Option") return AddOption(entry);
        if (entry.keyword == "DefaultOption") return SetDefault(entry);
        return true;
    }

    bool CheckName(const Entry& entry) {
        if (IsSymbol(entry.value)) return true;
        return Fail(entry.line, "*" + entry.keyword + " needs a name of letters, digits and '_', got '" + entry.value + "'");
    }

    bool CheckFeature(const Entry& entry) {
        if (const Block* feature = EnclosingFeature()) {
            return Fail(entry.line, entry.Shown() + " inside the block of " + feature->opener);
        }
        return CheckName(entry);
    }

    // The feature block that `entry` belongs to directly; null for an entry that the GPD makes
    // conditional (inside *Switch/*Case), which the defaults do not depend on.
    bool DirectFeature(const Entry& entry, GpdFeature*& feature) {
        feature = nullptr;
        const Block* enclosing = EnclosingFeature();
        if (enclosing == nullptr) return Fail(entry.line, entry.Shown() + " outside a *Feature block");
        const Block& innermost = blocks_.back();
        if (innermost.kind == BlockKind::Option) {
            return Fail(entry.line, entry.Shown() + " inside the block of " + innermost.opener);
        }
        if (innermost.kind == BlockKind::Feature) feature = &FeatureOf(*enclosing);
        return CheckName(entry);
    }

    bool AddOption(const Entry& entry) {
        GpdFeature* feature = nullptr;
        if (!DirectFeature(entry, feature)) return false;
        if (feature != nullptr && !Contains(feature->options, entry.value)) feature->options.push_back(entry.value);
        return true;
    }

    bool SetDefault(const Entry& entry) {
        GpdFeature* feature = nullptr;
        if (!DirectFeature(entry, feature)) return false;
        if (feature != nullptr) {
            feature->defaultOption = entry.value;
            feature->defaultLine = entry.line;
        }
        return true;
    }

    // A feature declared again adds to the first declaration, as the core driver merges them.
    size_t FeatureIndex(const std::string& name) {
        auto& features = gpd_.features_;
        const auto same = [&name](const GpdFeature& feature) { return feature.name == name; };
        const auto found = std::find_if(features.begin(), features.end(), same);
        if (found != features.end()) return static_cast<size_t>(found - features.begin());
        features.push_back(GpdFeature{name, {}, {}, 0});
        return features.size() - 1;
    }

    bool OpenBlock() {
        if (!pending_) return Fail(line_, "'{' without an entry before it");
        Block block{BlockKind::Other, 0, pending_->Shown(), line_};
        if (pending_->keyword == "Feature") {
            block.kind = BlockKind::Feature;
            block.feature = FeatureIndex(pending_->value);
        } else if (pending_->keyword == "Option") {
            block.kind = BlockKind::Option;
        }
        blocks_.push_back(std::move(block));
        pending_.reset();
        Advance();
        return true;
    }

    bool CloseBlock() {
        if (blocks_.empty()) return Fail(line_, "'}' without a '{' to close");
        blocks_.pop_back();
        Advance();
        return true;
    }

    // *Feature and *Option open a block; anything else may stand alone.
    bool CheckPendingBlock() {
        const std::optional<Entry> entry = std::exchange(pending_, std::nullopt);
        if (!entry || (entry->keyword != "Feature" && entry->keyword != "Option")) return true;
        return Fail(entry->line, entry->Shown() + " has no { } block");
    }

    bool CheckDefaults() {
        for (const GpdFeature& feature : gpd_.features_) {
            if (feature.defaultOption.empty() || Contains(feature.options, feature.defaultOption)) continue;
            return Fail(feature.defaultLine, "*DefaultOption: " + feature.defaultOption + " is not an option of " +
                                                 feature.name + " (its options: " + Listed(feature.options) + ")");
        }
        return true;
    }

    const std::string& name_;
    const std::string& text_;
    GpdFile& gpd_;
    size_t position_ = 0;
    int line_ = 1;
    std::vector<Block> blocks_;
    std::optional<Entry> pending_;
    std::string error_;
};

bool GpdFile::Parse(const std::string& name, const std::string& text, GpdFile& gpd, std::string& error) {
    GpdFile parsed;
    parsed.name_ = name;
    if (!GpdParser(name, text, parsed).Run(error)) return false;
    gpd = std::move(parsed);
    return true;
}

bool GpdFile::Read(const std::string& path, GpdFile& gpd, std::string& error) {
    errno = 0;
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    std::ostringstream text;
    if (file) text << file.rdbuf();
    if (!file || file.bad()) {
        error = "pthost: " + path + ": cannot read: " + (errno != 0 ? std::strerror(errno) : "read error");
        return false;
    }
    return Parse(path, text.str(), gpd, error);
}

// The option a new DEVMODE selects: the declared default, else the first option.
std::string DefaultOf(const GpdFeature& feature) {
    if (!feature.defaultOption.empty() || feature.options.empty()) return feature.defaultOption;
    return feature.options.front();
}

bool GpdFile::Select(const GpdSelections& chosen, GpdSelections& selections, std::string& error) const {
    GpdSelections selected;
    for (const GpdFeature& feature : features_) {
        if (const std::string option = DefaultOf(feature); !option.empty()) selected[feature.name] = option;
    }
    for (const auto& [name, option] : chosen) {
        if (!CheckChoice(name, option, error)) return false;
        selected[name] = option;
    }
    selections = std::move(selected);
    return true;
}

bool GpdFile::CheckChoice(const std::string& name, const std::string& option, std::string& error) const {
    const auto same = [&name](const GpdFeature& feature) { return feature.name == name; };
    const auto feature = std::find_if(features_.begin(), features_.end(), same);
    const std::string choice = "--option " + name + "=" + option + ": ";
    if (feature == features_.end()) {
        std::vector<std::string> names;
        for (const GpdFeature& declared : features_) names.push_back(declared.name);
        error = choice + name_ + " has no feature " + name + " (its features: " + Listed(names) + ")";
        return false;
    }
    if (Contains(feature->options, option)) return true;
    error = choice + "the feature " + name + " of " + name_ + " has no option " + option +
            " (its options: " + Listed(feature->options) + ")";
    return false;
}

}  // namespace pthost
