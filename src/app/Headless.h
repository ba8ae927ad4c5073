#pragma once

#include <QStringList>

namespace orb {

// The usage text of orbitarium --help.
QString usageText();

// Runs the window offscreen and carries out the actions in the order given.
// Returns the exit status: 0 when every action succeeded.
int runHeadless(const QStringList& args);

}  // namespace orb
