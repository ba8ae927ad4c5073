// Times the rotation-curve model on a galaxy of 1000 bodies, as the panel runs
// it every screen refresh, and one record of its history.
//
//   orb_bench_curve --benchmark_repetitions=3

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "Galaxy.h"
#include "curve/CurveHistory.h"
#include "curve/RotationCurve.h"

namespace {

using namespace orb;

void update(benchmark::State& state, double exponent, double planetoidFactor)
{
    const auto w = bench::galaxy();
    RotationCurve curve;
    for (auto _ : state) {
        curve.update(*w, exponent, planetoidFactor);
        benchmark::DoNotOptimize(curve.slope());
        benchmark::ClobberMemory();
    }
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

BENCHMARK_CAPTURE(update, exp2_factor2, 2.0, 2.0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(update, exp1_5_factor999, 1.5, 999.0)->Unit(benchmark::kMicrosecond);
BENCHMARK(record)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
