// The pictures stored with the program (ui/pictures, made by
// scripts/make-artwork.sh) by their file names.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace halvoric {

QPixmap Picture(const QString& fileName);
QIcon Glyph(const QString& fileName);

}  // namespace halvoric
