#pragma once
// A monkey for the main window: random actions of every kind a user can take
// (typing hostile texts, clicking, moving scroll bars, menu actions) and of
// every handler called from code with any index, ticks and waits on a virtual
// clock, all drawn from one seeded generator. After every action the body
// table's invariants, the record and the window's life are checked. The same
// seed gives the same actions and the same run.

#include <QHash>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "app/Fs4x3.h"
#include "base/TimeSource.h"

class QWidget;
class QAction;

namespace orb::monkey {

// What is wrong with the body table and the run's counters, empty when nothing
// is: every value finite, play states 0 or 1, whole colours 0..255, the planet
// count 0..999 and the next star -1..1000.
std::string worldFault(const World& w);

class Monkey {
public:
    explicit Monkey(std::uint64_t seed, bool trace = false);
    ~Monkey();

    // Runs up to n more actions and stops at the first fault. Gives the report
    // (seed, action number, the last actions), empty when every check held.
    std::string run(long long n);

    // The checks after an action: the table, the record, a live window.
    std::string check();
    // The seed, the action number, what went wrong, the last 20 actions and
    // the command that runs them again.
    std::string trail(const std::string& what) const;

    Fs4x3& window() { return *win_; }
    long long actionsDone() const { return done_; }
    long long restarts() const { return restarts_; }
    long long ticksRun() const;
    // How often a modal dialog had to be closed for the run to go on.
    long long modalsClosed() const { return modals_; }

private:
    using Rng = std::mt19937_64;

    void open();
    void act();
    void log(QString what);

    // The kinds of action.
    void onControl();
    void onHandler();
    void onTicks();
    void onWait();
    void onScene();
    void onMessages();
    void onTab();
    void onPaint();
    void onClockJump();
    void onFarewell();

    QList<QWidget*> reachableControls() const;
    QList<QAction*> reachableActions() const;
    void useControl(QWidget* c);
    bool farewellShown() const;

    // Draws.
    bool chance(double p);
    int pick(int n);
    int anyIndex(int size);
    QString hostileText();
    QString randomNumberText();
    double hostileNumber();

    // Lets ms pass on the virtual clock: every running timer fires when due
    // (skip excepted); stops early once the action has spent its budget of engine
    // ticks or timer events.
    void advance(long long ms, const QObject* skip);
    bool overBudget() const;

    std::uint64_t seed_;
    bool trace_;
    Rng rng_;
    QTemporaryDir dir_;
    ManualTime clock_{12LL * 3600 * 1000};
    std::unique_ptr<Fs4x3> win_;
    bool ended_ = false;

    struct Due {
        unsigned generation = ~0u;
        long long at = 0;
    };
    QHash<const QObject*, Due> due_;
    long long now_ = 0;

    long long done_ = 0;
    long long restarts_ = 0;
    long long ticks_ = 0;
    long long ticksAtStart_ = 0;
    long long firesThisAction_ = 0;
    long long modals_ = 0;
    int scenesMade_ = 0;
    std::deque<QString> last_;
    QString modalFault_;

    // The highest record seen in the file and in the window.
    std::int32_t fileRecord_ = 0;
    std::int32_t worldRecord_ = 0;
};

}  // namespace orb::monkey
