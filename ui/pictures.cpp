// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pictures.h"

#include <QImage>
#include <QPainter>

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

QIcon MarkedGlyph(const QString& fileName, const QColor& mark) {
  constexpr int kSide = 32;
  constexpr int kMark = 15;
  QPixmap marked(kSide, kSide);
  marked.fill(Qt::transparent);
  QPainter painter(&marked);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawPixmap(marked.rect(), Picture(fileName));
  // A light rim keeps the mark apart from the disc on a dark panel too.
  painter.setPen(QPen(Qt::white, 2));
  painter.setBrush(mark);
  painter.drawEllipse(QRectF(kSide - kMark - 1, kSide - kMark - 1, kMark, kMark));
  painter.end();
  return QIcon(marked);
}

}  // namespace halvoric
