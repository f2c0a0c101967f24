// The commands, one function each; each returns the exit code. Reading
// commands (show, check, get, dump) are in read_commands.cpp, those that
// write the file (set, set-resolution) in write_commands.cpp.
#pragma once

#include "command_line.h"
#include "file_report.h"

#include <memory>
#include <string>
#include <vector>

namespace qorvazel {

int Show(const Arguments& args);
int Check(const Arguments& args);
int Get(const Arguments& args);
int Dump(const Arguments& args);
int Set(const Arguments& args);
int SetResolution(const Arguments& args);
// With the game's schema (the settings kit's): schema_commands.cpp.
int SchemaCheck(const Arguments& args);     // schema check FILE
int CheckWithSchema(const Arguments& args); // check --schema SCHEMA FILE

// What the commands share.

// Prints "qorvazel: PATH: REASON" on standard error and returns kExitFile,
// or kExitProblems for Refused.
int FileError(const std::string& path, const std::string& reason);
int Refused(const std::string& path, const std::string& reason);

// Reads and judges the file; on failure prints why and sets exit.
std::unique_ptr<SettingsFile> Open(const std::string& path, int& exit);

// The options called name (of the type asked for, if any); sets why when
// there is none or the choice is ambiguous.
std::vector<OptionReport*> Select(SettingsFile& file, const std::string& name, const std::string& typeWord,
                                  std::string& why);

} // namespace qorvazel
