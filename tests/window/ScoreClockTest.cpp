// The score clock on an injected time of day, and the record file.
#include <QFile>
#include <vector>

#include "WindowFixture.h"

namespace orb::test {
namespace {

class ScoreClockTest : public WindowTest {
protected:
    const ScoreState& scoreState() { return w().score().state(); }
    QString fileText(const QString& path) const
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return "<none>";
        return QString::fromUtf8(f.readAll());
    }
    void writeFile(const QString& path, const QByteArray& text) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // Starts a run of 150 planets at the time of day `startMs` and lets the
    // score clock tick `seconds` later.
    void runFor(long long startMs, int seconds)
    {
        clock.set(startMs);
        field("TXn")->setText("150");
        w().go().Command2_Click();
        clock.set(startMs + seconds * kSecond);
        w().score().TiK_Timer();
    }
};

TEST_F(ScoreClockTest, TheLabelsShowTheScoreClock)
{
    runFor(kNoon, 10);
    EXPECT_DOUBLE_EQ(scoreState().scoreFactor, 228.01);
    EXPECT_EQ(scoreState().score, 56);
    EXPECT_EQ(label("Label3")->text(), "56");
    EXPECT_EQ(label("Label2")->text(), "10");
    EXPECT_EQ(label("LaTT")->text(), "10");
}

TEST_F(ScoreClockTest, AnEventRestartsTheScoreButNotTheSessionBest)
{
    runFor(kNoon, 30);
    ASSERT_EQ(scoreState().score, 714);
    w().score().KlinK();
    clock.advance(10 * kSecond);
    w().score().TiK_Timer();
    EXPECT_EQ(scoreState().runSeconds, 40);
    EXPECT_EQ(scoreState().elapsedSeconds, 10);
    EXPECT_EQ(scoreState().score, 56);
    EXPECT_EQ(scoreState().sessionBest, 714);
    EXPECT_EQ(label("Label4")->text(), "714");
    EXPECT_EQ(label("Label3")->text(), "56");

    // The session best outlives a new run.
    runFor(kNoon + 3600 * kSecond, 5);
    EXPECT_EQ(scoreState().score, 16);
    EXPECT_EQ(label("Label4")->text(), "714");
}

TEST_F(ScoreClockTest, ATickWithABorderEventOrAMergeStampsTheClock)
{
    // Four still, weightless bodies in a row mid-field; what each case changes
    // decides whether the tick has an event.
    struct Case {
        const char* what;
        double x3, y3, mx3;
        bool stamps;
    } cases[] = {
        {"a quiet tick", 9000, 5000, 0, false},
        {"a partial collision only", 7050, 5000, 0, false},
        {"a border event", kLeftMargin + 1, 5000, -5, true},
        {"a merge", 7003, 5000, 0, true},
    };
    runFor(kNoon, 30);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World& wo = world();
        wo.bodyCount = 3;
        wo.nextStar = 0;  // no star comes
        wo.coreRadius = 10;
        wo.planetRadius = 100;
        for (int i = 0; i <= 3; ++i) {
            wo.outOfPlay[i] = 0;
            wo.gravity[i] = 0;
            wo.posX[i] = 3000 + 2000 * i;
            wo.posY[i] = 5000;
            wo.momX[i] = wo.momY[i] = 0;
        }
        wo.posX[3] = c.x3;
        wo.posY[3] = c.y3;
        wo.momX[3] = c.mx3;
        // The clock moves on, so a stamp shows as the new second.
        clock.advance(10 * kSecond);
        w().score().TiK_Timer();
        const std::int32_t now = scoreState().runSeconds, last = scoreState().clockOffset;
        ASSERT_NE(now, last);
        w().simulation().tick();
        EXPECT_EQ(scoreState().clockOffset, c.stamps ? now : last);
        // The next beat counts the calm from the stamp.
        clock.advance(kSecond);
        w().score().TiK_Timer();
        EXPECT_EQ(scoreState().elapsedSeconds, c.stamps ? 1 : now + 1 - last);
    }
}

TEST_F(ScoreClockTest, CountsTheBodiesInPlay)
{
    field("TXn")->setText("10");
    w().go().Command2_Click();
    world().outOfPlay.fill(1);
    for (int i : {0, 1, 2, 3, 7, 10, 11}) world().outOfPlay[i] = 0;
    w().score().TiK_Timer();
    EXPECT_EQ(label("LaTot")->text(), "3") << "bodies 3..10 only";
}

TEST_F(ScoreClockTest, ANewRecordIsWrittenOnTheSameTick)
{
    EXPECT_EQ(fileText(recordPath()), "1,1,1\n") << "a fresh record file";
    EXPECT_EQ(label("Label5")->text(), "1");
    runFor(kNoon, 10);
    EXPECT_EQ(scoreState().recordScore, 56);
    EXPECT_EQ(label("Label5")->text(), "56");
    EXPECT_EQ(fileText(recordPath()), "56,8,10\n");

    // A later window reads it back.
    open(recordPath());
    EXPECT_EQ(scoreState().recordScore, 56);
    EXPECT_EQ(label("Label5")->text(), "56");
}

TEST_F(ScoreClockTest, AScoreBelowTheRecordLeavesTheFileAlone)
{
    writeFile(recordPath(), "700,100,10\n");
    open(recordPath());
    ASSERT_EQ(scoreState().recordScore, 700);
    runFor(kNoon, 10);
    EXPECT_EQ(scoreState().recordScore, 700);
    EXPECT_EQ(label("Label5")->text(), "700");
    EXPECT_EQ(fileText(recordPath()), "700,100,10\n");
}

TEST_F(ScoreClockTest, ARecordFileThatDoesNotCheckOutGivesRecordOne)
{
    const std::vector<std::pair<QByteArray, int>> cases = {
        {"700,100,10\n", 700}, {"700,99,10\n", 1},   {"garbage\n", 1}, {"", 1},
        {"700,100\n", 1},      {"7e99,1,10\n", 1},   {"\xff\xfe\x00\x01", 1},
    };
    for (const auto& [text, record] : cases) {
        SCOPED_TRACE(text.toStdString());
        writeFile(recordPath(), text);
        open(recordPath());
        EXPECT_EQ(scoreState().recordScore, record);
        EXPECT_EQ(label("Label5")->text(), QString::number(record));
        // The program goes on, and the first better score mends the file.
        runFor(kNoon, 10);
        if (record < 56) {
            EXPECT_EQ(fileText(recordPath()), "56,8,10\n");
        }
    }
}

TEST_F(ScoreClockTest, ARecordThatCannotBeWrittenIsStillShown)
{
    // A path under a plain file can never be created, whoever runs the test.
    writeFile(dir.filePath("plain"), "x");
    const QString path = dir.filePath("plain/tallyho.ogg");
    open(path);
    EXPECT_EQ(scoreState().recordScore, 1);
    runFor(kNoon, 10);
    EXPECT_EQ(scoreState().recordScore, 56);
    EXPECT_EQ(label("Label5")->text(), "56");
    clock.advance(10 * kSecond);
    w().score().TiK_Timer();
    EXPECT_EQ(scoreState().score, 248);
    EXPECT_EQ(label("Label5")->text(), "248");
}

}  // namespace
}  // namespace orb::test
