#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/Headless.h"
#include "app/Fs4x3.h"
#include "platform/FieldView.h"
#include "scenario/Scenes.h"

int main(int argc, char** argv)
{
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == "--help" || a == "-h") {
            std::fputs(orb::usageText().toUtf8().constData(), stdout);
            return 0;
        }
        if (a == "--headless") headless = true;
    }
    if (headless) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the runner's own messages only: the toolkit's
        // notes about the offscreen platform are dropped.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "orbitarium: %s\n", msg.toUtf8().constData());
        });
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("orbitarium");
    QApplication::setOrganizationName("orbitarium");
    QStringList args = QApplication::arguments();
    args.removeFirst();
    if (headless) return orb::runHeadless(args);

    QString load, record;
    for (int i = 0; i < args.size(); ++i) {
        if ((args[i] == "--load" || args[i] == "--record-file") && i + 1 < args.size()) {
            (args[i] == "--load" ? load : record) = args[i + 1];
            ++i;
        } else {
            std::fprintf(stderr, "orbitarium: unknown option %s (see orbitarium --help)\n",
                         args[i].toUtf8().constData());
            return 2;
        }
    }
    orb::WindowOptions options;
    options.recordFile = record;
    orb::Fs4x3 window(options);
    window.show();
    window.fieldView().startRefresh();
    if (!load.isEmpty()) {
        if (orb::Status s = window.scenes().openScene(load); !s) {
            const QString error = QString::fromStdString(s.error());
            std::fprintf(stderr, "orbitarium: %s\n", error.toUtf8().constData());
            QMessageBox::warning(&window, "Open scene", error);
        }
    }
    return app.exec();
}
