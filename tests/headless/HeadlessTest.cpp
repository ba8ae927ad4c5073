// The headless runner through the real program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

struct Result {
    int code;
    QString out, err;
    QStringList errLines() const { return err.split('\n', Qt::SkipEmptyParts); }
};

Result runOrbitarium(const QStringList& args)
{
    QProcess p;
    p.start(ORB_BINARY, args);
    if (!p.waitForFinished(120000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A headless run that keeps its record in the test's own folder.
    Result run(const QStringList& actions)
    {
        return runOrbitarium(QStringList{"--headless", "--record-file", file("tallyho.ogg")} + actions);
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    static QString data(const QString& name) { return QString(ORB_TEST_DATA) + "/" + name; }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    QString write(const QString& name, const QByteArray& text) const
    {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        return file(name);
    }
    // The value a --print line gave for a control.
    static QString printed(const Result& r, const QString& name)
    {
        for (const QString& line : r.out.split('\n'))
            if (line.startsWith(name + "=")) return line.mid(name.size() + 1);
        return "<not printed>";
    }
    // Rows of a dump whose body is in play.
    static int inPlay(const QByteArray& dump)
    {
        int n = 0;
        for (const QByteArray& row : dump.split('\n').mid(1))
            if (row.split(',').value(6) == "0") ++n;
        return n;
    }

    QTemporaryDir dir;
};

TEST_F(HeadlessTest, HelpListsTheActions)
{
    Result r = runOrbitarium({"--help"});
    EXPECT_EQ(r.code, 0);
    for (const char* a : {"--load", "--set", "--click", "--ticks", "--wait", "--print", "--dump", "--png", "--preset",
                          "--seed", "--record-file"})
        EXPECT_TRUE(r.out.contains(a)) << a;
}

TEST_F(HeadlessTest, NoActionsIsASuccessThatCreatesTheRecordFile)
{
    Result r = run({});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read(file("tallyho.ogg")), "1,1,1\n");
}

TEST_F(HeadlessTest, PrintShowsEachKindOfControl)
{
    Result r = run({"--print", "TXn", "--print", "LaStar", "--print", "CDp(0)", "--print", "CHran", "--print",
                    "Frame9", "--print", "Qui", "--print", "Fs4x3", "--print", "TXg(2)"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "TXn=150\nLaStar=0\nCDp(0)=Light Stars\nCHran=Random\nFrame9=Alter these randomly\nQui=1\n"
              "Fs4x3=Vantor 3 : Orbitarium\nTXg(2)=2\n");
}

TEST_F(HeadlessTest, LoadStartsTheSceneWithItsHighestBodyAsTheCount)
{
    Result r = run({"--load", data("galaxy.csv"), "--print", "TXn", "--dump", file("loaded.csv"), "--ticks", "10",
                    "--print", "LaTot", "--print", "Label2", "--dump", file("ticked.csv")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(printed(r, "TXn"), "36");
    EXPECT_EQ(printed(r, "LaTot"), "34") << "planets 3..36 in play";
    EXPECT_EQ(printed(r, "Label2"), "0") << "10 ticks of 15 ms";
    const QByteArray loaded = read(file("loaded.csv")), ticked = read(file("ticked.csv"));
    EXPECT_EQ(inPlay(loaded), 37);
    EXPECT_NE(loaded, ticked) << "the run moved the planets";
    // The scene's own bodies are loaded as written.
    EXPECT_TRUE(loaded.contains("\n0,7680,5760,0,0,100,0,0,255,255,128\n"));

    // A scene of two bodies still counts 3.
    const QString small = write("small.csv",
                                "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue\n"
                                "0,7680,5760,0,0,100,0,0,255,255,128\n"
                                "1,8680,5760,0,31,0.5,0,3,200,200,200\n");
    r = run({"--load", small, "--print", "TXn"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(printed(r, "TXn"), "3");
}

TEST_F(HeadlessTest, LoadWhilePausedResumesTheRun)
{
    Result r = run({"--preset", "2", "--click", "Command5", "--print", "TxTyp", "--load", data("galaxy.csv"),
                    "--set", "TxTyp=1"});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(printed(r, "TxTyp"), "0") << "the editor showed body 0 while paused";
    ASSERT_EQ(r.errLines().size(), 1);
    EXPECT_TRUE(r.errLines()[0].endsWith("TxTyp is hidden")) << r.err.toStdString();
}

TEST_F(HeadlessTest, SetTypesIntoAFieldAndLeavesIt)
{
    Result r = run({"--set", "TXn=2", "--print", "TXn", "--set", "TXn=1000", "--print", "TXn", "--set",
                    "TXg(2)=3", "--print", "TXg(2)", "--set", "Text4=-2", "--print", "Text4"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "TXn=3\nTXn=100\nTXg(2)=2.6\nText4=0\n") << "a user types three characters into TXn";
}

TEST_F(HeadlessTest, ClickReachesButtonsFramesAndLabels)
{
    // The star parameters are out of reach until the frame is clicked.
    Result r = run({"--set", "TXMYstar=20"});
    EXPECT_NE(r.code, 0);
    r = run({"--click", "Frame9", "--set", "TXMYstar=20", "--print", "TXMYstar", "--click", "CDp(0)", "--print",
             "LaChirp(0)", "--click", "TXn", "--print", "TXn"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(printed(r, "TXMYstar"), "20");
    EXPECT_TRUE(printed(r, "LaChirp(0)").startsWith("In this model the binary pair lose mass"));
    EXPECT_EQ(printed(r, "TXn"), "301") << "a click on a field is its double-click";
}

TEST_F(HeadlessTest, TheEditorThroughSetAndClick)
{
    Result r = run({"--preset", "2", "--click", "Command5", "--set", "Qui=2", "--print", "TXTOden", "--print",
                    "TXTp(0)", "--set", "TXTp(1)=20000", "--print", "TXTp(1)", "--set", "TXTp(1)=5000", "--click",
                    "Opadd(1)", "--set", "Hsp(2)=999", "--print", "TXTp(2)", "--click", "Command5", "--dump",
                    file("d.csv")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "TXTOden=2\nTXTp(0)=8448\nTXTp(1)=11520\nTXTp(2)=999\n");
    EXPECT_TRUE(read(file("d.csv")).contains("\n2,8448,5000,999,-18,100,0,2,255,191,0\n"));
}

TEST_F(HeadlessTest, TicksAndWaitRunOnAVirtualClock)
{
    Result r = run({"--preset", "2", "--ticks", "200", "--print", "Label2", "--print", "LaStar", "--wait", "2100",
                    "--print", "Label2", "--print", "LaStar"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Label2=3") << "200 ticks of 15 ms";
    EXPECT_EQ(lines[2], "Label2=5") << "the score clock ticks every 30 ms meanwhile";
    const int starsAfterTicks = lines[1].mid(7).toInt(), starsAfterWait = lines[3].mid(7).toInt();
    EXPECT_GT(starsAfterTicks, 3);
    EXPECT_GT(starsAfterWait, starsAfterTicks) << "the tick timer fires while waiting";

    // The seed ticker runs every 15 ms until a seed is typed.
    r = run({"--wait", "150", "--print", "TXran", "--seed", "77", "--wait", "1000", "--print", "TXran"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "TXran=10\nTXran=77\n");
}

// --ticks lets the tick timer's beats pass on the virtual clock; the tick runs
// on those where the timer runs, as the window's own timer would have it.
TEST_F(HeadlessTest, TicksMoveOnlyARunningTickTimer)
{
    // Paused, the bodies stay where they are; Step moves them.
    Result r = run({"--preset", "2", "--ticks", "20", "--click", "Command5", "--dump", file("paused.csv"), "--ticks",
                    "30", "--dump", file("after.csv"), "--click", "Step", "--dump", file("stepped.csv")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(read(file("after.csv")) == read(file("paused.csv"))) << "the paused run moved";
    EXPECT_FALSE(read(file("stepped.csv")) == read(file("after.csv"))) << "Step did not move it";

    // Before any run there is nothing to tick: the same galaxy follows.
    Result a = run({"--ticks", "1", "--seed", "9", "--preset", "2", "--dump", file("a0.csv"), "--ticks", "50",
                    "--dump", file("a50.csv")});
    Result b = run({"--seed", "9", "--preset", "2", "--dump", file("b0.csv"), "--ticks", "50", "--dump",
                    file("b50.csv")});
    ASSERT_EQ(a.code + b.code, 0) << a.err.toStdString() << b.err.toStdString();
    EXPECT_TRUE(read(file("a0.csv")) == read(file("b0.csv"))) << "another galaxy";
    EXPECT_TRUE(read(file("a50.csv")) == read(file("b50.csv"))) << "another run";
}

TEST_F(HeadlessTest, DumpAndPngWriteTheirFiles)
{
    Result r = run({"--preset", "0", "--ticks", "60", "--dump", file("d.csv"), "--png", file("p.png")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QByteArray> rows = read(file("d.csv")).split('\n');
    ASSERT_EQ(rows.size(), 1002);  // header, 1000 rows, and the final line break
    EXPECT_EQ(rows[0], "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue");
    EXPECT_TRUE(rows[1000].startsWith("999,"));
    EXPECT_EQ(rows[1001], "");

    const QByteArray png = read(file("p.png"));
    ASSERT_GE(png.size(), 24);
    EXPECT_EQ(png.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.mid(12, 4), "IHDR");
    auto be32 = [&](int at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 1024);
    EXPECT_EQ(be32(20), 768);
}

// A FIFO named as an export would block a plain open for writing until a
// reader came, and a rename would put a file in its place: every export
// refuses it at once with one line, and the FIFO stays.
TEST_F(HeadlessTest, AnExportToAFifoIsRefusedWithoutBlocking)
{
    for (const char* action : {"--png", "--curve-png", "--curve", "--dump"}) {
        const QString fifo = file(QString("fifo%1").arg(action));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        QProcess p;
        p.start(ORB_BINARY, {"--headless", "--preset", "0", "--ticks", "30", action, fifo});
        const bool finished = p.waitForFinished(30000);
        if (!finished) p.kill();
        EXPECT_TRUE(finished) << action;
        EXPECT_EQ(p.exitCode(), 1) << action;
        const QStringList lines = QString::fromUtf8(p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << action;
        EXPECT_TRUE(lines[0].endsWith(fifo + ": not a regular file (a FIFO)")) << lines[0].toStdString();
        struct stat st {};
        EXPECT_TRUE(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode)) << action;
    }
}

// An export to a symbolic link writes the file it names and keeps the link; a
// read-only file is refused and left as it was.
TEST_F(HeadlessTest, AnExportFollowsALinkAndLeavesAReadOnlyFile)
{
    const QString target = write("target.csv", "old"), link = file("link.csv");
    ASSERT_TRUE(QFile::link(target, link));
    const QString readOnly = write("readonly.png", "old");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Result r = run({"--preset", "0", "--dump", link, "--png", readOnly});
    EXPECT_EQ(r.code, 1);
    ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.errLines()[0].endsWith(readOnly + ": the file is read-only")) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(read(target).startsWith("body,posX,posY,"));
    EXPECT_EQ(read(readOnly), "old");
}

TEST_F(HeadlessTest, PresetByCaptionOrIndexIsTheSame)
{
    Result a = run({"--seed", "5", "--preset", "Heavy Stars", "--ticks", "50", "--dump", file("a.csv")});
    Result b = run({"--seed", "5", "--preset", "1", "--ticks", "50", "--dump", file("b.csv")});
    Result c = run({"--seed", "5", "--preset", "heavy stars", "--ticks", "50", "--dump", file("c.csv")});
    ASSERT_EQ(a.code + b.code + c.code, 0) << a.err.toStdString() << b.err.toStdString() << c.err.toStdString();
    EXPECT_EQ(read(file("a.csv")), read(file("b.csv")));
    EXPECT_EQ(read(file("a.csv")), read(file("c.csv")));
}

TEST_F(HeadlessTest, TheRecordFileKeepsTheBestScore)
{
    Result r = run({"--preset", "2", "--wait", "12000", "--print", "Label5"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const int record = printed(r, "Label5").toInt();
    EXPECT_GT(record, 1);
    EXPECT_EQ(read(file("tallyho.ogg")), QByteArray::number(record) + "," +
                                             QByteArray::number(static_cast<int>(std::floor(record / 7.0))) +
                                             ",10\n");
    r = run({"--print", "Label5"});
    EXPECT_EQ(printed(r, "Label5"), QString::number(record));

    // A damaged record file gives a record of 1 and the run goes on.
    write("tallyho.ogg", "not a record");
    r = run({"--print", "Label5", "--preset", "2", "--wait", "3000", "--print", "TXn"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(printed(r, "Label5"), "1");
    EXPECT_EQ(printed(r, "TXn"), "250");
}

TEST_F(HeadlessTest, LinksWithoutABrowserLeaveTheProgramGoingOn)
{
    Result r = run({"--click", "Command3", "--click", "CDsum", "--click", "ImMoon", "--preset", "2", "--ticks",
                    "5", "--print", "TXn"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(printed(r, "TXn"), "250");
}

TEST_F(HeadlessTest, TheFarewellWindowEndsTheProgram)
{
    Result r = run({"--preset", "2", "--click", "Command1", "--print", "FormFLAS", "--print",
                    "FormFLAS.Command2(1)", "--wait", "100", "--click", "FormFLAS.Command2(1)", "--print", "TXn"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "FormFLAS=Form1\nFormFLAS.Command2(1)=x\n") << "nothing runs after the end";

    // The main window is out of reach behind it.
    r = run({"--click", "Command1", "--click", "CDp(0)"});
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.err, "orbitarium: --click CDp(0): CDp(0) is hidden\n");
}

struct ErrorCase {
    QStringList actions;
    QString prefix;    // how the one line on standard error starts
    QString message;   // a part of what it says
};

TEST_F(HeadlessTest, AFailingActionPrintsOneLineAndStopsTheRun)
{
    const QString missing = file("missing.csv");
    const QString badHeader = write("header.csv", "body,x,y\n0,1,2\n");
    const QString badRow = write("row.csv",
                                 "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue\n"
                                 "0,7680,5760,0,0,abc,0,0,255,255,128\n");
    const QString empty = write("empty.csv", "");
    const QString noDir = file("no/such/folder/out");
    const std::vector<ErrorCase> cases = {
        {{"--load", missing}, "--load " + missing, "cannot open"},
        {{"--load", badHeader}, "--load " + badHeader, "line 1"},
        {{"--load", badRow}, "--load " + badRow, "line 2: gravity \"abc\""},
        {{"--load", empty}, "--load " + empty, "line 1"},
        {{"--set", "Nope=1"}, "--set Nope=1", "no control or menu action named Nope"},
        {{"--click", "Nope"}, "--click Nope", "no control or menu action named Nope"},
        {{"--print", "Nope"}, "--print Nope", "no control or menu action named Nope"},
        {{"--click", "FormFLAS.Command1"}, "--click FormFLAS.Command1", "no control or menu action named"},
        {{"--set", "TXn"}, "--set TXn", "expected NAME=TEXT"},
        {{"--set", "CDp(0)=1"}, "--set CDp(0)=1", "not a field"},
        {{"--click", "Label3"}, "--click Label3", "cannot be clicked"},
        {{"--click", "Command2"}, "--click Command2", "hidden"},
        {{"--set", "Qui=5"}, "--set Qui=5", "hidden"},
        {{"--preset", "0", "--set", "TXw(0)=1"}, "--set TXw(0)=1", "disabled"},
        {{"--preset", "0", "--click", "Command5", "--set", "TxTyp=3"}, "--set TxTyp=3", "read-only"},
        {{"--preset", "0", "--click", "Command5", "--set", "Qui=abc"}, "--set Qui=abc", "whole number 0..300"},
        {{"--preset", "0", "--click", "Command5", "--set", "Qui=301"}, "--set Qui=301", "whole number 0..300"},
        {{"--ticks", "-1"}, "--ticks -1", "whole number"},
        {{"--ticks", "1.5"}, "--ticks 1.5", "whole number"},
        {{"--wait", "soon"}, "--wait soon", "whole number"},
        {{"--preset", "7"}, "--preset 7", "0..5"},
        {{"--preset", "Dark Matter"}, "--preset Dark Matter", "0..5"},
        {{"--seed", "40000"}, "--seed 40000", "-32768..32767"},
        {{"--seed", "abc"}, "--seed abc", "-32768..32767"},
        // Numbers far beyond any integer are refused before any conversion.
        {{"--ticks", "1e300"}, "--ticks 1e300", "whole number"},
        {{"--wait", "-1e300"}, "--wait -1e300", "whole number"},
        {{"--seed", "1e19"}, "--seed 1e19", "-32768..32767"},
        {{"--preset", "9.3e18"}, "--preset 9.3e18", "0..5"},
        {{"--preset", "0", "--click", "Command5", "--click", "Opadd(1)", "--set", "Hsp(0)=1e19"},
         "--set Hsp(0)=1e19",
         "whole number"},
        {{"--dump", noDir}, "--dump " + noDir, "cannot write"},
        {{"--png", noDir + ".png"}, "--png " + noDir + ".png", "cannot write"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.actions.join(' ').toStdString());
        Result r = run(QStringList{"--print", "TXn"} + c.actions + QStringList{"--print", "Text1"});
        EXPECT_EQ(r.code, 1);
        ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
        const QString line = r.errLines()[0];
        EXPECT_TRUE(line.startsWith("orbitarium: " + c.prefix + ": ")) << line.toStdString();
        EXPECT_TRUE(line.contains(c.message)) << line.toStdString();
        EXPECT_TRUE(r.out.startsWith("TXn=150\n")) << "the actions before it ran";
        EXPECT_FALSE(r.out.contains("Text1=")) << "the actions after it did not";
    }
}

TEST_F(HeadlessTest, AMalformedActionStopsTheRunWhereItStands)
{
    for (const QStringList& actions : {QStringList{"--print", "TXn", "--bogus", "1"},
                                       QStringList{"--print", "TXn", "print", "TXn"},
                                       QStringList{"--print", "TXn", "--ticks"},
                                       QStringList{"--print", "TXn", "--bogus", "1", "--print", "TXn"}}) {
        SCOPED_TRACE(actions.join(' ').toStdString());
        Result r = run(actions);
        EXPECT_NE(r.code, 0);
        ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
        EXPECT_TRUE(r.errLines()[0].startsWith("orbitarium: ")) << r.err.toStdString();
        EXPECT_TRUE(r.errLines()[0].contains(actions[2])) << r.err.toStdString();
        EXPECT_EQ(r.out, "TXn=150\n") << "the actions before it ran, none after it";
    }
}

TEST_F(HeadlessTest, TheSameSceneAndTicksGiveTheSameDumpByteForByte)
{
    const QStringList actions = {"--load", data("galaxy.csv"), "--ticks", "300"};
    Result a = run(actions + QStringList{"--dump", file("a.csv")});
    Result b = run(actions + QStringList{"--dump", file("b.csv")});
    ASSERT_EQ(a.code + b.code, 0) << a.err.toStdString() << b.err.toStdString();
    const QByteArray first = read(file("a.csv"));
    EXPECT_EQ(first, read(file("b.csv")));
    EXPECT_GE(inPlay(first), 30) << "most planets still orbit";
    Result loaded = run({"--load", data("galaxy.csv"), "--dump", file("c.csv")});
    ASSERT_EQ(loaded.code, 0);
    EXPECT_NE(first, read(file("c.csv")));
}

TEST_F(HeadlessTest, EveryPresetWithAFixedSeedGivesTheSameDumpByteForByte)
{
    QByteArray previous;
    for (int preset = 0; preset < 5; ++preset) {
        SCOPED_TRACE(preset);
        const QStringList actions = {"--seed", "99", "--preset", QString::number(preset), "--ticks", "200"};
        const QString a = file(QString("p%1a.csv").arg(preset)), b = file(QString("p%1b.csv").arg(preset));
        Result ra = run(actions + QStringList{"--dump", a});
        Result rb = run(actions + QStringList{"--dump", b});
        ASSERT_EQ(ra.code + rb.code, 0) << ra.err.toStdString() << rb.err.toStdString();
        const QByteArray dump = read(a);
        EXPECT_EQ(dump, read(b));
        EXPECT_GT(inPlay(dump), 3 + 2) << "stars were emitted";
        EXPECT_NE(dump, previous) << "each preset its own galaxy";
        previous = dump;
    }
}

}  // namespace

namespace {

// A run of the program with a changed environment.
Result runWith(const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(ORB_BINARY, args);
    if (!p.waitForFinished(120000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST_F(HeadlessTest, TheCommandLineSaysPlainlyWhatIsWrong)
{
    const Result version = runOrbitarium({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("orbitarium 3.")) << version.out.toStdString();

    // Without a display the window cannot open: one line that names --headless.
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) bare.remove(v);
    const Result noDisplay = runWith({}, bare);
    EXPECT_EQ(noDisplay.code, 1);
    ASSERT_EQ(noDisplay.errLines().size(), 1) << noDisplay.err.toStdString();
    EXPECT_TRUE(noDisplay.err.contains("--headless"));

    const Result noFile = runWith({"--load"}, bare);
    EXPECT_EQ(noFile.code, 2);
    EXPECT_TRUE(noFile.err.contains("--load needs a value")) << noFile.err.toStdString();
    const Result kernels = runOrbitarium({"--headless", "--kernels", "nope"});
    EXPECT_EQ(kernels.code, 2);
    EXPECT_TRUE(kernels.err.contains("x86-64") || kernels.err.contains("generic")) << kernels.err.toStdString();
}

TEST_F(HeadlessTest, AHeadlessRunKeepsItsRecordInMemory)
{
    // Beside the program is where a window's record would go.
    const QString beside = QFileInfo(ORB_BINARY).absolutePath() + "/tallyho.ogg";
    const QByteArray before = read(beside);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", dir.path());
    env.insert("XDG_DATA_HOME", dir.path());
    const Result r = runWith({"--headless", "--seed", "3", "--preset", "0", "--ticks", "3000", "--wait", "20000",
                              "--print", "Label5"},
                             env);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_GT(printed(r, "Label5").toInt(), 1) << "a record was made";
    EXPECT_EQ(read(beside), before) << "and no file was touched";
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(HeadlessTest, MenuActionsSpeedAndTheStatusLine)
{
    const Result r = run({"--seed", "5", "--preset", "Oscillate", "--set", "Speed=10", "--ticks", "20", "--print",
                          "Speed", "--click", "PauseResume", "--click", "Step", "--print", "Status", "--set",
                          "Speed=Max", "--print", "Speed"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(printed(r, "Speed"), "10x");
    const QString status = printed(r, "Status");
    EXPECT_TRUE(status.startsWith("Paused")) << status.toStdString();
    EXPECT_TRUE(status.contains("tick 201")) << "20 beats of 10 ticks, then one step: " << status.toStdString();
    EXPECT_TRUE(status.contains("speed 10x")) << status.toStdString();
    EXPECT_TRUE(r.out.contains("Speed=Max"));

    // Actions that would open a file dialog are refused, naming the way instead.
    for (const char* dialog : {"CDopen", "Save", "ExportPicture"}) {
        const Result d = run({"--click", dialog});
        EXPECT_EQ(d.code, 1) << dialog;
        EXPECT_TRUE(d.err.contains("file dialog")) << d.err.toStdString();
    }
    const Result bad = run({"--set", "Speed=3"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(run({"--click", "Step"}).code, 1) << "Step only while paused";
}

TEST_F(HeadlessTest, TheRotationCurveIsExportedAndPrinted)
{
    const Result none = run({"--print", "CurveSlope", "--print", "CurveExponent"});
    EXPECT_EQ(printed(none, "CurveSlope"), "none") << "no stars yet";
    EXPECT_EQ(printed(none, "CurveExponent"), "none");

    const Result r = run({"--seed", "4242", "--preset", "Oscillate", "--ticks", "1500", "--curve", file("curve.csv"),
                          "--curve-png", file("curve.png")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QByteArray> lines = read(file("curve.csv")).split('\n');
    int header = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (!lines[i].startsWith('#')) {
            header = i;
            break;
        }
    ASSERT_GT(header, 0) << "comment lines come first";
    EXPECT_EQ(lines[header], "body,radius,speed,radialSpeed,colRed,colGreen,colBlue");
    EXPECT_GT(lines.size() - header, 20) << "a row per star";
    EXPECT_TRUE(read(file("curve.png")).startsWith("\x89PNG")) << "a PNG picture";
    // Refused as a dialog would be.
    EXPECT_EQ(run({"--click", "SaveCurve"}).code, 1);
}

// The Balanced Disc gives back the law typed, with its error, in the prints and
// the binned and acceleration files; NGC 3198's own figures come with it.
TEST_F(HeadlessTest, TheBalancedDiscMeasuresTheExponentTyped)
{
    struct Case {
        const char* exponent;
        const char* slope;
        const char* fitted;
    } cases[] = {{"2", "-0.50", "2.00"}, {"1", "0.00", "1.00"}, {"2.6", "-0.80", "2.60"}};
    // "value ± error": the value as given, the error a hundredth at most (the
    // stars' small radial swing of a chord a tick is all the spread there is).
    auto expectFit = [](const QString& shown, const char* value) {
        const QStringList parts = shown.split(QString::fromUtf8(" ± "));
        ASSERT_EQ(parts.size(), 2) << shown.toStdString();
        EXPECT_EQ(parts[0], value);
        EXPECT_LE(parts[1].toDouble(), 0.01) << shown.toStdString();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exponent);
        const Result r = run({"--seed", "7", "--set", QString("TXg(2)=") + c.exponent, "--preset", "Balanced Disc",
                              "--ticks", "300", "--print", "CurveSlope", "--print", "CurveExponent", "--print",
                              "NgcScale", "--print", "NgcExponent", "--curve-bins", file("bins.csv"), "--rar",
                              file("rar.csv")});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        expectFit(printed(r, "CurveSlope"), c.slope);
        expectFit(printed(r, "CurveExponent"), c.fitted);
        EXPECT_TRUE(printed(r, "NgcScale").startsWith("1 kpc = ")) << printed(r, "NgcScale").toStdString();
        EXPECT_EQ(printed(r, "NgcExponent"), QString::fromUtf8("1.05 ± 0.02"));
        for (const auto& [name, header] : {std::pair{"bins.csv", "radius,speed,speedError,sigmaTangential,sigmaRadial,stars"},
                                           std::pair{"rar.csv", "body,radius,gBar,gObs"}}) {
            const QList<QByteArray> lines = read(file(name)).split('\n');
            const auto at = std::find_if(lines.begin(), lines.end(), [](const QByteArray& l) { return !l.startsWith('#'); });
            ASSERT_NE(at, lines.end()) << name;
            EXPECT_EQ(*at, header) << name;
            EXPECT_GT(lines.end() - at, 5) << name << ": rows after the header";
            for (auto l = at; l != lines.end(); ++l)
                EXPECT_FALSE(l->contains("nan") || l->contains("inf")) << name << ": " << l->toStdString();
        }
    }
}

// A run saved headless replays to the same hash, with any threads and kernel
// set; later actions go on from its last tick; --seek shows a past tick.
TEST_F(HeadlessTest, SaveRunReplayAndSeek)
{
    Result live = run({"--seed", "9", "--preset", "2", "--ticks", "3", "--set", "TXg(2)=1.5", "--ticks", "2",
                       "--click", "Command5", "--click", "Step", "--set", "TXTp(0)=6000", "--click", "Command5",
                       "--ticks", "3", "--print", "Hash", "--save-run", file("run.orbrun"), "--ticks", "2",
                       "--print", "Hash", "--seek", "4", "--print", "Hash", "--seek", "99999"});
    ASSERT_EQ(live.code, 1) << live.err.toStdString();
    EXPECT_EQ(live.errLines().size(), 1);
    EXPECT_NE(live.err.indexOf("--seek 99999: the run has reached tick 11, not 99999"), -1) << live.err.toStdString();
    const QStringList hashes = live.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(hashes.size(), 3) << live.out.toStdString();
    for (const QStringList& extra : {QStringList{}, QStringList{"--threads", "1"}, QStringList{"--threads", "2"}}) {
        Result again = runOrbitarium(QStringList{"--headless", "--record-file", file("tallyho.ogg")} + extra +
                                     QStringList{"--replay", file("run.orbrun"), "--print", "Hash", "--ticks", "2",
                                                 "--print", "Hash", "--seek", "4", "--print", "Hash"});
        ASSERT_EQ(again.code, 0) << again.err.toStdString();
        const QStringList out = again.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(out.size(), 4) << again.out.toStdString();
        EXPECT_NE(out[0].indexOf("replayed to tick 9, the body table is the same bit for bit"), -1)
            << out[0].toStdString();
        EXPECT_EQ(out.mid(1), hashes);
    }
}

// Each kind of video has a frame every so many ticks, plays for frames / fps
// seconds and is finished at --video-stop or when the actions end; a bad
// option or ending stops the run in one line.
TEST_F(HeadlessTest, AVideoHasAFrameEveryFewTicks)
{
    if (QStandardPaths::findExecutable("ffprobe").isEmpty()) GTEST_SKIP() << "no ffprobe";
    struct Case {
        QStringList actions;
        const char* file;
        const char* probed;  // codec, width, height, frames, then the length
    } cases[] = {
        {{"--video-fps", "10", "--video-every", "4", "--video-size", "256x192", "--video", file("a.webm"), "--ticks",
          "40", "--video-stop", "--ticks", "5"},
         "a.webm", "vp9,256,192,10 1.000000"},
        {{"--video-size", "320x240", "--video", file("b.mp4"), "--ticks", "60"}, "b.mp4", "h264,320,240,30 1.000000"},
        {{"--video-fps", "25", "--video-every", "1", "--video", file("c.gif"), "--ticks", "25"},
         "c.gif", "gif,1024,768,25 1.000000"},
    };
    for (const Case& c : cases) {
        Result r = run(QStringList{"--preset", "Oscillate"} + c.actions);
        ASSERT_EQ(r.code, 0) << c.file << ": " << r.err.toStdString();
        QProcess p;
        p.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                            "stream=codec_name,width,height,nb_read_frames", "-show_entries", "format=duration",
                            "-of", "csv=p=0", file(c.file)});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).simplified(), c.probed) << c.file;
    }
    // The rotation curve is drawn beside the field, at its height.
    Result curve = run({"--preset", "Oscillate", "--video-curve", "--video", file("d.gif"), "--ticks", "4"});
    ASSERT_EQ(curve.code, 0) << curve.err.toStdString();
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height", "-of",
                        "csv=p=0", file("d.gif")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QStringList wh = QString::fromUtf8(p.readAllStandardOutput()).simplified().split(',');
    ASSERT_EQ(wh.size(), 2);
    EXPECT_GT(wh[0].toInt(), 1024 + 100);
    EXPECT_EQ(wh[1], "768");

    const struct {
        QStringList actions;
        const char* says;
    } refused[] = {
        {{"--video-size", "7x5"}, "the video's width must be a whole number 16..8192, not \"7\""},
        {{"--video-size", "321x240"}, "the video's width and height must be even"},
        {{"--video-fps", "0"}, "--video-fps"},
        {{"--video", file("e.avi")}, "e.avi: a video is a .mp4, .webm or .gif file"},
    };
    for (const auto& c : refused) {
        Result r = run(QStringList{"--preset", "Oscillate", "--ticks", "2"} + c.actions + QStringList{"--ticks", "2"});
        EXPECT_EQ(r.code, 1) << c.says;
        EXPECT_EQ(r.errLines().size(), 1) << r.err.toStdString();
        EXPECT_NE(r.err.indexOf(c.says), -1) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(file("e.avi")));
}
