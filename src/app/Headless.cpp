// The headless runner: the real window, offscreen, driven action by action on a
// virtual clock, so the same actions always give the same results.
#include "app/Headless.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <cstdio>

#include "app/Fs4x3.h"
#include "base/Numbers.h"
#include "panel/Farewell.h"
#include "panel/Links.h"
#include "platform/Controls.h"
#include "platform/FieldView.h"
#include "platform/Timer.h"
#include "scenario/PresetTable.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"

namespace orb {

QString usageText()
{
    return QStringLiteral(
        "Usage: orbitarium [--load FILE] [--record-file PATH]\n"
        "       orbitarium --headless [--record-file PATH] ACTION...\n"
        "\n"
        "Opens the simulator window. --load FILE starts the scene in FILE.\n"
        "--record-file PATH keeps the all-time record in PATH instead of tallyho.ogg\n"
        "beside the program (or in the user's data folder when that is not writable).\n"
        "\n"
        "With --headless the same window runs offscreen and carries out the actions in\n"
        "the order given, then exits 0. The first action that fails prints one line on\n"
        "standard error and exits non-zero; later actions do not run. Time is virtual:\n"
        "it starts at 12:00:00 and moves only with --ticks and --wait.\n"
        "\n"
        "Actions:\n"
        "  --load FILE          load a scene file and press Go\n"
        "  --set NAME=TEXT      type TEXT into the field NAME and leave it; on a scroll\n"
        "                       bar, move it to that value\n"
        "  --click NAME         press a button, check box or option button, or click a\n"
        "                       label or frame (FormFLAS.NAME for the farewell window)\n"
        "  --preset NAME|INDEX  press a preset button by caption or index 0..4\n"
        "  --seed N             type the seed N into TXran and stop the seed ticker\n"
        "  --ticks N            run N ticks of the simulation by calling the tick; the\n"
        "                       other timers run on the virtual clock meanwhile\n"
        "  --wait MS            let MS milliseconds pass: every running timer fires\n"
        "  --print NAME         print NAME=VALUE: a field's text, the caption of a label,\n"
        "                       button, check box or frame, a scroll bar's value\n"
        "  --dump FILE          write all 1000 body slots as a scene file\n"
        "  --png FILE           write the drawing (1024 x 768) as a PNG file\n"
        "\n"
        "Controls are named as on the window: TXn, TXg(2), Och(2), CDp(4), CHgod...\n"
        "Scene files are CSV with the header\n"
        "  body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue\n");
}

namespace {

struct Failure {
    QString message;
};

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

    void run(const QString& action, const QString& arg);

private:
    QWidget* find(const QString& name) const
    {
        QWidget* c = nullptr;
        if (name.startsWith("FormFLAS.")) {
            if (FarewellWindow* f = w_.links().farewell()) c = f->findChild<QWidget*>(name.mid(9));
        } else {
            c = w_.control(name);
        }
        if (!c) throw Failure{"no control named " + name};
        return c;
    }
    void usable(QWidget* c, const QString& name) const
    {
        // A control of a window that is not shown (the main window after "X")
        // is out of reach as much as a hidden one.
        if (!c->window()->isVisible() || !c->isVisibleTo(c->window())) throw Failure{name + " is hidden"};
        if (!c->isEnabled()) throw Failure{name + " is disabled"};
    }
    static long long whole(const QString& text, long long lo, long long hi, const QString& what)
    {
        const auto v = strictNumber(text.toStdString());
        const auto n = v ? wholeNumber(*v, lo, hi) : std::nullopt;
        if (!n)
            throw Failure{what + " must be a whole number " + QString::number(lo) + ".." + QString::number(hi) +
                          ", not \"" + text + "\""};
        return *n;
    }

    void set(const QString& arg);
    void click(const QString& name);
    void print(const QString& name);

    Fs4x3& w_;
    VirtualTime& time_;
    bool& ended_;
};

void Runner::set(const QString& arg)
{
    const int eq = arg.indexOf('=');
    if (eq <= 0) throw Failure{"expected NAME=TEXT, not \"" + arg + "\""};
    const QString name = arg.left(eq), text = arg.mid(eq + 1);
    QWidget* c = find(name);
    usable(c, name);
    if (auto* f = qobject_cast<Field*>(c)) {
        if (f->isReadOnly()) throw Failure{name + " is read-only"};
        f->setText(f->typedText(text));
        f->leave();
    } else if (auto* s = qobject_cast<QScrollBar*>(c)) {
        s->setValue(static_cast<int>(whole(text, s->minimum(), s->maximum(), name)));
    } else {
        throw Failure{name + " is not a field or a scroll bar"};
    }
}

void Runner::click(const QString& name)
{
    QWidget* c = find(name);
    usable(c, name);
    if (auto* b = qobject_cast<QAbstractButton*>(c)) b->click();
    else if (auto* l = qobject_cast<ClickLabel*>(c)) l->click();
    else if (auto* fr = qobject_cast<ClickFrame*>(c)) fr->click();
    else if (auto* f = qobject_cast<Field*>(c)) f->doubleClick();
    else throw Failure{name + " cannot be clicked"};
}

void Runner::print(const QString& name)
{
    QWidget* c = find(name);
    QString value;
    if (auto* f = qobject_cast<QLineEdit*>(c)) value = f->text();
    else if (auto* l = qobject_cast<QLabel*>(c)) value = l->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(c)) value = b->text();
    else if (auto* s = qobject_cast<QScrollBar*>(c)) value = QString::number(s->value());
    else if (auto* g = qobject_cast<QGroupBox*>(c)) value = g->title();
    else if (c->isWindow()) value = c->windowTitle();
    else throw Failure{name + " has no text or value"};
    std::printf("%s=%s\n", name.toUtf8().constData(), value.toUtf8().constData());
    std::fflush(stdout);
}

void Runner::run(const QString& action, const QString& arg)
{
    const auto stop = [this] { return ended_; };
    if (action == "--load") {
        if (Status s = w_.scenes().openScene(arg); !s) throw Failure{QString::fromStdString(s.error())};
    } else if (action == "--set") {
        set(arg);
    } else if (action == "--click") {
        click(arg);
    } else if (action == "--preset") {
        int index = -1;
        for (int i = 0; i < kPresets; ++i)
            if (QString::fromStdString(presetTable()[i].caption).compare(arg, Qt::CaseInsensitive) == 0) index = i;
        if (index < 0) index = static_cast<int>(whole(arg, 0, 4, "the preset (a caption or an index)"));
        click(QString("CDp(%1)").arg(index));
    } else if (action == "--seed") {
        whole(arg, -32768, 32767, "the seed");
        auto* seed = qobject_cast<Field*>(find("TXran"));
        seed->setText(arg);
        seed->leave();
        w_.timer("Tr")->setEnabled(false);
    } else if (action == "--ticks") {
        const long long n = whole(arg, 0, 10000000, "--ticks");
        Timer* ti = w_.timer("Ti");
        for (long long k = 0; k < n && !ended_; ++k) {
            time_.advance(ti->interval(), ti, stop);
            if (ended_) break;
            w_.simulation().Ti_Timer();
            time_.firedByHand(ti);
        }
    } else if (action == "--wait") {
        time_.advance(whole(arg, 0, 86400000, "--wait"), nullptr, stop);
    } else if (action == "--print") {
        print(arg);
    } else if (action == "--dump") {
        if (Status s = w_.scenes().saveScene(arg); !s) throw Failure{QString::fromStdString(s.error())};
    } else if (action == "--png") {
        if (!w_.canvas().image().save(arg, "PNG")) throw Failure{"cannot write " + arg};
    } else {
        throw Failure{"unknown action " + action + " (see orbitarium --help)"};
    }
}

}  // namespace

int runHeadless(const QStringList& args)
{
    static const QStringList actions = {"--load", "--set",  "--click", "--preset", "--seed",
                                        "--ticks", "--wait", "--print", "--dump",  "--png"};
    // The record file must be known before the window reads it.
    QString recordFile;
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--record-file") recordFile = args[i + 1];

    ManualTime clock;
    bool ended = false;
    WindowOptions options;
    options.clock = &clock;
    options.recordFile = recordFile;
    options.endProgram = [&ended] { ended = true; };
    // No browser is started from a headless run: the links report that none
    // can be found, as on a machine without one.
    options.openUrl = [](const QString&) { return false; };
    Fs4x3 window(options);
    VirtualTime time(clock, window.timers());
    window.show();

    // Actions run as they are read, so a bad one stops the run where it stands.
    Runner runner(window, time, ended);
    for (int i = 0; i < args.size() && !ended; ++i) {
        const QString& action = args[i];
        if (action == "--headless") continue;
        const bool known = actions.contains(action) || action == "--record-file";
        if (!known || i + 1 >= args.size()) {
            std::fprintf(stderr, "orbitarium: %s: %s (see orbitarium --help)\n", action.toUtf8().constData(),
                         known ? "needs a value" : "unknown action");
            return 2;
        }
        const QString& arg = args[++i];
        if (action == "--record-file") continue;
        try {
            runner.run(action, arg);
        } catch (const Failure& f) {
            std::fprintf(stderr, "orbitarium: %s %s: %s\n", action.toUtf8().constData(), arg.toUtf8().constData(),
                         f.message.toUtf8().constData());
            return 1;
        }
    }
    return 0;
}

}  // namespace orb
