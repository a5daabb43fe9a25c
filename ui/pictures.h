// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures stored with the program (ui/pictures, made by
// scripts/make-artwork.sh) by their file names.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <future>
#include <map>

namespace halvoric {

QPixmap Picture(const QString& fileName);
// The JPEG pictures every start shows, decoded, by file name: the work of
// a thread that decodes them ahead (ui/start_read_ahead).
std::map<QString, QImage> DecodeStartPictures();
// Picture() takes the start pictures from `decoding`, waiting for it as it
// goes, instead of decoding them itself; each is handed over once. An empty
// future ends the hand-over, waiting for what was pending and dropping what
// was not taken.
void HandOverStartPictures(std::future<std::map<QString, QImage>> decoding);
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
