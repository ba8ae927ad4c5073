#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "app/Fs4x3.h"
#include "app/Headless.h"
#include "platform/FieldView.h"
#include "scenario/Scenes.h"

namespace {

void say(const QString& line) { std::fprintf(stderr, "orbitarium: %s\n", line.toUtf8().constData()); }

// Whether a window can be shown: a display server to talk to, or a platform
// chosen that needs none.
bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv)
{
    // The options every run shares come first; the rest are the window's or,
    // with --headless, the actions.
    bool headless = false;
    QString load, record, kernels;
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
        else if (a == "--kernels") value(kernels);
        else if (headless) actions << a;
        else if (a == "--load") value(load);
        else {
            say("unknown option " + a + " (see orbitarium --help)");
            return 2;
        }
    }
    const orb::KernelSet* kernelSet = nullptr;
    if (!kernels.isEmpty()) {
        kernelSet = orb::findKernelSet(kernels.toStdString());
        if (!kernelSet) {
            say("--kernels " + kernels + ": this computer runs " + orb::kernelNames().join(", "));
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
    } else if (!hasDisplay()) {
        say("no display to open the window on (DISPLAY is not set); run orbitarium --headless ACTION... "
            "without one (see orbitarium --help)");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("orbitarium");
    QApplication::setOrganizationName("orbitarium");
    QApplication::setApplicationVersion(ORB_VERSION);
    if (headless) return orb::runHeadless({record, kernelSet}, actions);

    orb::WindowOptions options;
    options.recordFile = record;
    options.kernels = kernelSet;
    orb::Fs4x3 window(options);
    if (QScreen* s = QGuiApplication::primaryScreen()) window.setGeometry(orb::Fs4x3::placement(s->availableGeometry()));
    window.show();
    window.fieldView().startRefresh();
    if (!load.isEmpty()) {
        if (orb::Status s = window.scenes().openScene(load); !s) {
            const QString error = QString::fromStdString(s.error());
            say(error);
            QMessageBox::warning(&window, "Open scene", error);
        }
    }
    return app.exec();
}
