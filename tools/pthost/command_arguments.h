// What pthost's commands share in reading their arguments and in reporting what stops them.
#pragma once

#include <gpd/gpd_model.h>

#include <cstddef>
#include <string>
#include <vector>

namespace pthost {

// "pthost COMMAND: message (see pthost COMMAND --help)" on standard error; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);

// The message on standard error, with "pthost: " before it unless it names pthost already;
// returns kExitUsage.
int CannotRun(const std::string& message);

// The value of the option `name` at args[i]: "NAME VALUE" or "NAME=VALUE". Advances i past a
// separate value; false (with `error`) when it is missing or empty, and when args[i] is not the
// option at all (`error` then stays empty).
bool OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
                 std::string& error);

// "FEATURE=OPTION", an --option's value, into the selections; false with the reason.
bool AddSelection(const std::string& value, gpd::Selections& selections, std::string& error);

// The arguments the commands that select GPD options share: --option FEATURE=OPTION
// (repeatable), -o OUT for those that write a document, and -h, --help.
struct SelectionArguments {
    gpd::Selections chosen;
    std::string output;  // empty: standard output, as "-o -" says too
    bool help = false;
};

// Takes args[i] into `arguments` when it is one of them, advancing i past a separate value (-o
// only when `takesOutput`). False (with `error`) when its value is missing or wrong, and when
// args[i] is none of them (`error` then stays empty).
bool TakeSelectionArgument(const std::vector<std::string>& args, size_t& i, bool takesOutput,
                           SelectionArguments& arguments, std::string& error);

}  // namespace pthost
