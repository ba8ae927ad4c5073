#pragma once
// A few threads kept alive from one job to the next, so that a job costs a
// wake-up rather than a thread start. The caller takes part as worker 0. Idle
// workers watch for the next job for half a millisecond, as the next tick's
// job usually follows within a few tens of microseconds (letting any other
// thread ready to run go first meanwhile), then sleep until a job or a call of
// rouse() comes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace orb {

// The processors this process may run on (at least 1).
int usableCores();

class WorkerPool {
public:
    // threads: workers in all, the caller included; 1 starts no thread.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(threads_.size()) + 1; }

    // Calls job(k) once for every k from 0 to size() - 1, k = 0 on this thread,
    // and returns when every call has returned. One job at a time.
    template <class Job>
    void run(Job& job)
    {
        start(+[](void* j, int k) { (*static_cast<Job*>(j))(k); }, &job);
    }

    // Wakes the workers that sleep, to watch for a job for a while: for a job
    // that is to come soon, which then need not wait for them to wake.
    void rouse();

private:
    void start(void (*fn)(void*, int), void* job);
    void serve(int k);

    std::vector<std::thread> threads_;
    void (*fn_)(void*, int) = nullptr;  // the job, published by generation_
    void* job_ = nullptr;
    std::atomic<std::uint32_t> generation_{0};  // counts the jobs handed out
    std::atomic<std::uint32_t> calls_{0};       // counts the wake-up calls
    std::atomic<int> sleepers_{0};              // workers asleep or about to be
    std::atomic<int> finished_{0};              // workers done with the job
    std::atomic<bool> stop_{false};
};

// Waits until `a` holds at least `v`: spins, then lets other threads run.
void awaitAtLeast(const std::atomic<int>& a, int v);

// Waiting politely, a look at a time: without a break for a few microseconds,
// then letting any other thread ready to run on this processor go first at
// each look, so that a waiting thread never holds up the one it waits for (nor
// the computer's other programs).
class Patience {
public:
    void wait();
    // Microseconds since the first look.
    double waited() const;

private:
    int looks_ = 0;
    std::chrono::steady_clock::time_point since_;
};

}  // namespace orb
