// Instructions of one load of a settings file of 300, 1,000 and 20,000
// options, beside pugixml's load_file of the same UTF-16 file (with the
// library's parse flags: what a game would write by hand, before it
// validates anything) and pugixml's parse of the same text in UTF-8 from
// memory (the floor of a reader that builds a DOM). Run under callgrind:
//
//   valgrind --tool=callgrind --callgrind-out-file=DIR/cg.%p load_instructions
//
// Each measured call is framed by CALLGRIND_ZERO_STATS and
// CALLGRIND_DUMP_STATS_AT("case/options/1"), as get_set_instructions does;
// bench/report.py reads both programs' dumps. Instructions leave out the
// kernel's time (reading the file, page faults): the wall-clock table shows
// that.
#include "bench_game.h"

#include <pugixml.hpp>
#include <valgrind/callgrind.h>

#include <cstdio>
#include <string>

namespace {

using namespace qorva_zel_bench;

constexpr unsigned kParseFlags = pugi::parse_declaration | pugi::parse_escapes;

void Dump(const char* what, std::size_t count)
{
    char label[64];
    std::snprintf(label, sizeof label, "%s/%zu/1", what, count);
    CALLGRIND_DUMP_STATS_AT(label);
}

// noinline, so that the compiler cannot fold the calls into the set-up.
__attribute__((noinline)) bool LibraryLoads()
{
    return QORVA_ZEL_LoadConfigFile() == QORVA_ZEL_OK;
}

__attribute__((noinline)) bool PugixmlLoadsTheFile(const std::filesystem::path& file)
{
    pugi::xml_document document;
    return static_cast<bool>(document.load_file(file.c_str(), kParseFlags, pugi::encoding_utf16_le));
}

__attribute__((noinline)) bool PugixmlParsesUtf8(const std::string& text)
{
    pugi::xml_document document;
    return static_cast<bool>(document.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_utf8));
}

struct StringWriter : pugi::xml_writer {
    std::string Text;
    void write(const void* data, std::size_t size) override { Text.append(static_cast<const char*>(data), size); }
};

bool Measure(const std::filesystem::path& dir, std::size_t count)
{
    BenchGame game(dir, count);
    BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save");
    StringWriter utf8;
    {
        pugi::xml_document document;
        if (!document.load_file(game.SettingsFile().c_str(), pugi::parse_declaration, pugi::encoding_utf16_le)) {
            return false;
        }
        document.save(utf8, "\t", pugi::format_indent | pugi::format_no_escapes, pugi::encoding_utf8);
    }
    // A first call of each: a game loads a file it has loaded before.
    bool ok = LibraryLoads() && PugixmlLoadsTheFile(game.SettingsFile()) && PugixmlParsesUtf8(utf8.Text);

    CALLGRIND_ZERO_STATS;
    ok &= LibraryLoads();
    Dump("load", count);
    ok &= PugixmlLoadsTheFile(game.SettingsFile());
    Dump("load_file", count);
    ok &= PugixmlParsesUtf8(utf8.Text);
    Dump("UTF-8 parse", count);
    return ok;
}

} // namespace

int main()
{
    BenchDir dir;
    for (const std::size_t count : {300, 1000, 20000}) {
        if (!Measure(dir.Path(), count)) {
            std::fprintf(stderr, "a load failed at %zu options\n", count);
            return 1;
        }
    }
    return 0;
}
