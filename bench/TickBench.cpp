// Times one whole tick of the fast Ticker and of the pair-by-pair reference on
// the same scene, and prints how many times faster the Ticker is.
//
//   orb_bench_tick --benchmark_repetitions=3
//
// Every iteration starts again from the same scene (restored outside the
// timing), so the figures do not drift as bodies merge or bunch up.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/PullKernel.h"
#include "support/LiteralTick.h"

namespace {

using namespace orb;

class NullCanvas final : public Canvas {
public:
    void pset(int, int, Rgb) override {}
    void cls() override {}
};

struct Config {
    int bodies;
    double planetoidFactor;
    double exponent;
};

// A galaxy in progress: sol in the middle, the binary pair beside it, and the
// stars spread over the whole field of play with small momenta. "Wall" keeps
// every body in play; the radii are the defaults.
World scene(int bodies)
{
    World w;
    Rng r(2024);
    w.bodyCount = static_cast<std::int16_t>(bodies - 1);
    w.planetRadius = 5;
    w.coreRadius = 5;
    w.volatility = 1;
    w.volatilitySpan = 3;
    for (int i = 0; i < kSlots; ++i) {
        w.posX[i] = 900 + (15360 - 900) * static_cast<double>(r.rnd());
        w.posY[i] = (11520 - 300) * static_cast<double>(r.rnd());
        w.momX[i] = 4 * static_cast<double>(r.rnd()) - 2;
        w.momY[i] = 4 * static_cast<double>(r.rnd()) - 2;
        w.gravity[i] = 0.5 + static_cast<double>(r.rnd());
        w.colRed[i] = 255;
        w.colGreen[i] = 200;
        w.colBlue[i] = 100;
        w.bodyType[i] = 3;
        w.outOfPlay[i] = i < bodies ? 0 : 1;
    }
    w.posX[0] = 7680;
    w.posY[0] = 5760;
    w.gravity[0] = 1000;
    w.momX[0] = w.momY[0] = 0;
    w.posX[1] = 7680 - 1500;
    w.posY[1] = 5760;
    w.gravity[1] = 60;
    w.posX[2] = 7680 + 1500;
    w.posY[2] = 5760;
    w.gravity[2] = 30;
    return w;
}

TickInputs inputs(const Config& c)
{
    TickInputs in;
    in.planetoidFactor = c.planetoidFactor;
    in.gravityExponent = c.exponent;
    in.borderOption = kWall;
    return in;
}

void fastTick(benchmark::State& state, Config c)
{
    const World start = scene(c.bodies);
    const TickInputs in = inputs(c);
    World w = start;
    Rng rnd(1);
    NullCanvas canvas;
    Ticker ticker;
    for (auto _ : state) {
        state.PauseTiming();
        w = start;
        rnd.reseed(1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(ticker.tick(w, in, canvas, rnd));
        benchmark::ClobberMemory();
    }
}

void literalTick(benchmark::State& state, Config c)
{
    const World start = scene(c.bodies);
    const TickInputs in = inputs(c);
    World w = start;
    Rng rnd(1);
    NullCanvas canvas;
    for (auto _ : state) {
        state.PauseTiming();
        w = start;
        rnd.reseed(1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(test::literalTick(w, in, canvas, rnd));
        benchmark::ClobberMemory();
    }
}

const std::vector<Config> kConfigs = {
    {150, 2, 2}, {150, 2, 1.5}, {150, 999, 2}, {150, 999, 1.5},
    {600, 2, 2}, {600, 2, 1.5}, {600, 999, 2}, {600, 999, 1.5},
    {1000, 2, 2}, {1000, 2, 1.5}, {1000, 999, 2}, {1000, 999, 1.5},
};

std::string nameOf(const char* which, const Config& c)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "tick/%s/bodies:%d/factor:%g/exp:%g", which, c.bodies, c.planetoidFactor,
                  c.exponent);
    return buf;
}

// Collects the CPU time per tick of every repetition while printing as usual.
class Collector final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Iteration)
                times[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
            else if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The median of the repetitions, from the aggregate when only that was reported.
    double timeOf(const std::string& name) const
    {
        if (const auto m = medians.find(name); m != medians.end()) return m->second;
        if (const auto t = times.find(name); t != times.end()) return median(t->second);
        return 0;
    }

private:
    static double median(std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        const std::size_t k = v.size() / 2;
        return v.size() % 2 ? v[k] : (v[k - 1] + v[k]) / 2;
    }
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv)
{
    for (const Config& c : kConfigs) {
        benchmark::RegisterBenchmark(nameOf("fast", c).c_str(), fastTick, c)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(nameOf("literal", c).c_str(), literalTick, c)->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    std::printf("\nOne tick, CPU time per tick (median of repetitions), kernels: %s\n", pullKernels().name);
    std::printf("%7s %7s %5s %12s %14s %9s\n", "bodies", "factor", "exp", "fast us", "literal us", "ratio");
    for (const Config& c : kConfigs) {
        const double tf = collector.timeOf(nameOf("fast", c)), tl = collector.timeOf(nameOf("literal", c));
        if (tf == 0 && tl == 0) continue;  // filtered out
        std::printf("%7d %7g %5g %12.2f %14.1f %9.1f\n", c.bodies, c.planetoidFactor, c.exponent, tf, tl,
                    tf > 0 ? tl / tf : 0);
    }
    benchmark::Shutdown();
    return 0;
}
