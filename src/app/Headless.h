#pragma once
// The headless runner, and the command line both it and the window share.

#include <QString>
#include <QStringList>

#include "engine/PullKernel.h"

namespace orb {

// The usage text of orbitarium --help.
QString usageText();
// The kernel sets this computer runs, and the names of the window's menu actions.
QStringList kernelNames();
QStringList menuActionNames();
// A text as a message quotes it: at most `most` characters, cut with "…".
QString clipped(const QString& text, int most = 80);

struct HeadlessOptions {
    QString recordFile;                  // empty: the record is kept in memory
    const KernelSet* kernels = nullptr;  // the best this processor runs when null
    int threads = 0;                     // threads for the tick; 0: one per core this process may use
};

// Runs the window offscreen and carries out the actions in the order given.
// Returns the exit status: 0 when every action succeeded.
int runHeadless(const HeadlessOptions& options, const QStringList& actions);

}  // namespace orb
