// The monkey runs offscreen in one application object. Its size comes from the
// command line or the environment (the command line wins):
//   orb_monkey_tests [--seed N] [--seeds K] [--actions N] [--trace] [gtest flags]
//   ORB_MONKEY_SEED, ORB_MONKEY_SEEDS, ORB_MONKEY_ACTIONS, ORB_MONKEY_TRACE=1
#include <gtest/gtest.h>

#include <QApplication>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "monkey/Config.h"

namespace orb::monkey {

Config& config()
{
    static Config c;
    return c;
}

}  // namespace orb::monkey

#if defined(__SANITIZE_ADDRESS__)
// An error the undefined-behaviour checks find ends the run by abort, so that
// the monkey can still print the actions that led to it.
extern "C" const char* __ubsan_default_options() { return "abort_on_error=1:print_stacktrace=1"; }
#endif

namespace {

bool number(const char* text, long long lo, long long hi, long long& out)
{
    if (!text || !*text) return false;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool setting(const std::string& name, const char* text)
{
    auto& c = orb::monkey::config();
    long long v = 0;
    if (name == "seed" && number(text, 0, LLONG_MAX, v)) c.firstSeed = static_cast<std::uint64_t>(v);
    else if (name == "seeds" && number(text, 1, 1000000, v)) c.seeds = static_cast<int>(v);
    else if (name == "actions" && number(text, 0, 1000000000, v)) c.actions = v;
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    for (const char* name : {"seed", "seeds", "actions"}) {
        std::string env = "ORB_MONKEY_" + std::string(name);
        for (char& ch : env) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (const char* v = std::getenv(env.c_str()); v && *v && !setting(name, v)) {
            std::fprintf(stderr, "%s: not a valid number: %s\n", env.c_str(), v);
            return 2;
        }
    }
    if (const char* t = std::getenv("ORB_MONKEY_TRACE")) orb::monkey::config().trace = std::strcmp(t, "1") == 0;

    // Our own options go before gtest sees the rest.
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--trace") {
            orb::monkey::config().trace = true;
        } else if (a == "--seed" || a == "--seeds" || a == "--actions") {
            if (i + 1 >= argc || !setting(a.substr(2), argv[i + 1])) {
                std::fprintf(stderr, "%s needs a whole number\n", a.c_str());
                return 2;
            }
            ++i;
        } else {
            rest.push_back(argv[i]);
        }
    }
    int n = static_cast<int>(rest.size());
    rest.push_back(nullptr);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(n, rest.data());
    ::testing::InitGoogleTest(&n, rest.data());
    return RUN_ALL_TESTS();
}
