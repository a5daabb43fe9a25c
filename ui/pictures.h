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
// Starts decoding the JPEG pictures every start shows on a thread of its
// own; Picture() then waits for them instead of decoding. Needs no
// application object: called first on the main thread, it runs beside the
// application's making.
void DecodePicturesAhead();
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
