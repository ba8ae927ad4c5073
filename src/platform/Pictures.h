#pragma once
// The program's own pictures, painted when first needed.

#include <QPixmap>
#include <QSize>

namespace orb {

// The start picture on the field: a moon over a young galaxy.
QPixmap moonPicture(QSize size);
// The farewell window's background, 465 x 645 pixels.
QPixmap farewellPicture();

}  // namespace orb
