#pragma once
// The web links of the panel, the start picture on the field, and leaving the
// program through the farewell window.

#include <QPushButton>
#include <functional>

#include "panel/Farewell.h"
#include "platform/Controls.h"
#include "platform/Stage.h"

namespace orb {

class Links : public QObject {
    Q_OBJECT
public:
    // endProgram ends the program (the farewell window's "x").
    Links(Stage& stage, std::function<void()> endProgram);

    QWidget* linkButtons() const { return row_; }
    FarewellWindow* farewell() const { return farewell_; }
    // Go: the start picture leaves the field.
    void hideStartPicture();

    void Command1_Click();
    void Command3_Click();
    void CDsum_Click();
    void ImMoon_Click();

private:
    Stage& stage_;
    std::function<void()> endProgram_;
    QWidget* row_;
    ClickLabel* ImMoon_;
    FarewellWindow* farewell_ = nullptr;
};

}  // namespace orb
