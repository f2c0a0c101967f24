// Peak memory of one load of a large settings file, above what the process
// held just before it.
//
//   load_memory [OPTIONS]      (default 100000)
//
// A game with that many options of all four types saves its settings file;
// the load then runs once as a warm-up and is measured on the second run, as
// a game's settings screen loads a file that it has loaded before. Two
// measures, printed as one JSON object:
//  - heap: every malloc, calloc, realloc and free of the process passes
//    through the counters below (this program replaces glibc's allocation
//    functions and forwards to the originals), so "heap_peak_above_baseline"
//    is the largest number of bytes in use during the load minus the number
//    in use when it began, exactly, in usable allocation sizes;
//  - resident memory: the kernel's high-water mark (VmHWM), reset just
//    before the load through /proc/self/clear_refs after free memory has
//    been handed back to the system, minus the resident size at that moment.
#include "bench_game.h"

#include <malloc.h>
#include <sys/resource.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// ---- Counting allocator ------------------------------------------------------

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<long long> g_inUse{0};
std::atomic<long long> g_peak{0};

void Count(void* pointer)
{
    if (pointer == nullptr) {
        return;
    }
    const long long now = g_inUse.fetch_add(static_cast<long long>(malloc_usable_size(pointer))) +
                          static_cast<long long>(malloc_usable_size(pointer));
    long long peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

void Uncount(void* pointer)
{
    if (pointer != nullptr) {
        g_inUse.fetch_sub(static_cast<long long>(malloc_usable_size(pointer)));
    }
}

} // namespace

extern "C" {

void* malloc(std::size_t size)
{
    void* pointer = __libc_malloc(size);
    Count(pointer);
    return pointer;
}

void* calloc(std::size_t count, std::size_t size)
{
    void* pointer = __libc_calloc(count, size);
    Count(pointer);
    return pointer;
}

void* realloc(void* pointer, std::size_t size)
{
    Uncount(pointer);
    void* moved = __libc_realloc(pointer, size);
    if (moved == nullptr && size != 0) {
        Count(pointer); // the old block stays
        return nullptr;
    }
    Count(moved);
    return moved;
}

void free(void* pointer)
{
    Uncount(pointer);
    __libc_free(pointer);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    void* pointer = __libc_memalign(alignment, size);
    Count(pointer);
    return pointer;
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    void* pointer = memalign(alignment, size);
    if (pointer == nullptr) {
        return ENOMEM;
    }
    *result = pointer;
    return 0;
}

} // extern "C"

// ---- Resident memory ---------------------------------------------------------

namespace {

// A "Vm...:  N kB" line of /proc/self/status, in bytes.
long long StatusBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
            return std::atoll(line.c_str() + length + 1) * 1024;
        }
    }
    return -1;
}

bool ResetHighWaterMark()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace qorva_zel_bench;
    const std::size_t count = argc > 1 ? static_cast<std::size_t>(std::strtoull(argv[1], nullptr, 10)) : 100000;
    try {
        // The page faults of the first initialisation of the process (the
        // library's state comes to life).
        const QORVA_ZEL_ApplicationInfo info{QORVA_ZEL_TEXT("Game"),     QORVA_ZEL_TEXT("1.0"), QORVA_ZEL_TEXT("/opt/game"),
                                             QORVA_ZEL_TEXT("/opt/game"), QORVA_ZEL_TEXT("game"), QORVA_ZEL_TEXT("game")};
        // The program's own constants, read once before the count: their
        // page is the program's fault, not the library's.
        const QORVA_ZEL_Version version = kVersion;
        std::size_t touched = 0;
        for (const QORVA_ZEL_Char* text : {info.DisplayName, info.VersionName, info.InstallPath, info.ConfigPath,
                                           info.Executable, info.ExecCmd}) {
            touched += std::char_traits<QORVA_ZEL_Char>::length(text);
        }
        struct rusage usage {};
        ::getrusage(RUSAGE_SELF, &usage);
        const long faultsBefore = usage.ru_minflt + (touched == 0 ? 1 : 0);
        BenchGame::Check(QORVA_ZEL_InitializeSDK(&info, &version), "first initialise");
        ::getrusage(RUSAGE_SELF, &usage);
        const long initFaults = usage.ru_minflt - faultsBefore;
        BenchGame::Check(QORVA_ZEL_ReleaseSDK(), "release");
        // And of one after it, its code already in memory.
        ::getrusage(RUSAGE_SELF, &usage);
        const long againBefore = usage.ru_minflt;
        BenchGame::Check(QORVA_ZEL_InitializeSDK(&info, &kVersion), "second initialise");
        ::getrusage(RUSAGE_SELF, &usage);
        const long againFaults = usage.ru_minflt - againBefore;
        BenchGame::Check(QORVA_ZEL_ReleaseSDK(), "release");

        BenchDir dir;
        BenchGame game(dir.Path(), count);
        BenchGame::Check(QORVA_ZEL_SaveConfigFile(0), "save");
        const long long fileBytes = static_cast<long long>(std::filesystem::file_size(game.SettingsFile()));
        BenchGame::Check(QORVA_ZEL_LoadConfigFile(), "warm-up load");

        malloc_trim(0);
        const bool resetWorked = ResetHighWaterMark();
        const long long rssBefore = StatusBytes("VmRSS");
        const long long heapBefore = g_inUse.load();
        g_peak.store(heapBefore);

        BenchGame::Check(QORVA_ZEL_LoadConfigFile(), "load");

        const long long heapPeak = g_peak.load() - heapBefore;
        const long long rssPeak = resetWorked ? StatusBytes("VmHWM") - rssBefore : -1;
        std::printf("{\"options\": %zu, \"file_bytes\": %lld, \"heap_peak_above_baseline\": %lld, "
                    "\"rss_peak_above_baseline\": %lld, \"heap_ratio\": %.2f, \"rss_ratio\": %.2f, \"init_faults\": %ld, \"init_again_faults\": %ld}\n",
                    count, fileBytes, heapPeak, rssPeak, static_cast<double>(heapPeak) / static_cast<double>(fileBytes),
                    static_cast<double>(rssPeak) / static_cast<double>(fileBytes), initFaults,
                    againFaults);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "load_memory: %s\n", error.what());
        return 1;
    }
}
