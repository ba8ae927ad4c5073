#pragma once
// The score clock on the panel: the score, the session's best and the all-time
// record, with the record file kept up to date on every new record.

#include <QGroupBox>
#include <QLabel>
#include <QString>

#include "panel/RecordFile.h"
#include "panel/ScoreClock.h"
#include "platform/Stage.h"

namespace orb {

class ScoreBoard : public QObject {
    Q_OBJECT
public:
    // recordFile: the record file; the default place when empty.
    ScoreBoard(Stage& stage, const QString& recordFile);

    QWidget* group() const { return box_; }
    QString recordPath() const { return QString::fromStdString(keeper_.path()); }
    // What went wrong with the record file, empty when nothing did.
    QString recordProblem() const { return problem_; }

    // Go: the run's clock starts now.
    void startRun();
    void TiK_Timer();

signals:
    // The record file could not be read or written: said once.
    void recordTrouble(const QString& message);

private:
    void report(const Status& s);

    Stage& stage_;
    QGroupBox* box_;
    QLabel *LaTot_, *Label3_, *Label2_, *Label4_, *Label5_, *LaTT_;
    ScoreClock clock_;
    RecordKeeper keeper_;
    QString problem_;
};

}  // namespace orb
