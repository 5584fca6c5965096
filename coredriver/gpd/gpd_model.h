// A GPD as the core driver reads it: after the preprocessor, *Include, macros, *IgnoreBlock and
// the merging of repeated entries. Features and options keep the order of their first
// declaration; every attribute keeps each place it was set, with the *Switch/*Case conditions
// around it, so that its value can be resolved against any selections.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gpd {

// Feature name to option name, as the DEVMODE selects them.
using Selections = std::map<std::string, std::string, std::less<>>;

struct SourceLocation {
    std::string file;  // as the reader was given it, or as *Include named it beside its includer
    int line = 0;
    std::string Text() const { return file + ":" + std::to_string(line); }
};

// One *Case (or the *Default) of a *Switch that encloses an assignment.
struct Condition {
    std::string feature;                   // the *Switch's feature
    std::string option;                    // the *Case's option; empty for *Default
    std::vector<std::string> caseOptions;  // every *Case option of the same *Switch, for *Default
    bool Holds(const Selections& selections) const;
};

// One place where an attribute is set.
struct Assignment {
    std::string value;  // the value as written: macros substituted, comments and `+` joins done, trimmed
    SourceLocation where;
    std::vector<Condition> conditions;  // outermost first; empty when unconditional
    bool Holds(const Selections& selections) const;
};

// Attributes by keyword as written, with the leading `*` and any trailing `?`
// ("*Name", "*ConcealFromUI?"). EXTERN_GLOBAL attributes are kept under their own keyword at
// the root.
class Attributes {
public:
    // The assignment that wins under `selections`: the last one in reading order whose
    // conditions hold. Null when none does.
    const Assignment* Resolve(const std::string& keyword, const Selections& selections = {}) const;
    // The value that wins, if any.
    std::optional<std::string> Value(const std::string& keyword, const Selections& selections = {}) const;
    // Whether the keyword is set anywhere, under any condition.
    bool Has(const std::string& keyword) const;
    // Every place the keyword is set, in reading order (empty when it is not).
    const std::vector<Assignment>& All(const std::string& keyword) const;

    void Add(const std::string& keyword, Assignment assignment);
    const std::map<std::string, std::vector<Assignment>, std::less<>>& Map() const { return byKeyword_; }

private:
    std::map<std::string, std::vector<Assignment>, std::less<>> byKeyword_;
};

// A *Command entry of an option or a feature, e.g. CmdSelect with its *Order and *Cmd.
struct Command {
    std::string name;  // "CmdSelect"
    SourceLocation where;
    Attributes attributes;  // "*Order", "*Cmd", ...; the short form's string is its "*Cmd"
};

struct Option {
    std::string name;
    SourceLocation where;  // its first declaration
    Attributes attributes;
    std::vector<Command> commands;  // merged by name, in the order first declared
    const Command* FindCommand(const std::string& name) const;
};

struct Feature {
    std::string name;
    SourceLocation where;  // its first declaration
    Attributes attributes;
    std::vector<Option> options;  // merged by name, in the order first declared
    const Option* FindOption(const std::string& name) const;
};

// A note that does not stop the reading: a name that breaks the symbolic-name rule, an
// include the WDK supplies and that is not beside the GPD, and the like.
struct Diagnostic {
    SourceLocation where;
    std::string message;
    std::string Text() const { return where.Text() + ": " + message; }
};

struct ReadOptions {
    // Symbols defined before the root file is read, besides the core driver's own
    // (WINNT_40 WINNT_50 WINNT_51 WINNT_60 PARSER_VER_1.0).
    std::vector<std::string> defines;
    // Where *Include looks after the including file's directory.
    std::vector<std::string> includeDirectories;
};

// The preprocessor symbols the core driver defines on current Windows, which ReadOptions::defines
// adds to.
std::vector<std::string> CoreDriverSymbols();

class GpdModel {
public:
    // Reads the root GPD at `path` and what it includes. False with `error` as
    // "FILE:LINE: message" (or "FILE: message" when a file cannot be read) on the first fault.
    static bool Read(const std::string& path, const ReadOptions& options, GpdModel& model, std::string& error);
    // The same for GPD text; `name` names it in messages, and includes are looked for beside it.
    static bool Parse(const std::string& name, const std::string& text, const ReadOptions& options, GpdModel& model,
                      std::string& error);

    const std::vector<Feature>& Features() const { return features_; }
    const Feature* FindFeature(const std::string& name) const;
    // Root-level attributes, EXTERN_GLOBAL ones included (*ModelName, *IsXPSDriver?, ...).
    const Attributes& Root() const { return root_; }
    // Whether the core driver runs it as an XPSDrv driver (*IsXPSDriver?: TRUE, which the
    // WDK's MSXpsInc.gpd sets).
    bool IsXpsDriver() const;
    // The files read, root first, in the order first opened.
    const std::vector<std::string>& Files() const { return files_; }
    // Includes the WDK supplies that were not found and were modelled instead ("MSXpsInc.gpd").
    const std::vector<std::string>& SuppliedIncludes() const { return suppliedIncludes_; }
    const std::vector<Diagnostic>& Warnings() const { return warnings_; }

    // The option that *DefaultOption (resolved against `selections`) or else the first option
    // names for `feature`.
    std::string DefaultOption(const Feature& feature, const Selections& selections) const;
    // What the DEVMODE selects: `chosen`, and for every other feature its default option
    // resolved against the selections it depends on. False with a message listing what the
    // GPD has when `chosen` names a feature or option the GPD lacks, or naming the features when
    // conditional defaults depend on each other in a cycle.
    bool Select(const Selections& chosen, Selections& selections, std::string& error) const;

private:
    friend class ModelBuilder;

    std::vector<Feature> features_;
    Attributes root_;
    std::vector<std::string> files_;
    std::vector<std::string> suppliedIncludes_;
    std::vector<Diagnostic> warnings_;
};

}  // namespace gpd
