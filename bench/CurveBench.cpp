// Times the rotation-curve model on a galaxy of 1000 bodies, as the panel runs
// it every screen refresh, and one record of its history.
//
//   orb_bench_curve --benchmark_repetitions=3

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "base/Random.h"
#include "curve/CurveHistory.h"
#include "curve/RotationCurve.h"

namespace {

using namespace orb;

// Sol and the binary pair as a preset places them, and 997 stars on rough
// circular orbits around their 300 units of gravity, from 400 to 6000 twips,
// a few turning backwards.
std::unique_ptr<World> galaxy()
{
    auto w = std::make_unique<World>();
    Rng r(3198);
    w->bodyCount = kMaxBody;
    w->posX[0] = 7680;
    w->posY[0] = 5760;
    w->gravity[0] = 100;
    for (int i : {1, 2}) {
        w->posX[i] = i == 1 ? 6912 : 8448;
        w->posY[i] = 5760;
        w->momY[i] = i == 1 ? 18 : -18;
        w->gravity[i] = 100;
    }
    for (int i = 3; i <= kMaxBody; ++i) {
        const double radius = 400 + 5600 * static_cast<double>(r.rnd());
        const double angle = 6.283185307179586 * static_cast<double>(r.rnd());
        const double wobble = 1 + 0.2 * (static_cast<double>(r.rnd()) - 0.5);
        const double turn = r.rnd() < 0.05f ? -1 : 1;
        const double v = turn * wobble * std::sqrt(10000 * 300 / radius);
        const double vr = 2 * (static_cast<double>(r.rnd()) - 0.5);
        const double c = std::cos(angle), s = std::sin(angle);
        w->posX[i] = 7680 + radius * c;
        w->posY[i] = 5760 + radius * s;
        w->momX[i] = -v * s + vr * c;
        w->momY[i] = v * c + vr * s;
        w->gravity[i] = 0.1;
    }
    return w;
}

void update(benchmark::State& state, double exponent, double planetoidFactor)
{
    const auto w = galaxy();
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
    const auto w = galaxy();
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
