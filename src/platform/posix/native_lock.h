// POSIX flavour of the library lock: a recursive pthread mutex that survives
// fork().
//
// A child process has one thread, the one that called fork(). Had another
// thread held the lock at that moment, the child would inherit it held by a
// thread that does not exist there, and its first call into the library
// would wait forever. So fork() takes the lock first (pthread_atfork's
// prepare handler: the fork waits until no call of the library is running),
// the parent releases it afterwards, and the child starts with a fresh,
// unlocked mutex and a state that no call was changing. Spawning a program
// with posix_spawn (or system(), which uses it) runs no such handlers and
// does not wait.
//
// The handlers serve the first lock made, which is the state's one lock;
// it is never destroyed. When the shared library is unloaded, the C library
// drops its handlers with it.
#pragma once

#include <atomic>
#include <pthread.h>

namespace qorva_zel {

class RecursiveLock {
public:
    RecursiveLock() noexcept
    {
        Initialise();
        RecursiveLock* expected = nullptr;
        if (forked_.compare_exchange_strong(expected, this)) {
            ::pthread_atfork(&BeforeFork, &AfterForkInParent, &AfterForkInChild);
        }
    }
    ~RecursiveLock()
    {
        RecursiveLock* self = this;
        forked_.compare_exchange_strong(self, nullptr);
        ::pthread_mutex_destroy(&mutex_);
    }
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock() noexcept { ::pthread_mutex_lock(&mutex_); }
    void unlock() noexcept { ::pthread_mutex_unlock(&mutex_); }
    // As std::recursive_mutex::try_lock: true when the calling thread now
    // holds the lock (again).
    bool try_lock() noexcept { return ::pthread_mutex_trylock(&mutex_) == 0; }

private:
    void Initialise() noexcept
    {
        pthread_mutexattr_t attributes;
        ::pthread_mutexattr_init(&attributes);
        ::pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
        ::pthread_mutex_init(&mutex_, &attributes);
        ::pthread_mutexattr_destroy(&attributes);
    }

    static void BeforeFork() noexcept
    {
        if (RecursiveLock* lock = forked_.load()) {
            lock->lock();
            held_ = lock;
        }
    }
    static void AfterForkInParent() noexcept
    {
        if (RecursiveLock* lock = held_) {
            held_ = nullptr;
            lock->unlock();
        }
    }
    // The mutex is held by the parent's thread, whose id the child's thread
    // no longer has, so it cannot be unlocked there: it is made anew.
    static void AfterForkInChild() noexcept
    {
        if (RecursiveLock* lock = held_) {
            held_ = nullptr;
            lock->Initialise();
        }
    }

    pthread_mutex_t mutex_;
    static inline std::atomic<RecursiveLock*> forked_{nullptr};
    // The lock BeforeFork took; only the forking thread touches it, with
    // the lock held.
    static inline RecursiveLock* held_ = nullptr;
};

} // namespace qorva_zel
