#pragma once
// Tooltips that wrap: a long explanation shows as a block of lines no wider
// than a set width instead of one line across the screen.

#include <QFontMetrics>
#include <QObject>
#include <QString>

namespace orb {

inline constexpr int kToolTipWidth = 400;  // pixels

// The text broken at spaces into lines no wider than maxWidth in the font
// measured by fm; a word wider than that stands on a line of its own. Line
// breaks already in the text stay. Rich text is given back as it is: Qt wraps it.
QString wrapToolTip(const QString& text, const QFontMetrics& fm, int maxWidth = kToolTipWidth);

// Wraps every widget's tooltip as it is shown, leaving the tooltip itself as
// set. Installed once on the application; further calls do nothing.
void wrapToolTipsEverywhere();

}  // namespace orb
