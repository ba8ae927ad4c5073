#include <gtest/gtest.h>

#include <QDir>

#include <QRadioButton>

#include "app/Fs4x3.h"

TEST(Window, LoadsWithDieSelected)
{
    orb::ManualTime clock;
    orb::WindowOptions o;
    o.clock = &clock;
    o.recordFile = QDir::tempPath() + "/orb-smoke.ogg";
    orb::Fs4x3 w(o);
    EXPECT_EQ(w.windowTitle(), "Vantor 3 : Orbitarium");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(w.control("Och(6)"))->isChecked());
    EXPECT_EQ(w.world().borderMode, 1);
}
