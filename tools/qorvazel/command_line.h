// The command line: options taken out, the command found and run.
#pragma once

#include <string>
#include <vector>

namespace qorvazel {

// The command line once options are taken out.
struct Arguments {
    std::string Command;
    std::vector<std::string> Positional; // FILE first
    bool Verbose = false;
    bool Json = false;
    bool Help = false;
    std::string Type;
    std::string Schema; // check --schema FILE: the game's schema (the settings kit's)
};

// Runs the command argv names (argv[0] is the program) and returns the exit
// code.
int Run(const std::vector<std::string>& argv);

// Prints message and a hint to --help on standard error; returns kExitUsage.
int Usage(const std::string& message);

} // namespace qorvazel
