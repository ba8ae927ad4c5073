#pragma once
// The score clock on the panel: the score, the session's best and the all-time
// record, with the record file kept up to date on every new record.

#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <optional>

#include "panel/RecordFile.h"
#include "panel/ScoreClock.h"
#include "platform/Stage.h"

namespace orb {

// The folder the program runs from, as far as the record's place depends on it.
struct ProgramFolder {
    QString path;
    bool shareBeside = false;  // <path>/../share/orbitarium exists: an installed copy
    bool writable = false;
};

// Where the record lives when no file is named. An installed program (one with
// its shared files beside its folder, or one under a system prefix such as
// /usr or /opt) keeps it in the user's data folder, whoever runs it, so that
// removing the program's package leaves no stray file in its folder; so does
// a program whose folder cannot be written. A program run from its build
// folder keeps it beside itself.
QString recordPlace(const ProgramFolder& program, const QString& userDataFolder);

class ScoreBoard : public QObject {
    Q_OBJECT
public:
    // recordFile: the record file; the default place when empty. A record kept
    // in memory only starts at 1 and touches no file.
    ScoreBoard(Stage& stage, const QString& recordFile, bool inMemory = false);

    QWidget* group() const { return box_; }
    // The record file; empty when the record is kept in memory.
    QString recordPath() const { return keeper_ ? QString::fromStdString(keeper_->path()) : QString(); }
    // What went wrong with the record file, empty when nothing did.
    QString recordProblem() const { return problem_; }

    // Go: the run's clock starts now.
    void startRun();
    // Go: the planets of the run weigh the score by (bodyCount + 1)^2 / 100.
    void setScoreFactor(double factor) { state_.scoreFactor = factor; }
    void TiK_Timer();
    // Stamps the moment of the last event on the score clock.
    void KlinK() { state_.KlinK(); }
    // The simulation's running count of engine events (border events and
    // merges): a count that moved since the last call stamps the clock.
    void eventsSeen(long long events);

    // The score clock's values.
    const ScoreState& state() const { return state_; }
    ScoreState& state() { return state_; }

signals:
    // The record file could not be read or written: said once.
    void recordTrouble(const QString& message);

private:
    void report(const Status& s);

    Stage& stage_;
    QGroupBox* box_;
    QLabel *LaTot_, *Label3_, *Label2_, *Label4_, *Label5_, *LaTT_;
    ScoreClock clock_;
    ScoreState state_;
    long long eventsSeen_ = 0;
    std::optional<RecordKeeper> keeper_;
    QString problem_;
};

}  // namespace orb
