// The last stage of reading: the entries and braces, turned into features, options, commands
// and attributes. It keeps the open blocks on a stack of its own (never the call stack), the
// macros in scope with each block, *Switch/*Case conditions, and the block macros being inserted.
#pragma once

#include <gpd/gpd_entry_reader.h>
#include <gpd/gpd_model.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gpd {

class ModelBuilder {
public:
    ModelBuilder(const SourceText& source, GpdModel& model) : source_(source), reader_(source), model_(model) {}

    // Builds the model from the whole stream; throws ReadFailure on a fault.
    void Run();

private:
    enum class BlockKind { Root, Feature, Option, Command, Switch, Case, Default, Macros, Other };
    // Where an entry's attributes go: the root, a feature, an option or an option's command.
    struct Target {
        int feature = -1;
        int option = -1;
        int command = -1;
        bool discard = false;  // inside a block the model does not keep
    };
    using Body = std::shared_ptr<const std::vector<Token>>;
    struct Block {
        BlockKind kind = BlockKind::Root;
        Target owner;
        std::string opener;  // "*Feature: A", for messages
        SourceLocation where;
        size_t switchIndex = 0;                // Switch, Case, Default: into switches_
        std::optional<Condition> condition;    // Case, Default
        std::map<std::string, std::string, std::less<>> valueMacros;
        std::map<std::string, Body, std::less<>> blockMacros;
    };
    struct Switch {
        std::string feature;
        SourceLocation where;
        std::vector<std::pair<std::string, SourceLocation>> cases;
    };
    // An assignment under a *Default, kept back until its *Switch closes and its *Case options
    // are all known.
    struct Pending {
        Target target;
        std::string keyword;
        Assignment assignment;
        std::vector<std::pair<size_t, size_t>> openDefaults;  // (condition index, switch index), outermost first
    };
    struct Insertion {
        Body body;
        size_t next = 0;
    };

    Token Next();
    bool NextOpens();
    void Handle(const Token& token);
    void HandleEntry(const Token& token);
    void CloseBlock();
    void PushBlock(BlockKind kind, Target owner, const Token& entry, const std::string& opener);
    void RequireBlock(const Token& entry, const std::string& opener);

    void OpenFeature(const Token& token);
    void OpenOption(const Token& token);
    void OpenCommand(const Token& token);
    void OpenSwitch(const Token& token);
    void OpenCase(const Token& token);
    void OpenMacros(const Token& token);
    void DefineValueMacro(const Token& token);
    void DefineBlockMacro(const Token& token);
    void InsertBlock(const Token& token);
    void IgnoreBlock(const Token& token);
    void Assign(const Token& token);
    Pending Conditioned(const Token& token, const Target& target, const std::string& keyword, const std::string& value);
    void NoteBooleanCase(const Token& token);
    void Add(Pending pending);
    void CountConditions(size_t count, const SourceLocation& where);
    void ResolveDefaults(size_t switchIndex);

    std::vector<Token> CaptureBlock(const Token& entry, const std::string& opener);
    std::string Substitute(const std::string& value, const SourceLocation& where);
    const std::string* FindValueMacro(const std::string& name) const;
    Body FindBlockMacro(const std::string& name) const;
    std::string CheckedName(const Token& token, const std::string& what, const std::string& value);
    int FeatureIndex(const std::string& name, const SourceLocation& where);
    int OptionIndex(int feature, const std::string& name, const SourceLocation& where);
    int CommandIndex(const Target& option, const std::string& name, const SourceLocation& where);
    Attributes& AttributesOf(const Target& target);
    const Block* Innermost(BlockKind kind) const;
    void Finish();
    void CheckSwitches() const;
    void CheckDefaults() const;
    bool HasOption(int feature, const std::string& option) const;

    SourceLocation Where(const Token& token) const { return source_.Where(token.file, token.line); }

    const SourceText& source_;
    EntryReader reader_;
    GpdModel& model_;
    std::vector<Block> blocks_;
    std::vector<Switch> switches_;
    std::map<size_t, std::vector<Pending>> pending_;  // by the switch of the innermost open *Default
    std::map<std::string, int, std::less<>> featureIndex_;
    std::map<std::pair<int, std::string>, int> optionIndex_;
    size_t conditionsKept_ = 0;
    size_t substitutedBytes_ = 0;
    std::vector<Insertion> insertions_;
    std::optional<Token> lookahead_;
    size_t entriesRead_ = 0;
    SourceLocation lastOpen_;  // the '{' RequireBlock took last
    Attributes discarded_;
};

}  // namespace gpd
