#pragma once
// The crowd the window benchmarks run: a thousand light bodies spread over the
// whole field, drifting slowly, all attracting each other ("Planetoid Factor"
// 999) and kept in play by the "Wall" border; loaded as a scene, as a user
// would.

#include <QAbstractButton>
#include <QString>
#include <QTemporaryDir>
#include <tuple>

#include "app/Fs4x3.h"
#include "base/Files.h"
#include "base/Random.h"
#include "platform/Controls.h"
#include "scenario/Scenes.h"
#include "world/SceneFile.h"
#include "world/World.h"

namespace orb::bench {

// Types a text into a field and leaves it.
inline void type(Fs4x3& w, const char* name, const QString& text)
{
    auto* f = qobject_cast<Field*>(w.control(name));
    f->setText(text);
    f->leave();
}

inline World spreadCrowd()
{
    World w;
    Rng r(2024);
    for (int i = 0; i < kSlots; ++i) {
        w.posX[i] = 1000 + 14000 * static_cast<double>(r.rnd());
        w.posY[i] = 100 + 11000 * static_cast<double>(r.rnd());
        w.momX[i] = 2 * static_cast<double>(r.rnd()) - 1;
        w.momY[i] = 2 * static_cast<double>(r.rnd()) - 1;
        w.gravity[i] = 1e-4;
        w.colRed[i] = 255;
        w.colGreen[i] = 200;
        w.colBlue[i] = 100;
        w.bodyType[i] = 3;
    }
    return w;
}

// Starts the crowd in the window (its scene file goes into dir).
inline void startCrowd(Fs4x3& w, const QTemporaryDir& dir)
{
    const QString path = dir.filePath("crowd.csv");
    std::ignore = writeFileAtomically(path.toStdString(), sceneText(spreadCrowd()));
    type(w, "TXw(2)", "999");
    qobject_cast<QAbstractButton*>(w.control("Och(1)"))->click();  // "Wall": everybody stays
    std::ignore = w.scenes().openScene(path);
}

}  // namespace orb::bench
