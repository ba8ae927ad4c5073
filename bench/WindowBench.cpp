// The window at Max speed: how many ticks a second it runs on its own timer,
// offscreen, and how late its event loop answers meanwhile (the window stays
// responsive when a short timer is never much later than its interval).
//
//   orb_bench_window --benchmark_repetitions=3
//
// Each run lets the real event loop go for the milliseconds given: the figures are
// counters (ticks per second, the 1x rate it is measured against, and the
// worst lateness of a 10 ms timer), not the time per iteration.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <string>

#include "app/Fs4x3.h"
#include "platform/Controls.h"
#include "platform/Timer.h"
#include "scenario/Presets.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"
#include "Crowd.h"
#include "support/Golden.h"
#include "base/Files.h"
#include "world/SceneFile.h"

namespace {

using namespace orb;

struct Measured {
    double ticksPerSecond = 0;
    double worstLateMs = 0;
};

// Runs the window's own event loop for `ms` and measures it.
Measured runFor(Fs4x3& w, int ms)
{
    Measured m;
    const long long before = w.simulation().ticks();
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer beat;
    beat.start();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        m.worstLateMs = std::max(m.worstLateMs, beat.nsecsElapsed() / 1e6 - 10.0);
        beat.restart();
    });
    probe.start(10);
    QTimer::singleShot(ms, [] { QApplication::exit(0); });
    QApplication::exec();
    m.ticksPerSecond = (w.simulation().ticks() - before) * 1000.0 / clock.elapsed();
    return m;
}

// galaxy: Oscillate from a fixed seed; otherwise 1000 bodies all attracting.
// threads: for the tick, 0 for one per core.
void atMax(benchmark::State& state, bool galaxy, int threads)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        WindowOptions o;
        o.recordInMemory = true;
        o.threads = threads;
        Fs4x3 w(o);
        w.show();
        if (galaxy) {
            bench::type(w, "TXran", "4242");
            w.presets().CDp_Click(4);
        } else {
            bench::startCrowd(w, dir);
        }
        w.simulation().setSpeed(0);
        const Measured m = runFor(w, static_cast<int>(state.range(0)));
        state.counters["ticks_per_s"] = m.ticksPerSecond;
        state.counters["times_1x"] = m.ticksPerSecond / (1000.0 / w.timer("Ti")->interval());
        state.counters["worst_late_ms"] = m.worstLateMs;
        int inPlay = 0;
        for (int i = 0; i <= w.world().bodyCount; ++i) inPlay += w.world().outOfPlay[i] == 0;
        state.counters["in_play_at_end"] = inPlay;
        state.counters["threads"] = w.simulation().threads();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    // One thread against one per core (the default) in the same run.
    for (int ms : {500, 3000}) {
        for (int threads : {1, 0}) {
            const std::string suffix = threads == 1 ? "/threads:1" : "/threads:cores";
            benchmark::RegisterBenchmark(("window/max/oscillate" + suffix).c_str(), atMax, true, threads)
                ->Arg(ms)
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
            benchmark::RegisterBenchmark(("window/max/1000-attracting" + suffix).c_str(), atMax, false, threads)
                ->Arg(ms)
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
