// The tick's threads: each job reaches every worker exactly once, the caller
// as worker 0, and returns only when all of them are done, whether the workers
// were watching (jobs back to back), had gone to sleep (a pause between) or
// were woken ahead of the job.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/WorkerPool.h"

namespace orb {
namespace {

TEST(WorkerPool, EveryWorkerRunsEachJobOnceAndTheJobIsDoneOnReturn)
{
    for (int threads : {1, 2, 3, 5}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        WorkerPool pool(threads);
        ASSERT_EQ(pool.size(), threads);
        std::vector<int> calls(static_cast<std::size_t>(threads));  // each worker writes its own
        const std::thread::id caller = std::this_thread::get_id();
        bool callerIsWorker0 = true;
        for (int job = 0; job < 300; ++job) {
            // Now and then a pause long enough for idle workers to fall asleep,
            // and sometimes a call that wakes them before the job.
            if (job % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (job % 200 == 199) pool.rouse();
            auto work = [&](int k) {
                ++calls[static_cast<std::size_t>(k)];
                if (k == 0) callerIsWorker0 = callerIsWorker0 && std::this_thread::get_id() == caller;
            };
            pool.run(work);
            // Read without a lock: the pool's return must order the writes.
            for (int k = 0; k < threads; ++k) ASSERT_EQ(calls[static_cast<std::size_t>(k)], job + 1) << "worker " << k;
        }
        EXPECT_TRUE(callerIsWorker0);
    }
}

TEST(WorkerPool, AwaitSeesWhatWasWrittenBeforeTheCount)
{
    std::atomic<int> progress{0};
    std::vector<int> steps(1001);  // step i written before i is counted
    std::thread other([&] {
        for (int i = 1; i <= 1000; ++i) {
            steps[static_cast<std::size_t>(i)] = i;
            progress.store(i, std::memory_order_release);
        }
    });
    for (int i = 1; i <= 1000; i += 37) {
        awaitAtLeast(progress, i);
        EXPECT_EQ(steps[static_cast<std::size_t>(i)], i);
    }
    other.join();
}

}  // namespace
}  // namespace orb
