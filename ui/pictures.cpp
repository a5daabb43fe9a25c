// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pictures.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <csetjmp>

// jpeglib.h needs FILE and size_t declared first.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#ifndef JCS_EXTENSIONS
#error "the JPEG pictures are decoded with libjpeg-turbo's colour extensions"
#endif

namespace halvoric {

namespace {

// libjpeg's default on a fault ends the process; this one returns to the decode.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf back;
};

[[noreturn]] void ReturnToDecode(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->back, 1);
}

void Silently(j_common_ptr) {}

// Only objects without destructors live between setjmp and a longjmp here;
// `image` outlives both.
bool DecodeInto(const QByteArray& bytes, QImage& image) {
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = ReturnToDecode;
  errors.manager.output_message = Silently;
  if (setjmp(errors.back) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  // Written straight into the layout of QImage::Format_RGB32.
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 QImage::Format_RGB32);
  if (image.isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
  QImage image;
  if (!DecodeInto(bytes, image)) return {};
  return image;
}

QPixmap Picture(const QString& fileName) {
  const QString path = ":/pictures/" + fileName;
  // libjpeg directly, and PNG by name: no image plugin is looked for or
  // loaded at start-up.
  if (fileName.endsWith(".jpg")) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QPixmap::fromImage(DecodeJpeg(file.readAll()));
  }
  QImageReader reader(path, "png");
  reader.setAutoDetectImageFormat(false);
  return QPixmap::fromImage(reader.read());
}
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
