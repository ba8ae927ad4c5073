#pragma once
// The program's own pictures, painted when first needed.

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include "base/Result.h"

namespace orb {

// The start picture on the field: a moon over a young galaxy.
QPixmap moonPicture(QSize size);
// The farewell window's background, 465 x 645 pixels.
QPixmap farewellPicture();

// Writes the image as a PNG file: encoded first, then written whole by
// writeFileAtomically, as every export is (a link is followed, a FIFO, device
// or read-only file refused by name, a failed write leaves no half picture).
Status savePng(const QImage& image, const QString& path);

}  // namespace orb
