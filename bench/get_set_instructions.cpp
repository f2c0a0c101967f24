// Instructions per get and per set, beside a std::unordered_map keyed by
// std::u16string doing the same look-ups, at 10, 1,000 and 100,000
// registered options. Run under callgrind:
//
//   valgrind --tool=callgrind --callgrind-out-file=DIR/cg.%p get_set_instructions
//
// Each measured loop of 1,024 calls (options drawn at random from the whole
// registry, of all four types) is framed by CALLGRIND_ZERO_STATS and
// CALLGRIND_DUMP_STATS_AT("case/options/calls"); bench/report.py reads the
// dumps' totals. Outside valgrind the loops run and nothing is counted.
//
// The map's get finds the key and copies the value out (an Enum's string
// into a std::u16string); its set finds the key and assigns the value. The
// game keeps the keys as std::u16string, so the map's look-up allocates
// nothing. The library's get hands an Enum's string out in a new array and
// takes it back through QORVA_ZEL_ReleaseVariant; its set validates.
#include "bench_game.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace qorva_zel_bench;

constexpr std::size_t kCalls = 1024;

struct Visit {
    QzString Name;
    std::u16string Key;
    QORVA_ZEL_Variant Other{};
};

struct MapValue {
    std::int32_t Type = 0;
    QORVA_ZEL_Value Value{};
    std::u16string String;
};

std::u16string ToU16(const QzString& name)
{
    return std::u16string(name.begin(), name.end());
}

std::vector<Visit> VisitsOf(const BenchGame& game, std::size_t count)
{
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, count - 1);
    std::vector<Visit> visits;
    for (std::size_t i = 0; i < kCalls; ++i) {
        const OptionPlan& plan = game.Plans()[pick(random)];
        visits.push_back({plan.Name, ToU16(plan.Name), plan.Other});
    }
    return visits;
}

void Dump(const char* what, std::size_t count)
{
    char label[64];
    std::snprintf(label, sizeof label, "%s/%zu/%zu", what, count, kCalls);
    CALLGRIND_DUMP_STATS_AT(label);
}

// noinline, so that the compiler cannot fold the loops into the set-up.
__attribute__((noinline)) bool LibraryGets(const std::vector<Visit>& visits)
{
    bool ok = true;
    for (const Visit& visit : visits) {
        QORVA_ZEL_Variant value{};
        ok &= QORVA_ZEL_GetOptionValue(&value, visit.Name.c_str()) == QORVA_ZEL_OK;
        QORVA_ZEL_ReleaseVariant(&value);
    }
    return ok;
}

__attribute__((noinline)) bool LibrarySets(const std::vector<Visit>& visits)
{
    bool ok = true;
    for (const Visit& visit : visits) {
        ok &= QORVA_ZEL_SetOptionValue(&visit.Other, visit.Name.c_str()) == QORVA_ZEL_OK;
    }
    return ok;
}

__attribute__((noinline)) bool MapGets(const std::unordered_map<std::u16string, MapValue>& map,
                                       const std::vector<Visit>& visits)
{
    bool ok = true;
    for (const Visit& visit : visits) {
        const auto found = map.find(visit.Key);
        ok &= found != map.end();
        MapValue value;
        value.Type = found->second.Type;
        if (value.Type == QORVA_ZEL_Enum) {
            value.String = found->second.String;
        } else {
            value.Value = found->second.Value;
        }
        asm volatile("" : : "r"(&value) : "memory");
    }
    return ok;
}

__attribute__((noinline)) bool MapSets(std::unordered_map<std::u16string, MapValue>& map,
                                       const std::vector<Visit>& visits)
{
    bool ok = true;
    for (const Visit& visit : visits) {
        const auto found = map.find(visit.Key);
        ok &= found != map.end() && found->second.Type == visit.Other.Type;
        if (visit.Other.Type == QORVA_ZEL_Enum) {
            found->second.String = reinterpret_cast<const char16_t*>(visit.Other.Value.StringValue);
        } else {
            found->second.Value = visit.Other.Value;
        }
    }
    return ok;
}

bool Measure(const std::filesystem::path& dir, std::size_t count)
{
    BenchGame game(dir, count);
    std::unordered_map<std::u16string, MapValue> map;
    for (const OptionPlan& plan : game.Plans()) {
        MapValue value{plan.Desc.Type, plan.Desc.Value, {}};
        if (plan.Desc.Type == QORVA_ZEL_Enum) {
            value.String = reinterpret_cast<const char16_t*>(plan.Desc.Value.StringValue);
        }
        map.emplace(ToU16(plan.Name), value);
    }
    const std::vector<Visit> visits = VisitsOf(game, count);
    // A first pass of each brings the caches and the allocator into the
    // state that a game's repeated calls meet.
    bool ok = LibraryGets(visits) && LibrarySets(visits) && MapGets(map, visits) && MapSets(map, visits);

    CALLGRIND_ZERO_STATS;
    ok &= LibraryGets(visits);
    Dump("get", count);
    ok &= LibrarySets(visits);
    Dump("set", count);
    ok &= MapGets(map, visits);
    Dump("map get", count);
    ok &= MapSets(map, visits);
    Dump("map set", count);
    return ok;
}

} // namespace

int main()
{
    BenchDir dir;
    for (const std::size_t count : {10, 1000, 100000}) {
        if (!Measure(dir.Path(), count)) {
            std::fprintf(stderr, "a get or set failed at %zu options\n", count);
            return 1;
        }
    }
    return 0;
}
