#include "scenario/Scenes.h"

#include <QFileDialog>
#include <QHBoxLayout>

#include "base/Files.h"
#include "platform/FieldText.h"
#include "platform/Widgets.h"
#include "world/SceneFile.h"

namespace orb {

Scenes::Scenes(Stage& stage, Settings& settings, Pause& pause, RunStart& go)
    : stage_(stage), settings_(settings), pause_(pause), go_(go)
{
    row_ = new QWidget;
    auto* h = new QHBoxLayout(row_);
    h->setContentsMargins(0, 0, 0, 0);
    auto* open = makeButton("CDopen", "Open...", "Open a scene file and start it");
    auto* save = makeButton("CDsave", "Save...", "Save the bodies as a scene file");
    markOpensDialog(open);
    markOpensDialog(save);
    h->addWidget(open);
    h->addWidget(save);
    connect(open, &QPushButton::clicked, this, &Scenes::CDopen_Click);
    connect(save, &QPushButton::clicked, this, &Scenes::CDsave_Click);
}

Status Scenes::openScene(const QString& path)
{
    const auto highest = loadSceneFile(str(path), stage_.world);
    if (!highest) return fail(highest.error());
    // A scene is a run of its own: no stars wait to be emitted, and the old
    // trails go. A paused run is resumed first, as a preset does.
    if (stage_.run.paused()) pause_.Command5_Click();
    stage_.world.nextStar = 0;
    stage_.canvas.cls();
    settings_.setText(Setting::Planets, QString::number(std::max(3, *highest)));
    go_.Command2_Click();
    return {};
}

Status Scenes::saveScene(const QString& path) const
{
    return writeFileAtomically(str(path), sceneText(stage_.world));
}

void Scenes::CDopen_Click()
{
    const QString path = QFileDialog::getOpenFileName(stage_.view.window(), "Open scene", {},
                                                      "Scenes (*.csv);;All files (*)");
    if (path.isEmpty()) return;
    if (Status s = openScene(path); !s) stage_.desktop.warn("sceneMessage", "Open scene", QString::fromStdString(s.error()),
                                                QMessageBox::Warning);
}

void Scenes::CDsave_Click()
{
    const QString path =
        QFileDialog::getSaveFileName(stage_.view.window(), "Save scene", "scene.csv", "Scenes (*.csv)");
    if (path.isEmpty()) return;
    if (Status s = saveScene(path); !s) stage_.desktop.warn("sceneMessage", "Save scene", QString::fromStdString(s.error()),
                                                QMessageBox::Warning);
}

}  // namespace orb
