// The run's journal, its replay from a run file and the timeline.
#include <QAbstractButton>
#include <map>
#include <set>

#include "WindowFixture.h"
#include "app/RunJournal.h"
#include "scenario/RunFile.h"
#include "world/TableHash.h"

namespace orb::test {
namespace {

class Journaled : public WindowTest {
protected:
    void fireUntilReplayed()
    {
        for (int guard = 0; w().journal().replaying() && guard < 100000 && timer("Ti")->enabled(); ++guard)
            timer("Ti")->fire();
    }
    void keepHashes()
    {
        QObject::connect(&w().simulation(), &Simulation::ticked, &w(),
                         [this] { hashes[w().journal().tick()] = tableHash(world()); });
    }
    // A run with an input of every kind: typing mid-run, leaving, a border
    // rule, a check box, Pause with an edit of the table, Step, Resume.
    void playAround()
    {
        startPreset(2);
        w().simulation().setSpeed(5);
        ticks(40);
        field("TXg", 2)->setText("1.");  // read as it is typed
        ticks(7);
        field("TXg", 2)->setText("1.5");
        field("TXg", 2)->leave();
        option("Och", 2)->setChecked(true);
        check("CHkeep")->setChecked(true);
        ticks(30);
        w().pause().Command5_Click();
        bar("Qui")->setValue(3);
        type(field("TXTp", 0), "6000");
        w().simulation().Step_Click();
        w().simulation().Step_Click();
        check("Chon")->click();
        w().pause().Command5_Click();
        ticks(25);
    }
    std::map<long long, std::uint64_t> hashes;
};

TEST_F(Journaled, ARunFileReplaysToTheSameTableAndTheSameJournal)
{
    playAround();
    const std::uint64_t live = tableHash(world());
    const QString path = dir.filePath("run.orbrun");
    ASSERT_TRUE(w().saveRun(path));
    const auto saved = readRunFile(path.toStdString());
    ASSERT_TRUE(saved) << saved.error();

    // Another window on every kernel set, another generator state, another speed.
    for (const KernelSet* kernels : runnableKernelSets()) {
        open(recordPath(), nullptr, kernels);
        w().simulation().setSpeed(0);
        w().simulation().setFixedMax(7);
        startPreset(0);
        ticks(13);
        ASSERT_TRUE(w().openRun(path));
        fireUntilReplayed();
        EXPECT_FALSE(w().journal().replaying());
        EXPECT_EQ(tableHash(world()), live) << kernels->name;
        EXPECT_NE(w().journal().verdict().indexOf("bit for bit"), -1) << w().journal().verdict().toStdString();
        const auto again = w().journal().journal();
        ASSERT_TRUE(again);
        EXPECT_TRUE(sameLines(runFileText(*again), runFileText(*saved))) << kernels->name;
    }
}

TEST_F(Journaled, AReplayThatPartsFromTheRunSaysWhere)
{
    startPreset(2);
    w().simulation().setSpeed(100);
    ticks(2500);
    auto j = w().journal().journal();
    ASSERT_TRUE(j);
    // A tampered start: one star nudged by a twip.
    j->start.table.posX[2] += 1;
    const QString path = dir.filePath("tampered.orbrun");
    ASSERT_TRUE(writeRunFile(path.toStdString(), *j));
    ASSERT_TRUE(w().openRun(path));
    fireUntilReplayed();
    const QString verdict = w().journal().verdict();
    EXPECT_NE(verdict.indexOf("differs from the recorded run by tick 1000"), -1) << verdict.toStdString();
}

TEST_F(Journaled, AnUnknownInputIsRefusedAndTheRunGoesOn)
{
    startPreset(2);
    ticks(10);
    auto j = w().journal().journal();
    ASSERT_TRUE(j);
    const QString path = dir.filePath("bad.orbrun");
    j->entries.push_back({3, "click", "CDp(2)", {}, 0});
    ASSERT_TRUE(writeRunFile(path.toStdString(), *j));
    const std::uint64_t before = tableHash(world());
    const auto s = w().openRun(path);
    ASSERT_FALSE(s);
    EXPECT_NE(s.error().find("bad.orbrun: line "), std::string::npos) << s.error();
    EXPECT_NE(s.error().find("CDp(2)"), std::string::npos) << s.error();
    EXPECT_EQ(tableHash(world()), before);
    EXPECT_TRUE(w().run().running());
    EXPECT_FALSE(w().journal().replaying());
}

TEST_F(Journaled, TheTimelineShowsEveryTickAsItWasAndUndoBringsBackTheRest)
{
    keepHashes();
    playAround();
    ticks(300);
    // Pausing shows a body in the editor, which brings its values into range.
    w().pause().Command5_Click();
    const long long last = w().journal().tick();
    const std::uint64_t end = tableHash(world());
    // A tick is shown with the inputs made at it; the hashes were taken
    // before them.
    std::set<long long> inputs;
    const auto journal = w().journal().journal();
    for (const JournalEntry& e : journal->entries)
        if (e.action != "hash") inputs.insert(e.tick);
    for (long long t : {last - 1, 0LL, 1LL, 31LL, 32LL, 33LL, 47LL, 50LL, 51LL, 79LL, 80LL, 81LL, 82LL, 83LL, 200LL, last}) {
        ASSERT_TRUE(w().journal().seek(t)) << t;
        EXPECT_TRUE(w().run().paused()) << t;
        EXPECT_EQ(w().journal().tick(), t);
        EXPECT_EQ(w().journal().lastTick(), last);
        if (t > 0 && !inputs.count(t)) EXPECT_EQ(tableHash(world()), hashes[t]) << "tick " << t;
    }
    EXPECT_EQ(tableHash(world()), end);
    // Going on from a past tick drops the rest; Undo brings it back.
    ASSERT_TRUE(w().journal().seek(100));
    w().pause().Command5_Click();
    ticks(5);
    EXPECT_EQ(w().journal().lastTick(), 105);
    ASSERT_TRUE(w().journal().canUndo());
    w().journal().undo();
    EXPECT_EQ(w().journal().tick(), last);
    EXPECT_EQ(tableHash(world()), end);
    // The journal after an undo still replays to the end.
    const QString path = dir.filePath("undone.orbrun");
    ASSERT_TRUE(w().saveRun(path));
    open(recordPath());
    ASSERT_TRUE(w().openRun(path));
    fireUntilReplayed();
    EXPECT_EQ(tableHash(world()), end);
}

TEST_F(Journaled, ARunGoingOnFromThePastReplaysAsItWent)
{
    playAround();
    ticks(100);
    ASSERT_TRUE(w().journal().seek(60));
    type(field("TXg", 2), "2.2");  // an input at the past tick: the rest goes
    EXPECT_EQ(w().journal().lastTick(), 60);
    EXPECT_TRUE(w().journal().canUndo());
    w().pause().Command5_Click();
    ticks(90);
    // Another input after it: what was dropped stays dropped.
    type(field("TXg", 2), "2.3");
    EXPECT_FALSE(w().journal().canUndo());
    ticks(10);
    const std::uint64_t live = tableHash(world());
    const QString path = dir.filePath("branch.orbrun");
    ASSERT_TRUE(w().saveRun(path));
    open(recordPath());
    ASSERT_TRUE(w().openRun(path));
    fireUntilReplayed();
    EXPECT_EQ(tableHash(world()), live);
}

}  // namespace
}  // namespace orb::test
