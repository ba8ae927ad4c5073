#pragma once
// Pause and resume: stops the tick and the score clock and opens the body
// editor, or closes it and starts both again. The button keeps its caption.

#include <QPushButton>

#include "panel/BodyEditor.h"
#include "platform/Stage.h"

namespace orb {

class Pause : public QObject {
    Q_OBJECT
public:
    Pause(Stage& stage, BodyEditor& editor);

    QWidget* button() const { return Command5_; }

    void Command5_Click();

private:
    Stage& stage_;
    BodyEditor& editor_;
    QPushButton* Command5_;
};

}  // namespace orb
