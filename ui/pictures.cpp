#include "ui/pictures.h"

namespace halvoric {

QPixmap Picture(const QString& fileName) { return QPixmap(":/pictures/" + fileName); }

QIcon Glyph(const QString& fileName) { return QIcon(Picture(fileName)); }

}  // namespace halvoric
