// pthost's command line: `pthost [--plugin PATH] COMMAND ...`, the rest handed to the command.
#include "command.h"
#include "conversion_commands.h"

#include <host/loaded_module.h>

#include <cstddef>
#include <iostream>
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
};

void PrintHelp() {
    std::cout << "usage: pthost [--plugin PATH] COMMAND [ARGUMENTS...]\n"
                 "\n"
                 "Plays the printer's core driver: loads the plug-in module through its two exports\n"
                 "and drives its UI plug-in and Print Ticket provider as the core driver does.\n"
                 "\n"
                 "commands (pthost COMMAND --help for more):\n";
    for (const Command& command : kCommands) {
        std::cout << "  " << command.name << (*command.arguments ? " " : "") << command.arguments << "\n"
                  << "      " << command.summary << "\n";
    }
    std::cout << "\n"
                 "options:\n"
                 "  --plugin PATH  the plug-in module (default: the one built beside pthost)\n"
                 "  -h, --help     show this help\n";
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

}  // namespace

int Main(const std::vector<std::string>& args) {
    std::string modulePath;
    size_t i = 0;
    for (; i < args.size() && !args[i].empty() && args[i][0] == '-'; ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            PrintHelp();
            return kExitSucceeded;
        }
        if (arg == "--plugin") {
            if (i + 1 == args.size() || args[i + 1].empty()) return UsageError("--plugin needs a PATH");
            modulePath = args[++i];
        } else if (arg.rfind("--plugin=", 0) == 0 && arg.size() > 9) {
            modulePath = arg.substr(9);
        } else {
            return UsageError("unknown option '" + arg + "'");
        }
    }
    if (i == args.size()) return UsageError("no command given");
    const Command* command = FindCommand(args[i]);
    if (command == nullptr) return UsageError("unknown command '" + args[i] + "'");
    if (modulePath.empty()) modulePath = ModuleBesideExecutable();
    if (modulePath.empty()) return UsageError("cannot find the plug-in module beside pthost; give --plugin PATH");
    return command->run(modulePath, std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()));
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

