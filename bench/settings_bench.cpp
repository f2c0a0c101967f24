// Benchmarks of loading and saving the settings file, and of get, set and the
// dirty check, through the public interface. Beside each file benchmark runs
// its floor: pugixml alone parsing the same bytes, and pugixml alone saving
// the same document with the same flags to a file and syncing it.
//
// scripts/bench.sh builds this in Release and prints the table; the
// benchmarks are built with the tests but never run as tests.
#include "bench_game.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace qorva_zel_bench;

const std::filesystem::path& Dir()
{
    static BenchDir dir;
    return dir.Path();
}

std::size_t Count(const benchmark::State& state)
{
    return static_cast<std::size_t>(state.range(0));
}

// Collects a saved document in memory.
class StringWriter final : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

constexpr unsigned kSaveFlags = pugi::format_indent | pugi::format_no_escapes;
constexpr unsigned kParseFlags = pugi::parse_declaration | pugi::parse_escapes;

// Minor page faults of the process so far: a fault that maps a page that was
// handed back (or never touched) costs kernel time that no instruction count
// shows.
long MinorFaults()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Counts the page faults of the timed loop; report.py shows them per call.
class FaultCounter {
public:
    explicit FaultCounter(benchmark::State& state) : state_(state), start_(MinorFaults()) {}
    ~FaultCounter()
    {
        state_.counters["faults"] =
            benchmark::Counter(static_cast<double>(MinorFaults() - start_), benchmark::Counter::kAvgIterations);
    }
    FaultCounter(const FaultCounter&) = delete;
    FaultCounter& operator=(const FaultCounter&) = delete;

private:
    benchmark::State& state_;
    long start_;
};

// The bytes the library saves for Count(state) options.
std::string SavedBytes(const benchmark::State& state)
{
    BenchGame game(Dir(), Count(state));
    BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save");
    return ReadBytes(game.SettingsFile());
}

bool SyncDirectory(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

void SetFileCounters(benchmark::State& state, const std::string& bytes)
{
    state.counters["options"] = static_cast<double>(Count(state));
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * static_cast<std::int64_t>(Count(state))));
}

// ---- Settings file ---------------------------------------------------------

void BM_Load(benchmark::State& state)
{
    BenchGame game(Dir(), Count(state));
    BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save");
    BenchGame::Check(QORVA_ZEL_LoadConfigFile(), "load"); // the first load may fault its buffers in
    {
        FaultCounter faults(state);
        for (auto _ : state) {
            if (QORVA_ZEL_LoadConfigFile() != QORVA_ZEL_OK) {
                state.SkipWithError("load failed");
                break;
            }
        }
    }
    SetFileCounters(state, ReadBytes(game.SettingsFile()));
}

void BM_PugixmlParse(benchmark::State& state)
{
    const std::string bytes = SavedBytes(state);
    {
        FaultCounter faults(state);
        for (auto _ : state) {
            pugi::xml_document document;
            const pugi::xml_parse_result result =
                document.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_utf16_le);
            if (!result) {
                state.SkipWithError("pugixml could not parse the file");
                break;
            }
            benchmark::DoNotOptimize(document.first_child());
        }
    }
    SetFileCounters(state, bytes);
}

// What a game would write by hand on pugixml: load_file of the same UTF-16
// file with the library's parse flags (it must validate on top of this).
void BM_PugixmlLoadFile(benchmark::State& state)
{
    const std::string bytes = SavedBytes(state);
    const std::string path = (Dir() / "pugixml-load.xml").string();
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            std::fclose(file) != 0) {
            state.SkipWithError("cannot write the file to load");
            return;
        }
    }
    {
        FaultCounter faults(state);
        for (auto _ : state) {
            pugi::xml_document document;
            if (!document.load_file(path.c_str(), kParseFlags, pugi::encoding_utf16_le)) {
                state.SkipWithError("pugixml could not load the file");
                break;
            }
            benchmark::DoNotOptimize(document.first_child());
        }
    }
    SetFileCounters(state, bytes);
}

// The floor of any reader that builds a DOM: pugixml's parse of the same text
// in UTF-8, from memory.
void BM_PugixmlParseUtf8(benchmark::State& state)
{
    const std::string bytes = SavedBytes(state);
    std::string text;
    {
        pugi::xml_document document;
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_declaration, pugi::encoding_utf16_le);
        StringWriter writer;
        document.save(writer, "\t", kSaveFlags, pugi::encoding_utf8);
        text = writer.text;
    }
    {
        FaultCounter faults(state);
        for (auto _ : state) {
            pugi::xml_document document;
            if (!document.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_utf8)) {
                state.SkipWithError("pugixml could not parse the text");
                break;
            }
            benchmark::DoNotOptimize(document.first_child());
        }
    }
    SetFileCounters(state, bytes);
}

void BM_Save(benchmark::State& state)
{
    BenchGame game(Dir(), Count(state));
    BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save"); // the first save may fault its buffers in
    {
        FaultCounter faults(state);
        for (auto _ : state) {
            if (QORVA_ZEL_SaveConfigFile(0) != QORVA_ZEL_OK) {
                state.SkipWithError("save failed");
                break;
            }
        }
    }
    SetFileCounters(state, ReadBytes(game.SettingsFile()));
}

// A load and a save of the same file in turn, as a settings screen does:
// the page faults per round show whether either one hands memory back that
// the other takes again.
void BM_LoadSaveRound(benchmark::State& state)
{
    BenchGame game(Dir(), Count(state));
    BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save");
    BenchGame::Check(QORVA_ZEL_LoadConfigFile(), "load");
    {
        FaultCounter faults(state);
        for (auto _ : state) {
            if (QORVA_ZEL_LoadConfigFile() != QORVA_ZEL_OK || QORVA_ZEL_SaveConfigFile(0) != QORVA_ZEL_OK) {
                state.SkipWithError("load or save failed");
                break;
            }
        }
    }
    SetFileCounters(state, ReadBytes(game.SettingsFile()));
}

void BM_PugixmlSave(benchmark::State& state)
{
    // The document the library saves: its own file parsed without decoding
    // references, so that saving it with the library's flags gives the very
    // same bytes (checked below).
    const std::string bytes = SavedBytes(state);
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size(), pugi::parse_declaration, pugi::encoding_utf16_le)) {
        state.SkipWithError("pugixml could not parse the file");
        return;
    }
    StringWriter same;
    document.save(same, "\t", kSaveFlags, pugi::encoding_utf16_le);
    if (same.text != bytes) {
        state.SkipWithError("pugixml's document does not save the library's bytes");
        return;
    }
    // Durable as the library's save is: a new file written and synced,
    // renamed over the old one, the directory synced.
    const std::string directory = Dir().string();
    const std::string temporary = (Dir() / "pugixml-floor.xml.new").string();
    const std::string path = (Dir() / "pugixml-floor.xml").string();
    FaultCounter faults(state);
    for (auto _ : state) {
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (file == nullptr) {
            state.SkipWithError("cannot open the floor's file");
            break;
        }
        pugi::xml_writer_file writer(file);
        document.save(writer, "\t", kSaveFlags, pugi::encoding_utf16_le);
        const bool ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
        if (std::fclose(file) != 0 || !ok || std::rename(temporary.c_str(), path.c_str()) != 0 ||
            !SyncDirectory(directory)) {
            state.SkipWithError("cannot write the floor's file");
            break;
        }
    }
    SetFileCounters(state, bytes);
}

// ---- Registered options ----------------------------------------------------

// The options a run visits, in turn: 16 spread evenly over the registry (a
// settings screen's worth, always the same ones; all of them when there are
// fewer), or 1,024 drawn at random from the whole registry, however small.
// Either way the pattern of visits stays the same while the registry grows,
// so that the only thing that changes is the registry's size.
std::vector<std::size_t> Visits(std::size_t count, std::size_t wanted)
{
    std::vector<std::size_t> visits;
    if (wanted <= 16) {
        for (std::size_t i = 0; i < std::min(count, wanted); ++i) {
            visits.push_back(i * count / std::min(count, wanted));
        }
    } else {
        std::mt19937_64 random(20240611);
        std::uniform_int_distribution<std::size_t> pick(0, count - 1);
        for (std::size_t i = 0; i < wanted; ++i) {
            visits.push_back(pick(random));
        }
    }
    return visits;
}

void SetRegistryCounters(benchmark::State& state)
{
    state.counters["options"] = static_cast<double>(Count(state));
    state.SetItemsProcessed(state.iterations());
}

// What one visit needs, copied out of the plans: a game's settings screen
// keeps the names it asks for in its own memory, so the 1,024 visits live
// together here instead of scattered over the plans of the whole registry.
// Only the library's own memory traffic then grows with the registry.
struct Visit {
    QzString Name;
    QORVA_ZEL_Variant Default{};
    QORVA_ZEL_Variant Other{};
};

std::vector<Visit> VisitsOf(const BenchGame& game, const benchmark::State& state)
{
    std::vector<Visit> visits;
    for (const std::size_t i : Visits(Count(state), static_cast<std::size_t>(state.range(1)))) {
        const OptionPlan& plan = game.Plans()[i];
        visits.push_back({plan.Name, QORVA_ZEL_Variant{plan.Desc.Type, plan.Desc.Value}, plan.Other});
    }
    return visits;
}

void BM_Get(benchmark::State& state)
{
    BenchGame game(Dir(), Count(state));
    const std::vector<Visit> visits = VisitsOf(game, state);
    std::size_t next = 0;
    for (auto _ : state) {
        const Visit& visit = visits[next];
        next = next + 1 == visits.size() ? 0 : next + 1;
        QORVA_ZEL_Variant value{};
        if (QORVA_ZEL_GetOptionValue(&value, visit.Name.c_str()) != QORVA_ZEL_OK) {
            state.SkipWithError("get failed");
            break;
        }
        benchmark::DoNotOptimize(value);
        QORVA_ZEL_ReleaseVariant(&value);
    }
    SetRegistryCounters(state);
}

void BM_Set(benchmark::State& state)
{
    BenchGame game(Dir(), Count(state));
    const std::vector<Visit> visits = VisitsOf(game, state);
    std::size_t next = 0;
    bool other = true;
    for (auto _ : state) {
        const Visit& visit = visits[next];
        if (++next == visits.size()) {
            next = 0;
            other = !other;
        }
        // Alternates between the default and another valid value.
        QORVA_ZEL_Variant value = other ? visit.Other : visit.Default;
        if (QORVA_ZEL_SetOptionValue(&value, visit.Name.c_str()) != QORVA_ZEL_OK) {
            state.SkipWithError("set failed");
            break;
        }
    }
    SetRegistryCounters(state);
}

void BM_DirtyCheck(benchmark::State& state)
{
    // After a save nothing differs: the check compares every option.
    BenchGame game(Dir(), Count(state));
    BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save");
    for (auto _ : state) {
        if (QORVA_ZEL_CheckForDirtyOptions() != QORVA_ZEL_OK) {
            state.SkipWithError("dirty check found a difference");
            break;
        }
    }
    state.counters["options"] = static_cast<double>(Count(state));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * static_cast<std::int64_t>(Count(state))));
}

void FileSizes(benchmark::internal::Benchmark* benchmark)
{
    for (const std::int64_t count : {10, 50, 300, 1000, 20000, 100000}) {
        benchmark->Arg(count);
    }
    benchmark->Unit(benchmark::kMicrosecond)->UseRealTime();
}

void RegistrySizes(benchmark::internal::Benchmark* benchmark)
{
    for (const std::int64_t count : {10, 1000, 100000}) {
        benchmark->Args({count, 16});
        benchmark->Args({count, 1024});
    }
    benchmark->ArgNames({"options", "visits"})->Unit(benchmark::kNanosecond)->UseRealTime();
}

void DirtyCheckSizes(benchmark::internal::Benchmark* benchmark)
{
    for (const std::int64_t count : {10, 1000, 100000}) {
        benchmark->Arg(count);
    }
    benchmark->Unit(benchmark::kMicrosecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_Load)->Apply(FileSizes);
BENCHMARK(BM_PugixmlParse)->Apply(FileSizes);
BENCHMARK(BM_PugixmlLoadFile)->Apply(FileSizes);
BENCHMARK(BM_PugixmlParseUtf8)->Apply(FileSizes);
BENCHMARK(BM_Save)->Apply(FileSizes);
BENCHMARK(BM_PugixmlSave)->Apply(FileSizes);
BENCHMARK(BM_LoadSaveRound)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Get)->Apply(RegistrySizes);
BENCHMARK(BM_Set)->Apply(RegistrySizes);
BENCHMARK(BM_DirtyCheck)->Apply(DirtyCheckSizes);

BENCHMARK_MAIN();
