// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures stored with the program (ui/pictures, made by
// scripts/make-artwork.sh) by their file names.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace halvoric {

QPixmap Picture(const QString& fileName);
// While it lives, the JPEG pictures every start shows are decoded on a
// thread of their own, and Picture() waits for them instead of decoding;
// it waits for the decoding as it goes. Needs no application object: made
// first in main, on the main thread, it runs beside the application's
// making.
class PicturesDecodedAhead {
 public:
  PicturesDecodedAhead();
  ~PicturesDecodedAhead();
  PicturesDecodedAhead(const PicturesDecodedAhead&) = delete;
  PicturesDecodedAhead& operator=(const PicturesDecodedAhead&) = delete;
};
// A baseline or progressive JPEG's pixels; a null image for bytes that are
// not a whole JPEG.
QImage DecodeJpeg(const QByteArray& bytes);
// The picture drawn transparent: the colour of its lower-left pixel, the
// background it was drawn on, shows what lies beneath.
QPixmap TransparentPicture(const QString& fileName);
QIcon Glyph(const QString& fileName);
// The picture with a round mark of `mark` at its lower right, drawn larger
// than the picture's 16 pixels so that a tray scaling it up keeps it sharp.
QIcon MarkedGlyph(const QString& fileName, const QColor& mark);

}  // namespace halvoric
