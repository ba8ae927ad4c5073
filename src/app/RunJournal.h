#pragma once
// The journal of the run under way, kept from the moment Go starts it: the
// table, settings and random numbers it started from, then every input that
// changes what the tick computes (a setting typed or left, a check box or
// border rule, Pause, Resume, Step, an edit of the body table), each stamped
// with the tick at which it took effect. A journal played back from its start
// gives the same body table bit for bit; the journal of the replay is the same
// journal again.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "base/Result.h"
#include "scenario/Journal.h"
#include "scenario/Snapshots.h"

namespace orb {

class Fs4x3;

class RunJournal : public QObject {
    Q_OBJECT
public:
    // A check of the table's hash goes into the journal every so many ticks,
    // so that a replay that parts from the run says where.
    static constexpr long long kHashEvery = 1000;

    explicit RunJournal(Fs4x3& window);
    ~RunJournal() override;

    // Whether a run has started, so that there is a journal.
    bool recording() const { return started_; }
    // Ticks since the journal began.
    long long tick() const;
    // The journal up to now, with the edits made while paused and the end:
    // the ticks run and the table's hash. Nothing when no run has started.
    std::optional<Journal> journal();

    // Plays a journal back: puts the table, the settings and the random
    // numbers back as they were at its start and takes its entries as the
    // ticks reach them. Refused, with the run left as it was, when an entry
    // names what this window does not have; `source` names the journal in
    // messages ("run.orbrun").
    Status play(const Journal& journal, const QString& source);
    // Whether a replay is under way, and what it found once done: that the
    // table is the one recorded, or the first tick where it is not.
    bool replaying() const { return replay_ != nullptr; }
    QString verdict() const { return verdict_; }

    // The timeline: the run's ticks from its start to the latest it reached,
    // and the tick shown.
    long long lastTick() const;
    long long shownTick() const { return tick(); }
    // Shows the run at tick t (0 .. lastTick): pauses it, puts back the
    // nearest snapshot at or before t and runs forward to t, drawing the
    // trails from there. Resuming, or any other input, at a past tick goes on
    // from it; what came after it can be brought back with undo() until
    // something else changes.
    Status seek(long long t);
    bool canUndo() const { return future_ != nullptr; }
    void undo();
    const Snapshots& snapshots() const { return snapshots_; }

signals:
    // A replay has reached the journal's last tick; the verdict says how it went.
    void replayDone(const QString& verdict);
    // The tick shown or the ticks the timeline covers have changed by a jump
    // (a seek, an undo, a new run).
    void timelineChanged();

private:
    struct Replay;
    struct Future;

    void begin();
    void record(const std::string& action, const std::string& name, const std::string& text = {});
    // The edits made to the table since it was last looked at, as "edit" entries.
    void noteEdits();
    void onTicked();
    // Takes the replay's entries due at this tick; false when the tick timer's
    // beat should end here (the replay reached its last tick).
    bool catchUp();
    void apply(const JournalEntry& e);
    Status check(const Journal& journal, const QString& source) const;
    void finishReplay();
    // Puts a snapshot back into the window: table, settings, random numbers
    // and the tick count.
    void restore(const Snapshot& s);
    // Applies what an entry changes in the table or the settings, recording
    // nothing (the timeline running forward over the journal).
    void applyQuietly(const JournalEntry& e);
    // A past tick is shown and an input comes: what came after it goes (kept
    // for undo()).
    void dropFuture();

    Fs4x3& w_;
    bool started_ = false;
    long long startTick_ = 0;
    Journal journal_;
    std::unique_ptr<World> known_;  // the table as the journal last knew it, while paused
    std::unique_ptr<Replay> replay_;
    bool applying_ = false;  // a replayed entry is being applied
    bool quiet_ = false;     // the timeline is running forward: nothing is recorded
    Snapshots snapshots_;
    // While a past tick is shown: the run as it stood at its latest tick.
    std::unique_ptr<Future> future_;
    bool pastShown_ = false;  // the tick shown lies before the run's latest
    bool keepFuture_ = false; // the input that dropped the future may still be undone
    QString verdict_;
};

}  // namespace orb
