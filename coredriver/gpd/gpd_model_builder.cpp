#include <gpd/gpd_model_builder.h>

#include <gpd/gpd_text.h>
#include <gpd/gpd_values.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace gpd {
namespace {

// Entries that the core driver does not let depend on a *Switch.
const char* const kNotRelocatable[] = {"Constraints", "InvalidCombination", "InvalidInstallableCombination",
                                       "NotInstalledConstraints", "TTFS"};

// The largest value a macro may grow to: a macro built from earlier ones can double each time.
constexpr size_t kMaxValueBytes = 1u << 20;

std::vector<std::string> OptionNames(const Feature& feature) {
    std::vector<std::string> names;
    for (const Option& option : feature.options) names.push_back(option.name);
    return names;
}

// Whether `value` refers to the macro `name` (=name, not followed by more of a name).
bool NamesMacro(const std::string& value, const std::string& name) {
    const std::string reference = "=" + name;
    for (size_t at = value.find(reference); at != std::string::npos; at = value.find(reference, at + 1)) {
        const size_t end = at + reference.size();
        if (end == value.size() || !IsNameChar(value[end])) return true;
    }
    return false;
}

bool IsNameCharOrPunctuation(char c) { return IsNameChar(c) || IsNamePunctuation(c); }

// What a name breaks of the symbolic-name rule; empty when it keeps it.
std::string NameWarning(const std::string& what, const std::string& name) {
    if (!std::all_of(name.begin(), name.end(), IsNameChar)) {
        return "the " + what + " name " + name + " is not a symbolic name of letters, digits and '_'";
    }
    if (std::isalpha(static_cast<unsigned char>(name[0])) == 0) {
        return "the " + what + " name " + name + " does not start with a letter, as symbolic names should";
    }
    return {};
}

std::string Shown(const Token& token) { return "*" + token.keyword + (token.value.empty() ? "" : ": " + token.value); }

}  // namespace

void ModelBuilder::Run() {
    blocks_.push_back(Block{});
    for (Token token = Next(); token.kind != Token::Kind::End; token = Next()) Handle(token);
    if (blocks_.size() > 1) throw ReadFailure(blocks_.back().where, "the '{' of " + blocks_.back().opener + " is never closed");
    Finish();
}

// The next token, from the innermost block macro being inserted, else from the stream.
Token ModelBuilder::Next() {
    if (lookahead_) return *std::exchange(lookahead_, std::nullopt);
    if (++entriesRead_ > kMaxExpandedEntries) {
        throw ReadFailure(SourceLocation{source_.files.front(), 0},
                          "more than " + std::to_string(kMaxExpandedEntries) + " entries and braces, block macros inserted");
    }
    while (!insertions_.empty()) {
        Insertion& top = insertions_.back();
        if (top.next < top.body->size()) return (*top.body)[top.next++];
        insertions_.pop_back();
    }
    return reader_.Next();
}

// Whether a '{' follows; it stays to be read.
bool ModelBuilder::NextOpens() {
    Token next = Next();
    const bool opens = next.kind == Token::Kind::Open;
    lookahead_ = std::move(next);
    return opens;
}

void ModelBuilder::Handle(const Token& token) {
    if (token.kind == Token::Kind::Open) throw ReadFailure(Where(token), "'{' without an entry before it");
    if (token.kind == Token::Kind::Close) {
        if (blocks_.size() == 1) throw ReadFailure(Where(token), "'}' without a '{' to close");
        if (blocks_.back().where.file != Where(token).file) {
            throw ReadFailure(blocks_.back().where, "the '{' of " + blocks_.back().opener + " is not closed in its own file");
        }
        return CloseBlock();
    }
    HandleEntry(token);
}

void ModelBuilder::HandleEntry(const Token& token) {
    const BlockKind kind = blocks_.back().kind;
    if (kind == BlockKind::Macros) return DefineValueMacro(token);
    if (token.bare) {
        throw ReadFailure(Where(token), "'" + token.keyword + ": " + token.value +
                                            "' has no '*' (only the entries of *Macros go without)");
    }
    const std::string& keyword = token.keyword;
    // *Switch, *Case and *Default are read in either case, as GPDs write them both ways.
    const bool isCase = SameIgnoringCase(keyword, "Case") || SameIgnoringCase(keyword, "Default");
    if (kind == BlockKind::Switch && !isCase) {
        throw ReadFailure(Where(token), Shown(token) + " inside " + blocks_.back().opener + ": only *Case and *Default go there");
    }
    if (token.externGlobal) return Assign(token);
    if (keyword == "Feature") return OpenFeature(token);
    if (keyword == "Option") return OpenOption(token);
    if (SameIgnoringCase(keyword, "Switch")) return OpenSwitch(token);
    if (isCase) return OpenCase(token);
    if (keyword == "Macros") return OpenMacros(token);
    if (keyword == "BlockMacro") return DefineBlockMacro(token);
    if (keyword == "InsertBlock") return InsertBlock(token);
    if (keyword == "IgnoreBlock") return IgnoreBlock(token);
    if (keyword == "Command") return OpenCommand(token);
    Assign(token);
}

void ModelBuilder::CloseBlock() {
    const Block& closing = blocks_.back();
    const bool closesSwitch = closing.kind == BlockKind::Switch;
    const size_t switchIndex = closing.switchIndex;
    blocks_.pop_back();
    if (closesSwitch) ResolveDefaults(switchIndex);
}

void ModelBuilder::PushBlock(BlockKind kind, Target owner, const Token& entry, const std::string& opener) {
    if (blocks_.size() >= kMaxBlockDepth) {
        throw ReadFailure(Where(entry), "blocks nested too deeply (more than " + std::to_string(kMaxBlockDepth) + ")");
    }
    Block block;
    block.kind = kind;
    block.owner = owner;
    block.opener = opener;
    block.where = lastOpen_;
    blocks_.push_back(std::move(block));
}

// Takes the '{' that has to follow the entry.
void ModelBuilder::RequireBlock(const Token& entry, const std::string& opener) {
    const Token open = Next();
    if (open.kind != Token::Kind::Open) throw ReadFailure(Where(entry), opener + " has no { } block");
    lastOpen_ = Where(open);
}

void ModelBuilder::OpenFeature(const Token& token) {
    const Block& enclosing = blocks_.back();
    if (enclosing.kind != BlockKind::Root) {
        throw ReadFailure(Where(token), Shown(token) + " inside the block of " + enclosing.opener);
    }
    const std::string name = CheckedName(token, "feature", Substitute(token.value, Where(token)));
    RequireBlock(token, "*Feature: " + name);
    const int feature = FeatureIndex(name, Where(token));
    PushBlock(BlockKind::Feature, Target{feature}, token, "*Feature: " + name);
}

void ModelBuilder::OpenOption(const Token& token) {
    const Block& enclosing = blocks_.back();
    if (enclosing.kind != BlockKind::Feature) {
        if (Innermost(BlockKind::Feature) == nullptr) throw ReadFailure(Where(token), Shown(token) + " outside a *Feature block");
        throw ReadFailure(Where(token), Shown(token) + " inside the block of " + enclosing.opener);
    }
    const int feature = enclosing.owner.feature;
    const std::string name = CheckedName(token, "option", Substitute(token.value, Where(token)));
    RequireBlock(token, "*Option: " + name);
    const int option = OptionIndex(feature, name, Where(token));
    PushBlock(BlockKind::Option, Target{feature, option}, token, "*Option: " + name);
}

// *Command: Name { ... }, or the short form *Command: Name: "string" for a block of *Cmd alone.
// Only an option's commands are kept; the printer's own (CmdStartDoc, ...) are read and dropped.
void ModelBuilder::OpenCommand(const Token& token) {
    const Target& owner = blocks_.back().owner;
    const size_t colon = token.value.find(':');
    std::string name = token.value.substr(0, colon);
    while (!name.empty() && IsBlank(name.back())) name.pop_back();
    if (name.empty()) throw ReadFailure(Where(token), "*Command needs the command's name");
    Target target{owner.feature, owner.option, -1, true};
    if (!owner.discard && owner.option >= 0 && owner.command < 0) {
        target.command = CommandIndex(owner, name, Where(token));
        target.discard = false;
    }
    if (colon != std::string::npos) {
        std::string text = token.value.substr(colon + 1);
        text.erase(0, std::min(text.find_first_not_of(" \t"), text.size()));
        Add(Conditioned(token, target, "*Cmd", text));
    }
    if (!NextOpens()) return;
    RequireBlock(token, "*Command: " + name);
    PushBlock(BlockKind::Command, target, token, "*Command: " + name);
}

void ModelBuilder::OpenSwitch(const Token& token) {
    const Block& enclosing = blocks_.back();
    const BlockKind kind = enclosing.kind;
    if (kind == BlockKind::Command || kind == BlockKind::Other) {
        throw ReadFailure(Where(token), Shown(token) + " cannot stand inside " + enclosing.opener);
    }
    const std::string feature = Substitute(token.value, Where(token));
    if (feature.empty()) throw ReadFailure(Where(token), "*Switch needs a feature's name");
    for (const Block& block : blocks_) {
        if (block.kind == BlockKind::Switch && switches_[block.switchIndex].feature == feature) {
            throw ReadFailure(Where(token), "*Switch: " + feature + " inside another *Switch on the same feature");
        }
    }
    const Target owner = enclosing.owner;
    RequireBlock(token, "*Switch: " + feature);
    PushBlock(BlockKind::Switch, owner, token, "*Switch: " + feature);
    blocks_.back().switchIndex = switches_.size();
    switches_.push_back(Switch{feature, Where(token), {}});
}

void ModelBuilder::OpenCase(const Token& token) {
    const Block& enclosing = blocks_.back();
    if (enclosing.kind != BlockKind::Switch) {
        throw ReadFailure(Where(token), Shown(token) + " outside a *Switch block");
    }
    const size_t switchIndex = enclosing.switchIndex;
    const Target owner = enclosing.owner;
    Switch& switched = switches_[switchIndex];
    Condition condition{switched.feature, {}, {}};
    const bool isDefault = SameIgnoringCase(token.keyword, "Default");
    if (!isDefault) {
        condition.option = Substitute(token.value, Where(token));
        if (condition.option.empty()) throw ReadFailure(Where(token), "*Case needs an option's name");
        switched.cases.emplace_back(condition.option, Where(token));
    } else if (!token.value.empty()) {
        throw ReadFailure(Where(token), "*Default takes no value, found '" + token.value + "'");
    }
    const std::string opener = isDefault ? "*Default" : "*Case: " + condition.option;
    RequireBlock(token, opener);
    PushBlock(isDefault ? BlockKind::Default : BlockKind::Case, owner, token, opener);
    blocks_.back().switchIndex = switchIndex;
    blocks_.back().condition = std::move(condition);
}

void ModelBuilder::OpenMacros(const Token& token) {
    RequireBlock(token, "*Macros");
    PushBlock(BlockKind::Macros, Target{-1, -1, -1, true}, token, "*Macros");
}

// Name: value inside *Macros, defined for the block around the *Macros.
void ModelBuilder::DefineValueMacro(const Token& token) {
    if (!token.bare) {
        throw ReadFailure(Where(token), Shown(token) + " inside *Macros: its entries are written 'Name: value', without '*'");
    }
    const std::string name = CheckedName(token, "macro", token.keyword);
    if (NamesMacro(token.value, name)) throw ReadFailure(Where(token), "the macro " + name + " names itself");
    std::string value = Substitute(token.value, Where(token));
    if (NextOpens()) throw ReadFailure(Where(token), "the macro " + name + " cannot open a block");
    blocks_[blocks_.size() - 2].valueMacros[name] = std::move(value);
}

void ModelBuilder::DefineBlockMacro(const Token& token) {
    const std::string name = CheckedName(token, "block macro", token.value);
    Body body = std::make_shared<const std::vector<Token>>(CaptureBlock(token, "*BlockMacro: " + name));
    blocks_.back().blockMacros[name] = std::move(body);
}

void ModelBuilder::InsertBlock(const Token& token) {
    const std::string& value = token.value;
    if (value.size() < 2 || value[0] != '=') throw ReadFailure(Where(token), "*InsertBlock needs =Name, found '" + value + "'");
    const std::string name = value.substr(1);
    Body body = FindBlockMacro(name);
    if (!body) throw ReadFailure(Where(token), "*InsertBlock: =" + name + " names no block macro defined before it");
    for (const Insertion& insertion : insertions_) {
        if (insertion.body == body) throw ReadFailure(Where(token), "the block macro " + name + " inserts itself");
    }
    if (insertions_.size() >= kMaxInsertionDepth) {
        throw ReadFailure(Where(token), "block macros inserted too deeply (more than " + std::to_string(kMaxInsertionDepth) + ")");
    }
    insertions_.push_back(Insertion{std::move(body), 0});
}

void ModelBuilder::IgnoreBlock(const Token& token) { CaptureBlock(token, "*IgnoreBlock"); }

// The entries and braces of the block that follows `entry`, braces balanced, outer ones dropped.
std::vector<Token> ModelBuilder::CaptureBlock(const Token& entry, const std::string& opener) {
    RequireBlock(entry, opener);
    std::vector<Token> body;
    size_t depth = 1;
    for (;;) {
        Token token = Next();
        if (token.kind == Token::Kind::End) throw ReadFailure(Where(entry), "the '{' of " + opener + " is never closed");
        if (token.kind == Token::Kind::Open && blocks_.size() + ++depth > kMaxBlockDepth) {
            throw ReadFailure(Where(token), "blocks nested too deeply (more than " + std::to_string(kMaxBlockDepth) + ")");
        }
        if (token.kind == Token::Kind::Close && --depth == 0) return body;
        body.push_back(std::move(token));
    }
}

// An attribute of the enclosing feature, option or command, or with EXTERN_GLOBAL one of the
// root.
void ModelBuilder::Assign(const Token& token) {
    NoteBooleanCase(token);
    Pending pending = Conditioned(token, token.externGlobal ? Target{} : blocks_.back().owner, "*" + token.keyword, token.value);
    if (NextOpens()) {
        // A construct the model does not keep (*TTFS, a printer command's block, ...): read and dropped.
        RequireBlock(token, Shown(token));
        PushBlock(BlockKind::Other, Target{-1, -1, -1, true}, token, Shown(token));
        return;
    }
    Add(std::move(pending));
}

// The assignment of `value` to `keyword` under the enclosing *Case and *Default conditions,
// outermost first; an EXTERN_GLOBAL one in an option holds while that option is selected.
ModelBuilder::Pending ModelBuilder::Conditioned(const Token& token, const Target& target, const std::string& keyword,
                                                const std::string& value) {
    Pending pending{target, keyword, Assignment{Substitute(value, Where(token)), Where(token), {}}, {}};
    std::vector<Condition>& conditions = pending.assignment.conditions;
    const Target& owner = blocks_.back().owner;
    if (token.externGlobal && !owner.discard && owner.option >= 0) {
        const Feature& feature = model_.features_[static_cast<size_t>(owner.feature)];
        conditions.push_back(Condition{feature.name, feature.options[static_cast<size_t>(owner.option)].name, {}});
    }
    for (const Block& block : blocks_) {
        if (!block.condition) continue;
        if (std::find(std::begin(kNotRelocatable), std::end(kNotRelocatable), token.keyword) != std::end(kNotRelocatable)) {
            throw ReadFailure(Where(token), Shown(token) + " cannot depend on a *Switch (it stands inside " + block.opener + ")");
        }
        if (block.kind == BlockKind::Default) pending.openDefaults.emplace_back(conditions.size(), block.switchIndex);
        conditions.push_back(*block.condition);
    }
    CountConditions(conditions.size(), Where(token));
    return pending;
}

// A Boolean is written TRUE or FALSE; another case (the v4 pages' True) is read the same, with
// a warning.
void ModelBuilder::NoteBooleanCase(const Token& token) {
    if (token.keyword.empty() || token.keyword.back() != '?') return;
    if (token.value == "TRUE" || token.value == "FALSE" || !BooleanValue(token.value)) return;
    model_.warnings_.push_back(Diagnostic{Where(token), "*" + token.keyword + ": " + token.value + " is read as " +
                                                            (*BooleanValue(token.value) ? "TRUE" : "FALSE") +
                                                            "; Booleans are written in capitals"});
}

void ModelBuilder::Add(Pending pending) {
    if (pending.target.discard) return;
    if (!pending.openDefaults.empty()) {
        const size_t innermost = pending.openDefaults.back().second;
        pending_[innermost].push_back(std::move(pending));
        return;
    }
    AttributesOf(pending.target).Add(pending.keyword, std::move(pending.assignment));
}

// Every assignment keeps copies of its conditions; a hostile file could make them many.
void ModelBuilder::CountConditions(size_t count, const SourceLocation& where) {
    conditionsKept_ += count;
    if (conditionsKept_ > kMaxExpandedEntries) {
        throw ReadFailure(where, "more than " + std::to_string(kMaxExpandedEntries) + " *Switch conditions to keep");
    }
}

// A *Default holds when the selection is none of its switch's *Case options, all of which are
// known once the switch closes. Switches close innermost first, so the assignments waiting on
// this one are those whose innermost open *Default it is.
void ModelBuilder::ResolveDefaults(size_t switchIndex) {
    const auto waiting = pending_.find(switchIndex);
    if (waiting == pending_.end()) return;
    std::vector<Pending> resolved = std::move(waiting->second);
    pending_.erase(waiting);
    std::vector<std::string> caseOptions;
    for (const auto& [option, where] : switches_[switchIndex].cases) caseOptions.push_back(option);
    for (Pending& pending : resolved) {
        CountConditions(caseOptions.size(), pending.assignment.where);
        pending.assignment.conditions[pending.openDefaults.back().first].caseOptions = caseOptions;
        pending.openDefaults.pop_back();
        Add(std::move(pending));
    }
}

// Substitutes each =Name outside quotes and command parameters with the macro's value. A name
// no macro defines stays as written when a WDK include that defines such names was modelled.
std::string ModelBuilder::Substitute(const std::string& value, const SourceLocation& where) {
    if (value.find('=') == std::string::npos) return value;
    std::string result;
    bool quoted = false;
    size_t braces = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool startsReference = !quoted && braces == 0 && c == '=' && i + 1 < value.size() && IsNameChar(value[i + 1]) &&
                                     (i == 0 || IsBlank(value[i - 1]) || value[i - 1] == '"' || value[i - 1] == '(' ||
                                      value[i - 1] == ',');
        if (!startsReference) {
            if (quoted && c == '%' && i + 1 < value.size()) {
                result += c;
                result += value[++i];
                continue;
            }
            if (c == '"') quoted = !quoted;
            if (!quoted && c == '{') ++braces;
            if (!quoted && c == '}' && braces > 0) --braces;
            result += c;
            continue;
        }
        size_t end = i + 1;
        while (end < value.size() && IsNameChar(value[end])) ++end;
        const std::string name = value.substr(i + 1, end - i - 1);
        if (const std::string* macro = FindValueMacro(name)) {
            result += *macro;
        } else if (!source_.suppliedIncludes.empty()) {
            result += "=" + name;
        } else {
            throw ReadFailure(where, "=" + name + " names no macro defined before it");
        }
        substitutedBytes_ += result.size();
        if (result.size() > kMaxValueBytes) throw ReadFailure(where, "macros make a value longer than 1 MiB");
        if (substitutedBytes_ > kMaxInputBytes) {
            throw ReadFailure(where, "macros expand to more than " + std::to_string(kMaxInputBytes >> 20) + " MiB in all");
        }
        i = end - 1;
    }
    return result;
}

const std::string* ModelBuilder::FindValueMacro(const std::string& name) const {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
        const auto found = block->valueMacros.find(name);
        if (found != block->valueMacros.end()) return &found->second;
    }
    return nullptr;
}

ModelBuilder::Body ModelBuilder::FindBlockMacro(const std::string& name) const {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
        const auto found = block->blockMacros.find(name);
        if (found != block->blockMacros.end()) return found->second;
    }
    return nullptr;
}

// A symbolic name: letters, digits and '_'. One that starts with other than a letter is
// accepted with a warning where it is declared, as Unidrv accepts the documentation's own
// `360dpi` and `2Holes`; so is a feature or option name with punctuation that is no GPD syntax
// (`Tray-1.5`), which the Print Schema names substitute or keep. A macro's name stays symbolic,
// since =Name references end at its first other character.
std::string ModelBuilder::CheckedName(const Token& token, const std::string& what, const std::string& value) {
    if (value.empty()) throw ReadFailure(Where(token), "*" + token.keyword + " needs a name");
    if (IsMacroReference(value)) return value;
    const bool mayPunctuate = what == "feature" || what == "option";
    const auto allowed = mayPunctuate ? IsNameCharOrPunctuation : IsNameChar;
    if (!std::all_of(value.begin(), value.end(), allowed)) {
        throw ReadFailure(Where(token), "*" + token.keyword + " needs a name of letters, digits" +
                                            (mayPunctuate ? ", '_' and punctuation such as '-' and '.'" : " and '_'") +
                                            ", got '" + value + "'");
    }
    const bool declared = (what == "feature" && featureIndex_.count(value) != 0) ||
                          (what == "option" && optionIndex_.count({blocks_.back().owner.feature, value}) != 0);
    if (std::string warning = NameWarning(what, value); !warning.empty() && !declared) {
        model_.warnings_.push_back(Diagnostic{Where(token), std::move(warning)});
    }
    return value;
}

// A repeated *Feature adds to the first: its options and attributes join the earlier ones.
int ModelBuilder::FeatureIndex(const std::string& name, const SourceLocation& where) {
    auto& features = model_.features_;
    const auto [found, added] = featureIndex_.try_emplace(name, static_cast<int>(features.size()));
    if (added) features.push_back(Feature{name, where, {}, {}});
    return found->second;
}

int ModelBuilder::OptionIndex(int feature, const std::string& name, const SourceLocation& where) {
    auto& options = model_.features_[static_cast<size_t>(feature)].options;
    const auto [found, added] = optionIndex_.try_emplace(std::make_pair(feature, name), static_cast<int>(options.size()));
    if (added) options.push_back(Option{name, where, {}, {}});
    return found->second;
}

int ModelBuilder::CommandIndex(const Target& option, const std::string& name, const SourceLocation& where) {
    auto& commands =
        model_.features_[static_cast<size_t>(option.feature)].options[static_cast<size_t>(option.option)].commands;
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].name == name) return static_cast<int>(i);
    }
    commands.push_back(Command{name, where, {}});
    return static_cast<int>(commands.size() - 1);
}

Attributes& ModelBuilder::AttributesOf(const Target& target) {
    if (target.discard) return discarded_;
    if (target.feature < 0) return model_.root_;
    Feature& feature = model_.features_[static_cast<size_t>(target.feature)];
    if (target.option < 0) return feature.attributes;
    Option& option = feature.options[static_cast<size_t>(target.option)];
    if (target.command < 0) return option.attributes;
    return option.commands[static_cast<size_t>(target.command)].attributes;
}

const ModelBuilder::Block* ModelBuilder::Innermost(BlockKind kind) const {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
        if (block->kind == kind) return &*block;
    }
    return nullptr;
}

void ModelBuilder::Finish() {
    CheckSwitches();
    CheckDefaults();
    model_.files_ = source_.files;
    model_.suppliedIncludes_ = source_.suppliedIncludes;
    model_.warnings_.insert(model_.warnings_.begin(), source_.warnings.begin(), source_.warnings.end());
}

// A *Switch names a feature of the GPD, and each *Case one of its options; the feature may
// come later in the stream than the switch.
void ModelBuilder::CheckSwitches() const {
    for (const Switch& switched : switches_) {
        const auto feature = featureIndex_.find(switched.feature);
        if (feature == featureIndex_.end()) {
            throw ReadFailure(switched.where, "*Switch: " + switched.feature + " names no feature of the GPD");
        }
        for (const auto& [option, where] : switched.cases) {
            if (HasOption(feature->second, option)) continue;
            throw ReadFailure(where, "*Case: " + option + " is not an option of " + switched.feature + " (its options: " +
                                         Listed(OptionNames(model_.features_[static_cast<size_t>(feature->second)])) + ")");
        }
    }
}

void ModelBuilder::CheckDefaults() const {
    for (size_t index = 0; index < model_.features_.size(); ++index) {
        const Feature& feature = model_.features_[index];
        for (const Assignment& assignment : feature.attributes.All("*DefaultOption")) {
            if (HasOption(static_cast<int>(index), assignment.value)) continue;
            throw ReadFailure(assignment.where, "*DefaultOption: " + assignment.value + " is not an option of " + feature.name +
                                                    " (its options: " + Listed(OptionNames(feature)) + ")");
        }
    }
}

// Whether the feature has the option, or the name is a macro the WDK's includes define.
bool ModelBuilder::HasOption(int feature, const std::string& option) const {
    return optionIndex_.count({feature, option}) != 0 || IsMacroReference(option);
}

}  // namespace gpd
