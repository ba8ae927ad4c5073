#include "panel/ScoreBoard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QStandardPaths>
#include <cstdio>

#include "panel/RecordFile.h"
#include "platform/Widgets.h"

namespace orb {
namespace {

QString defaultRecordPath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QFileInfo dirInfo(appDir);
    const ProgramFolder program{appDir, QFileInfo(appDir + "/../share/orbitarium").isDir(),
                                !appDir.isEmpty() && dirInfo.isDir() && dirInfo.isWritable()};
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty()) data = QDir::homePath() + "/.local/share/orbitarium";
    const QString place = recordPlace(program, data);
    QDir().mkpath(QFileInfo(place).absolutePath());
    return place;
}

}  // namespace

QString recordPlace(const ProgramFolder& program, const QString& userDataFolder)
{
    const QString folder = QDir::cleanPath(program.path);
    bool system = false;
    for (const char* prefix : {"/usr", "/bin", "/sbin", "/opt", "/snap", "/app"})
        system = system || folder == prefix || folder.startsWith(QString(prefix) + "/");
    const bool installed = program.shareBeside || system;
    if (program.path.isEmpty() || installed || !program.writable)
        return QDir::cleanPath(userDataFolder) + "/" + kRecordFileName;
    return folder + "/" + kRecordFileName;
}

ScoreBoard::ScoreBoard(Stage& stage, const QString& recordFile, bool inMemory) : stage_(stage)
{
    if (!inMemory) keeper_.emplace((recordFile.isEmpty() ? defaultRecordPath() : recordFile).toStdString());
    box_ = makeGroup("FrameScore", "Score");
    auto* gs = new QGridLayout(box_);
    gs->setContentsMargins(6, 4, 6, 6);
    gs->setVerticalSpacing(2);
    // Each value with its caption, both explained.
    auto value = [&](const QString& name, const char* caption, const QString& tip, int row, int col) {
        QLabel* l = makeValue(name);
        l->setMinimumWidth(56);
        l->setStyleSheet("color: #f0f0f0;");
        l->setToolTip(tip);
        gs->addWidget(makeLabel(caption, tip), row, col * 2);
        gs->addWidget(l, row, col * 2 + 1);
        return l;
    };
    Label3_ = value("Label3", "Score",
                    "The score: the seconds since the last event (a border crossing or a merge), weighted by the "
                    "number of planets",
                    0, 0);
    Label4_ = value("Label4", "Best", "The best score of this session", 0, 1);
    Label5_ = value("Label5", "Record", "The all-time record, kept in the record file", 0, 2);
    LaTot_ = value("LaTot", "Planets", "Planets and stars in play (bodies 3 and up)", 1, 0);
    Label2_ = value("Label2", "Run s", "Seconds since the run started", 1, 1);
    LaTT_ = value("LaTT", "Calm s", "Seconds since the last event (a border crossing or a merge)", 1, 2);

    connect(&stage_.timers.TiK(), &Timer::timeout, this, &ScoreBoard::TiK_Timer);
    // Pause and Resume stamp the clock: the calm starts again from them. Go's
    // change to Running stamps the zero startRun has just set, which changes nothing.
    connect(&stage_.run, &RunState::changed, this, [this](RunPhase p) {
        if (p != RunPhase::Idle) KlinK();
    });

    const Status loaded = keeper_ ? keeper_->load() : Status{};
    state_.setRecord(keeper_ ? keeper_->record() : 1);
    Label5_->setText(QString::number(state_.recordScore));
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

void ScoreBoard::startRun() { clock_.start(state_, stage_.clock.hhmmss()); }

void ScoreBoard::eventsSeen(long long events)
{
    // The clock's seconds move only on its own beat, so every tick between two
    // beats stamps the same moment: stamping after the tick is stamping during it.
    if (events == eventsSeen_) return;
    eventsSeen_ = events;
    KlinK();
}

void ScoreBoard::TiK_Timer()
{
    const std::string now = stage_.clock.hhmmss();
    LaTot_->setText(QString::number(livePlanets(stage_.world)));
    if (clock_.tick(state_, now) && keeper_) {
        // A new record is written on the same tick, so it survives an abrupt end;
        // a higher one another run wrote meanwhile is taken over.
        report(keeper_->offer(state_.recordScore));
        state_.setRecord(keeper_->record());
    }
    Label3_->setText(QString::number(state_.score));
    Label2_->setText(QString::number(state_.runSeconds));
    Label4_->setText(QString::number(state_.sessionBest));
    Label5_->setText(QString::number(state_.recordScore));
    LaTT_->setText(QString::number(state_.elapsedSeconds));
    LaTT_->repaint();
}

}  // namespace orb
