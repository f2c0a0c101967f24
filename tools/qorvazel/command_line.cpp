// The command line: options, the command table, dispatch.
#include "command_line.h"

#include "commands.h"
#include "file_report.h"
#include "help.h"
#include "output_text.h"

#include "qorva_zel.h"

#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

namespace {

// "-5" and "-.5" are values, not options.
bool LooksLikeOption(const std::string& argument)
{
    return argument.size() > 1 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9') &&
           argument[1] != '.';
}

struct Command {
    const char* Name;
    std::size_t Positional; // arguments, FILE included
    int (*Run)(const Arguments&);
};

const Command kCommands[] = {
    {"show", 1, Show}, {"check", 1, Check}, {"get", 2, Get}, {"set", 3, Set}, {"set-resolution", 2, SetResolution},
    {"dump", 1, Dump}, {"schema", 2, SchemaCheck},
};

} // namespace

int Usage(const std::string& message)
{
    std::cerr << "qorvazel: " << Printable(message) << "\nTry 'qorvazel --help'.\n";
    return kExitUsage;
}

int Run(const std::vector<std::string>& argv)
{
    Arguments args;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& argument = argv[i];
        if (optionsEnd || !LooksLikeOption(argument)) {
            if (args.Command.empty()) {
                args.Command = argument;
            } else {
                args.Positional.push_back(argument);
            }
        } else if (argument == "--") {
            optionsEnd = true;
        } else if (argument == "-v" || argument == "--verbose") {
            args.Verbose = true;
        } else if (argument == "-h" || argument == "--help") {
            args.Help = true;
        } else if (argument == "--json") {
            args.Json = true;
        } else if (argument == "--version") {
            std::cout << "qorvazel " << QORVA_ZEL_VERSION_MAJOR << "." << QORVA_ZEL_VERSION_MINOR << "."
                      << QORVA_ZEL_VERSION_BUILD << "." << QORVA_ZEL_VERSION_REVISION << "\n";
            return kExitOk;
        } else if (argument == "--schema" || argument.compare(0, 9, "--schema=") == 0) {
            if (argument == "--schema") {
                if (++i == argv.size()) {
                    return Usage("--schema needs the game's schema file");
                }
                args.Schema = argv[i];
            } else {
                args.Schema = argument.substr(9);
            }
            if (args.Schema.empty()) {
                return Usage("--schema needs the game's schema file");
            }
        } else if (argument == "--type" || argument.compare(0, 7, "--type=") == 0) {
            if (argument == "--type") {
                if (++i == argv.size()) {
                    return Usage("--type needs Integer, Float, Enum or Bool");
                }
                args.Type = argv[i];
            } else {
                args.Type = argument.substr(7);
            }
            if (TypeFromName(args.Type) < 0) {
                return Usage("--type " + args.Type + ": not Integer, Float, Enum or Bool");
            }
        } else {
            return Usage("unknown option " + argument);
        }
    }
    if (args.Command.empty() || args.Command == "help") {
        const char* help = args.Positional.empty() ? kToolHelp : HelpOf(args.Positional[0]);
        if (help == nullptr) {
            return Usage("no command " + args.Positional[0]);
        }
        std::cout << help;
        return args.Command.empty() && !args.Help ? kExitUsage : kExitOk;
    }
    for (const Command& command : kCommands) {
        if (args.Command != command.Name) {
            continue;
        }
        if (args.Help) {
            std::cout << HelpOf(command.Name);
            return kExitOk;
        }
        if (args.Positional.size() != command.Positional) {
            std::cerr << HelpOf(command.Name);
            return kExitUsage;
        }
        if (args.Json && args.Command != "show") {
            return Usage("--json is for show");
        }
        if (!args.Type.empty() && args.Command != "get" && args.Command != "set") {
            return Usage("--type is for get and set");
        }
        if (!args.Schema.empty()) {
            if (args.Command != "check") {
                return Usage("--schema is for check");
            }
            return CheckWithSchema(args);
        }
        return command.Run(args);
    }
    return Usage("no command " + args.Command);
}

} // namespace qorvazel
