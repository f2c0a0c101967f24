// The tool's help texts: the whole tool's and each command's.
#include "help.h"

namespace qorvazel {

const char kToolHelp[] =
    "usage: qorvazel COMMAND [OPTIONS] FILE [ARGUMENTS]\n"
    "\n"
    "Reads, checks and changes a game's settings file (GFXSettings.<game>.xml)\n"
    "with the library's own reading, validation and writing.\n"
    "\n"
    "commands:\n"
    "  show FILE [--json]              the resolution and every option, with verdicts\n"
    "  check FILE                      only the problems; exit 1 when there are any\n"
    "  get FILE NAME [--type TYPE]     the value of one option, as the library reads it\n"
    "  set FILE NAME VALUE [--type TYPE]\n"
    "                                  changes one option, within the limits the file records\n"
    "  set-resolution FILE WxH@RATE    changes the resolution, e.g. 1920x1080@59.94\n"
    "  dump FILE                       the file as UTF-8 XML on standard output\n"
    "  check --schema SCHEMA FILE      the problems the game with SCHEMA would find\n"
    "  schema check SCHEMA             checks a game's schema (the settings kit's)\n"
    "  help [COMMAND]                  this text, or a command's\n"
    "\n"
    "options: -v/--verbose (what set and set-resolution did; check: a clean file too),\n"
    "         -h/--help, --version,\n"
    "         -- (what follows is no option: a FILE or VALUE may start with -)\n"
    "exit codes: 0 done, no problems; 1 problems found or the request refused;\n"
    "            2 the file cannot be read, is not well-formed or cannot be written;\n"
    "            3 wrong command line;\n"
    "            4 the file changed since it was read (a game saved it); nothing written\n";

namespace {

struct CommandHelp {
    const char* Name;
    const char* Text;
};

const CommandHelp kCommandHelp[] = {
    {"show", "usage: qorvazel show FILE [--json]\n"
             "\n"
             "Prints the file's encoding, application strings, resolution and listed modes,\n"
             "and every OPTION element: name, type, the text the file holds, the value the\n"
             "library reads from it, its limits as the file records them, whether the game\n"
             "registered it, and a verdict: fine, misread (the text is not what it reads as),\n"
             "refused (its own limits refuse it: the game keeps its value) or malformed\n"
             "(skipped by the library). --json prints the same as one JSON object (its shape\n"
             "is described in docs/settings-file.md).\n"},
    {"check", "usage: qorvazel check FILE\n"
              "       qorvazel check --schema SCHEMA FILE\n"
              "\n"
              "Prints each problem as FILE:LINE:COLUMN: KIND: message, and nothing else: a\n"
              "clean file prints nothing (with -v one line saying so). A file without the\n"
              "settings element (empty, or another XML document) is a problem: the game\n"
              "loads nothing from it. Exit 0 when there is no problem, 1 when there are, 2\n"
              "when the file cannot be read (missing, not a regular file, too large, not\n"
              "well-formed).\n"
              "\n"
              "With --schema, the file is judged as the game that ships SCHEMA (the settings\n"
              "kit's schema file) judges it when it loads it: an older file as the game's\n"
              "migrations would make it (the file is not changed), each value against the\n"
              "schema's limits rather than those the file records, options the game does not\n"
              "have named as unknown, hidden ones whose value the game ignores. The words are\n"
              "those of the kit's load report. Every option counts as available (the tool\n"
              "does not know the player's machine) and defaults are the schema's plain ones.\n"
              "A schema that cannot be read or has an error exits with 2.\n"},
    {"get", "usage: qorvazel get FILE NAME [--type Integer|Float|Enum|Bool]\n"
            "\n"
            "Prints the value of option NAME as the library reads it (\"false\" for a Bool\n"
            "written \"On\"). --type picks one of two options that share the name. With -v\n"
            "also its type, limits and verdict.\n"},
    {"set", "usage: qorvazel set FILE NAME VALUE [--type Integer|Float|Enum|Bool]\n"
            "\n"
            "Sets option NAME to VALUE when the limits the file records allow it, and\n"
            "writes the file as the library does (atomically, UTF-16LE). VALUE must read\n"
            "as written: 1.5 for a Float, true/false/yes/no/1/0 for a Bool, an allowed\n"
            "string for an Enum. Refused with the reason: out of range, off step, not\n"
            "allowed, a read-only file. Every option with that name and type is set.\n"
            "The file is written anew from what the library reads, so set refuses what\n"
            "that would change besides the value: an OPTION the library skips, another\n"
            "option's misread text, a resolution the file gives only in part.\n"
            "Prints nothing unless -v.\n"},
    {"set-resolution", "usage: qorvazel set-resolution FILE WIDTHxHEIGHT@RATE\n"
                       "\n"
                       "Sets the resolution, e.g. 1920x1080@59.94. When the file lists modes it must be\n"
                       "one of them. Writes the file as set does; prints nothing unless -v.\n"},
    {"schema", "usage: qorvazel schema check SCHEMA\n"
               "\n"
               "Reads a game's schema file (the settings kit's, docs/kit.md) with the kit's own\n"
               "reader and prints its error as SCHEMA:LINE:COLUMN: problem, the error the\n"
               "game's open would give. Exit 0 when the schema is valid (with -v one line\n"
               "saying what it holds), 1 when it has an error, 2 when it cannot be read.\n"},
    {"dump", "usage: qorvazel dump FILE\n"
             "\n"
             "Prints the file's text as UTF-8 XML (its declaration saying so), whatever the\n"
             "file's own encoding: for grep, diff and support tickets. A file that is not\n"
             "well-formed is printed too, and the command then exits with 2.\n"},
};

} // namespace

const char* HelpOf(std::string_view command)
{
    for (const CommandHelp& help : kCommandHelp) {
        if (command == help.Name) {
            return help.Text;
        }
    }
    return nullptr;
}

} // namespace qorvazel
