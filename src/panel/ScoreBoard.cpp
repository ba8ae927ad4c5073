#include "panel/ScoreBoard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QStandardPaths>
#include <cmath>
#include <cstdio>

#include "panel/RecordFile.h"
#include "platform/Widgets.h"

namespace orb {
namespace {

// The record lives beside the program when that folder can be written, and in
// the user's data folder otherwise (an installed program).
QString defaultRecordPath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QFileInfo dirInfo(appDir);
    if (!appDir.isEmpty() && dirInfo.isDir() && dirInfo.isWritable()) return appDir + "/" + kRecordFileName;
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty()) data = QDir::homePath() + "/.local/share/orbitarium";
    QDir().mkpath(data);
    return data + "/" + kRecordFileName;
}

}  // namespace

ScoreBoard::ScoreBoard(Stage& stage, const QString& recordFile)
    : stage_(stage), keeper_((recordFile.isEmpty() ? defaultRecordPath() : recordFile).toStdString())
{
    box_ = makeGroup("FrameScore", "Score");
    auto* gs = new QGridLayout(box_);
    gs->setContentsMargins(6, 4, 6, 6);
    gs->setVerticalSpacing(2);
    auto value = [&](const QString& name) {
        QLabel* l = makeValue(name);
        l->setMinimumWidth(56);
        l->setStyleSheet("color: #f0f0f0;");
        return l;
    };
    LaTot_ = value("LaTot");
    Label3_ = value("Label3");
    Label2_ = value("Label2");
    Label4_ = value("Label4");
    Label5_ = value("Label5");
    LaTT_ = value("LaTT");
    gs->addWidget(makeLabel("Score"), 0, 0);
    gs->addWidget(Label3_, 0, 1);
    gs->addWidget(makeLabel("Best"), 0, 2);
    gs->addWidget(Label4_, 0, 3);
    gs->addWidget(makeLabel("Record"), 0, 4);
    gs->addWidget(Label5_, 0, 5);
    gs->addWidget(makeLabel("Planets"), 1, 0);
    gs->addWidget(LaTot_, 1, 1);
    gs->addWidget(makeLabel("Run s"), 1, 2);
    gs->addWidget(Label2_, 1, 3);
    gs->addWidget(makeLabel("Calm s"), 1, 4);
    gs->addWidget(LaTT_, 1, 5);

    connect(&stage_.timers.TiK(), &Timer::timeout, this, &ScoreBoard::TiK_Timer);

    World& w = stage_.world;
    const Status loaded = keeper_.load();
    w.recordScore = keeper_.record();
    w.recordCheck = static_cast<std::int32_t>(std::floor(w.recordScore / 7.0));
    Label5_->setText(QString::number(w.recordScore));
    report(loaded);
}

void ScoreBoard::report(const Status& s)
{
    // The keeper gives each trouble once; the first is kept for the status line.
    if (s) return;
    const QString message = QString::fromStdString(s.error());
    if (problem_.isEmpty()) problem_ = message;
    std::fprintf(stderr, "orbitarium: %s\n", message.toUtf8().constData());
    emit recordTrouble(message);
}

void ScoreBoard::startRun() { clock_.start(stage_.world, stage_.clock.hhmmss()); }

void ScoreBoard::TiK_Timer()
{
    World& w = stage_.world;
    const std::string now = stage_.clock.hhmmss();
    LaTot_->setText(QString::number(livePlanets(w)));
    if (clock_.tick(w, now)) {
        // A new record is written on the same tick, so it survives an abrupt end;
        // a higher one another run wrote meanwhile is taken over.
        report(keeper_.offer(w.recordScore));
        w.recordScore = keeper_.record();
        w.recordCheck = static_cast<std::int32_t>(std::floor(w.recordScore / 7.0));
    }
    Label3_->setText(QString::number(w.score));
    Label2_->setText(QString::number(w.runSeconds));
    Label4_->setText(QString::number(w.sessionBest));
    Label5_->setText(QString::number(w.recordScore));
    LaTT_->setText(QString::number(w.elapsedSeconds));
    LaTT_->repaint();
}

}  // namespace orb
