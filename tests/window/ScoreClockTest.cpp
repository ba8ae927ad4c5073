// The score clock on an injected time of day, and the record file.
#include <QFile>
#include <vector>

#include "WindowFixture.h"

namespace orb::test {
namespace {

class ScoreClockTest : public WindowTest {
protected:
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
    EXPECT_DOUBLE_EQ(world().scoreFactor, 228.01);
    EXPECT_EQ(world().score, 56);
    EXPECT_EQ(label("Label3")->text(), "56");
    EXPECT_EQ(label("Label2")->text(), "10");
    EXPECT_EQ(label("LaTT")->text(), "10");
}

TEST_F(ScoreClockTest, AnEventRestartsTheScoreButNotTheSessionBest)
{
    runFor(kNoon, 30);
    ASSERT_EQ(world().score, 714);
    world().KlinK();
    clock.advance(10 * kSecond);
    w().score().TiK_Timer();
    EXPECT_EQ(world().runSeconds, 40);
    EXPECT_EQ(world().elapsedSeconds, 10);
    EXPECT_EQ(world().score, 56);
    EXPECT_EQ(world().sessionBest, 714);
    EXPECT_EQ(label("Label4")->text(), "714");
    EXPECT_EQ(label("Label3")->text(), "56");

    // The session best outlives a new run.
    runFor(kNoon + 3600 * kSecond, 5);
    EXPECT_EQ(world().score, 16);
    EXPECT_EQ(label("Label4")->text(), "714");
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
    EXPECT_EQ(world().recordScore, 56);
    EXPECT_EQ(label("Label5")->text(), "56");
    EXPECT_EQ(fileText(recordPath()), "56,8,10\n");

    // A later window reads it back.
    open(recordPath());
    EXPECT_EQ(world().recordScore, 56);
    EXPECT_EQ(label("Label5")->text(), "56");
}

TEST_F(ScoreClockTest, AScoreBelowTheRecordLeavesTheFileAlone)
{
    writeFile(recordPath(), "700,100,10\n");
    open(recordPath());
    ASSERT_EQ(world().recordScore, 700);
    runFor(kNoon, 10);
    EXPECT_EQ(world().recordScore, 700);
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
        EXPECT_EQ(world().recordScore, record);
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
    EXPECT_EQ(world().recordScore, 1);
    runFor(kNoon, 10);
    EXPECT_EQ(world().recordScore, 56);
    EXPECT_EQ(label("Label5")->text(), "56");
    clock.advance(10 * kSecond);
    w().score().TiK_Timer();
    EXPECT_EQ(world().score, 248);
    EXPECT_EQ(label("Label5")->text(), "248");
}

}  // namespace
}  // namespace orb::test
