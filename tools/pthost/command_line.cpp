// pthost's command line: `pthost [--plugin PATH] [--gpd FILE] [--define SYMBOL]... COMMAND ...`,
// the rest handed to the command.
#include "command.h"
#include "conversion_commands.h"
#include "gpd_commands.h"

#include <gpd/gpd_model.h>
#include <session/loaded_module.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace pthost {
namespace {

// Add a row to add a command.
const Command kCommands[] = {
    {"info", "", "print the plug-in's signature, version, DEVMODE section size, namespace and versions", RunInfo},
    {"to-ticket", kConversionArguments, "run ConvertDevModeToPrintTicket on a PrintTicket made from a DEVMODE",
     RunToTicket},
    {"to-devmode", kConversionArguments,
     "run ConvertPrintTicketToDevMode on a PrintTicket about to become a DEVMODE", RunToDevMode},
    {"capabilities", kConversionArguments, "run CompletePrintCapabilities on a PrintCapabilities document",
     RunCapabilities},
    {"features", kFeaturesArguments, "print the GPD's features as the core driver reads them", RunFeatures},
    {"check", kCheckArguments, "check the driver package (GPD, .ini, INF) against what the plug-in needs", RunCheck},
    {"document", "capabilities|ticket [--option FEATURE=OPTION]... [-o OUT]",
     "write the PrintCapabilities or PrintTicket the core driver builds from the GPD (needs --gpd)", RunDocument},
};

// A global option, the name of its value as the usage line writes it, and where it goes.
struct GlobalOption {
    const char* name;
    const char* value;
    void (*store)(GlobalOptions& global, const std::string& value);
};

const GlobalOption kGlobalOptions[] = {
    {"--plugin", "PATH", [](GlobalOptions& global, const std::string& value) { global.modulePath = value; }},
    {"--gpd", "FILE", [](GlobalOptions& global, const std::string& value) { global.gpdPath = value; }},
    {"--define", "SYMBOL", [](GlobalOptions& global, const std::string& value) { global.defines.push_back(value); }},
};

void PrintHelp() {
    std::cout << "usage: pthost [--plugin PATH] [--gpd FILE] [--define SYMBOL]... COMMAND [ARGUMENTS...]\n"
                 "\n"
                 "Plays the printer's core driver: loads the plug-in module through its two exports\n"
                 "and drives its UI plug-in and Print Ticket provider as the core driver does.\n"
                 "\n"
                 "commands (pthost COMMAND --help for more):\n";
    for (const Command& command : kCommands) {
        std::cout << "  " << command.name << (*command.arguments ? " " : "") << command.arguments << "\n"
                  << "      " << command.summary << "\n";
    }
    std::string symbols;
    for (const std::string& symbol : gpd::CoreDriverSymbols()) symbols += " " + symbol;
    std::cout << "\n"
                 "options, before the command:\n"
                 "  --plugin PATH    the plug-in module (default: the one built beside pthost)\n"
                 "  --gpd FILE       answer GetOption from this GPD, read as the core driver reads it\n"
                 "                   (*Include files beside the file that includes them): each\n"
                 "                   feature's default option, unless the command's --option selects\n"
                 "                   another\n"
                 "  --define SYMBOL  define a preprocessor symbol for the GPD's *Ifdef, besides the core\n"
                 "                   driver's own:"
              << symbols
              << "; repeatable\n"
                 "  -h, --help       show this help\n";
}

int UsageError(const std::string& message) {
    std::cerr << "pthost: " << message << " (see pthost --help)\n";
    return kExitUsage;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

// Whether `arg` is `option` as "--name=VALUE"; the value, possibly empty, goes to `value`.
bool IsJoined(const std::string& arg, const GlobalOption& option, std::string& value) {
    const std::string prefix = std::string(option.name) + "=";
    if (arg.rfind(prefix, 0) != 0) return false;
    value = arg.substr(prefix.size());
    return true;
}

// Reads the global option at args[i], advancing past its value; false with a message.
bool ReadGlobalOption(const std::vector<std::string>& args, size_t& i, GlobalOptions& global, std::string& error) {
    for (const GlobalOption& option : kGlobalOptions) {
        std::string value;
        if (args[i] == option.name) {
            if (i + 1 < args.size()) value = args[++i];
        } else if (!IsJoined(args[i], option, value)) {
            continue;
        }
        if (value.empty()) error = std::string(option.name) + " needs " + option.value;
        if (error.empty()) option.store(global, value);
        return error.empty();
    }
    error = "unknown option '" + args[i] + "'";
    return false;
}

int Dispatch(const std::vector<std::string>& args) {
    GlobalOptions global;
    size_t i = 0;
    for (; i < args.size() && !args[i].empty() && args[i][0] == '-'; ++i) {
        if (args[i] == "-h" || args[i] == "--help") {
            PrintHelp();
            return kExitSucceeded;
        }
        std::string error;
        if (!ReadGlobalOption(args, i, global, error)) return UsageError(error);
    }
    if (i == args.size()) return UsageError("no command given");
    const Command* command = FindCommand(args[i]);
    if (command == nullptr) return UsageError("unknown command '" + args[i] + "'");
    if (global.modulePath.empty()) global.modulePath = ModuleBesideExecutable();
    if (global.modulePath.empty()) return UsageError("cannot find the plug-in module beside pthost; give --plugin PATH");
    return command->run(global, std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()));
}

// Flushes standard output; false with the reason when anything written to it was lost.
bool StandardOutputWritten(std::string& reason) {
    errno = 0;
    std::cout.flush();
    const bool streamFailed = !std::cout;
    const bool flushFailed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (!streamFailed && !flushFailed) return true;
    reason = errno != 0 ? std::strerror(errno) : "write error";
    return false;
}

}  // namespace

std::string MisplacedGlobalOption(const std::string& arg, const std::string& command) {
    for (const GlobalOption& option : kGlobalOptions) {
        std::string value;
        if (arg == option.name || IsJoined(arg, option, value)) {
            return std::string(option.name) + " goes before the command: pthost " + option.name + " " +
                   option.value + " " + command + " ...";
        }
    }
    return {};
}

int Main(const std::vector<std::string>& args) {
    try {
        const int status = Dispatch(args);
        std::string reason;
        // A command that already failed with status 2 has said why; its output is moot.
        if (StandardOutputWritten(reason) || status == kExitUsage) return status;
        std::cerr << "pthost: cannot write standard output: " << reason << "\n";
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        std::fputs("pthost: out of memory\n", stderr);
        return kExitUsage;
    }
}

#ifdef _WIN32
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(length > 0 ? length : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), length, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    return args;
}
#endif

}  // namespace pthost
