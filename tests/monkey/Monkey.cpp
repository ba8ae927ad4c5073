#include "monkey/Monkey.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QScrollBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <cfloat>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "base/Numbers.h"
#include "panel/BodyEditor.h"
#include "panel/Links.h"
#include "panel/Pause.h"
#include "panel/RecordFile.h"
#include "panel/ScoreBoard.h"
#include "panel/Settings.h"
#include "platform/Controls.h"
#include "platform/Timer.h"
#include "platform/Widgets.h"
#include "scenario/Go.h"
#include "scenario/Presets.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"
#include "world/SceneFile.h"

namespace orb::monkey {
namespace {

// Engine ticks one action may run (a wait at a 1 ms tick interval and speed
// 100 would otherwise run thousands).
constexpr long long kTickBudget = 120;
// Timer events one action may fire: forty ticks at a 10 s interval would
// otherwise replay minutes of screen refreshes and score seconds.
constexpr long long kFireBudget = 1500;
// Message boxes left open before the monkey closes them all.
constexpr int kMostBoxes = 25;

// The controls that leave the program: pressed now and then only.
bool leaves(const QObject* c)
{
    const QString n = c->objectName();
    return n == "Command1" || n == "Quit";
}

QString shown(const QString& text)
{
    if (text.size() <= 40) {
        QString s;
        for (QChar ch : text) s += ch.isPrint() ? QString(ch) : QString("\\u%1").arg(ch.unicode(), 4, 16, QChar('0'));
        return "\"" + s + "\"";
    }
    return QString("\"%1...\" (%2 characters)").arg(text.left(12)).arg(text.size());
}

const char* const kHostile[] = {
    "",      "0",      "-1",         "3",      "999",     "1000",  "2.5",         "abc",    "12abc",
    " 7 ",   "1e308",  "-1e308",     "1e-320", "nan",     "inf",   "-inf",        "99999999999",
    "0x1F",  "１２３", "ünïcödé",    "🚀🌌",   "-0",      "+5",    "1,5",         "5.",     ".5",
    "1e",    "--3",    "32767",      "32768",  "-32768",  "-32769", "2147483648", "1e400",  "-150",
    "0.4",   "2.6",    "1000000000", "4.5e15", "3 4",     "\t9\n", "٣",           "1e-5",
};

// The monkey at work, so that a crash can still say what led to it.
Monkey* working = nullptr;

void sayLastWords()
{
    if (Monkey* m = working) {
        working = nullptr;
        std::fputs(m->trail("died").c_str(), stderr);
        std::fflush(stderr);
    }
}

extern "C" void onFatalSignal(int sig)
{
    sayLastWords();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void listenForCrashes()
{
    static bool done = false;
    if (done) return;
    done = true;
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers keep their own handlers and call this before they end the run.
    __sanitizer_set_death_callback(sayLastWords);
    std::signal(SIGABRT, onFatalSignal);
#else
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL}) std::signal(sig, onFatalSignal);
#endif
}

}  // namespace

std::string worldFault(const World& w)
{
    static const char* names[] = {"posX", "posY", "momX", "momY", "gravity", "bodyType"};
    const Slots<double>* values[] = {&w.posX, &w.posY, &w.momX, &w.momY, &w.gravity, &w.bodyType};
    for (int i = 0; i < kSlots; ++i) {
        for (int k = 0; k < 6; ++k)
            if (!std::isfinite((*values[k])[i]))
                return std::string(names[k]) + "[" + std::to_string(i) + "] is " + std::to_string((*values[k])[i]);
        if (w.outOfPlay[i] != 0 && w.outOfPlay[i] != 1)
            return "outOfPlay[" + std::to_string(i) + "] is " + std::to_string(w.outOfPlay[i]);
        const float channels[] = {w.colRed[i], w.colGreen[i], w.colBlue[i]};
        for (float c : channels)
            if (!(c >= 0 && c <= 255 && c == std::floor(c)))
                return "a colour channel of body " + std::to_string(i) + " is " + std::to_string(c);
    }
    if (w.bodyCount < 0 || w.bodyCount > kMaxBody) return "bodyCount is " + std::to_string(w.bodyCount);
    if (w.nextStar < -1 || w.nextStar > kSlots) return "nextStar is " + std::to_string(w.nextStar);
    return {};
}

Monkey::Monkey(std::uint64_t seed, bool trace) : seed_(seed), trace_(trace), rng_(seed)
{
    open();
}

Monkey::~Monkey() = default;

void Monkey::open()
{
    if (win_) ticks_ += win_->simulation().ticks();
    win_.reset();
    WindowOptions o;
    o.clock = &clock_;
    o.recordFile = dir_.filePath("tallyho.ogg");
    o.openUrl = [](const QString&) { return false; };  // no browser: the links say so
    o.endProgram = [this] { ended_ = true; };
    win_ = std::make_unique<Fs4x3>(o);
    // "Max" speed runs a fixed count, so a seed always gives the same run.
    win_->simulation().setFixedMax(3);
    for (Timer* t : win_->timers()) t->setVirtual(true);
    due_.clear();
    win_->show();
    ended_ = false;
}

long long Monkey::ticksRun() const { return ticks_ + win_->simulation().ticks(); }

bool Monkey::chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

int Monkey::pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }

int Monkey::anyIndex(int size)
{
    switch (pick(8)) {
    case 0: return -1;
    case 1: return size;
    case 2: return INT_MIN;
    case 3: return INT_MAX;
    case 4: return std::uniform_int_distribution<int>(-40000, 40000)(rng_);
    default: return pick(size);
    }
}

double Monkey::hostileNumber()
{
    switch (pick(12)) {
    case 0: return 1e308;
    case 1: return -1e308;
    case 2: return DBL_MAX;
    case 3: return 1e-320;
    case 4: return -0.0;
    case 5: return std::uniform_int_distribution<int>(-40000, 40000)(rng_);
    case 6: return std::uniform_real_distribution<double>(0, 15360)(rng_);
    default: {
        const double mag = std::pow(10.0, std::uniform_real_distribution<double>(-320, 308)(rng_));
        return chance(0.5) ? -mag : mag;
    }
    }
}

QString Monkey::randomNumberText()
{
    switch (pick(4)) {
    case 0: return QString::number(std::uniform_int_distribution<int>(-1100, 1100)(rng_));
    case 1: return QString::number(std::uniform_int_distribution<long long>(-99999999999LL, 99999999999LL)(rng_));
    default: {
        const double v = std::pow(10.0, std::uniform_real_distribution<double>(-330, 330)(rng_));
        return QString::number(chance(0.3) ? -v : v, 'g', 1 + pick(17));
    }
    }
}

QString Monkey::hostileText()
{
    const int n = static_cast<int>(std::size(kHostile));
    switch (pick(10)) {
    case 0: return QString(10000, QChar("9a-."[pick(4)]));
    case 1: return QString("1") + QChar(0) + "2\x01\x1b\x7f\r";
    case 2:
    case 3:
    case 4: return randomNumberText();
    default: return QString::fromUtf8(kHostile[pick(n)]);
    }
}

void Monkey::log(QString what)
{
    what = QString("#%1 %2").arg(done_).arg(what);
    if (trace_) std::fprintf(stderr, "%s\n", what.toUtf8().constData());
    last_.push_back(what);
    if (last_.size() > 20) last_.pop_front();
}

bool Monkey::farewellShown() const
{
    FarewellWindow* f = win_->links().farewell();
    return f && f->isVisible();
}

QList<QWidget*> Monkey::reachableControls() const
{
    QList<QWidget*> all = win_->findChildren<QWidget*>();
    if (FarewellWindow* f = win_->links().farewell(); f && !win_->isAncestorOf(f)) all += f->findChildren<QWidget*>();
    QList<QWidget*> out;
    for (QWidget* w : all) {
        const QString n = w->objectName();
        if (n.isEmpty() || n.startsWith("qt_") || opensDialog(w)) continue;
        if (!(qobject_cast<Field*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QScrollBar*>(w) ||
              qobject_cast<ClickLabel*>(w) || qobject_cast<ClickFrame*>(w) || qobject_cast<QComboBox*>(w)))
            continue;
        // A control of a window that is not shown is out of reach, as a hidden one.
        if (!w->window()->isVisible() || !w->isVisibleTo(w->window()) || !w->isEnabled()) continue;
        out << w;
    }
    return out;
}

QList<QAction*> Monkey::reachableActions() const
{
    QList<QAction*> out;
    if (!win_->isVisible()) return out;
    for (QAction* a : win_->findChildren<QAction*>()) {
        const QString n = a->objectName();
        if (n.isEmpty() || n.startsWith("qt_") || opensDialog(a) || !a->isEnabled() || !a->isVisible()) continue;
        out << a;
    }
    return out;
}

void Monkey::useControl(QWidget* c)
{
    const QString name = c->objectName();
    if (auto* f = qobject_cast<Field*>(c)) {
        if (f->isReadOnly() || chance(0.2)) {
            log("double-click " + name);
            f->doubleClick();
            return;
        }
        const QString text = hostileText();
        f->setText(f->typedText(text));
        // Now and then the field keeps focus: a menu shortcut takes none.
        if (chance(0.1)) {
            log("type " + shown(text) + " into " + name + " without leaving");
            return;
        }
        log("type " + shown(text) + " into " + name + " and leave");
        f->leave();
    } else if (auto* s = qobject_cast<QScrollBar*>(c)) {
        int v;
        switch (pick(6)) {
        case 0: v = s->minimum(); break;
        case 1: v = s->maximum(); break;
        case 2: v = chance(0.5) ? s->minimum() - 7 : s->maximum() + 7; break;
        default: v = std::uniform_int_distribution<int>(s->minimum(), s->maximum())(rng_);
        }
        log(QString("scroll %1 to %2 (%3..%4)").arg(name).arg(v).arg(s->minimum()).arg(s->maximum()));
        s->setValue(v);
    } else if (auto* b = qobject_cast<QComboBox*>(c)) {
        const int i = pick(b->count());
        log(QString("choose item %1 of %2").arg(i).arg(name));
        b->setCurrentIndex(i);
    } else if (auto* b = qobject_cast<QAbstractButton*>(c)) {
        log("click " + name);
        b->click();
    } else if (auto* l = qobject_cast<ClickLabel*>(c)) {
        log("click label " + name);
        l->click();
    } else if (auto* fr = qobject_cast<ClickFrame*>(c)) {
        log("click frame " + name);
        fr->click();
    }
}

void Monkey::onControl()
{
    const bool mayLeave = chance(0.1);
    // The panel's controls three times in four, the menu's actions otherwise.
    QList<QObject*> targets;
    const bool menu = chance(0.25);
    if (menu) {
        for (QAction* a : reachableActions())
            if (mayLeave || !leaves(a)) targets << a;
    }
    if (targets.isEmpty()) {
        for (QWidget* w : reachableControls())
            if (mayLeave || !leaves(w)) targets << w;
    }
    if (targets.isEmpty()) {
        log("nothing within reach");
        return;
    }
    QObject* t = targets[pick(static_cast<int>(targets.size()))];
    if (auto* a = qobject_cast<QAction*>(t)) {
        log("menu " + a->objectName());
        a->trigger();
    } else {
        useControl(static_cast<QWidget*>(t));
    }
}

void Monkey::onHandler()
{
    Fs4x3& w = *win_;
    const int body = anyIndex(kSlots);
    const int i = pick(20) - 2;  // mostly small indices, some out of range
    const int wide = anyIndex(8);
    struct Call {
        const char* name;
        std::function<void()> run;
        int arg;  // shown when not INT_MIN + 1
    };
    constexpr int none = INT_MIN + 1;
    const Call calls[] = {
        {"TXn_LostFocus", [&] { w.settings().TXn_LostFocus(); }, none},
        {"TXn_DblClick", [&] { w.settings().TXn_DblClick(); }, none},
        {"TXg_LostFocus", [&] { w.settings().TXg_LostFocus(wide); }, wide},
        {"Text1_LostFocus", [&] { w.settings().Text1_LostFocus(); }, none},
        {"Text5_LostFocus", [&] { w.settings().Text5_LostFocus(); }, none},
        {"Text4_LostFocus", [&] { w.settings().Text4_LostFocus(); }, none},
        {"Text4_DblClick", [&] { w.settings().Text4_DblClick(); }, none},
        {"Text2_LostFocus", [&] { w.settings().Text2_LostFocus(); }, none},
        {"Text7_LostFocus", [&] { w.settings().Text7_LostFocus(); }, none},
        {"TXt_LostFocus", [&] { w.settings().TXt_LostFocus(); }, none},
        {"Och_Click", [&] { w.settings().Och_Click(wide); }, wide},
        {"Asgard", [&] { w.editor().Asgard(); }, none},
        {"SetBody", [&] { w.editor().SetBody(body); }, body},
        {"Ocean", [&] { w.editor().Ocean(body); }, body},
        {"Bifrost", [&] { w.editor().Bifrost(); }, none},
        {"Qui_Change", [&] { w.editor().Qui_Change(); }, none},
        {"La_Click", [&] { w.editor().La_Click(i); }, i},
        {"Opadd_Click", [&] { w.editor().Opadd_Click(wide); }, wide},
        {"Hsp_Change", [&] { w.editor().Hsp_Change(wide); }, wide},
        {"TXTp_LostFocus", [&] { w.editor().TXTp_LostFocus(wide); }, wide},
        {"TiF_Timer", [&] { w.editor().TiF_Timer(); }, none},
        {"Chon_Click", [&] { w.editor().Chon_Click(); }, none},
        {"Command5_Click", [&] { w.pause().Command5_Click(); }, none},
        {"TiK_Timer", [&] { w.score().TiK_Timer(); }, none},
        {"Command3_Click", [&] { w.links().Command3_Click(); }, none},
        {"CDsum_Click", [&] { w.links().CDsum_Click(); }, none},
        {"ImMoon_Click", [&] { w.links().ImMoon_Click(); }, none},
        {"Command2_Click", [&] { w.go().Command2_Click(); }, none},
        {"Command4_Click", [&] { w.go().Command4_Click(); }, none},
        {"CHr_Click", [&] { w.go().CHr_Click(); }, none},
        {"Tiball_Timer", [&] { w.go().Tiball_Timer(); }, none},
        {"TXref_LostFocus", [&] { w.go().TXref_LostFocus(); }, none},
        {"CDp_Click", [&] { w.presets().CDp_Click(wide); }, wide},
        {"Tr_Timer", [&] { w.presets().Tr_Timer(); }, none},
        {"CHran_Click", [&] { w.presets().CHran_Click(); }, none},
        {"TXran_LostFocus", [&] { w.presets().TXran_LostFocus(); }, none},
        {"Frame9_Click", [&] { w.presets().Frame9_Click(); }, none},
        {"Step_Click", [&] { w.simulation().Step_Click(); }, none},
        {"setSpeed", [&] { w.simulation().setSpeed(wide); }, wide},
    };
    const Call& c = calls[pick(static_cast<int>(std::size(calls)))];
    log(QString("call %1(%2)").arg(c.name).arg(c.arg == none ? QString() : QString::number(c.arg)));
    c.run();
}

bool Monkey::overBudget() const
{
    return win_->simulation().ticks() - ticksAtStart_ > kTickBudget || firesThisAction_ > kFireBudget;
}

void Monkey::advance(long long ms, const QObject* skip)
{
    const long long target = now_ + ms;
    auto moveTo = [this](long long t) {
        clock_.advance(t - now_);
        now_ = t;
    };
    for (;;) {
        if (ended_ || overBudget() || !modalFault_.isEmpty()) return;
        Timer* next = nullptr;
        long long at = 0;
        for (Timer* t : win_->timers()) {
            Due& d = due_[t];
            if (t->enabled() && d.generation != t->generation()) d = {t->generation(), now_ + t->interval()};
            if (t == skip || !t->enabled()) continue;
            if (d.at <= target && (!next || d.at < at)) {
                next = t;
                at = d.at;
            }
        }
        if (!next) break;
        moveTo(at);
        due_[next].at = at + next->interval();
        ++firesThisAction_;
        next->fire();
    }
    moveTo(target);
}

void Monkey::onTicks()
{
    const int n = chance(0.3) ? 1 : 1 + pick(40);
    log(QString("%1 tick(s)").arg(n));
    Timer* ti = win_->timer("Ti");
    for (int k = 0; k < n; ++k) {
        advance(ti->interval(), ti);
        if (ended_ || overBudget() || !modalFault_.isEmpty()) return;
        win_->simulation().Ti_Timer();
        due_[ti] = {ti->generation(), now_ + ti->interval()};
    }
}

void Monkey::onWait()
{
    const long long ms = pick(3) == 0 ? pick(50) : pick(2) == 0 ? pick(1000) : pick(5000);
    log(QString("wait %1 ms").arg(ms));
    advance(ms, nullptr);
}

void Monkey::onClockJump()
{
    // The computer slept: the time of day moves on, the timers fire no more
    // than once each afterwards.
    const long long ms = (1 + pick(12 * 3600)) * 1000LL;
    log(QString("the clock jumps %1 s").arg(ms / 1000));
    clock_.advance(ms);
}

void Monkey::onScene()
{
    const QString path = dir_.filePath(QString("scene-%1.csv").arg(scenesMade_++ % 4));
    Status s;
    switch (pick(4)) {
    case 0: {
        log("save the scene and open it again");
        s = win_->scenes().saveScene(path);
        if (s) s = win_->scenes().openScene(path);
        break;
    }
    case 1: {
        log("open a missing scene or a folder");
        s = win_->scenes().openScene(chance(0.5) ? dir_.path() : dir_.filePath("none.csv"));
        break;
    }
    default: {
        // A scene of a few bodies with extreme values, now and then one cell
        // the file may not hold.
        std::string text(kSceneHeader);
        text += '\n';
        const int rows = 1 + pick(12);
        QList<int> used;
        for (int r = 0; r < rows; ++r) {
            int b = chance(0.3) ? pick(3) : pick(kSlots);
            if (used.contains(b)) continue;
            used << b;
            text += std::to_string(b);
            for (int c = 0; c < 5; ++c) text.append(",").append(shortestText(hostileNumber()));
            text += chance(0.5) ? ",0" : ",1";
            text.append(",").append(shortestText(static_cast<double>(pick(5))));
            for (int c = 0; c < 3; ++c) text.append(",").append(std::to_string(pick(256)));
            text += '\n';
        }
        if (chance(0.2)) text += "7,1e999,0,0,0,0,0,3,0,0,0\n";
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(text.c_str());
        f.close();
        log(QString("open a scene of %1 bodies with extreme values").arg(used.size()));
        s = win_->scenes().openScene(path);
    }
    }
    if (!s && trace_) std::fprintf(stderr, "   refused: %s\n", s.error().c_str());
}

void Monkey::onMessages()
{
    QList<QMessageBox*> boxes = win_->findChildren<QMessageBox*>();
    if (FarewellWindow* f = win_->links().farewell(); f && !win_->isAncestorOf(f))
        boxes += f->findChildren<QMessageBox*>();
    QList<QMessageBox*> open;
    for (QMessageBox* b : boxes)
        if (b->isVisible()) open << b;
    if (open.isEmpty()) return onControl();
    const bool all = open.size() > kMostBoxes || chance(0.3);
    log(QString("close %1 of %2 message box(es)").arg(all ? open.size() : 1).arg(open.size()));
    for (QMessageBox* b : open) {
        if (QAbstractButton* ok = b->button(QMessageBox::Ok)) ok->click();
        else b->close();
        if (!all) break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Monkey::onTab()
{
    QList<QTabWidget*> tabs;
    for (QTabWidget* t : win_->findChildren<QTabWidget*>())
        if (t->isVisible()) tabs << t;
    if (tabs.isEmpty()) return onControl();
    QTabWidget* t = tabs[pick(static_cast<int>(tabs.size()))];
    const int i = pick(t->count());
    if (!t->isTabEnabled(i)) return;
    log(QString("show the page \"%1\" of %2").arg(t->tabText(i), t->objectName()));
    t->setCurrentIndex(i);
}

void Monkey::onPaint()
{
    if (chance(0.5)) {
        log("let the window paint (events)");
        QCoreApplication::processEvents();
    } else {
        log("render the window");
        (void)win_->grab();
    }
}

void Monkey::onFarewell()
{
    // Closing the farewell window by hand: the program goes on.
    log("close the farewell window and go on");
    win_->links().farewell()->hide();
    win_->show();
}

void Monkey::act()
{
    ticksAtStart_ = win_->simulation().ticks();
    firesThisAction_ = 0;
    if (farewellShown() && chance(0.3)) return onFarewell();
    const int r = pick(1000);
    if (r < 420) onControl();
    else if (r < 560) onHandler();
    else if (r < 680) onTicks();
    else if (r < 800) onWait();
    else if (r < 830) onScene();
    else if (r < 880) onMessages();
    else if (r < 940) onTab();
    else if (r < 960) onPaint();
    else if (r < 965) onClockJump();
    else if (r < 967) {
        log("end the program and start it again");
        open();
        ++restarts_;
    } else onControl();
}

std::string Monkey::check()
{
    if (!modalFault_.isEmpty()) return modalFault_.toStdString();
    const World& w = win_->world();
    if (std::string f = worldFault(w); !f.empty()) return f;
    const std::int32_t record = win_->score().state().recordScore;
    if (record < worldRecord_)
        return "the record went down from " + std::to_string(worldRecord_) + " to " + std::to_string(record);
    worldRecord_ = record;
    QFile file(dir_.filePath("tallyho.ogg"));
    if (!file.open(QIODevice::ReadOnly)) return "the record file cannot be read";
    const auto rec = parseRecordLine(file.readAll().toStdString());
    if (!rec) return "the record file holds no record: " + rec.error();
    if (*rec < fileRecord_)
        return "the record file went down from " + std::to_string(fileRecord_) + " to " + std::to_string(*rec);
    fileRecord_ = *rec;
    auto* n = qobject_cast<Field*>(win_->control("TXn"));
    if (!n || !win_->timer("Ti")) return "the window no longer finds its controls";
    return {};
}

std::string Monkey::run(long long n)
{
    // A handler that opens a modal dialog would wait for a user for ever: the
    // dialog is closed from inside its own event loop and reported.
    QTimer guard;
    guard.setInterval(50);
    QObject::connect(&guard, &QTimer::timeout, [this] {
        if (QThread::currentThread()->loopLevel() == 0) return;
        QWidget* m = QApplication::activeModalWidget();
        modalFault_ = QString("a modal %1 \"%2\" (%3) waited for a user: mark what opens it with "
                              "markOpensDialog")
                          .arg(m ? m->metaObject()->className() : "event loop",
                               m ? m->windowTitle() : QString(), m ? m->objectName() : QString());
        ++modals_;
        if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
        else if (m) m->close();
        else QCoreApplication::exit(0);
    });
    if (done_ == 0) {
        if (std::string f = check(); !f.empty()) return "at the start: " + f;
    }
    listenForCrashes();
    working = this;
    for (long long k = 0; k < n; ++k) {
        ++done_;
        guard.start();
        act();
        guard.stop();
        if (ended_) {
            log("the program ended; it starts again");
            open();
            ++restarts_;
        }
        if (std::string f = check(); !f.empty()) {
            working = nullptr;
            return trail(f);
        }
    }
    working = nullptr;
    return {};
}

std::string Monkey::trail(const std::string& what) const
{
    std::string report = "monkey: seed " + std::to_string(seed_) + ", action " + std::to_string(done_) + ": " +
                         what + "\nthe last actions:\n";
    for (const QString& a : last_) report += "  " + a.toStdString() + "\n";
    report += "again: scripts/monkey.sh " + std::to_string(done_) + " " + std::to_string(seed_) + "\n";
    return report;
}

}  // namespace orb::monkey
