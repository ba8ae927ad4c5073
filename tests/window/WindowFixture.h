#pragma once
// A main window for handler tests: a clock that stands still until told, a
// record file in a fresh temporary folder, a browser that records the pages it
// is asked for, and an end of program that only counts.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <memory>

#include "platform/Fs4x3.h"
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
    Fs4x3& open(const QString& recordFile, RandomSource* random = nullptr)
    {
        win.reset();
        WindowOptions o;
        o.clock = &clock;
        o.random = random;
        o.recordFile = recordFile;
        o.openUrl = [this](const QString& url) {
            opened << url;
            return browserWorks;
        };
        o.endProgram = [this] { ++ended; };
        win = std::make_unique<Fs4x3>(o);
        win->show();
        return *win;
    }

    Fs4x3& w() { return *win; }
    World& world() { return win->world(); }
    QString recordPath() const { return dir.filePath("tallyho.ogg"); }

    // Typing a text and tabbing out of the field.
    static void type(Field* f, const QString& text)
    {
        f->setText(text);
        f->leave();
    }

    // Starts a run the way the program does, through a preset.
    void startPreset(int index = 2)
    {
        type(win->TXran, "123");
        win->CDp_Click(index);
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
    std::unique_ptr<Fs4x3> win;
};

}  // namespace orb::test
