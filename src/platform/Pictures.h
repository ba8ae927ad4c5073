#pragma once
// The program's own pictures, painted when first needed.

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "base/Result.h"

namespace orb {

// The start picture on the field: a moon over a young galaxy.
QPixmap moonPicture(QSize size);
// The farewell window's background, 465 x 645 pixels.
QPixmap farewellPicture();

// Writes the image as a PNG file: encoded first, then written whole by
// writeFileAtomically, as every export is (a link is followed, a FIFO, device
// or read-only file refused by name, a failed write leaves no half picture).
// Given the hash of the body table it shows (tableHash), the file carries it
// as the text "Table hash" ("0x" and 16 hex digits).
Status savePng(const QImage& image, const QString& path, std::optional<std::uint64_t> tableHash = std::nullopt);

}  // namespace orb
