#include "app/RunJournal.h"

#include <QAbstractButton>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "app/Fs4x3.h"
#include "base/Numbers.h"
#include "panel/BodyEditor.h"
#include "panel/Pause.h"
#include "panel/Settings.h"
#include "platform/Controls.h"
#include "platform/RunState.h"
#include "scenario/Go.h"
#include "scenario/Simulation.h"
#include "world/SceneFile.h"
#include "world/TableHash.h"

namespace orb {
namespace {

// The check boxes and option buttons whose state the tick reads.
const char* const kChecks[] = {"CHgod", "CHkeep"};
// The buttons and menu actions a journal holds.
const char* const kClicks[] = {"Command2", "Command5", "Step"};

bool oneOf(const std::string& name, const auto& names)
{
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

// Copies the body table and its counters, leaving the score clock.
void copyTable(World& to, const World& from)
{
    forEachBodyColumn([&](const char*, auto m) { to.*m = from.*m; });
    forEachRunCounter([&](const char*, auto m) { to.*m = from.*m; });
}

std::string valueText(double v) { return shortestText(v); }
std::string valueText(float v) { return shortestText(v); }
std::string valueText(std::int16_t v) { return std::to_string(v); }

// A cell's value from its text, when it fits the cell.
template <class T>
bool readValue(const std::string& text, T& out)
{
    const auto v = strictNumber(text);
    if (!v) return false;
    if constexpr (std::is_same_v<T, std::int16_t>) {
        const auto n = wholeNumber(*v, -32768, 32767);
        if (!n) return false;
        out = static_cast<std::int16_t>(*n);
    } else if constexpr (std::is_same_v<T, float>) {
        const auto f = static_cast<float>(*v);
        if (!std::isfinite(f)) return false;
        out = f;
    } else {
        out = *v;
    }
    return true;
}

// "posX(12)": the column's name and the body; or a counter's name alone.
struct Cell {
    std::string column;
    int body = -1;
};

std::optional<Cell> cellNamed(const std::string& name)
{
    const auto open = name.find('(');
    if (open == std::string::npos) return Cell{name, -1};
    if (name.back() != ')') return std::nullopt;
    const auto n = strictNumber(name.substr(open + 1, name.size() - open - 2));
    const auto body = n ? wholeNumber(*n, 0, kMaxBody) : std::nullopt;
    if (!body) return std::nullopt;
    return Cell{name.substr(0, open), static_cast<int>(*body)};
}

// Writes an edit into the table; false when it names no cell or its value does
// not fit.
bool applyEdit(World& w, const std::string& name, const std::string& text)
{
    const auto cell = cellNamed(name);
    if (!cell) return false;
    bool done = false;
    if (cell->body >= 0) {
        forEachBodyColumn([&](const char* column, auto m) {
            if (!done && cell->column == column) done = readValue(text, (w.*m)[cell->body]);
        });
    } else {
        forEachRunCounter([&](const char* counter, auto m) {
            if (!done && cell->column == counter) done = readValue(text, w.*m);
        });
    }
    return done;
}

std::vector<JournalSetting> settingsOf(const RunSettings& s)
{
    std::vector<JournalSetting> out;
    for (int k = 0; k < kSettings; ++k) {
        const auto setting = static_cast<Setting>(k);
        out.push_back({std::string(RunSettings::name(setting)), s.text(setting), s.held(setting), s.left(setting)});
    }
    out.push_back({"CHgod", s.spin ? "1" : "0", {}, {}});
    out.push_back({"CHkeep", s.keepPull ? "1" : "0", {}, {}});
    out.push_back({"CHr", s.autoClear ? "1" : "0", {}, {}});
    out.push_back({"Och", std::to_string(s.borderRule), {}, {}});
    return out;
}

// Puts settings back into a model; the message names the first that cannot be.
Status restoreSettings(RunSettings& s, const std::vector<JournalSetting>& saved)
{
    for (const JournalSetting& js : saved) {
        if (auto setting = RunSettings::named(js.name)) {
            s.restore(*setting, js.text, js.held.value_or(NAN), js.left.value_or(NAN));
        } else if (js.name == "CHgod" || js.name == "CHkeep" || js.name == "CHr") {
            if (js.text != "0" && js.text != "1") return fail("setting " + js.name + " is neither 0 nor 1");
            (js.name == "CHgod" ? s.spin : js.name == "CHkeep" ? s.keepPull : s.autoClear) = js.text == "1";
        } else if (js.name == "Och") {
            const auto v = strictNumber(js.text);
            const auto rule = v ? wholeNumber(*v, -1, kBorderRules - 1) : std::nullopt;
            if (!rule) return fail("the border rule is not one of -1 .. 6");
            s.borderRule = static_cast<int>(*rule);
        } else {
            return fail("no setting is named " + quoteCell(js.name));
        }
    }
    return {};
}

}  // namespace

struct RunJournal::Future {
    Snapshot state;                     // the run at its latest tick
    std::vector<JournalEntry> entries;  // the whole journal then
    Snapshots snapshots;
    bool dropped = false;               // a new input has gone on from the past tick
};

struct RunJournal::Replay {
    Journal journal;
    QString source;
    std::size_t next = 0;
    long long partedAt = -1;  // the first checked tick whose hash differed
};

RunJournal::RunJournal(Fs4x3& window) : w_(window)
{
    Settings& settings = w_.settings();
    connect(&w_.go(), &RunStart::starting, this, [this] { begin(); });
    // The timeline starts from the run as Go leaves it.
    connect(&w_.go(), &RunStart::started, this, [this] {
        if (!started_ || snapshots_.count() > 0) return;
        snapshots_.take(0, w_.world(), w_.runSettings(), w_.rng().saveState().value_or(Rng::State{}));
        emit timelineChanged();
    });
    connect(&settings, &Settings::edited, this, [this](Setting s) {
        // The seed counts on by itself before a run; a run reads it only
        // when it starts, and its start holds the random numbers it made.
        if (s != Setting::Seed) record("type", std::string(RunSettings::name(s)), w_.runSettings().text(s));
    });
    connect(&settings, &Settings::settingLeft, this,
            [this](Setting s) { record("leave", std::string(RunSettings::name(s))); });
    for (const char* name : kChecks) {
        if (auto* b = qobject_cast<QAbstractButton*>(w_.control(name)))
            connect(b, &QAbstractButton::toggled, this, [this, name](bool on) { record("check", name, on ? "1" : "0"); });
    }
    connect(&settings, &Settings::borderRuleChosen, this,
            [this](int rule) { record("check", "Och", std::to_string(rule)); });
    // The body editor's edits while the run goes on (a paused run's are
    // noted when it goes on): the body's whole row.
    connect(&w_.editor(), &BodyEditor::tableEdited, this, [this](int n) {
        if (known_ || n < 0 || n > kMaxBody) return;
        forEachBodyColumn([&](const char* column, auto m) {
            record("edit", std::string(column) + "(" + std::to_string(n) + ")", valueText((w_.world().*m)[n]));
        });
    });
    connect(&w_.run(), &RunState::changed, this, [this](RunPhase p) {
        if (!started_) return;
        if (p == RunPhase::Paused) {
            // What the editor does to the table as it opens (it brings the
            // body it shows into range) is noted as an edit.
            record("click", "Command5");
            known_ = std::make_unique<World>();
            copyTable(*known_, w_.world());
        } else if (p == RunPhase::Running && known_) {
            noteEdits();
            known_.reset();
            record("click", "Command5");
        }
    });
    connect(&w_.simulation(), &Simulation::stepping, this, [this] {
        noteEdits();
        record("click", "Step");
    });
    connect(&w_.simulation(), &Simulation::ticked, this, &RunJournal::onTicked);
    w_.simulation().setBeforeTick([this] { return catchUp(); });
}

RunJournal::~RunJournal() { w_.simulation().setBeforeTick({}); }

long long RunJournal::tick() const { return w_.simulation().ticks() - startTick_; }

void RunJournal::begin()
{
    // Another run started by hand ends a replay.
    if (replay_ && !applying_) {
        verdict_ = replay_->source + ": the replay was left for a new run";
        replay_.reset();
    }
    journal_ = Journal{};
    copyTable(journal_.start.table, w_.world());
    journal_.start.settings = settingsOf(w_.runSettings());
    if (auto r = w_.rng().saveState()) journal_.start.random = *r;
    startTick_ = w_.simulation().ticks();
    known_.reset();
    future_.reset();
    pastShown_ = false;
    snapshots_.clear();
    // Go itself draws the planets' colours: it is the journal's first entry.
    started_ = true;
    journal_.entries.push_back({0, "click", "Command2", {}, 0});
}

void RunJournal::record(const std::string& action, const std::string& name, const std::string& text)
{
    if (!started_ || quiet_) return;
    if (pastShown_ && action != "hash") dropFuture();
    else if (future_ && future_->dropped && action != "hash" && !keepFuture_) future_.reset();
    journal_.entries.push_back({tick(), action, name, text, 0});
}

void RunJournal::noteEdits()
{
    if (!known_) return;
    World& w = w_.world();
    forEachBodyColumn([&](const char* column, auto m) {
        const auto &now = w.*m, &was = (*known_).*m;
        for (int i = 0; i < kSlots; ++i)
            if (std::memcmp(&now[i], &was[i], sizeof now[i]) != 0)
                record("edit", std::string(column) + "(" + std::to_string(i) + ")", valueText(now[i]));
    });
    forEachRunCounter([&](const char* counter, auto m) {
        if (std::memcmp(&(w.*m), &((*known_).*m), sizeof(w.*m)) != 0) record("edit", counter, valueText(w.*m));
    });
    copyTable(*known_, w);
}

void RunJournal::onTicked()
{
    // A Step's tick is the run's, not an edit.
    if (known_) copyTable(*known_, w_.world());
    if (!started_ || quiet_) return;
    // The input that went on from a past tick is over once the run ticks.
    keepFuture_ = false;
    const long long t = tick();
    if (t % kHashEvery == 0) record("hash", {}, hashText(tableHash(w_.world())));
    if (snapshots_.due(t))
        snapshots_.take(t, w_.world(), w_.runSettings(), w_.rng().saveState().value_or(Rng::State{}));
}

std::optional<Journal> RunJournal::journal()
{
    if (!started_) return std::nullopt;
    noteEdits();
    Journal j = journal_;
    j.endTick = tick();
    j.endHash = tableHash(w_.world());
    return j;
}

Status RunJournal::check(const Journal& j, const QString& source) const
{
    // A name from the file, as a message quotes it.
    auto quoted = [](const std::string& name) { return quoteCell(name); };
    const std::string file = source.toStdString();
    auto at = [&](const JournalEntry& e, const std::string& why) {
        return fail(file + ": line " + std::to_string(e.line) + ": " + why);
    };
    if (!w_.rng().saveState()) return fail(file + ": this window's random numbers cannot be put back");
    if (j.entries.empty() || j.entries[0].action != "click" || j.entries[0].name != "Command2" ||
        j.entries[0].tick != 0)
        return fail(file + ": the journal does not begin with Go");
    long long last = 0;
    World scratch;
    for (const JournalEntry& e : j.entries) {
        if (e.tick < last || e.tick > j.endTick) return at(e, "the tick " + std::to_string(e.tick) + " is out of order");
        last = e.tick;
        if (e.action == "type" || e.action == "leave") {
            if (!RunSettings::named(e.name)) return at(e, "no setting is named " + quoted(e.name));
        } else if (e.action == "check" && e.name == "Och") {
            const auto v = strictNumber(e.text);
            if (!v || !wholeNumber(*v, INT_MIN, INT_MAX)) return at(e, "a border rule is a whole number");
        } else if (e.action == "check") {
            if (!oneOf(e.name, kChecks)) return at(e, "no check box or option is named " + quoted(e.name));
            if (e.text != "0" && e.text != "1") return at(e, "a check is 0 or 1");
        } else if (e.action == "click") {
            if (!oneOf(e.name, kClicks)) return at(e, quoted(e.name) + " is not a button a journal holds");
        } else if (e.action == "edit") {
            if (!applyEdit(scratch, e.name, e.text)) return at(e, "the edit of " + quoted(e.name) + " names no cell or value");
        } else if (e.action == "hash") {
            if (e.text.size() != 18 || e.text.rfind("0x", 0) != 0) return at(e, "a hash is 0x and 16 hex digits");
        } else {
            return at(e, "this program does not replay " + quoted(e.action));
        }
    }
    return {};
}

Status RunJournal::play(const Journal& j, const QString& source)
{
    if (Status s = check(j, source); !s) return s;
    RunSettings restored;
    if (Status s = restoreSettings(restored, j.start.settings); !s) return fail(source.toStdString() + ": " + s.error());
    // A paused run is resumed first, so the editor closes as Go expects.
    if (w_.run().paused()) w_.pause().Command5_Click();
    started_ = false;
    known_.reset();
    w_.runSettings() = restored;
    w_.settings().showAll();
    copyTable(w_.world(), j.start.table);
    w_.rng().restoreState(j.start.random);
    w_.canvas().cls();
    verdict_.clear();
    replay_ = std::make_unique<Replay>();
    replay_->journal = j;
    replay_->source = source;
    startTick_ = w_.simulation().ticks();
    catchUp();
    return {};
}

bool RunJournal::catchUp()
{
    if (!replay_) return true;
    const auto& entries = replay_->journal.entries;
    while (replay_ && replay_->next < entries.size() && entries[replay_->next].tick == tick()) {
        const JournalEntry& e = entries[replay_->next++];
        applying_ = true;
        apply(e);
        applying_ = false;
    }
    if (replay_ && replay_->next == entries.size() && tick() >= replay_->journal.endTick) {
        finishReplay();
        return false;
    }
    return true;
}

void RunJournal::apply(const JournalEntry& e)
{
    if (e.action == "type") {
        if (auto* f = qobject_cast<Field*>(w_.control(QString::fromStdString(e.name))))
            f->setText(QString::fromStdString(e.text));
        else if (auto s = RunSettings::named(e.name))
            w_.settings().setText(*s, QString::fromStdString(e.text));
    } else if (e.action == "leave") {
        if (auto s = RunSettings::named(e.name)) w_.settings().leave(*s);
    } else if (e.action == "check" && e.name == "Och") {
        const int rule = static_cast<int>(*wholeNumber(*strictNumber(e.text), INT_MIN, INT_MAX));
        auto* b = qobject_cast<QAbstractButton*>(w_.control(QString("Och(%1)").arg(rule)));
        // The option button shows the rule, and choosing it chooses it.
        if (b && !b->isChecked()) b->setChecked(true);
        else w_.settings().Och_Click(rule);
    } else if (e.action == "check") {
        if (auto* b = qobject_cast<QAbstractButton*>(w_.control(QString::fromStdString(e.name))))
            b->setChecked(e.text == "1");
    } else if (e.action == "click") {
        // The body editor brings the body it shows into range when it opens
        // and after a step; which body that is depends on the editor's own
        // state, so the run's journal holds what it did as edits, and what
        // it does here is undone.
        if (e.name == "Command2") {
            w_.go().Command2_Click();
        } else if (e.name == "Command5") {
            const auto before = std::make_unique<World>(w_.world());
            w_.pause().Command5_Click();
            copyTable(w_.world(), *before);
            if (known_) copyTable(*known_, *before);
        } else if (e.name == "Step") {
            auto stepped = std::make_unique<World>();
            const auto c = connect(&w_.simulation(), &Simulation::ticked, this, [&] { *stepped = w_.world(); });
            w_.simulation().Step_Click();
            disconnect(c);
            copyTable(w_.world(), *stepped);
        }
    } else if (e.action == "edit") {
        // Noted again, as the body editor's are, when the run goes on.
        applyEdit(w_.world(), e.name, e.text);
    } else if (e.action == "hash") {
        if (replay_->partedAt < 0 && hashText(tableHash(w_.world())) != e.text) replay_->partedAt = tick();
    }
}

void RunJournal::finishReplay()
{
    const Journal& j = replay_->journal;
    const std::uint64_t h = tableHash(w_.world());
    const QString file = replay_->source;
    if (h == j.endHash && replay_->partedAt < 0) {
        verdict_ = QString("%1: replayed to tick %2, the body table is the same bit for bit (hash %3)")
                       .arg(file)
                       .arg(j.endTick)
                       .arg(QString::fromStdString(hashText(h)));
    } else {
        const long long at = replay_->partedAt >= 0 ? replay_->partedAt : j.endTick;
        verdict_ = QString("%1: the replay differs from the recorded run by tick %2 (at tick %3 the hash is %4, "
                           "not %5)")
                       .arg(file)
                       .arg(at)
                       .arg(j.endTick)
                       .arg(QString::fromStdString(hashText(h)))
                       .arg(QString::fromStdString(hashText(j.endHash)));
    }
    replay_.reset();
    emit replayDone(verdict_);
}

long long RunJournal::lastTick() const
{
    if (!started_) return 0;
    return future_ && !future_->dropped ? future_->state.tick : tick();
}

void RunJournal::restore(const Snapshot& s)
{
    w_.runSettings() = s.settings;
    w_.settings().showAll();
    copyTable(w_.world(), *s.table);
    w_.rng().restoreState(s.random);
    w_.simulation().setTicks(startTick_ + s.tick);
}

void RunJournal::applyQuietly(const JournalEntry& e)
{
    // Pause, Resume and Step change when the ticks run, not what they do; the
    // timeline runs the ticks itself.
    if (e.action == "click" || e.action == "hash") return;
    apply(e);
}

Status RunJournal::seek(long long t)
{
    if (!started_) return fail("there is no run to go back in");
    if (replay_) return fail("a replay is playing: the timeline follows it once it is done");
    if (!w_.rng().saveState()) return fail("this window's random numbers cannot be put back");
    const long long last = lastTick();
    t = std::clamp<long long>(t, 0, last);
    if (w_.run().running()) w_.pause().Command5_Click();
    noteEdits();
    if (!pastShown_ && !(future_ && !future_->dropped)) {
        // Leaving the run's latest tick: keep it, to come back to.
        future_ = std::make_unique<Future>();
        future_->state = {tick(), std::make_shared<const World>(w_.world()), w_.runSettings(), *w_.rng().saveState()};
        future_->entries = journal_.entries;
    }
    const Snapshot* from = snapshots_.atOrBefore(t);
    if (!from) return fail("the run has no snapshot to start from");
    quiet_ = true;
    restore(*from);
    w_.canvas().cls();
    const auto& entries = journal_.entries;
    auto next = std::lower_bound(entries.begin(), entries.end(), from->tick,
                                 [](const JournalEntry& e, long long k) { return e.tick < k; });
    // Entries at the snapshot's own tick came after its tick ran, as the
    // snapshot did: all of them count, but Go's, which made the snapshot at 0.
    if (from->tick == 0 && next != entries.end() && next == entries.begin()) ++next;
    for (;;) {
        while (next != entries.end() && next->tick == tick()) applyQuietly(*next++);
        if (tick() >= t) break;
        w_.simulation().tick();
    }
    quiet_ = false;
    known_ = std::make_unique<World>();
    copyTable(*known_, w_.world());
    pastShown_ = t < last;
    if (!pastShown_ && future_ && !future_->dropped) future_.reset();
    // The body editor is left as it was: showing a body brings its values
    // into range, which would be an edit of the tick shown.
    emit timelineChanged();
    return {};
}

void RunJournal::dropFuture()
{
    pastShown_ = false;
    const long long t = tick();
    if (!future_) return;
    future_->snapshots = snapshots_;
    future_->dropped = true;
    // What happened at and after the tick shown belongs to the dropped run,
    // but for the inputs at it that the seek took in.
    std::erase_if(journal_.entries, [t](const JournalEntry& e) {
        return e.tick > t || (e.tick == t && e.action == "click" && e.name != "Command2");
    });
    snapshots_.dropAfter(t);
    // The run stands paused here: its journal says so before the input.
    journal_.entries.push_back({t, "click", "Command5", {}, 0});
    // What else that input does, until the run ticks or the window takes the
    // next event, belongs to it; the input after it forgets what was dropped.
    keepFuture_ = true;
    QMetaObject::invokeMethod(this, [this] { keepFuture_ = false; }, Qt::QueuedConnection);
    emit timelineChanged();
}

void RunJournal::undo()
{
    if (!future_) return;
    // The pause that shows the run again belongs to what is undone.
    std::unique_ptr<Future> f = std::move(future_);
    if (w_.run().running()) w_.pause().Command5_Click();
    quiet_ = true;
    restore(f->state);
    quiet_ = false;
    journal_.entries = f->entries;
    if (f->dropped) snapshots_ = f->snapshots;
    pastShown_ = false;
    known_ = std::make_unique<World>();
    copyTable(*known_, w_.world());
    w_.canvas().cls();
    emit timelineChanged();
}

}  // namespace orb
