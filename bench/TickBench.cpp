// Times one whole tick of the fast Ticker and of the pair-by-pair reference on
// the same scene, and prints how many times faster the Ticker is.
//
//   orb_bench_tick --benchmark_repetitions=3
//
// Every iteration starts again from the same scene (restored outside the
// timing), so the figures do not drift as bodies merge or bunch up.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/Ticker.h"
#include "engine/PullKernel.h"
#include "engine/WorkerPool.h"
#include "engine/ReferenceTick.h"

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

// kernels: the pull kernels to use, nullptr for the best this processor runs.
void fastTick(benchmark::State& state, Config c, const KernelSet* kernels, Threading threading)
{
    const World start = scene(c.bodies);
    const TickInputs in = inputs(c);
    World w = start;
    SeededRandom rnd(1);
    NullCanvas canvas;
    Ticker ticker(kernels ? *kernels : bestKernelSet(), threading);
    // Each tick timed on its own as well: the median tick, unlike the mean,
    // leaves out the ticks held up while the computer ran something else.
    std::vector<double> each;
    for (auto _ : state) {
        state.PauseTiming();
        w = start;
        rnd.reseed(1);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ticker.tick(w, in, canvas, rnd));
        each.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
        benchmark::ClobberMemory();
    }
    if (!each.empty()) {
        auto mid = each.begin() + static_cast<std::ptrdiff_t>(each.size() / 2);
        std::nth_element(each.begin(), mid, each.end());
        state.counters["tick_median_us"] = *mid;
    }
}

void literalTick(benchmark::State& state, Config c)
{
    const World start = scene(c.bodies);
    const TickInputs in = inputs(c);
    World w = start;
    SeededRandom rnd(1);
    NullCanvas canvas;
    for (auto _ : state) {
        state.PauseTiming();
        w = start;
        rnd.reseed(1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(referenceTick(w, in, canvas, rnd));
        benchmark::ClobberMemory();
    }
}

const std::vector<Config> kConfigs = {
    {150, 2, 2}, {150, 2, 1.5}, {150, 999, 2}, {150, 999, 1.5},
    {600, 2, 2}, {600, 2, 1.5}, {600, 999, 2}, {600, 999, 1.5},
    {1000, 2, 2}, {1000, 2, 1.5}, {1000, 999, 2}, {1000, 999, 1.5},
};

std::string nameOf(const std::string& which, const Config& c)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "/bodies:%d/factor:%g/exp:%g", c.bodies, c.planetoidFactor, c.exponent);
    return "tick/" + which + buf;
}

// Sizes about where sharing the pull sums starts to pay: the galaxies' three
// attractors and more among a thousand bodies, and fewer bodies all attracting.
const std::vector<Config> kEdgeConfigs = {
    {1000, 2, 2},   {1000, 40, 2},  {1000, 99, 2},  {1000, 199, 2}, {1000, 299, 2},
    {300, 999, 2},  {500, 999, 2},  {600, 999, 2},  {700, 999, 2},  {800, 999, 2},
};

// A number of threads, and whether they go back to one while that is faster.
struct Variant {
    std::string label;
    Threading threading;
};

std::string threadName(const std::string& which, const Config& c, const std::string& label)
{
    std::string name = nameOf(which, c) + "/threads:" + label;
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

// The pairs a tick of the scene sums: every attractor with every other body.
long pairsOf(const Config& c)
{
    const long m = std::min<long>(c.bodies, static_cast<long>(std::floor(c.planetoidFactor)) + 1);
    return m * (m - 1) / 2 + m * (c.bodies - m);
}

// Collects the CPU time per tick, median and fastest of the repetitions, while
// printing as usual.
class Collector final : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            // Threads working for the tick spend time this thread's clock does not see.
            const bool wall = name.rfind("tick/threads", 0) == 0 || name.rfind("tick/edge", 0) == 0;
            const double t = wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
            if (run.run_type == Run::RT_Iteration) {
                times[name].push_back(t);
                if (const auto c = run.counters.find("tick_median_us"); c != run.counters.end())
                    tickMedians[name].push_back(c->second.value);
            } else if (run.aggregate_name == "median") {
                medians[name] = t;
                if (const auto c = run.counters.find("tick_median_us"); c != run.counters.end())
                    tickMedians[name] = {c->second.value};
            } else if (run.aggregate_name == "min") {
                mins[name] = t;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    struct Figures {
        double median = 0, min = 0;
        double tick = 0;  // the median of the repetitions' median ticks
    };
    Figures of(const std::string& name) const
    {
        Figures f;
        if (const auto t = times.find(name); t != times.end() && !t->second.empty()) {
            std::vector<double> v = t->second;
            std::sort(v.begin(), v.end());
            const std::size_t k = v.size() / 2;
            f.median = v.size() % 2 ? v[k] : (v[k - 1] + v[k]) / 2;
            f.min = v.front();
        }
        if (const auto t = tickMedians.find(name); t != tickMedians.end() && !t->second.empty()) {
            std::vector<double> v = t->second;
            std::sort(v.begin(), v.end());
            f.tick = v[v.size() / 2];
        }
        if (const auto m = medians.find(name); m != medians.end()) f.median = m->second;
        if (const auto m = mins.find(name); m != mins.end()) f.min = m->second;
        return f;
    }

private:
    std::map<std::string, std::vector<double>> times, tickMedians;
    std::map<std::string, double> medians, mins;
};

double fastest(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv)
{
    auto add = [](const std::string& name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name.c_str(), fn, args...)
            ->Unit(benchmark::kMicrosecond)
            ->ComputeStatistics("min", fastest);
    };
    for (const Config& c : kConfigs) {
        add(nameOf("fast", c), fastTick, c, static_cast<const KernelSet*>(nullptr), Threading{});
        add(nameOf("literal", c), literalTick, c);
    }
    // The fast tick with each set of pull kernels this processor runs: the
    // galaxy case and the crowd where every body attracts.
    const std::vector<Config> kernelConfigs = {
        {600, 2, 2}, {600, 2, 1.5}, {1000, 2, 2}, {1000, 999, 2}, {1000, 999, 1.5}};
    for (const KernelSet* k : runnableKernelSets())
        for (const Config& c : kernelConfigs) add(nameOf(std::string("kernels-") + k->name, c), fastTick, c, k, Threading{});

    // Threads against one thread, in wall time: every body attracting, half of
    // them, and the galaxy case, which stays below the size the threads start
    // from; sharing every tick, and as the program does it, going back to one
    // thread while that is faster. Then the edge: sharing at every size.
    const KernelSet* best = &bestKernelSet();
    const int cores = usableCores();
    std::vector<Variant> variants{{"1", {1}}, {"2", {2, Threading::kFromPairs, false}}};
    if (cores > 2) variants.push_back({std::to_string(cores), {cores, Threading::kFromPairs, false}});
    variants.push_back({std::to_string(std::max(cores, 2)) + " adapting", {std::max(cores, 2)}});
    const std::vector<Config> threadConfigs = {{1000, 999, 2}, {1000, 999, 1.5}, {1000, 500.5, 2},
                                               {1000, 2, 2},   {600, 999, 2},    {1000, 999, 1}};
    const std::vector<Variant> edgeVariants{{"1", {1}}, {"2", {2, 0, false}}};
    auto addThreads = [&](const std::string& which, const Config& c, const Variant& v) {
        benchmark::RegisterBenchmark(threadName(which, c, v.label).c_str(), fastTick, c, best, v.threading)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime()
            ->ComputeStatistics("min", fastest);
    };
    for (const Config& c : threadConfigs)
        for (const Variant& v : variants) addThreads("threads", c, v);
    for (const Config& c : kEdgeConfigs)
        for (const Variant& v : edgeVariants) addThreads("edge", c, v);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    std::printf("\nOne tick, CPU time in microseconds (median and fastest of the repetitions); kernels %s\n",
                bestKernelSet().name);
    std::printf("%6s %6s %4s | %10s %10s | %10s %10s | %14s %10s\n", "bodies", "factor", "exp", "fast med",
                "fast min", "literal med", "literal min", "literal/fast med", "min");
    for (const Config& c : kConfigs) {
        const auto f = collector.of(nameOf("fast", c)), l = collector.of(nameOf("literal", c));
        if (f.median == 0 && l.median == 0) continue;  // filtered out
        auto ratio = [](double a, double b) { return a > 0 && b > 0 ? a / b : 0.0; };
        std::printf("%6d %6g %4g | %10.2f %10.2f | %11.1f %11.1f | %16.1f %10.1f\n", c.bodies, c.planetoidFactor,
                    c.exponent, f.median, f.min, l.median, l.min, ratio(l.median, f.median), ratio(l.min, f.min));
    }
    auto threadTable = [&](const char* title, const std::string& which, const std::vector<Config>& configs,
                           const std::vector<Variant>& vs) {
        bool shown = false;
        for (const Config& c : configs) {
            const auto one = collector.of(threadName(which, c, "1"));
            if (one.median == 0) continue;
            if (!shown) {
                std::printf("\n%s: wall time in microseconds, median and fastest of the\n"
                            "repetitions' means, 1 thread / this, and the median tick\n"
                            "%6s %6s %6s %4s |",
                            title, "bodies", "pairs", "factor", "exp");
                for (const Variant& v : vs) std::printf(" threads %-29s |", v.label.c_str());
                std::printf("\n");
            }
            shown = true;
            std::printf("%6d %6ld %6g %4g |", c.bodies, pairsOf(c), c.planetoidFactor, c.exponent);
            for (const Variant& v : vs) {
                const auto f = collector.of(threadName(which, c, v.label));
                std::printf(" %8.1f %8.1f %5.2f %8.1f |", f.median, f.min, f.median > 0 ? one.median / f.median : 0.0,
                            f.tick);
            }
            std::printf("\n");
        }
    };
    threadTable("Threads against one thread", "threads", threadConfigs, variants);
    threadTable("Threads sharing at every size (the edge)", "edge", kEdgeConfigs, edgeVariants);

    bool header = false;
    for (const KernelSet* k : runnableKernelSets()) {
        for (const Config& c : kernelConfigs) {
            const auto f = collector.of(nameOf(std::string("kernels-") + k->name, c));
            if (f.median == 0) continue;
            if (!header) std::printf("\nFast tick by pull kernels\n%-10s %6s %6s %4s | %10s %10s\n", "kernels",
                                     "bodies", "factor", "exp", "median", "min");
            header = true;
            std::printf("%-10s %6d %6g %4g | %10.2f %10.2f\n", k->name, c.bodies, c.planetoidFactor, c.exponent,
                        f.median, f.min);
        }
    }
    benchmark::Shutdown();
    return 0;
}
