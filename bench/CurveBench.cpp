// Times the rotation-curve model on a galaxy of 1000 bodies, as the panel runs
// it every screen refresh, one record of its history, and the binned curve and
// the acceleration relation that go with it. The "allocs" counter is the heap
// allocations per refresh: 0 once the objects are built.
//
//   orb_bench_curve --benchmark_repetitions=3

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#include "Galaxy.h"
#include "curve/Acceleration.h"
#include "curve/BinnedCurve.h"
#include "curve/CurveHistory.h"
#include "curve/RotationCurve.h"

namespace {
std::atomic<std::int64_t> allocations{0};
}  // namespace

// Every allocation of this program passes here, so a refresh that allocates shows.
void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace orb;

// Allocations per iteration from here to stop(), which must come before any
// counter is set (setting one allocates).
class AllocationCount {
public:
    explicit AllocationCount(benchmark::State& state) : state_(state), start_(allocations.load()) {}
    void stop()
    {
        const auto n = static_cast<double>(allocations.load() - start_);
        state_.counters["allocs"] = benchmark::Counter(n, benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    std::int64_t start_;
};

void update(benchmark::State& state, double exponent, double planetoidFactor)
{
    const auto w = bench::galaxy();
    RotationCurve curve;
    AllocationCount count(state);
    for (auto _ : state) {
        curve.update(*w, exponent, planetoidFactor);
        benchmark::DoNotOptimize(curve.slope());
        benchmark::ClobberMemory();
    }
    count.stop();
    state.counters["stars"] = static_cast<double>(curve.stars().size());
}

void record(benchmark::State& state)
{
    const auto w = bench::galaxy();
    RotationCurve curve;
    curve.update(*w, 2, 2);
    CurveHistory history;
    std::int64_t tick = 0;
    for (auto _ : state) {
        history.record(tick += 4, curve);
        benchmark::ClobberMemory();
    }
}

// A whole refresh of the binned curve: the curve read off the table, then
// recorded into a window (a record per tick: the default window of 270 ticks
// holds 270, a longer one fills the ring's 512). With the pair in play its
// zone leaves out the stars within 3840 twips; without (as in a disc around
// sol alone) every star is binned.
void updateAndRecord(benchmark::State& state, std::int64_t window, bool nearCircular, bool pair)
{
    const auto w = bench::galaxy();
    if (!pair) w->outOfPlay[1] = w->outOfPlay[2] = 1;
    RotationCurve curve;
    BinnedCurve binned;
    binned.setWindow(window);
    std::int64_t tick = 0;
    // Fill the window first, so every timed record also drops the oldest.
    curve.update(*w, 2, 2, 1);
    for (int k = 0; k < BinnedCurve::kCapacity; ++k) binned.record(++tick, curve, nearCircular);
    AllocationCount count(state);
    for (auto _ : state) {
        curve.update(*w, 2, 2, 1);
        binned.record(++tick, curve, nearCircular);
        benchmark::DoNotOptimize(binned.fit());
        benchmark::ClobberMemory();
    }
    count.stop();
    state.counters["records"] = binned.records();
    state.counters["binned"] = binned.latestStars();
    state.counters["bins"] = static_cast<double>(binned.bins().size());
}

void acceleration(benchmark::State& state)
{
    const auto w = bench::galaxy();
    RotationCurve curve;
    curve.update(*w, 2, 2);
    BinnedCurve binned;
    binned.record(1, curve);
    RadialAcceleration rar;
    AllocationCount count(state);
    for (auto _ : state) {
        rar.update(curve, binned);
        benchmark::DoNotOptimize(rar.stars().data());
        benchmark::ClobberMemory();
    }
    count.stop();
    state.counters["stars"] = static_cast<double>(rar.stars().size());
}

BENCHMARK_CAPTURE(update, exp2_factor2, 2.0, 2.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(update, exp1_5_factor999, 1.5, 999.0)->Unit(benchmark::kMicrosecond);
BENCHMARK(record)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(updateAndRecord, window270, BinnedCurve::kDefaultWindow, false, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(updateAndRecord, ring_full_512, INT64_MAX, false, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(updateAndRecord, near_circular_512, INT64_MAX, true, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(updateAndRecord, no_pair_ring_full_512, INT64_MAX, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK(acceleration)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
