#pragma once
// Scene files: the whole body table saved as CSV, and loaded back as a run of
// its own.

#include <QPushButton>
#include <QString>

#include "base/Result.h"
#include "panel/Pause.h"
#include "panel/Settings.h"
#include "platform/Stage.h"
#include "scenario/Go.h"

namespace orb {

class Scenes : public QObject {
    Q_OBJECT
public:
    Scenes(Stage& stage, Settings& settings, Pause& pause, RunStart& go);

    QWidget* buttons() const { return row_; }

    // Loads the scene and presses Go; a refused file leaves everything as it was.
    Status openScene(const QString& path);
    Status saveScene(const QString& path) const;

    // The buttons: ask for a file, then open or save it.
    void CDopen_Click();
    void CDsave_Click();

private:
    Stage& stage_;
    Settings& settings_;
    Pause& pause_;
    RunStart& go_;
    QWidget* row_;
};

}  // namespace orb
