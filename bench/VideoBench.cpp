// What recording a video costs a run, offscreen:
//
//   orb_bench_video --benchmark_repetitions=3
//
// Each iteration is one Oscillate run of 1200 ticks on a fresh window, as the
// headless runner drives it: once without a video, and once for each kind of
// video at a frame every 2 ticks (600 frames, 20 s at 30 frames a second) of
// the field's 1024 x 768 picture, finished and moved into place. The window's
// start is left out, so the figures compare the ticks alone against the ticks
// with the frames taken, converted, encoded and written.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "app/Fs4x3.h"
#include "app/VideoRecorder.h"
#include "platform/Controls.h"
#include "scenario/Presets.h"
#include "scenario/Simulation.h"

namespace {

using namespace orb;

constexpr int kTicks = 1200;

void run(benchmark::State& state, const char* ending)
{
    QTemporaryDir dir;
    long long frames = 0;
    double ms = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WindowOptions o;
        o.recordInMemory = true;
        Fs4x3 w(o);
        w.show();
        auto* seed = qobject_cast<Field*>(w.control("TXran"));
        seed->setText("4242");
        seed->leave();
        w.presets().CDp_Click(4);  // Oscillate
        const QString path = dir.filePath(QString("oscillate.") + ending);
        if (*ending) {
            if (Status s = w.video().start(path); !s) {
                state.SkipWithError(s.error().c_str());
                break;
            }
        }
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < kTicks; ++k) w.simulation().tick();
        if (*ending) {
            frames = w.video().frames();
            if (Status s = w.video().stop(); !s) {
                state.SkipWithError(s.error().c_str());
                break;
            }
        }
        ms += static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
    // What a frame costs against the 30 ms of the run it stands for at 1x (two
    // ticks of 15 ms): below 1 the window keeps its pace while it records.
    const double perFrame = frames > 0 ? ms / static_cast<double>(state.iterations()) / static_cast<double>(frames) : 0;
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["ms_per_frame"] = perFrame;
    state.counters["share_of_1x"] = perFrame / 30.0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    for (const char* ending : {"", "mp4", "webm", "gif"}) {
        const std::string name = std::string("video/oscillate-1200-ticks/") + (*ending ? ending : "none");
        benchmark::RegisterBenchmark(name.c_str(), run, ending)->Unit(benchmark::kMillisecond)->Iterations(3);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
