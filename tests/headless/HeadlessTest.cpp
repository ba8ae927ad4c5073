// The headless runner through the real program.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Result {
    int code;
    QString out, err;
};

Result runOrbitarium(const QStringList& args)
{
    QProcess p;
    p.start(ORB_BINARY, args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(Headless, HelpListsTheActions)
{
    Result r = runOrbitarium({"--help"});
    EXPECT_EQ(r.code, 0);
    for (const char* a : {"--load", "--set", "--click", "--ticks", "--print", "--dump", "--png", "--preset", "--seed"})
        EXPECT_TRUE(r.out.contains(a)) << a;
}

}  // namespace
