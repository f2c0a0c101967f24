// The commands that use a game's schema (the settings kit's schema file):
// schema check, and check --schema. They use the kit's own schema reader,
// migrations and judging code (qorva_zel_kit_internal), so that the tool
// says what the game's kit would say.
#include "commands.h"
#include "output_text.h"

#include "kit/file_options.h"
#include "kit/load_report.h"
#include "kit/migration.h"
#include "kit/schema.h"
#include "platform/file_io.h"

#include <iostream>
#include <string>
#include <vector>

namespace qorvazel {

using namespace qorva_zel;

namespace {

// Reads and checks the schema at path. On failure prints why it cannot be
// used and sets exit: kExitFile when it cannot be read, broken when it has
// an error (printed on standard output when that is the command's finding).
bool ReadSchemaFile(const std::string& path, kit::Schema& schema, int& exit, int broken)
{
    std::string text;
    if (ReadWholeFile(LibraryPath(path), text) != ReadOutcome::Ok) {
        exit = FileError(path, "the schema cannot be read (missing, not a regular file, or unreadable)");
        return false;
    }
    std::string message;
    if (!kit::ReadSchema(text, path, schema, message)) {
        if (broken == kExitProblems) {
            std::cout << Printable(message) << "\n";
        } else {
            std::cerr << "qorvazel: the schema has an error: " << Printable(message) << "\n";
        }
        exit = broken;
        return false;
    }
    return true;
}

} // namespace

int SchemaCheck(const Arguments& args)
{
    if (args.Positional[0] != "check") {
        return Usage("schema " + args.Positional[0] + ": the schema command is 'schema check FILE'");
    }
    const std::string& path = args.Positional[1];
    kit::Schema schema;
    int exit = kExitOk;
    if (!ReadSchemaFile(path, schema, exit, kExitProblems)) {
        return exit;
    }
    if (args.Verbose) {
        std::cout << Printable(path) << ": a valid schema (settings version " << schema.SettingsVersion << ", "
                  << schema.Options.size() << " options, " << schema.Presets.size() << " presets, "
                  << schema.Tiers.size() << " tiers, " << schema.Migrations.size() << " migrations)\n";
    }
    return kExitOk;
}

// The file judged as the game's kit judges it when it loads the file: an
// older file migrated first (in memory; the file is not changed), then
// every value checked against the schema's limits, not the file's. The tool
// does not know the player's machine: every option counts as available, and
// the defaults are the schema's plain ones (no platform tags).
int CheckWithSchema(const Arguments& args)
{
    kit::Schema schema;
    int exit = kExitOk;
    if (!ReadSchemaFile(args.Schema, schema, exit, kExitFile)) {
        return exit;
    }
    const std::unique_ptr<SettingsFile> file = Open(args.Positional[0], exit);
    if (file == nullptr) {
        return exit;
    }
    std::vector<kit::KitValue> defaults;
    for (const kit::SchemaOption& option : schema.Options) {
        defaults.push_back(option.Default);
    }
    const std::vector<bool> available(schema.Options.size(), true);

    std::vector<kit::FileOption> options = kit::ReadFileOptions(file->Document);
    const std::uint32_t version = kit::FileVersion(options);
    if (version < schema.SettingsVersion) {
        kit::MigrateOptions(options, schema, version, defaults);
    }
    const std::string path = Printable(file->Path);
    std::size_t problems = 0;
    if (!file->HasSettings) {
        std::cout << path << ":1:1: no-settings: " << kNoSettingsProblem << "\n";
        ++problems;
    }
    if (args.Verbose) {
        std::cout << path << ": settings version " << version << ", the schema's " << schema.SettingsVersion
                  << (version < schema.SettingsVersion ? " (judged as migrated; the file is not changed)"
                      : version > schema.SettingsVersion ? " (a newer file: judged as it is)"
                                                          : "")
                  << "\n";
    }
    const std::vector<kit::Finding> findings =
        kit::JudgeFile(options, file->Document, kit::OptionVerdicts{&schema, &available, &defaults});
    for (const kit::Finding& finding : findings) {
        std::cout << path << ":" << finding.Position.Line << ":" << finding.Position.Column << ": "
                  << kit::FindingKindName(finding.Kind) << ": " << Printable(finding.Message) << "\n";
        ++problems;
    }
    // Only the problems, as check prints them; with -v a clean file too.
    if (problems == 0 && args.Verbose) {
        std::cout << path << ": no problems for " << Printable(args.Schema) << " (" << file->Options.size()
                  << " options)\n";
    }
    return problems == 0 ? kExitOk : kExitProblems;
}

} // namespace qorvazel
