// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pictures.h"

#include <QImage>

namespace halvoric {

QPixmap Picture(const QString& fileName) { return QPixmap(":/pictures/" + fileName); }

QPixmap TransparentPicture(const QString& fileName) {
  QImage image = Picture(fileName).toImage().convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return {};
  const QRgb background = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == background) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
  }
  return QPixmap::fromImage(image);
}

QIcon Glyph(const QString& fileName) { return QIcon(Picture(fileName)); }

}  // namespace halvoric
