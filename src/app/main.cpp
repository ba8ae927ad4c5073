#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Fs4x3.h"
#include "app/Headless.h"
#include "platform/Display.h"
#include "platform/FieldView.h"
#include "scenario/Scenes.h"

namespace {

void say(const QString& line) { std::fprintf(stderr, "orbitarium: %s\n", line.toUtf8().constData()); }

// The frame a window manager draws around the window, as far as it can be
// known before the window is shown: room kept for a title bar and borders.
constexpr QMargins kFrameAllowance(8, 40, 8, 8);

}  // namespace

int main(int argc, char** argv)
{
    // The options every run shares come first; the rest are the window's or,
    // with --headless, the actions.
    bool headless = false;
    QString load, replay, record;
    std::optional<QString> kernels, threads;
    QStringList actions;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        auto value = [&](QString& into) {
            if (i + 1 >= argc) {
                say(a + " needs a value (see orbitarium --help)");
                std::exit(2);
            }
            into = QString::fromLocal8Bit(argv[++i]);
        };
        if (a == "--help" || a == "-h") {
            QCoreApplication app(argc, argv);  // the kernel names need none, the text does not either
            std::fputs(orb::usageText().toUtf8().constData(), stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("orbitarium %s\n", ORB_VERSION);
            return 0;
        }
        if (a == "--headless") headless = true;
        else if (a == "--record-file") value(record);
        else if (a == "--kernels") value(kernels.emplace());
        else if (a == "--threads") value(threads.emplace());
        else if (headless) actions << a;
        else if (a == "--load") value(load);
        else if (a == "--replay") value(replay);
        else {
            say("unknown option " + orb::clipped(a) + " (see orbitarium --help)");
            return 2;
        }
    }
    const orb::KernelSet* kernelSet = nullptr;
    if (kernels) {
        kernelSet = orb::findKernelSet(kernels->toStdString());
        if (!kernelSet) {
            say("--kernels \"" + orb::clipped(*kernels) + "\": this computer runs " + orb::kernelNames().join(", "));
            return 2;
        }
    }
    int threadCount = 0;  // one per core
    if (threads) {
        bool ok = false;
        threadCount = threads->trimmed().toInt(&ok);
        if (!ok || threadCount < 1 || threadCount > 256) {
            say("--threads \"" + orb::clipped(*threads) + "\": a whole number from 1 to 256");
            return 2;
        }
    }

    if (headless) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the runner's own messages only: the toolkit's
        // notes about the offscreen platform are dropped.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg) say(msg);
        });
    } else if (const QString problem = orb::displayProblem(); !problem.isEmpty()) {
        // Asked before the toolkit starts: it would end the program with an
        // abort and a page of its own.
        say("no display to open the window on (" + problem + "); run orbitarium --headless ACTION... "
            "without one (see orbitarium --help)");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("orbitarium");
    QApplication::setOrganizationName("orbitarium");
    QApplication::setApplicationVersion(ORB_VERSION);
    if (headless) return orb::runHeadless({record, kernelSet, threadCount}, actions);

    orb::WindowOptions options;
    options.recordFile = record;
    options.kernels = kernelSet;
    options.threads = threadCount;
    orb::Fs4x3 window(options);
    // The window fills the screen's free area; left maximised, it keeps a
    // place where it and its frame fit.
    if (QScreen* s = QGuiApplication::primaryScreen())
        window.setGeometry(orb::Fs4x3::placement(s->availableGeometry(), kFrameAllowance));
    window.showMaximized();
    window.fieldView().startRefresh();
    if (!load.isEmpty()) {
        if (orb::Status s = window.scenes().openScene(load); !s) {
            const QString error = QString::fromStdString(s.error());
            say(error);
            QMessageBox::warning(&window, "Open scene", error);
        }
    }
    if (!replay.isEmpty()) {
        if (orb::Status s = window.openRun(replay); !s) {
            const QString error = QString::fromStdString(s.error());
            say(error);
            QMessageBox::warning(&window, "Open run", error);
        }
    }
    return app.exec();
}
