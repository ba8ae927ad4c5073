// Times the rotation-curve panel's refresh on a galaxy of 1000 bodies, shown
// offscreen, as the window calls it at every screen refresh: with a history
// record every tenth call (one tick a call) or at every call (ten ticks a
// call), with NGC 3198 laid over it, with the acceleration or the history tab
// shown instead of the curve, hidden (the model alone), and a whole frame of
// each tab: the refresh and the painting it brings.
//
//   orb_bench_curve_panel --benchmark_repetitions=3

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>
#include <cmath>
#include <memory>

#include "Galaxy.h"
#include "panel/CurvePanel.h"

namespace {

using namespace orb;

enum class Mode { Shown, Ngc, Hidden, Frame };
enum Tab { kCurve, kAcceleration, kHistory };

void refresh(benchmark::State& state, Mode mode, long long ticksPerCall, Tab tab = kCurve)
{
    const auto w = bench::galaxy();
    CurvePanel panel;
    // The dock's width at 1280 x 800.
    panel.resize(460, 700);
    panel.setShowNgc3198(mode == Mode::Ngc);
    panel.findChild<QTabWidget*>("CurveTabs")->setCurrentIndex(tab);
    if (mode != Mode::Hidden) panel.show();
    long long tick = 0;
    // Warm up: a history of a few hundred records, the charts laid out.
    for (int i = 0; i < 300; ++i) panel.refresh(*w, {2, 2}, tick += 10);
    QApplication::processEvents();
    for (auto _ : state) {
        panel.refresh(*w, {2, 2}, tick += ticksPerCall);
        if (mode == Mode::Frame) panel.repaint();
    }
    state.counters["stars"] = static_cast<double>(panel.curve().stars().size());
}

BENCHMARK_CAPTURE(refresh, shown_record_every_10th, Mode::Shown, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, shown_record_every_call, Mode::Shown, 10)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, ngc3198_record_every_10th, Mode::Ngc, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, acceleration_tab, Mode::Shown, 1, kAcceleration)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, history_tab_record_every_call, Mode::Shown, 10, kHistory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, hidden, Mode::Hidden, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, frame_with_paint, Mode::Frame, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, acceleration_frame_with_paint, Mode::Frame, 1, kAcceleration)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, history_frame_with_paint, Mode::Frame, 1, kHistory)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
