// The program's plain words at the edges: no display to show the window on,
// and the headless runner's refusals (Quit, the menus after "X", empty or
// overlong arguments), its menu action that shares a widget's name, and a
// status line that is the same in every run of the same actions.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct Outcome {
    int code;
    QString out, err;
    QStringList errLines() const { return err.split('\n', Qt::SkipEmptyParts); }
};

Outcome orbitarium(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(ORB_BINARY, args);
    if (!p.waitForFinished(120000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// An X display number no server answers on.
QString absentDisplay()
{
    for (int n = 99;; ++n)
        if (!QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)) && !QFileInfo::exists(QString("/tmp/.X%1-lock").arg(n)))
            return QString(":%1").arg(n);
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    Outcome headless(const QStringList& actions)
    {
        return orbitarium(QStringList{"--headless", "--record-file", dir.filePath("tallyho.ogg")} + actions);
    }
    static QString printed(const Outcome& r, const QString& name)
    {
        for (const QString& line : r.out.split('\n'))
            if (line.startsWith(name + "=")) return line.mid(name.size() + 1);
        return "<not printed>";
    }
    QTemporaryDir dir;
};

TEST_F(CommandLineTest, ADisplayThatDoesNotAnswerIsOneLineAndExitOne)
{
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        base.remove(v);
    base.insert("XDG_RUNTIME_DIR", dir.path());
    const QString display = absentDisplay();
    const struct {
        const char* name;
        QStringList vars;  // NAME=VALUE
        const char* named; // what the line names
    } cases[] = {
        {"no display at all", {}, "DISPLAY is not set"},
        {"an X display no server answers", {"DISPLAY=" + display}, "DISPLAY="},
        {"X11 asked for by name", {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb"}, "DISPLAY="},
        {"a Wayland socket that is not there", {"WAYLAND_DISPLAY=orbitarium-none", "QT_QPA_PLATFORM=wayland"},
         "WAYLAND_DISPLAY=orbitarium-none"},
        {"a Wayland session with neither", {"WAYLAND_DISPLAY=orbitarium-none", "DISPLAY=" + display}, "WAYLAND_DISPLAY"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment env = base;
        for (const QString& v : c.vars) env.insert(v.section('=', 0, 0), v.section('=', 1));
        const Outcome r = orbitarium({}, env);
        EXPECT_EQ(r.code, 1);
        ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("orbitarium: no display to open the window on (")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.named)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("orbitarium --headless")) << r.err.toStdString();
    }
    // The headless runner needs none.
    QProcessEnvironment env = base;
    env.insert("DISPLAY", display);
    const Outcome r = orbitarium({"--headless", "--record-file", dir.filePath("r.ogg"), "--print", "TXn"}, env);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "TXn=150\n");
}

TEST_F(CommandLineTest, TheRotationCurveActionIsFoundByItsName)
{
    const Outcome r = headless({"--print", "CurvePanel", "--click", "CurvePanel", "--print", "CurvePanel"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "CurvePanel=off\nCurvePanel=on\n");
}

TEST_F(CommandLineTest, QuitAndTheMenusAfterXAreRefused)
{
    const struct {
        QStringList actions;
        QString said;
    } cases[] = {
        {{"--click", "Quit"}, "orbitarium: --click Quit: Quit is refused: a headless run ends by itself"},
        {{"--click", "Command1", "--click", "SpeedMax"}, "orbitarium: --click SpeedMax: SpeedMax is hidden"},
        {{"--preset", "2", "--click", "Command1", "--click", "PauseResume"},
         "orbitarium: --click PauseResume: PauseResume is hidden"},
        {{"--click", "Command1", "--click", "TrailsFading"}, "orbitarium: --click TrailsFading: TrailsFading is hidden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.actions.join(' ').toStdString());
        const Outcome r = headless(c.actions + QStringList{"--print", "TXn"});
        EXPECT_EQ(r.code, 1);
        ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(c.said)) << r.err.toStdString();
        EXPECT_EQ(r.out, "") << "nothing after it ran";
    }
}

TEST_F(CommandLineTest, TheStatusLineIsTheSameInEveryRun)
{
    const QStringList actions = {"--seed", "5", "--preset", "2", "--set", "Speed=10", "--ticks", "50", "--click",
                                 "SpeedMax", "--ticks", "3", "--print", "Status"};
    const Outcome a = headless(actions), b = headless(actions);
    ASSERT_EQ(a.code + b.code, 0) << a.err.toStdString() << b.err.toStdString();
    EXPECT_EQ(a.out, b.out);
    // The rate is measured on the virtual clock between the two changes of speed.
    EXPECT_TRUE(printed(a, "Status").contains(QRegularExpression(" [1-9][0-9]* ticks/s "))) << a.out.toStdString();
}

TEST_F(CommandLineTest, RefusalsQuoteAtMostTheStartOfALongArgument)
{
    const QString huge(100000, 'x');
    const struct {
        QStringList actions;
        const char* said;
    } cases[] = {
        {{"--click", huge}, "no control or menu action named"},
        {{"--set", huge}, "expected NAME=TEXT"},
        {{"--set", "Speed=" + huge}, "the Speed is"},
        {{"--ticks", huge}, "whole number"},
        {{"--seed", huge}, "whole number"},
        {{huge, "1"}, "unknown action"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const Outcome r = headless(c.actions);
        EXPECT_NE(r.code, 0);
        ASSERT_EQ(r.errLines().size(), 1);
        EXPECT_LT(r.err.size(), 500) << r.err.left(600).toStdString();
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.left(600).toStdString();
        EXPECT_TRUE(r.err.contains(QString(60, 'x') + QChar(0x2026))) << "cut, and says so";
    }
    const Outcome kernels = orbitarium({"--headless", "--kernels", huge});
    EXPECT_EQ(kernels.code, 2);
    EXPECT_LT(kernels.err.size(), 500);
}

TEST_F(CommandLineTest, AnEmptyKernelNameIsRefused)
{
    const Outcome r = headless({"--kernels", "", "--print", "TXn"});
    EXPECT_EQ(r.code, 2);
    ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--kernels \"\"")) << r.err.toStdString();
    EXPECT_EQ(r.out, "");
}

}  // namespace
