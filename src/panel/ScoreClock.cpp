// The score clock: the time since the last event, weighted by the number of
// planets, with the session's best and the all-time record.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cmath>

#include "panel/RecordFile.h"
#include "platform/Fs4x3.h"
#include "platform/FieldText.h"

namespace orb {

namespace {

std::int32_t toInt32Clamped(double v)
{
    if (std::isnan(v)) return 0;
    return roundClamp(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

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

void Fs4x3::readRecord()
{
    if (recordPath_.isEmpty()) recordPath_ = defaultRecordPath();
    const auto r = loadRecord(recordPath_.toStdString());
    world_->recordScore = r.ok() ? *r : 1;
    world_->recordCheck = static_cast<std::int32_t>(std::floor(world_->recordScore / 7.0));
    Label5->setText(QString::number(world_->recordScore));
}

void Fs4x3::writeRecord()
{
    // A record that cannot be written is still shown; the run goes on.
    (void)saveRecord(recordPath_.toStdString(), world_->recordScore);
}

ClockHms Fs4x3::readClock()
{
    // The time of day as "hh:mm:ss", taken apart into its three numbers.
    World& w = *world_;
    w.clockText = clock_->hhmmss();
    const QString ct = QString::fromStdString(w.clockText);
    auto part = [](const QString& digits) { return toInt16(lenient(digits)).value_or(0); };
    return {part(ct.left(2)), part(ct.mid(3, 2)), part(ct.right(2))};
}

void Fs4x3::TiK_Timer()
{
    World& w = *world_;
    w.nowClock = readClock();

    int live = 0;
    for (int i = 3; i <= lastBody(w); ++i)
        if (w.outOfPlay[i] == 0) ++live;
    LaTot->setText(QString::number(live));

    // Seconds since the start, in 32-bit arithmetic; a time of day earlier than
    // the last one seen means the run went past midnight, so a day is added and
    // the clock keeps counting forward.
    const std::int32_t ofDay = (w.nowClock.second - w.startClock.second) +
                               (w.nowClock.minute - w.startClock.minute) * 60 +
                               (w.nowClock.hour - w.startClock.hour) * 3600;
    std::int32_t base = ofDay < 0 ? ofDay + 86400 : ofDay;
    if (base + 43200 < lastClockBase_) ++clockDays_;
    lastClockBase_ = base;
    const std::int64_t run = static_cast<std::int64_t>(clockDays_) * 86400 + base;
    w.runSeconds = static_cast<std::int32_t>(std::min<std::int64_t>(run, std::numeric_limits<std::int32_t>::max()));
    w.elapsedSeconds = w.runSeconds - w.clockOffset;

    const std::int32_t e = w.elapsedSeconds;
    const std::int32_t bonus = w.runSeconds < 1 ? 0 : toInt32Clamped(e * w.scoreFactor);
    double s;
    if (e <= 9) s = bonus / 100.0 + e;
    else if (e <= 19) s = bonus / 50.0 + e;
    else if (e <= 29) s = bonus / 20.0 + e;
    else if (e <= 59) s = bonus / 10.0 + e;
    else if (e <= 119) s = bonus / 3.0 + e;
    else s = static_cast<double>(e) + bonus;
    w.score = toInt32Clamped(s);

    if (w.score > w.sessionBest) w.sessionBest = w.score;
    if (w.score > w.recordScore) {
        w.recordScore = w.score;
        w.recordCheck = static_cast<std::int32_t>(std::floor(w.recordScore / 7.0));
        writeRecord();
    }
    Label3->setText(QString::number(w.score));
    Label2->setText(QString::number(w.runSeconds));
    Label4->setText(QString::number(w.sessionBest));
    Label5->setText(QString::number(w.recordScore));
    LaTT->setText(QString::number(w.elapsedSeconds));
    LaTT->repaint();
}

}  // namespace orb
