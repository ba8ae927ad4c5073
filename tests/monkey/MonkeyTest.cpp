// The monkey in the suite: a few seeds of random actions on the window, each
// action followed by the checks. A failure prints the seed, the action and the
// last actions, and the command that runs them again.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "app/RunJournal.h"
#include "monkey/Config.h"
#include "monkey/Monkey.h"
#include "platform/Timer.h"
#include "platform/Widgets.h"
#include "scenario/Simulation.h"
#include "world/TableHash.h"
#include "support/BodyTable.h"

namespace orb::monkey {
namespace {

std::vector<std::uint64_t> seeds()
{
    std::vector<std::uint64_t> s;
    for (int k = 0; k < config().seeds; ++k) s.push_back(config().firstSeed + static_cast<std::uint64_t>(k));
    return s;
}

class MonkeyRun : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(MonkeyRun, EveryCheckHoldsAfterEveryAction)
{
    const auto start = std::chrono::steady_clock::now();
    Monkey m(GetParam(), config().trace);
    auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    // A long run says how far it got every 10000 actions.
    constexpr long long kChunk = 10000;
    std::string report;
    for (long long left = config().actions; left > 0 && report.empty(); left -= kChunk) {
        report = m.run(std::min(left, kChunk));
        if (config().actions > kChunk && report.empty())
            std::printf("monkey: %lld actions, %.0f s\n", m.actionsDone(), seconds());
        std::fflush(stdout);
    }
    const double s = seconds();
    std::printf("monkey: seed %llu, %lld actions, %lld ticks, %lld restarts, %.1f s\n",
                static_cast<unsigned long long>(GetParam()), m.actionsDone(), m.ticksRun(), m.restarts(), s);
    if (!report.empty()) FAIL() << report;
    // Everything the monkey did that the tick reads went into the run's
    // journal: played back in a fresh window, it ends with the same table.
    if (m.window().journal().replaying()) return;  // the monkey opened a run file itself
    const auto journal = m.window().journal().journal();
    if (!journal) return;
    EXPECT_EQ(journal->endHash, tableHash(m.window().world()));
    ManualTime clock{12LL * 3600 * 1000};
    WindowOptions o;
    o.clock = &clock;
    o.recordInMemory = true;
    o.openUrl = [](const QString&) { return false; };
    o.endProgram = [] {};
    Fs4x3 replay(o);
    replay.simulation().setFixedMax(50);
    for (Timer* t : replay.timers()) t->setVirtual(true);
    replay.show();
    ASSERT_TRUE(replay.journal().play(*journal, "monkey.orbrun"));
    Timer* ti = replay.timer("Ti");
    for (long long beats = 0; replay.journal().replaying() && ti->enabled() && beats < 10'000'000; ++beats) ti->fire();
    EXPECT_FALSE(replay.journal().replaying());
    EXPECT_NE(replay.journal().verdict().indexOf("bit for bit"), -1)
        << replay.journal().verdict().toStdString() << "\n" << m.trail("the replay of its journal");
    EXPECT_EQ(test::bodyTableDifference(replay.world(), m.window().world()), "");
}

INSTANTIATE_TEST_SUITE_P(Seeds, MonkeyRun, ::testing::ValuesIn(seeds()),
                         [](const auto& info) { return "seed" + std::to_string(info.param); });

// The checks themselves must see what they look for.
TEST(MonkeyChecks, SeeEveryBrokenInvariantOfTheTable)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        void (*plant)(World&, double, double);
    };
    const Case cases[] = {
        {"NaN position", [](World& w, double n, double) { w.posX[999] = n; }},
        {"infinite momentum", [](World& w, double, double i) { w.momY[3] = -i; }},
        {"infinite gravity", [](World& w, double, double i) { w.gravity[0] = i; }},
        {"NaN body type", [](World& w, double n, double) { w.bodyType[500] = n; }},
        {"play state 2", [](World& w, double, double) { w.outOfPlay[7] = 2; }},
        {"colour 256", [](World& w, double, double) { w.colBlue[1] = 256; }},
        {"colour 2.5", [](World& w, double, double) { w.colRed[1] = 2.5f; }},
        {"negative colour", [](World& w, double, double) { w.colGreen[0] = -1; }},
        {"1000 planets", [](World& w, double, double) { w.bodyCount = 1000; }},
        {"negative planets", [](World& w, double, double) { w.bodyCount = -1; }},
        {"next star 1001", [](World& w, double, double) { w.nextStar = 1001; }},
    };
    EXPECT_EQ(worldFault(World{}), "");
    for (const Case& c : cases) {
        auto w = std::make_unique<World>();
        c.plant(*w, nan, inf);
        EXPECT_NE(worldFault(*w), "") << c.what;
    }
}

TEST(MonkeyChecks, SeeALoweredRecord)
{
    Monkey m(1);
    ASSERT_EQ(m.check(), "");
    m.window().score().state().recordScore = 50;
    ASSERT_EQ(m.check(), "");
    m.window().score().state().recordScore = 49;
    EXPECT_NE(m.check(), "");
}

TEST(MonkeyChecks, NeverPressWhatOpensAFileDialog)
{
    // The monkey skips what is marked; a dialog left unmarked would wait for a
    // user for ever.
    Monkey m(1);
    for (const char* name : {"CDopen", "CDsave", "Open", "Save", "ExportPicture", "SaveCurve", "ExportPlot"}) {
        const QObject* c = m.window().findChild<QObject*>(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_TRUE(opensDialog(c)) << name;
    }
    for (const char* name : {"TXn", "CDp(0)", "Quit", "About"}) {
        const QObject* c = m.window().findChild<QObject*>(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_FALSE(opensDialog(c)) << name;
    }
}

}  // namespace
}  // namespace orb::monkey
