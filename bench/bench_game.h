// A made-up game for the benchmarks: a settings directory on disk and a
// given number of options of all four types, registered through the public
// interface as a game would.
#pragma once

#include "qorva_zel.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace qorva_zel_bench {

using QzString = std::basic_string<QORVA_ZEL_Char>;

inline constexpr QORVA_ZEL_Version kVersion{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR,
                                            QORVA_ZEL_VERSION_BUILD, QORVA_ZEL_VERSION_REVISION};

// The allowed strings of every Enum option.
inline const QORVA_ZEL_Char* const kQualities[] = {QORVA_ZEL_TEXT("Low"), QORVA_ZEL_TEXT("Medium"),
                                                   QORVA_ZEL_TEXT("High"), QORVA_ZEL_TEXT("Ultra")};

inline QzString Widen(const std::string& text)
{
    return QzString(text.begin(), text.end());
}

// A fresh directory for the settings files, made under $QORVA_ZEL_BENCH_DIR
// or else the current directory (not /tmp, which may live in memory and make
// fsync free), and removed again by the destructor.
class BenchDir {
public:
    BenchDir()
    {
        const char* base = std::getenv("QORVA_ZEL_BENCH_DIR");
        std::string pattern = (base != nullptr && *base != '\0' ? std::string(base) : std::string(".")) +
                              "/qorva-zel-bench.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a directory from " + pattern);
        }
        path_ = std::filesystem::absolute(pattern);
    }
    ~BenchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Name and the value to set of one option. Option i has type i % 4.
struct OptionPlan {
    QzString Name;
    QORVA_ZEL_OptionDesc Desc{};
    QORVA_ZEL_Variant Other{}; // a valid value other than the default
};

inline std::vector<OptionPlan> PlanOptions(std::size_t count)
{
    std::vector<OptionPlan> plans(count);
    for (std::size_t i = 0; i < count; ++i) {
        OptionPlan& plan = plans[i];
        char name[32];
        std::snprintf(name, sizeof name, "Option%06zu", i);
        plan.Name = Widen(name);
        QORVA_ZEL_OptionDesc& desc = plan.Desc;
        desc.Type = static_cast<QORVA_ZEL_OptionType>(i % 4);
        plan.Other.Type = desc.Type;
        const auto k = static_cast<std::int32_t>(i % 21);
        switch (desc.Type) {
        case QORVA_ZEL_Integer:
            desc.Value.IntValue = k * 5;
            desc.Limits.Range.MinValue.IntValue = 0;
            desc.Limits.Range.MaxValue.IntValue = 100;
            desc.Limits.Range.NumSteps = 20;
            plan.Other.Value.IntValue = (k + 1) % 21 * 5;
            break;
        case QORVA_ZEL_Float:
            // 0.5 to 2.5 in steps of 0.1: a mix of short texts and values
            // that need more digits to read back exactly.
            desc.Value.FloatValue = 0.5f + static_cast<float>(k) * 0.1f;
            desc.Limits.Range.MinValue.FloatValue = 0.5f;
            desc.Limits.Range.MaxValue.FloatValue = 2.5f;
            desc.Limits.Range.NumSteps = 20;
            plan.Other.Value.FloatValue = 0.5f + static_cast<float>((k + 1) % 21) * 0.1f;
            break;
        case QORVA_ZEL_Enum:
            desc.Value.StringValue = kQualities[i % 4];
            desc.Limits.EnumList.Values = kQualities;
            desc.Limits.EnumList.NumValues = 4;
            plan.Other.Value.StringValue = kQualities[(i + 1) % 4];
            break;
        default:
            desc.Value.BoolValue = static_cast<std::uint8_t>(i / 4 % 2);
            plan.Other.Value.BoolValue = static_cast<std::uint8_t>(1 - i / 4 % 2);
            break;
        }
    }
    for (OptionPlan& plan : plans) {
        plan.Desc.Name = plan.Name.c_str();
    }
    return plans;
}

// Initialises the library for a game whose settings live in dir and
// registers the planned options and three resolutions. The settings file is
// dir/GFXSettings.benchgame.xml. Throws on any failure.
class BenchGame {
public:
    BenchGame(const std::filesystem::path& dir, std::size_t optionCount) : plans_(PlanOptions(optionCount))
    {
        configPath_ = Widen(dir.string());
        const QORVA_ZEL_ApplicationInfo info{QORVA_ZEL_TEXT("Benchmark Game"), QORVA_ZEL_TEXT("1.0"),
                                             QORVA_ZEL_TEXT("/opt/benchgame"), configPath_.c_str(),
                                             QORVA_ZEL_TEXT("benchgame"), QORVA_ZEL_TEXT("benchgame --fullscreen")};
        Check(QORVA_ZEL_InitializeSDK(&info, &kVersion), "initialise");
        const QORVA_ZEL_Resolution modes[] = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}, {1920, 1080, 60.0f}};
        Check(QORVA_ZEL_RegisterResolutions(modes, 3), "register resolutions");
        Check(QORVA_ZEL_SetResolution(&modes[1]), "set resolution");
        for (const OptionPlan& plan : plans_) {
            Check(QORVA_ZEL_RegisterOption(&plan.Desc), "register");
        }
        file_ = dir / "GFXSettings.benchgame.xml";
    }
    ~BenchGame() { QORVA_ZEL_ReleaseSDK(); }
    BenchGame(const BenchGame&) = delete;
    BenchGame& operator=(const BenchGame&) = delete;

    static void Check(QORVA_ZEL_Status status, const char* what)
    {
        if (status != QORVA_ZEL_OK) {
            throw std::runtime_error(std::string(what) + " returned " + std::to_string(status));
        }
    }

    const std::vector<OptionPlan>& Plans() const { return plans_; }
    const std::filesystem::path& SettingsFile() const { return file_; }

private:
    std::vector<OptionPlan> plans_;
    QzString configPath_;
    std::filesystem::path file_;
};

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace qorva_zel_bench
