#pragma once
// A main window for handler tests: a clock that stands still until told, a
// record file in a fresh temporary folder, a browser that records the pages it
// is asked for, and an end of program that only counts.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Fs4x3.h"
#include "panel/BodyEditor.h"
#include "panel/Links.h"
#include "panel/Pause.h"
#include "panel/ScoreBoard.h"
#include "panel/Settings.h"
#include "platform/Controls.h"
#include "platform/FieldView.h"
#include "platform/RunState.h"
#include "platform/Timer.h"
#include "scenario/Go.h"
#include "scenario/Presets.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"
#include "support/Recording.h"

namespace orb::test {

// Two texts of many lines (body tables) alike, or the first line that differs.
inline ::testing::AssertionResult sameLines(const std::string& a, const std::string& b)
{
    if (a == b) return ::testing::AssertionSuccess();
    std::size_t pa = 0, pb = 0;
    for (int line = 1;; ++line) {
        const std::size_t ea = a.find('\n', pa), eb = b.find('\n', pb);
        const std::string la = a.substr(pa, ea - pa), lb = b.substr(pb, eb - pb);
        if (la != lb || ea == std::string::npos || eb == std::string::npos)
            return ::testing::AssertionFailure() << "line " << line << ": \"" << la << "\" vs \"" << lb << "\"";
        pa = ea + 1;
        pb = eb + 1;
    }
}

inline constexpr long long kNoon = 12LL * 3600 * 1000;
inline constexpr long long kSecond = 1000;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        open(recordPath());
    }

    // (Re)creates the window; the old one goes first so that only one exists.
    Fs4x3& open(const QString& recordFile, RandomSource* random = nullptr, const KernelSet* kernels = nullptr)
    {
        win.reset();
        WindowOptions o;
        o.clock = &clock;
        o.random = random;
        o.kernels = kernels;
        o.recordFile = recordFile;
        o.openUrl = [this](const QString& url) {
            opened << url;
            return browserWorks;
        };
        o.endProgram = [this] { ++ended; };
        o.askSavePath = [this](const QString& title, const QString&, const QString&) {
            asked << title;
            return savePath;
        };
        win = std::make_unique<Fs4x3>(o);
        win->show();
        return *win;
    }

    Fs4x3& w() { return *win; }

    // The window's controls by name, "TXTp(2)" written field("TXTp", 2).
    template <class T>
    T* get(const QString& name) const
    {
        T* c = qobject_cast<T*>(win->control(name));
        if (!c) {
            std::fprintf(stderr, "the window has no control %s of that kind\n", name.toUtf8().constData());
            std::abort();
        }
        return c;
    }
    static QString at(const QString& name, int i) { return QString("%1(%2)").arg(name).arg(i); }
    Field* field(const QString& n) const { return get<Field>(n); }
    Field* field(const QString& n, int i) const { return get<Field>(at(n, i)); }
    QScrollBar* bar(const QString& n) const { return get<QScrollBar>(n); }
    QScrollBar* bar(const QString& n, int i) const { return get<QScrollBar>(at(n, i)); }
    QCheckBox* check(const QString& n) const { return get<QCheckBox>(n); }
    QRadioButton* option(const QString& n, int i) const { return get<QRadioButton>(at(n, i)); }
    QPushButton* button(const QString& n) const { return get<QPushButton>(n); }
    QPushButton* button(const QString& n, int i) const { return get<QPushButton>(at(n, i)); }
    QLabel* label(const QString& n) const { return get<QLabel>(n); }
    QLabel* label(const QString& n, int i) const { return get<QLabel>(at(n, i)); }
    ClickLabel* clickLabel(const QString& n) const { return get<ClickLabel>(n); }
    Marker* marker(const QString& n) const { return get<Marker>(n); }
    QGroupBox* group(const QString& n) const { return get<QGroupBox>(n); }
    Timer* timer(const QString& n) const { return win->timer(n); }
    World& world() { return win->world(); }
    QString recordPath() const { return dir.filePath("tallyho.ogg"); }

    // Typing a text and tabbing out of the field.
    static void type(Field* f, const QString& text)
    {
        f->setText(text);
        f->leave();
    }

    // Fires the tick timer until n more ticks have run (or it stops).
    void ticks(long long n)
    {
        const long long until = win->simulation().ticks() + n;
        while (win->simulation().ticks() < until && timer("Ti")->enabled()) timer("Ti")->fire();
    }

    // Starts a run the way the program does, through a preset.
    void startPreset(int index = 2)
    {
        type(field("TXran"), "123");
        win->presets().CDp_Click(index);
    }

    // The browser messages currently open on the window.
    QList<QMessageBox*> browserMessages() const
    {
        return win->findChildren<QMessageBox*>("browserMessage", Qt::FindDirectChildrenOnly);
    }
    void closeBrowserMessages()
    {
        for (auto* b : browserMessages()) b->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ManualTime clock{kNoon};
    QTemporaryDir dir;
    QStringList opened;
    bool browserWorks = false;
    int ended = 0;
    QStringList asked;  // the titles of the save questions asked
    QString savePath;   // the answer to them: empty is Cancel
    std::unique_ptr<Fs4x3> win;
};

}  // namespace orb::test
