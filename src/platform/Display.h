#pragma once
// Whether the window can be shown at all, asked before the toolkit starts: the
// toolkit itself ends the program with an abort when its display server does
// not answer.

#include <QString>

namespace orb {

// What stands in the way of showing a window, empty when nothing does: the
// display servers the toolkit would try (QT_QPA_PLATFORM, or Wayland then X11
// in a Wayland session, or X11) are each asked for a connection. A platform
// that needs no display server (offscreen, vnc, eglfs...) is never in the way.
QString displayProblem();

}  // namespace orb
