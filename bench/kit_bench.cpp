// The settings kit's open for a game of 300 options against the library's
// own start of the same game on the same file: initialise, register every
// option and the modes, load. The kit's open adds reading and checking the
// schema, reading the file a second time for its load report, and the
// report itself. Both are timed whole, closing and releasing included.
//
// scripts/bench.sh builds this in Release and runs it after settings_bench.
#include "bench_game.h"
#include "qorva_zel_kit.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace qorva_zel_bench;

constexpr std::size_t kOptions = 300;

const std::filesystem::path& Dir()
{
    static BenchDir dir;
    return dir.Path();
}

std::string Narrow(const QzString& text)
{
    return std::string(text.begin(), text.end());
}

// The schema of the options PlanOptions makes, with a category for every
// 30 options, a label key each, four presets over the first 20 and a tier.
std::string SchemaOf(const std::vector<OptionPlan>& plans)
{
    std::string json = "{\"settingsVersion\": 2, \"options\": [\n";
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const QORVA_ZEL_OptionDesc& desc = plans[i].Desc;
        json += i == 0 ? "" : ",\n";
        json += "{\"name\": \"" + Narrow(plans[i].Name) + "\", \"category\": \"group" + std::to_string(i / 30) +
                "\", \"labelKey\": \"label." + std::to_string(i) + "\", ";
        switch (desc.Type) {
        case QORVA_ZEL_Integer:
            json += "\"type\": \"Integer\", \"default\": " + std::to_string(desc.Value.IntValue) +
                    ", \"min\": 0, \"max\": 100, \"steps\": 20}";
            break;
        case QORVA_ZEL_Float:
            json += "\"type\": \"Float\", \"default\": " + std::to_string(desc.Value.FloatValue) +
                    ", \"min\": 0.5, \"max\": 2.5}";
            break;
        case QORVA_ZEL_Enum:
            json += "\"type\": \"Enum\", \"default\": \"" + Narrow(desc.Value.StringValue) +
                    "\", \"allowed\": [\"Low\", \"Medium\", \"High\", \"Ultra\"]}";
            break;
        default:
            json += std::string("\"type\": \"Bool\", \"default\": ") + (desc.Value.BoolValue != 0 ? "true" : "false") + "}";
            break;
        }
    }
    json += "],\n\"presets\": {\"options\": [";
    for (std::size_t i = 0; i < 20; i += 4) {
        json += (i == 0 ? "\"" : ", \"") + Narrow(plans[i].Name) + "\"";
    }
    json += "], \"levels\": [";
    for (int level = 0; level < 4; ++level) {
        json += std::string(level == 0 ? "" : ", ") + "{\"name\": \"P" + std::to_string(level) + "\", \"values\": {";
        for (std::size_t i = 0; i < 20; i += 4) {
            json += (i == 0 ? "\"" : ", \"") + Narrow(plans[i].Name) + "\": " + std::to_string(level * 25);
        }
        json += "}}";
    }
    json += "]},\n\"tiers\": [{\"name\": \"all\", \"preset\": \"P2\"}]}\n";
    return json;
}

struct KitGame {
    std::vector<OptionPlan> Plans = PlanOptions(kOptions);
    std::string Schema = SchemaOf(Plans);
    std::string ConfigPath = Dir().string();
    QORVA_ZEL_Resolution Modes[3] = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}, {1920, 1080, 60.0f}};

    QORVA_ZEL_KIT_OpenInfo Info() const
    {
        QORVA_ZEL_KIT_OpenInfo info{};
        info.StructSize = sizeof info;
        info.SchemaPath = "bench.schema.json";
        info.SchemaText = Schema.data();
        info.SchemaTextLength = Schema.size();
        info.DisplayName = "Benchmark Game";
        info.VersionName = "1.0";
        info.InstallPath = "/opt/benchgame";
        info.ConfigPath = ConfigPath.c_str();
        info.Executable = "benchgame";
        info.ExecCmd = "benchgame --fullscreen";
        info.Resolutions = Modes;
        info.ResolutionCount = 3;
        return info;
    }
};

// Writes the settings file once, through the kit, with every option set
// to a value other than its default.
void PrepareFile(const KitGame& game)
{
    const QORVA_ZEL_KIT_OpenInfo info = game.Info();
    char message[512];
    if (QORVA_ZEL_KIT_Open(&info, nullptr, message, sizeof message) != QORVA_ZEL_OK) {
        throw std::runtime_error(std::string("kit open: ") + message);
    }
    for (const OptionPlan& plan : game.Plans) {
        BenchGame::Check(QORVA_ZEL_SetOptionValue(&plan.Other, plan.Name.c_str()), "set");
    }
    BenchGame::Check(QORVA_ZEL_KIT_Save(), "kit save");
    BenchGame::Check(QORVA_ZEL_KIT_Close(), "kit close");
}

void BM_KitOpen(benchmark::State& state)
{
    const KitGame game;
    PrepareFile(game);
    const QORVA_ZEL_KIT_OpenInfo info = game.Info();
    for (auto _ : state) {
        QORVA_ZEL_KIT_OpenResult* result = nullptr;
        if (QORVA_ZEL_KIT_Open(&info, &result, nullptr, 0) != QORVA_ZEL_OK || result->LoadStatus != QORVA_ZEL_OK ||
            result->FindingCount != 0) {
            state.SkipWithError("kit open failed");
            break;
        }
        QORVA_ZEL_KIT_ReleaseOpenResult(result);
        QORVA_ZEL_KIT_Close();
    }
    state.counters["options"] = static_cast<double>(kOptions);
}

// The library alone: what a game writes by hand to start with the same
// options and file.
void BM_LibraryStart(benchmark::State& state)
{
    const KitGame game;
    PrepareFile(game);
    const QzString configPath = Widen(game.ConfigPath);
    const QORVA_ZEL_ApplicationInfo app{QORVA_ZEL_TEXT("Benchmark Game"), QORVA_ZEL_TEXT("1.0"),
                                        QORVA_ZEL_TEXT("/opt/benchgame"), configPath.c_str(),
                                        QORVA_ZEL_TEXT("benchgame"), QORVA_ZEL_TEXT("benchgame --fullscreen")};
    for (auto _ : state) {
        bool ok = QORVA_ZEL_InitializeSDK(&app, &kVersion) == QORVA_ZEL_OK;
        for (const OptionPlan& plan : game.Plans) {
            ok = ok && QORVA_ZEL_RegisterOption(&plan.Desc) == QORVA_ZEL_OK;
        }
        ok = ok && QORVA_ZEL_RegisterResolutions(game.Modes, 3) == QORVA_ZEL_OK;
        ok = ok && QORVA_ZEL_LoadConfigFile() == QORVA_ZEL_OK;
        QORVA_ZEL_ReleaseSDK();
        if (!ok) {
            state.SkipWithError("library start failed");
            break;
        }
    }
    state.counters["options"] = static_cast<double>(kOptions);
}

// The library's load alone, the options registered once.
void BM_LibraryLoad(benchmark::State& state)
{
    const KitGame game;
    PrepareFile(game);
    const QORVA_ZEL_KIT_OpenInfo info = game.Info();
    BenchGame::Check(QORVA_ZEL_KIT_Open(&info, nullptr, nullptr, 0), "kit open");
    for (auto _ : state) {
        if (QORVA_ZEL_LoadConfigFile() != QORVA_ZEL_OK) {
            state.SkipWithError("load failed");
            break;
        }
    }
    QORVA_ZEL_KIT_Close();
    state.counters["options"] = static_cast<double>(kOptions);
}

} // namespace

BENCHMARK(BM_KitOpen)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LibraryStart)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LibraryLoad)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
