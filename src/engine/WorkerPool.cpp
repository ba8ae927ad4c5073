#include "engine/WorkerPool.h"

#include <sched.h>

#include <chrono>

namespace orb {
namespace {

// How long an idle worker keeps watching for the next job before it sleeps:
// well beyond what a tick does between two pull passes at 1000 bodies, as a
// sleeping worker takes some 50 us to wake on a virtual machine.
constexpr double kIdleWatchMicroseconds = 500;
// How long a wait watches without a break: longer than most waits inside a
// job, as letting others go first costs a call into the system each time.
constexpr double kHardSpinMicroseconds = 20;

inline void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Watches until done() holds or `budget` microseconds have passed; whether it holds.
template <class Done>
bool watchFor(Done done, double budget)
{
    Patience p;
    for (int n = 1; !done(); ++n) {
        if (n % 64 == 0 && p.waited() > budget) return done();
        p.wait();
    }
    return true;
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
    Patience p;
    while (a.load(std::memory_order_acquire) < v) p.wait();
}

WorkerPool::WorkerPool(int threads)
{
    for (int k = 1; k < threads; ++k) threads_.emplace_back([this, k] { serve(k); });
}

WorkerPool::~WorkerPool()
{
    stop_.store(true, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    rouse();
    for (std::thread& t : threads_) t.join();
}

void Patience::wait()
{
    if (looks_++ == 0) since_ = std::chrono::steady_clock::now();
    relax();
    if (looks_ % 64 == 0 && waited() > kHardSpinMicroseconds) std::this_thread::yield();
}

double Patience::waited() const
{
    if (looks_ == 0) return 0;
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - since_).count();
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
    rouse();
    fn(job, 0);
    // The others are at most a share of the job behind: spin rather than sleep,
    // as waking a sleeping thread can take longer than the whole job.
    awaitAtLeast(finished_, size() - 1);
}

void WorkerPool::rouse()
{
    // A worker about to sleep counts itself first and then looks for a call
    // or a job, and this counts the call first and then looks for sleepers:
    // one of the two sees the other (all in one order, seq_cst), so no call
    // into the system is made while nobody sleeps and no job is slept through.
    calls_.fetch_add(1, std::memory_order_seq_cst);
    if (sleepers_.load(std::memory_order_seq_cst) > 0) calls_.notify_all();
}

void WorkerPool::serve(int k)
{
    std::uint32_t seen = 0;
    for (;;) {
        auto moved = [&] { return generation_.load(std::memory_order_acquire) != seen; };
        // Watch; then sleep until called, by a job or by rouse(), and watch again.
        while (!watchFor(moved, kIdleWatchMicroseconds)) {
            sleepers_.fetch_add(1, std::memory_order_seq_cst);
            const std::uint32_t c = calls_.load(std::memory_order_seq_cst);
            if (!moved()) calls_.wait(c, std::memory_order_acquire);
            sleepers_.fetch_sub(1, std::memory_order_relaxed);
        }
        seen = generation_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_relaxed)) return;
        fn_(job_, k);
        finished_.fetch_add(1, std::memory_order_release);
    }
}

}  // namespace orb
