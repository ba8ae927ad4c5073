// Times the rotation-curve panel's refresh on a galaxy of 1000 bodies, shown
// offscreen, as the window calls it at every screen refresh: with a history
// record every tenth call (one tick a call) or at every call (ten ticks a
// call), with NGC 3198 laid over it, hidden (the model alone), and a whole
// frame: the refresh and the painting it brings.
//
//   orb_bench_curve_panel --benchmark_repetitions=3

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <memory>

#include "base/Random.h"
#include "panel/CurvePanel.h"

namespace {

using namespace orb;

// Sol and the binary pair as a preset places them, and 997 stars on rough
// circular orbits around their 300 units of gravity, from 400 to 6000 twips,
// a few turning backwards, coloured as Go colours them.
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
        const double c = std::cos(angle), s = std::sin(angle);
        w->posX[i] = 7680 + radius * c;
        w->posY[i] = 5760 + radius * s;
        w->momX[i] = -v * s;
        w->momY[i] = v * c;
        w->gravity[i] = 0.1;
        const float d = static_cast<float>(std::nearbyint(i / 999.0 * 255));
        w->colGreen[i] = d;
        w->colBlue[i] = 255 - d;
        w->colRed[i] = static_cast<float>(50 + static_cast<int>(r.rnd() * 150));
    }
    return w;
}

enum class Mode { Shown, Ngc, Hidden, Frame };

void refresh(benchmark::State& state, Mode mode, long long ticksPerCall)
{
    const auto w = galaxy();
    CurvePanel panel;
    panel.resize(700, 900);
    panel.setShowNgc3198(mode == Mode::Ngc);
    if (mode != Mode::Hidden) panel.show();
    long long tick = 0;
    // Warm up: a history of a few hundred records, the charts laid out.
    for (int i = 0; i < 300; ++i) panel.refresh(*w, 2, 2, tick += 10);
    QApplication::processEvents();
    for (auto _ : state) {
        panel.refresh(*w, 2, 2, tick += ticksPerCall);
        if (mode == Mode::Frame) panel.repaint();
    }
    state.counters["stars"] = static_cast<double>(panel.curve().stars().size());
}

BENCHMARK_CAPTURE(refresh, shown_record_every_10th, Mode::Shown, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, shown_record_every_call, Mode::Shown, 10)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, ngc3198_record_every_10th, Mode::Ngc, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, hidden, Mode::Hidden, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refresh, frame_with_paint, Mode::Frame, 1)->Unit(benchmark::kMicrosecond);

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
