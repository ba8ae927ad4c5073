#include "engine/WorkerPool.h"

#include <sched.h>

#include <chrono>

namespace orb {
namespace {

// How long an idle worker keeps watching for the next job before it sleeps:
// well beyond what a tick does between two pull passes at 1000 bodies, as a
// sleeping worker takes some 50 us to wake on a virtual machine.
constexpr auto kIdleWatch = std::chrono::microseconds(500);
// How long a wait watches without a break; after that it lets any other thread
// ready to run on this processor go first at each look, so that a waiting
// thread never holds up the one it waits for (or the machine's other work).
constexpr auto kHardSpin = std::chrono::microseconds(5);

inline void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Watches until done() holds or `budget` has passed; whether it holds.
template <class Done>
bool watchFor(Done done, std::chrono::microseconds budget)
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (done()) return true;
            relax();
        }
        const auto spent = std::chrono::steady_clock::now() - start;
        if (spent > budget) return done();
        if (spent > kHardSpin) std::this_thread::yield();
    }
}

}  // namespace

int usableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0) return n;
    }
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? static_cast<int>(n) : 1;
}

void awaitAtLeast(const std::atomic<int>& a, int v)
{
    auto done = [&] { return a.load(std::memory_order_acquire) >= v; };
    while (!watchFor(done, std::chrono::microseconds(1000))) {
    }
}

WorkerPool::WorkerPool(int threads)
{
    for (int k = 1; k < threads; ++k) threads_.emplace_back([this, k] { serve(k); });
}

WorkerPool::~WorkerPool()
{
    stop_.store(true, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    generation_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void WorkerPool::start(void (*fn)(void*, int), void* job)
{
    if (threads_.empty()) {
        fn(job, 0);
        return;
    }
    fn_ = fn;
    job_ = job;
    finished_.store(0, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    generation_.notify_all();
    fn(job, 0);
    // The others are at most a share of the job behind: spin rather than sleep,
    // as waking a sleeping thread can take longer than the whole job.
    awaitAtLeast(finished_, size() - 1);
}

void WorkerPool::serve(int k)
{
    std::uint32_t seen = 0;
    for (;;) {
        auto moved = [&] { return generation_.load(std::memory_order_acquire) != seen; };
        if (!watchFor(moved, kIdleWatch))
            while (!moved()) generation_.wait(seen, std::memory_order_acquire);
        seen = generation_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_relaxed)) return;
        fn_(job_, k);
        finished_.fetch_add(1, std::memory_order_release);
    }
}

}  // namespace orb
