// What replays and the timeline cost, offscreen (orb_bench_video times videos):
//
//   orb_bench_run --benchmark_repetitions=3
//
// - run/ticks: 1000 bodies all attracting, ticked through the window (the
//   journal, its hash checks and the timeline's snapshots follow every tick)
//   against the engine's own tick on the same table: the difference is what
//   keeping a run replayable costs a tick.
// - timeline/seek: the same crowd after 4000 ticks; each seek goes to a tick
//   just before a snapshot (the farthest it has to run forward) and the
//   field's picture is drawn, as the slider would show it.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>

#include "Crowd.h"
#include "app/Fs4x3.h"
#include "app/RunJournal.h"
#include "base/Files.h"
#include "engine/Ticker.h"
#include "engine/TickInputs.h"
#include "platform/Controls.h"
#include "platform/FieldView.h"
#include "scenario/Presets.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"
#include "world/SceneFile.h"

namespace {

using namespace orb;

std::unique_ptr<Fs4x3> crowdWindow(QTemporaryDir& dir)
{
    WindowOptions o;
    o.recordInMemory = true;
    o.threads = 1;
    auto w = std::make_unique<Fs4x3>(o);
    w->show();
    bench::startCrowd(*w, dir);
    return w;
}

void runTicks(benchmark::State& state, bool throughWindow)
{
    QTemporaryDir dir;
    auto w = crowdWindow(dir);
    Ticker bare(bestKernelSet(), Threading{1});
    FieldCanvas canvas;  // both draw the trails
    SeededRandom rnd(1);
    auto world = std::make_unique<World>(w->world());
    TickInputs in = tickInputs(w->runSettings());
    for (auto _ : state) {
        if (throughWindow) w->simulation().tick();
        else bare.tick(*world, in, canvas, rnd);
    }
    state.counters["snapshots"] = static_cast<double>(w->journal().snapshots().count());
}

void seek(benchmark::State& state)
{
    QTemporaryDir dir;
    auto w = crowdWindow(dir);
    for (int k = 0; k < 4000; ++k) w->simulation().tick();
    const long long every = w->journal().snapshots().every();
    long long t = every - 1;
    for (auto _ : state) {
        std::ignore = w->journal().seek(t);
        w->fieldView().repaint();
        t = (t + 7 * every) % 4000;
    }
    state.counters["snapshot_every"] = static_cast<double>(every);
    state.counters["snapshots"] = static_cast<double>(w->journal().snapshots().count());
    state.counters["snapshot_MB"] = static_cast<double>(w->journal().snapshots().bytes()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("run/ticks/1000-attracting/engine", runTicks, false)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("run/ticks/1000-attracting/window", runTicks, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("timeline/seek/1000-attracting", seek)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
