// Several processes on one settings file (POSIX): savers and loaders at
// once, a saver in another PID namespace, a fork while another thread is in
// the library, and calls under a storm of signals.
//
// The processes are forks of the test: each has its own copy of the
// library's state and shares only the settings directory, as two games or a
// game and its launcher do. Prints its figures as "FIGURE <name> <value>".
#include "support/settings_file_support.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sched.h>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qorva_zel_test;

namespace {

constexpr int kRounds = 300;

void Figure(const char* name, long long value)
{
    std::printf("FIGURE %s %lld\n", name, value);
    std::fflush(stdout);
}

// Runs body in a child process; the child's exit code is what body returns
// (at most 255; a negative -signal becomes 128 + signal). A child that has not ended after 60 s (a dead lock) is
// killed by its alarm.
pid_t Spawn(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(60);
        const int result = body();
        ::_exit(result < 0 ? 128 - result : (result > 255 ? 255 : result));
    }
    return child;
}

// The exit code of a child, or -signal when a signal ended it.
int Reap(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        return -1000;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs body in a new PID namespace, where it is process 1; false when the
// system does not permit one.
bool SpawnInPidNamespace(const std::function<int()>& body, pid_t& child)
{
    int ready[2];
    if (::pipe(ready) != 0) {
        return false;
    }
    child = Spawn([&] {
        ::close(ready[0]);
        const char permitted = ::unshare(CLONE_NEWPID) == 0 ? 1 : 0;
        (void)!::write(ready[1], &permitted, 1);
        ::close(ready[1]);
        if (!permitted) {
            return 0;
        }
        const pid_t inside = Spawn(body); // process 1 of the new namespace
        return Reap(inside);
    });
    ::close(ready[1]);
    char permitted = 0;
    const bool answered = ::read(ready[0], &permitted, 1) == 1;
    ::close(ready[0]);
    if (!answered || !permitted) {
        Reap(child);
        return false;
    }
    return true;
}

class MultiProcessTest : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        ASSERT_EQ(Register(IntOption(u"Writer", 0, 0, 100, 0)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(IntOption(u"Round", 0, 0, 1000000, 0)), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    }

    // kRounds saves, each with other values; returns how many failed.
    static int SaveRounds(int writer)
    {
        int failed = 0;
        for (int round = 1; round <= kRounds; ++round) {
            failed += SetInt(u"Writer", writer) != QORVA_ZEL_OK || SetInt(u"Round", round) != QORVA_ZEL_OK ||
                      QORVA_ZEL_SaveConfigFile(0) != QORVA_ZEL_OK;
        }
        return failed;
    }

    // kRounds loads; returns how many did not find a whole file of a saver.
    static int LoadRounds(int writers)
    {
        int bad = 0;
        for (int round = 0; round < kRounds; ++round) {
            QORVA_ZEL_Variant writer{};
            bad += QORVA_ZEL_LoadConfigFile() != QORVA_ZEL_OK ||
                   QORVA_ZEL_GetOptionValue(&writer, u"Writer") != QORVA_ZEL_OK || writer.Value.IntValue < 0 ||
                   writer.Value.IntValue > writers;
        }
        return bad;
    }

};

} // namespace

TEST_F(MultiProcessTest, SaversAndLoadersAtOnce)
{
    constexpr int kSavers = 4;
    constexpr int kLoaders = 2;
    std::vector<pid_t> savers;
    std::vector<pid_t> loaders;
    for (int writer = 1; writer <= kSavers; ++writer) {
        savers.push_back(Spawn([writer] { return SaveRounds(writer); }));
    }
    for (int i = 0; i < kLoaders; ++i) {
        loaders.push_back(Spawn([] { return LoadRounds(kSavers); }));
    }
    long long failedSaves = 0;
    long long badLoads = 0;
    for (const pid_t saver : savers) {
        const int result = Reap(saver);
        EXPECT_GE(result, 0) << "a saver was killed by signal " << -result;
        failedSaves += result;
    }
    for (const pid_t loader : loaders) {
        const int result = Reap(loader);
        EXPECT_GE(result, 0) << "a loader was killed by signal " << -result;
        badLoads += result;
    }
    Figure("processes_saves", kSavers * kRounds);
    Figure("processes_failed_saves", failedSaves);
    Figure("processes_loads", kLoaders * kRounds);
    Figure("processes_loads_not_whole", badLoads);
    EXPECT_EQ(failedSaves, 0);
    EXPECT_EQ(badLoads, 0);

    // The file is one saver's last save, and nothing is left beside it.
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_GE(GetInt(u"Writer"), 1);
    EXPECT_EQ(GetInt(u"Round"), kRounds);
    EXPECT_TRUE(Temporaries().empty());
}

TEST_F(MultiProcessTest, SaverInAnotherPidNamespace)
{
    pid_t inside = 0;
    if (!SpawnInPidNamespace([] { return SaveRounds(2); }, inside)) {
        GTEST_SKIP() << "no new PID namespace permitted here (unshare(CLONE_NEWPID))";
    }
    const pid_t outside = Spawn([] { return SaveRounds(1); });
    const int failedOutside = Reap(outside);
    const int failedInside = Reap(inside);
    Figure("namespace_saves", 2 * kRounds);
    Figure("namespace_failed_saves_outside", failedOutside);
    Figure("namespace_failed_saves_inside", failedInside);
    EXPECT_EQ(failedOutside, 0);
    EXPECT_EQ(failedInside, 0);
    EXPECT_TRUE(Temporaries().empty());
}

// What a saver leaves when it is killed (its temporary, created and locked)
// and what one in the middle of its save has, both as process 1 of another
// namespace: the save outside removes the first and keeps the second.
TEST_F(MultiProcessTest, TemporariesOfSaversInAnotherNamespace)
{
    const std::string prefix = (ConfigDir().Path() / TemporaryPrefix(SettingsPath().filename().string())).string();
    const std::string killed = prefix + "00000000000000aa.qz";
    const std::string saving = prefix + "00000000000000bb.qz";
    int proceed[2];
    int locked[2];
    ASSERT_EQ(::pipe(proceed), 0);
    ASSERT_EQ(::pipe(locked), 0);
    const auto createLocked = [](const std::string& path) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::write(fd, "partial", 7) == 7;
    };
    pid_t dead = 0;
    pid_t alive = 0;
    // (Process 1 of a namespace does not take signals from inside it, so
    // the one killed is its child.)
    const auto killedSaver = [&] {
        return Reap(Spawn([&] { return createLocked(killed) ? (::raise(SIGKILL), 1) : 2; }));
    };
    if (!SpawnInPidNamespace(killedSaver, dead)) {
        GTEST_SKIP() << "no new PID namespace permitted here (unshare(CLONE_NEWPID))";
    }
    ASSERT_TRUE(SpawnInPidNamespace(
        [&] {
            char go = 0;
            const bool ok = createLocked(saving);
            (void)!::write(locked[1], &go, 1);
            (void)!::read(proceed[0], &go, 1); // holds the lock until told
            return ok ? 0 : 1;
        },
        alive));
    EXPECT_EQ(Reap(dead), 128 + SIGKILL);
    char signal = 0;
    ASSERT_EQ(::read(locked[0], &signal, 1), 1);

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_FALSE(std::filesystem::exists(killed)) << "a killed saver's temporary stays";
    EXPECT_TRUE(std::filesystem::exists(saving)) << "a running saver's temporary went";

    ASSERT_EQ(::write(proceed[1], &signal, 1), 1);
    EXPECT_EQ(Reap(alive), 0);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_TRUE(Temporaries().empty());
    for (const int fd : {proceed[0], proceed[1], locked[0], locked[1]}) {
        ::close(fd);
    }
}

// A child forked while another thread is inside the library starts with the
// lock free and the state whole.
TEST_F(MultiProcessTest, ForkWhileAnotherThreadIsInside)
{
    constexpr int kForks = 50;
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        for (int round = 0; !stop.load(); ++round) {
            SetInt(u"Round", round % 1000);
            QORVA_ZEL_SaveConfigFile(0);
            QORVA_ZEL_LoadConfigFile();
        }
    });
    const AppStrings app = App();
    int hung = 0;
    int failed = 0;
    for (int i = 0; i < kForks; ++i) {
        const pid_t child = Spawn([&app] {
            ::alarm(10);
            QORVA_ZEL_Variant value{};
            bool ok = SetInt(u"Writer", 7) == QORVA_ZEL_OK && QORVA_ZEL_GetOptionValue(&value, u"Writer") == 0 &&
                      value.Value.IntValue == 7 && QORVA_ZEL_ReleaseSDK() == QORVA_ZEL_OK;
            const QORVA_ZEL_ApplicationInfo info = app.Info();
            ok = ok && QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion) == QORVA_ZEL_OK;
            const QORVA_ZEL_OptionDesc desc = IntOption(u"Writer", 3, 0, 100, 0);
            ok = ok && QORVA_ZEL_RegisterOption(&desc) == QORVA_ZEL_OK && QORVA_ZEL_SaveConfigFile(0) == 0;
            return ok ? 0 : 1;
        });
        const int result = Reap(child);
        hung += result == -SIGALRM;
        failed += result != 0;
    }
    stop = true;
    busy.join();
    Figure("fork_children", kForks);
    Figure("fork_children_hung", hung);
    EXPECT_EQ(failed, 0) << hung << " of them waited for the lock for ever";
}

// Signals delivered all the time to a thread that saves and loads, with a
// handler that does not restart interrupted calls.
TEST_F(MultiProcessTest, SignalStormDuringSavesAndLoads)
{
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    std::atomic<bool> done{false};
    std::atomic<long long> signals{0};
    const pthread_t target = ::pthread_self();
    std::thread storm([&] {
        while (!done.load()) {
            ::pthread_kill(target, SIGUSR1);
            ++signals;
            std::this_thread::yield();
        }
    });
    int failed = 0;
    for (int round = 1; round <= kRounds; ++round) {
        failed += SetInt(u"Round", round) != QORVA_ZEL_OK || QORVA_ZEL_SaveConfigFile(0) != QORVA_ZEL_OK ||
                  QORVA_ZEL_LoadConfigFile() != QORVA_ZEL_OK || GetInt(u"Round") != round;
    }
    done = true;
    storm.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    Figure("signal_storm_signals", signals.load());
    Figure("signal_storm_failed_rounds", failed);
    EXPECT_EQ(failed, 0);
}

// A game that exits while its worker threads are still calling in: the exit
// handlers run with the library in use and the process ends normally.
TEST_F(MultiProcessTest, ExitWithThreadsInside)
{
    constexpr int kExits = 10;
    int crashed = 0;
    for (int i = 0; i < kExits; ++i) {
        const pid_t child = Spawn([] {
            std::atomic<int> started{0};
            for (int t = 0; t < 4; ++t) {
                std::thread([&started, t] {
                    for (int round = 0;; ++round) {
                        QORVA_ZEL_Variant value{};
                        SetInt(u"Round", round % 1000);
                        QORVA_ZEL_GetOptionValue(&value, u"Round");
                        if (t == 0) {
                            QORVA_ZEL_SaveConfigFile(0);
                        }
                        if (round == 0) {
                            ++started;
                        }
                    }
                }).detach();
            }
            while (started.load() < 4) {
                std::this_thread::yield();
            }
            std::exit(0);
            return 1;
        });
        crashed += Reap(child) != 0;
    }
    Figure("exit_with_threads_inside", kExits);
    Figure("exit_with_threads_inside_crashed", crashed);
    EXPECT_EQ(crashed, 0);
}
