// Videos of a run: frames follow the run's ticks, the file plays with the
// frames and length asked for, and a file that cannot be written leaves none.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>

#include "WindowFixture.h"
#include "app/RunJournal.h"
#include "app/VideoRecorder.h"
#include "panel/Pause.h"
#include "world/TableHash.h"

namespace orb::test {
namespace {

class Video : public WindowTest {
protected:
    void ticks(long long n)
    {
        const long long until = w().simulation().ticks() + n;
        while (w().simulation().ticks() < until && timer("Ti")->enabled()) timer("Ti")->fire();
    }
    // ffprobe's frame count, codec and length; empty without ffprobe.
    static QStringList probe(const QString& path)
    {
        QProcess p;
        p.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                            "stream=nb_read_frames,codec_name,width,height", "-show_entries", "format=duration",
                            "-of", "csv=p=0", path});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
        return QString::fromUtf8(p.readAllStandardOutput()).simplified().split(QRegularExpression("[ ,]"));
    }
    QStringList leftovers() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
};

TEST_F(Video, EachKindPlaysWithTheFramesAndLengthAskedForAndChangesNothing)
{
    if (QStandardPaths::findExecutable("ffprobe").isEmpty()) GTEST_SKIP() << "no ffprobe";
    struct Case {
        const char* ending;
        const char* codec;
        bool sameBytes;
    } cases[] = {{"mp4", "h264", true}, {"webm", "vp9", false}, {"gif", "gif", true}};
    for (const Case& c : cases) {
        // The same run at two speeds, and once without a video.
        std::uint64_t hashes[3];
        QByteArray bytes[2];
        for (int k = 0; k < 3; ++k) {
            open(recordPath());
            startPreset(1);
            w().simulation().setSpeed(k == 1 ? 0 : 1);
            w().simulation().setFixedMax(5);
            const QString path = dir.filePath(QString("run%1.%2").arg(k).arg(c.ending));
            VideoRecorder& v = w().video();
            v.options().fps = 20;
            v.options().every = 3;
            v.options().size = QSize(320, 240);
            if (k < 2) ASSERT_TRUE(v.start(path));
            ticks(90);
            if (k < 2) {
                EXPECT_NE(w().statusText().indexOf(QString::fromUtf8("\u25cf REC 1.5 s")), -1)
                    << w().statusText().toStdString();
                ASSERT_TRUE(v.stop());
                const QStringList got = probe(path);
                ASSERT_EQ(got.size(), 5) << c.ending << ": " << got.join(" ").toStdString();
                EXPECT_EQ(got[0], c.codec);
                EXPECT_EQ(got[1], "320");
                EXPECT_EQ(got[2], "240");
                EXPECT_EQ(got[3], "30") << c.ending;  // 90 ticks, a frame every 3
                EXPECT_NEAR(got[4].toDouble(), 1.5, 0.011) << c.ending;
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                bytes[k] = f.readAll();
            }
            hashes[k] = tableHash(world());
        }
        EXPECT_EQ(hashes[0], hashes[2]) << c.ending;
        EXPECT_EQ(hashes[1], hashes[2]) << c.ending;
        // The same frames whatever the speed: x264 and the GIF encoder make
        // the same bytes of them (VP9's realtime mode follows the clock).
        if (c.sameBytes) EXPECT_TRUE(bytes[0] == bytes[1]) << c.ending;
    }
}

// Going back on the timeline while recording adds no frames: the ticks run
// again to show a past tick are not the run going on. Resuming from the past
// goes on with the run from there.
TEST_F(Video, TheTimelineAddsNoFrames)
{
    startPreset(1);
    w().simulation().setSpeed(1);
    VideoRecorder& v = w().video();
    v.options().every = 2;
    ASSERT_TRUE(v.start(dir.filePath("timeline.gif")));
    ticks(100);
    EXPECT_EQ(v.frames(), 50);
    ASSERT_TRUE(w().journal().seek(90));
    ASSERT_TRUE(w().journal().seek(30));
    ASSERT_TRUE(w().journal().seek(100));
    EXPECT_EQ(v.frames(), 50);
    ASSERT_TRUE(w().journal().seek(60));
    w().pause().Command5_Click();  // Resume, from tick 60
    ticks(10);
    EXPECT_EQ(v.frames(), 55);
    EXPECT_TRUE(v.stop());
}

TEST_F(Video, WhatCannotTakeAVideoIsRefusedInOneLineAndNothingIsLeft)
{
    startPreset(1);
    const QString fifo = dir.filePath("pipe.mp4");
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0600), 0);
    const QString device = dir.filePath("full.mp4");
    ASSERT_EQ(::symlink("/dev/full", device.toUtf8().constData()), 0);
    const QString readOnly = dir.filePath("old.webm");
    {
        QFile f(readOnly);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }
    ::chmod(readOnly.toUtf8().constData(), 0444);
    struct Case {
        QString path;
        QSize size;
        const char* says;
    } cases[] = {
        {fifo, {}, "a FIFO"},
        {device, {}, "a character device"},
        {readOnly, {}, "read-only"},
        {dir.filePath("run.avi"), {}, ".mp4, .webm or .gif"},
        {dir.filePath("huge.mp4"), {20000, 240}, "16 to 8192"},
        {dir.path(), {}, ".mp4, .webm or .gif"},
    };
    const QStringList before = leftovers();
    for (const Case& c : cases) {
        w().video().options().size = c.size;
        const auto s = w().video().start(c.path);
        ASSERT_FALSE(s) << c.says;
        EXPECT_NE(s.error().find(c.says), std::string::npos) << s.error();
        EXPECT_EQ(s.error().find('\n'), std::string::npos);
        EXPECT_FALSE(w().video().recording());
    }
    EXPECT_EQ(leftovers(), before);
    QFile kept(readOnly);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "kept");
}

// A disk that fills up while the video is written (here a limit on the size
// of files) ends the video with one line and leaves no file, whole or part:
// whether a frame's write fails while it records or the last ones at the end.
TEST_F(Video, ADiskThatFillsUpLeavesNoFile)
{
    for (const char* name : {"big.mp4", "big.webm", "big.gif"}) {
        startPreset(1);
        w().simulation().setSpeed(1);
        const QString path = dir.filePath(name);
        w().video().options().every = 1;
        ASSERT_TRUE(w().video().start(path));
        QString why;
        const auto c = QObject::connect(&w().video(), &VideoRecorder::failed, &w(), [&](const QString& m) { why = m; });
        rlimit old{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 16 * 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        Status stopped;
        for (int k = 0; k < 200 && w().video().recording(); ++k) ticks(1);
        if (w().video().recording()) stopped = w().video().stop();
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        QObject::disconnect(c);
        const std::string message = why.isEmpty() ? stopped.error() : why.toStdString();
        EXPECT_NE(message.find(name), std::string::npos) << message;
        EXPECT_NE(message.find("File too large"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
        EXPECT_FALSE(w().video().recording());
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_TRUE(leftovers().filter(name).isEmpty()) << leftovers().join(" ").toStdString();
    }
}

}  // namespace
}  // namespace orb::test
