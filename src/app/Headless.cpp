// The headless runner: the real window, offscreen, driven action by action on a
// virtual clock, so the same actions always give the same results.
#include "app/Headless.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <cstdio>

#include "app/Fs4x3.h"
#include "app/RunJournal.h"
#include "app/VideoRecorder.h"
#include "base/Numbers.h"
#include "engine/Pull.h"
#include "panel/Farewell.h"
#include "panel/CurvePanel.h"
#include "panel/Links.h"
#include "platform/Controls.h"
#include "platform/FieldView.h"
#include "platform/Pictures.h"
#include "world/TableHash.h"
#include "platform/Timer.h"
#include "platform/Widgets.h"
#include "scenario/PresetTable.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"

namespace orb {
namespace {

// What the runner does in place of each control that opens a file dialog.
const QHash<QString, QString> kInsteadOfDialogs = {
    {"CDopen", "--load FILE"}, {"CDsave", "--dump FILE"}, {"Open", "--load FILE"},
    {"Save", "--dump FILE"},   {"ExportPicture", "--png FILE"}, {"SaveCurve", "--curve FILE"},
    {"ExportPlot", "--curve-png FILE"}, {"SaveRun", "--save-run FILE"}, {"OpenRun", "--replay FILE"},
    {"RecordVideo", "--video FILE"},
};

// Max runs this many ticks on each beat of the tick timer, so that a headless
// run does not depend on the speed of the computer.
constexpr int kHeadlessMax = 1000;

}  // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage: orbitarium [--load FILE | --replay FILE] [--record-file PATH]\n"
        "                  [--kernels NAME] [--threads N]\n"
        "       orbitarium --headless [--record-file PATH] [--kernels NAME]\n"
        "                  [--threads N] ACTION...\n"
        "       orbitarium --version | --help\n"
        "\n"
        "Opens the simulator window. --load FILE starts the scene in FILE; --replay\n"
        "FILE replays the run file FILE.\n"
        "--record-file PATH keeps the all-time record in PATH instead of tallyho.ogg in\n"
        "the user's data folder (~/.local/share/orbitarium/orbitarium/) for an installed\n"
        "program, or beside the program run from its build folder.\n"
        "--kernels NAME runs the pull loops compiled for that instruction set (every\n"
        "set gives the same galaxy bit for bit); this computer runs: %1.\n"
        "--threads N shares the tick among N threads (1 to 256; by default one per\n"
        "core this process may use, here %4) once some %5 pairs of bodies pull\n"
        "each other; every count gives the same galaxy bit for bit.\n"
        "\n"
        "With --headless the same window runs offscreen and carries out the actions in\n"
        "the order given, then exits 0. The first action that fails prints one line on\n"
        "standard error and exits non-zero (1 for a failed action, 2 for an unknown\n"
        "one or a missing value); later actions do not run. Time is virtual: it\n"
        "starts at 12:00:00 and moves only with --ticks and --wait. A headless run\n"
        "keeps its record in memory unless --record-file names a file.\n"
        "\n"
        "Actions:\n"
        "  --load FILE          load a scene file and press Go\n"
        "  --set NAME=TEXT      type TEXT into the field NAME and leave it; on a scroll\n"
        "                       bar, move it to that value; Speed=1|2|5|10|100|Max\n"
        "  --click NAME         press a button, check box or option button, click a\n"
        "                       label or frame (FormFLAS.NAME for the farewell window),\n"
        "                       or choose a menu action by its name (below)\n"
        "  --preset NAME|INDEX  press a preset button by caption or index 0..5\n"
        "  --seed N             type the seed N into TXran and stop the seed ticker\n"
        "  --ticks N            let N beats of the tick timer pass; each beat runs the\n"
        "                       speed's ticks (one at 1x, %2 at Max) while the tick\n"
        "                       timer runs, none while paused or before a run (--click\n"
        "                       Step moves a paused run); the other timers run on the\n"
        "                       virtual clock meanwhile\n"
        "  --wait MS            let MS milliseconds pass: every running timer fires\n"
        "  --print NAME         print NAME=VALUE: a field's text, the caption of a label,\n"
        "                       button, check box or frame, a scroll bar's value, the\n"
        "                       Speed, Status (the status line), CurveSlope and\n"
        "                       CurveExponent (the binned rotation curve's fitted\n"
        "                       slope and the exponent 1 - 2 slope it implies, each\n"
        "                       with its standard error: \"-0.49 ± 0.02\", or none),\n"
        "                       NgcScale (NGC 3198's scale on the simulated curve),\n"
        "                       NgcExponent (the exponent its outer curve implies) or\n"
        "                       Hash (the body table's 64-bit hash, every slot and\n"
        "                       column: equal hashes, the same galaxy bit for bit)\n"
        "  --dump FILE          write all 1000 body slots as a scene file\n"
        "  --png FILE           write the drawing (1024 x 768) as a PNG file\n"
        "  --curve FILE         write the rotation curve as CSV (a row per star)\n"
        "  --curve-png FILE     write the rotation-curve charts as a PNG file\n"
        "  --curve-bins FILE    write the binned rotation curve as CSV (a row per bin)\n"
        "  --rar FILE           write each star's acceleration against the Newtonian\n"
        "                       pull of the mass inside its orbit as CSV\n"
        "  --save-run FILE      write the run so far as a run file: where it started and\n"
        "                       every input since, with the table's hash at its end\n"
        "  --replay FILE        replay a run file to its last tick and say whether the\n"
        "                       body table is the one recorded (fails where it is not);\n"
        "                       later actions go on from there\n"
        "  --seek TICK          show the run at TICK counted from its start (0 up to\n"
        "                       the latest tick it reached), paused there\n"
        "  --video FILE         record a video from here on: a frame every few ticks of\n"
        "                       the run (whatever the speed), as H.264 in .mp4, VP9 in\n"
        "                       .webm or an animated .gif; finished at --video-stop or\n"
        "                       when the actions end. Before it: --video-fps N (frames\n"
        "                       a second, 1..120, default 30), --video-every TICKS\n"
        "                       (default 2), --video-size WxH (even; default the\n"
        "                       picture's own: the field's 1024x768), --video-curve\n"
        "                       (the rotation curve beside the field)\n"
        "  --video-stop         finish the video being recorded\n"
        "  --video-curve and --video-stop take no value.\n"
        "\n"
        "Menu actions: %3.\n"
        "Quit is refused: a headless run ends by itself after its last action. Menu\n"
        "actions are out of reach after X, as the controls are. Those that open a\n"
        "file dialog are refused; use --load, --dump, --png, --curve,\n"
        "--curve-png, --save-run, --replay and --video.\n"
        "\n"
        "Controls are named as on the window: TXn, TXg(2), Och(2), CDp(4), CHgod...\n"
        "Scene files are CSV with the header\n"
        "  body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue\n")
        .arg(kernelNames().join(", "))
        .arg(kHeadlessMax)
        .arg(menuActionNames().join(", "))
        .arg(usableCores())
        .arg(Threading::kFromPairs);
}

QStringList kernelNames()
{
    QStringList names;
    for (const KernelSet* k : runnableKernelSets()) names << k->name;
    return names;
}

namespace {

// Fires the window's timers on a virtual clock.
class VirtualTime {
public:
    VirtualTime(ManualTime& clock, QList<Timer*> timers) : clock_(clock), start_(clock.total()), timers_(timers)
    {
        for (Timer* t : timers_) t->setVirtual(true);
    }

    long long now() const { return now_; }

    // Lets ms pass; every running timer except skip fires when due.
    void advance(long long ms, Timer* skip, const std::function<bool()>& stop)
    {
        const long long target = now_ + ms;
        for (;;) {
            sync();
            Timer* next = nullptr;
            long long due = 0;
            for (Timer* t : timers_) {
                if (t == skip || !t->enabled()) continue;
                const long long d = state_[t].due;
                if (d <= target && (!next || d < due)) {
                    next = t;
                    due = d;
                }
            }
            if (!next) break;
            set(due);
            state_[next].due = due + next->interval();
            next->fire();
            if (stop()) return;
        }
        set(target);
    }

    // The timer fired by hand just now: its next turn is one interval away.
    void firedByHand(Timer* t)
    {
        sync();
        state_[t] = {t->generation(), now_ + t->interval()};
    }

private:
    struct State {
        unsigned generation = ~0u;
        long long due = 0;
    };
    void sync()
    {
        for (Timer* t : timers_) {
            State& s = state_[t];
            if (t->enabled() && s.generation != t->generation()) s = {t->generation(), now_ + t->interval()};
        }
    }
    void set(long long t)
    {
        now_ = t;
        clock_.set(start_ + now_);
    }

    ManualTime& clock_;
    long long start_;
    long long now_ = 0;
    QList<Timer*> timers_;
    QHash<Timer*, State> state_;
};

class Runner {
public:
    Runner(Fs4x3& window, VirtualTime& time, bool& ended) : w_(window), time_(time), ended_(ended) {}

    Status run(const QString& action, const QString& arg);

private:
    Result<QObject*> find(const QString& name) const;
    Status usable(QWidget* c, const QString& name) const;
    static Result<long long> whole(const QString& text, long long lo, long long hi, const QString& what);
    Status set(const QString& arg);
    Status click(const QString& name);
    Status print(const QString& name);
    Status replay(const QString& path);

    Fs4x3& w_;
    VirtualTime& time_;
    bool& ended_;
};

Status refuse(const QString& message) { return fail(message.toStdString()); }

}  // namespace

QString clipped(const QString& text, int most)
{
    return text.size() <= most ? text : text.left(most) + QStringLiteral("\u2026");
}

namespace {

Result<QObject*> Runner::find(const QString& name) const
{
    QObject* c = nullptr;
    if (name.startsWith("FormFLAS.")) {
        if (FarewellWindow* f = w_.links().farewell()) c = f->findChild<QWidget*>(name.mid(9));
    } else {
        // A menu action before a widget of the same name (the rotation-curve
        // panel and the action that shows it are both CurvePanel).
        c = w_.action(name);
        if (!c) c = w_.control(name);
    }
    if (!c) return fail(("no control or menu action named " + clipped(name)).toStdString());
    return c;
}

Status Runner::usable(QWidget* c, const QString& name) const
{
    // A control on a panel page behind another is brought to the front, as a
    // user would click its tab; one of a window that is not shown (the main
    // window after "X") is out of reach as much as a hidden one.
    if (c->window() == &w_ && !c->isHidden()) w_.reveal(c);
    if (!c->window()->isVisible() || !c->isVisibleTo(c->window())) return refuse(name + " is hidden");
    if (!c->isEnabled()) return refuse(name + " is disabled");
    return {};
}

Result<long long> Runner::whole(const QString& text, long long lo, long long hi, const QString& what)
{
    const auto v = strictNumber(text.toStdString());
    const auto n = v ? wholeNumber(*v, lo, hi) : std::nullopt;
    if (!n)
        return fail((what + " must be a whole number " + QString::number(lo) + ".." + QString::number(hi) +
                     ", not \"" + clipped(text) + "\"")
                        .toStdString());
    return *n;
}

Status Runner::set(const QString& arg)
{
    const int eq = arg.indexOf('=');
    if (eq <= 0) return refuse("expected NAME=TEXT, not \"" + clipped(arg) + "\"");
    const QString name = arg.left(eq), text = arg.mid(eq + 1);
    const auto found = find(name);
    if (!found) return fail(found.error());
    auto* c = qobject_cast<QWidget*>(*found);
    if (!c) return refuse(name + " is not a field, a scroll bar or the Speed");
    if (Status s = usable(c, name); !s) return s;
    if (auto* f = qobject_cast<Field*>(c)) {
        if (f->isReadOnly()) return refuse(name + " is read-only");
        f->setText(f->typedText(text));
        f->leave();
    } else if (auto* s = qobject_cast<QScrollBar*>(c)) {
        const auto v = whole(text, s->minimum(), s->maximum(), name);
        if (!v) return fail(v.error());
        s->setValue(static_cast<int>(*v));
    } else if (c == w_.simulation().speedControl()) {
        const auto speed = Simulation::parseSpeed(text);
        if (!speed) return refuse("the Speed is 1, 2, 5, 10, 100 or Max, not \"" + clipped(text) + "\"");
        w_.simulation().setSpeed(*speed);
    } else {
        return refuse(name + " is not a field, a scroll bar or the Speed");
    }
    return {};
}

Status Runner::click(const QString& name)
{
    const auto found = find(name);
    if (!found) return fail(found.error());
    if (opensDialog(*found))
        return refuse(name + " opens a file dialog, which a headless run cannot answer: use " +
                      kInsteadOfDialogs.value(name, "another action"));
    if (auto* a = qobject_cast<QAction*>(*found)) {
        if (name == "Quit") return refuse("Quit is refused: a headless run ends by itself after its last action");
        // After "X" the main window and its menus are out of reach.
        if (!w_.isVisible()) return refuse(name + " is hidden");
        if (!a->isEnabled()) return refuse(name + " is disabled");
        a->trigger();
        return {};
    }
    auto* c = qobject_cast<QWidget*>(*found);
    if (Status s = usable(c, name); !s) return s;
    if (auto* b = qobject_cast<QAbstractButton*>(c)) b->click();
    else if (auto* l = qobject_cast<ClickLabel*>(c)) l->click();
    else if (auto* fr = qobject_cast<ClickFrame*>(c)) fr->click();
    else if (auto* f = qobject_cast<Field*>(c)) f->doubleClick();
    else return refuse(name + " cannot be clicked");
    return {};
}

Status Runner::print(const QString& name)
{
    QString value;
    if (name == "Status") {
        value = w_.statusText();
    } else if (name == "Hash") {
        value = QString::fromStdString(hashText(tableHash(w_.world())));
    } else if (name == "CurveSlope" || name == "CurveExponent" || name == "NgcScale" || name == "NgcExponent") {
        w_.refreshCurve();
        const CurvePanel& c = w_.curve();
        value = name == "CurveSlope"      ? c.slopeShown()
                : name == "CurveExponent" ? c.exponentShown()
                : name == "NgcScale"      ? c.ngcScaleShown()
                                          : c.ngcExponentShown();
    } else {
        const auto found = find(name);
        if (!found) return fail(found.error());
        QObject* c = *found;
        if (auto* f = qobject_cast<QLineEdit*>(c)) value = f->text();
        else if (auto* l = qobject_cast<QLabel*>(c)) value = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(c)) value = b->text();
        else if (auto* s = qobject_cast<QScrollBar*>(c)) value = QString::number(s->value());
        else if (auto* g = qobject_cast<QGroupBox*>(c)) value = g->title();
        else if (auto* cb = qobject_cast<QComboBox*>(c)) value = cb->currentText();
        else if (auto* a = qobject_cast<QAction*>(c)) value = a->isCheckable() ? (a->isChecked() ? "on" : "off") : a->text();
        else if (auto* wd = qobject_cast<QWidget*>(c); wd && wd->isWindow()) value = wd->windowTitle();
        else return refuse(name + " has no text or value");
    }
    std::printf("%s=%s\n", name.toUtf8().constData(), value.toUtf8().constData());
    std::fflush(stdout);
    return {};
}

Status Runner::replay(const QString& path)
{
    if (Status s = w_.openRun(path); !s) return s;
    // The replay runs on the tick timer's beats, as the window's does, and
    // ends each beat at its last tick.
    Timer* ti = w_.timer("Ti");
    const auto stop = [this] { return ended_; };
    while (w_.journal().replaying() && !ended_ && ti->enabled()) {
        time_.advance(ti->interval(), ti, stop);
        if (ended_ || !ti->enabled()) break;
        ti->fire();
        time_.firedByHand(ti);
    }
    if (w_.journal().replaying()) return refuse("the replay stopped before the run's last tick");
    const QString verdict = w_.journal().verdict();
    if (!verdict.contains("bit for bit")) return refuse(verdict);
    std::printf("%s\n", verdict.toUtf8().constData());
    std::fflush(stdout);
    return {};
}

Status Runner::run(const QString& action, const QString& arg)
{
    const auto stop = [this] { return ended_; };
    if (action == "--load") return w_.scenes().openScene(arg);
    if (action == "--set") return set(arg);
    if (action == "--click") return click(arg);
    if (action == "--print") return print(arg);
    if (action == "--dump") return w_.scenes().saveScene(arg);
    if (action == "--preset") {
        int index = -1;
        for (int i = 0; i < kPresets; ++i)
            if (QString::fromStdString(presetTable()[i].caption).compare(arg, Qt::CaseInsensitive) == 0) index = i;
        if (index < 0) {
            const auto n = whole(arg, 0, kPresets - 1, "the preset (a caption or an index)");
            if (!n) return fail(n.error());
            index = static_cast<int>(*n);
        }
        return click(QString("CDp(%1)").arg(index));
    }
    if (action == "--seed") {
        const auto n = whole(arg, -32768, 32767, "the seed");
        if (!n) return fail(n.error());
        if (Status s = set("TXran=" + QString::number(*n)); !s) return s;
        w_.timer("Tr")->setEnabled(false);
        return {};
    }
    if (action == "--ticks") {
        const auto n = whole(arg, 0, 10000000, "--ticks");
        if (!n) return fail(n.error());
        // Each beat lets the tick timer's interval pass; the tick runs only
        // while its timer does, as in the window: a paused run stays where it
        // is (Step moves it) and before a run there is nothing to tick.
        Timer* ti = w_.timer("Ti");
        for (long long k = 0; k < *n && !ended_; ++k) {
            time_.advance(ti->interval(), ti, stop);
            if (ended_ || !ti->enabled()) continue;
            ti->fire();  // the tick, and the curve following it
            time_.firedByHand(ti);
        }
        return {};
    }
    if (action == "--wait") {
        const auto ms = whole(arg, 0, 86400000, "--wait");
        if (!ms) return fail(ms.error());
        time_.advance(*ms, nullptr, stop);
        return {};
    }
    if (action == "--curve" || action == "--curve-png" || action == "--curve-bins" || action == "--rar") {
        w_.refreshCurve();
        const CurvePanel& c = w_.curve();
        if (action == "--curve") return c.saveCurve(arg);
        if (action == "--curve-bins") return c.saveBins(arg);
        if (action == "--rar") return c.saveAccelerations(arg);
        return c.exportPlot(arg);
    }
    if (action == "--png") return savePng(w_.canvas().image(), arg, tableHash(w_.world()));
    if (action == "--save-run") return w_.saveRun(arg);
    if (action == "--video") return w_.video().start(arg);
    if (action == "--video-stop") return w_.video().stop();
    if (action == "--video-fps") {
        const auto n = whole(arg, 1, 120, "--video-fps");
        if (!n) return fail(n.error());
        w_.video().options().fps = static_cast<int>(*n);
        return {};
    }
    if (action == "--video-every") {
        const auto n = whole(arg, 1, 1000000, "--video-every");
        if (!n) return fail(n.error());
        w_.video().options().every = static_cast<int>(*n);
        return {};
    }
    if (action == "--video-size") {
        const QStringList wh = arg.split('x');
        if (wh.size() != 2) return refuse("--video-size is WIDTHxHEIGHT, not \"" + clipped(arg) + "\"");
        const auto wd = whole(wh[0], 16, 8192, "the video's width");
        if (!wd) return fail(wd.error());
        const auto ht = whole(wh[1], 16, 8192, "the video's height");
        if (!ht) return fail(ht.error());
        if (*wd % 2 || *ht % 2) return refuse("the video's width and height must be even, not " + clipped(arg));
        w_.video().options().size = QSize(static_cast<int>(*wd), static_cast<int>(*ht));
        return {};
    }
    if (action == "--video-curve") {
        w_.video().options().withCurve = true;
        return {};
    }
    if (action == "--replay") return replay(arg);
    if (action == "--seek") {
        const auto t = whole(arg, 0, 1'000'000'000'000LL, "--seek");
        if (!t) return fail(t.error());
        if (*t > w_.journal().lastTick())
            return refuse(QString("the run has reached tick %1, not %2").arg(w_.journal().lastTick()).arg(*t));
        return w_.journal().seek(*t);
    }
    return refuse("unknown action " + clipped(action) + " (see orbitarium --help)");
}

}  // namespace

QStringList menuActionNames()
{
    static const QStringList names = [] {
        // The names are the window's own; a window made for the asking would
        // read a record file, so they are listed here and checked by a test.
        return QStringList{"Open",      "Save",      "ExportPicture", "SaveCurve",        "ExportPlot",
                           "Quit",      "Preset0",   "Preset1",       "Preset2",          "Preset3",
                           "Preset4",   "Preset5",   "PauseResume", "Step",        "Speed1x",          "Speed2x",
                           "Speed5x",   "Speed10x",  "Speed100x",     "SpeedMax",         "Faster",
                           "Slower",    "Clear",     "CurvePanel",    "TrailsPersistent", "TrailsFading",
                           "FullScreen", "HomePage", "SummaryPage",   "About", "OpenRun", "SaveRun",
                           "RecordVideo", "RecordVideoCurve", "Timeline", "UndoSeek"};
    }();
    return names;
}

int runHeadless(const HeadlessOptions& options, const QStringList& args)
{
    static const QStringList actions = {"--load", "--set",  "--click", "--preset", "--seed",  "--ticks",
                                        "--wait", "--print", "--dump",  "--png",    "--curve", "--curve-png",
                                        "--curve-bins", "--rar", "--save-run", "--replay", "--seek",
                                        "--video", "--video-stop", "--video-fps", "--video-every",
                                        "--video-size", "--video-curve"};
    // The actions that take no value.
    static const QStringList flags = {"--video-stop", "--video-curve"};
    ManualTime clock;
    bool ended = false;
    WindowOptions w;
    w.clock = &clock;
    w.recordFile = options.recordFile;
    w.recordInMemory = options.recordFile.isEmpty();
    w.kernels = options.kernels;
    w.threads = options.threads;
    w.endProgram = [&ended] { ended = true; };
    // No browser is started from a headless run: the links report that none
    // can be found, as on a machine without one.
    w.openUrl = [](const QString&) { return false; };
    Fs4x3 window(w);
    window.simulation().setFixedMax(kHeadlessMax);
    VirtualTime time(clock, window.timers());
    // The curve follows the run beat by beat, as the window's screen refresh
    // would have it follow.
    QObject::connect(window.timer("Ti"), &Timer::timeout, &window, [&window] { window.refreshCurve(); });
    window.show();

    // Actions run as they are read, so a bad one stops the run where it stands.
    Runner runner(window, time, ended);
    for (int i = 0; i < args.size() && !ended; ++i) {
        const QString& action = args[i];
        if (flags.contains(action)) {
            if (Status s = runner.run(action, {}); !s) {
                std::fprintf(stderr, "orbitarium: %s: %s\n", action.toUtf8().constData(),
                             clipped(QString::fromStdString(s.error()), 240).toUtf8().constData());
                return 1;
            }
            continue;
        }
        if (!actions.contains(action) || i + 1 >= args.size()) {
            std::fprintf(stderr, "orbitarium: %s: %s (see orbitarium --help)\n", clipped(action).toUtf8().constData(),
                         actions.contains(action) ? "needs a value" : "unknown action");
            return 2;
        }
        const QString& arg = args[++i];
        if (Status s = runner.run(action, arg); !s) {
            // A long argument is cut: the line says which action failed, not
            // the whole of what it was given.
            std::fprintf(stderr, "orbitarium: %s %s: %s\n", action.toUtf8().constData(),
                         clipped(arg).toUtf8().constData(), clipped(QString::fromStdString(s.error()), 240).toUtf8().constData());
            return 1;
        }
    }
    // A video still recording is finished with the actions.
    if (Status s = window.video().stop(); !s) {
        std::fprintf(stderr, "orbitarium: --video: %s\n", clipped(QString::fromStdString(s.error()), 240).toUtf8().constData());
        return 1;
    }
    return 0;
}

}  // namespace orb
