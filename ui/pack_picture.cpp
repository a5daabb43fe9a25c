// SPDX-License-Identifier: GPL-3.0-or-later
// Build step: a small picture's stored form, its pixels as the window draws
// them, so that the programs read their PNG artwork without a PNG decoder
// (libpng's and zlib's code would stay resident for the program's life).
// The form, read by ui/pictures.cpp: "HVPX", the width and the height as
// 32-bit numbers, then the rows of QImage::Format_ARGB32 pixels, all in the
// byte order of the machine built for.
#include <QImage>
#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pack_picture PICTURE.png OUTPUT.pixels\n");
    return 2;
  }
  const QImage image =
      QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) {
    std::fprintf(stderr, "pack_picture: %s is no picture\n", argv[1]);
    return 1;
  }
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  const std::uint32_t size[2] = {static_cast<std::uint32_t>(image.width()),
                                 static_cast<std::uint32_t>(image.height())};
  bool written = std::fwrite("HVPX", 1, 4, out) == 4 && std::fwrite(size, sizeof size, 1, out) == 1;
  for (int y = 0; written && y < image.height(); ++y) {
    written = std::fwrite(image.constScanLine(y), 4, static_cast<std::size_t>(image.width()),
                          out) == static_cast<std::size_t>(image.width());
  }
  if (std::fclose(out) != 0 || !written) {
    std::perror(argv[2]);
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
