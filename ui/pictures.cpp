// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pictures.h"

#include <dlfcn.h>

#include <QImage>
#include <QPainter>
#include <QResource>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// jpeglib.h needs FILE and size_t declared first.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#ifndef JCS_EXTENSIONS
#error "the JPEG pictures are decoded with libjpeg-turbo's colour extensions"
#endif

#include "base/library_entry.h"

namespace halvoric {

namespace {

// The library named by the header it was built with: libjpeg 6b's ABI is
// "62", later ones are named by their major version.
std::string JpegLibraryName() {
  constexpr int kVersion = JPEG_LIB_VERSION;
  return "libjpeg.so." + std::to_string(kVersion == 62 ? 62 : kVersion / 10);
}

// libjpeg, loaded for a spell of decoding and unloaded after it: the
// pictures are all decoded at start-up, and its code would stay resident
// for the program's life.
class JpegLibrary {
 public:
  JpegLibrary() : handle_(::dlopen(JpegLibraryName().c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    const auto find = [this](const char* name, auto& entry) {
      return FindEntry(handle_, name, entry);
    };
    loaded_ = find("jpeg_std_error", StdError) && find("jpeg_CreateDecompress", CreateDecompress) &&
              find("jpeg_mem_src", MemorySource) && find("jpeg_read_header", ReadHeader) &&
              find("jpeg_start_decompress", StartDecompress) &&
              find("jpeg_read_scanlines", ReadScanlines) &&
              find("jpeg_finish_decompress", FinishDecompress) &&
              find("jpeg_destroy_decompress", DestroyDecompress);
  }
  ~JpegLibrary() {
    if (handle_ != nullptr) ::dlclose(handle_);
  }
  JpegLibrary(const JpegLibrary&) = delete;
  JpegLibrary& operator=(const JpegLibrary&) = delete;

  bool Loaded() const { return loaded_; }

  decltype(&jpeg_std_error) StdError = nullptr;
  decltype(&jpeg_CreateDecompress) CreateDecompress = nullptr;
  decltype(&jpeg_mem_src) MemorySource = nullptr;
  decltype(&jpeg_read_header) ReadHeader = nullptr;
  decltype(&jpeg_start_decompress) StartDecompress = nullptr;
  decltype(&jpeg_read_scanlines) ReadScanlines = nullptr;
  decltype(&jpeg_finish_decompress) FinishDecompress = nullptr;
  decltype(&jpeg_destroy_decompress) DestroyDecompress = nullptr;

 private:
  void* handle_;
  bool loaded_ = false;
};

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
bool DecodeInto(const JpegLibrary& jpeg, const QByteArray& bytes, QImage& image) {
  if (!jpeg.Loaded()) return false;
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  info.err = jpeg.StdError(&errors.manager);
  errors.manager.error_exit = ReturnToDecode;
  errors.manager.output_message = Silently;
  if (setjmp(errors.back) != 0) {
    jpeg.DestroyDecompress(&info);
    return false;
  }
  jpeg.CreateDecompress(&info, JPEG_LIB_VERSION, sizeof info);
  jpeg.MemorySource(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size()));
  jpeg.ReadHeader(&info, TRUE);
  // Written straight into the layout of QImage::Format_RGB32.
  info.out_color_space = JCS_EXT_BGRX;
  jpeg.StartDecompress(&info);
  image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 QImage::Format_RGB32);
  if (image.isNull()) {
    jpeg.DestroyDecompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
    jpeg.ReadScanlines(&info, &row, 1);
  }
  jpeg.FinishDecompress(&info);
  jpeg.DestroyDecompress(&info);
  return true;
}

QImage Decoded(const JpegLibrary& jpeg, const QByteArray& bytes) {
  QImage image;
  if (!DecodeInto(jpeg, bytes, image)) return {};
  return image;
}

// A stored picture's bytes, empty when there is none. Read through
// QResource, no QObject: the decoding ahead runs before the application
// object exists.
QByteArray StoredBytes(const QString& fileName) {
  const QResource stored(":/pictures/" + fileName);
  return stored.isValid() ? stored.uncompressedData() : QByteArray();
}

QImage DecodedFile(const JpegLibrary& jpeg, const QString& fileName) {
  return Decoded(jpeg, StoredBytes(fileName));
}

// The JPEG pictures every start shows, decoded ahead; each is handed over
// once, so none stays in memory beyond its use.
struct AheadOfTime {
  std::mutex Lock;
  std::future<std::map<QString, QImage>> Pending;
  std::map<QString, QImage> Ready;
};

AheadOfTime& Ahead() {
  static AheadOfTime ahead;
  return ahead;
}

std::optional<QImage> DecodedAhead(const QString& fileName) {
  AheadOfTime& ahead = Ahead();
  const std::lock_guard lock(ahead.Lock);
  if (ahead.Pending.valid()) ahead.Ready = ahead.Pending.get();
  const auto found = ahead.Ready.find(fileName);
  if (found == ahead.Ready.end()) return std::nullopt;
  QImage image = std::move(found->second);
  ahead.Ready.erase(found);
  return image;
}

// A PNG picture as the build stored it: "HVPX", width, height, then the
// rows of ARGB32 pixels (ui/pack_picture.cpp). A null image for anything
// else.
QImage PackedPicture(const QString& fileName) {
  const QString stem = fileName.left(fileName.size() - 4);
  const QByteArray bytes = StoredBytes(stem + ".pixels");
  constexpr std::size_t kHeader = 12;
  constexpr std::uint32_t kLargest = 1024;
  std::uint32_t size[2] = {0, 0};
  if (static_cast<std::size_t>(bytes.size()) < kHeader || !bytes.startsWith("HVPX")) return {};
  std::memcpy(size, bytes.constData() + 4, sizeof size);
  const auto [width, height] = size;
  if (width == 0 || height == 0 || width > kLargest || height > kLargest ||
      static_cast<std::size_t>(bytes.size()) != kHeader + std::size_t{width} * height * 4) {
    return {};
  }
  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
  if (image.isNull()) return {};
  for (std::uint32_t y = 0; y < height; ++y) {
    std::memcpy(image.scanLine(static_cast<int>(y)),
                bytes.constData() + kHeader + std::size_t{y} * width * 4, std::size_t{width} * 4);
  }
  return image;
}

}  // namespace

std::map<QString, QImage> DecodeStartPictures() {
  const JpegLibrary jpeg;
  std::map<QString, QImage> pictures;
  for (const char* name : {"splash.jpg", "banner.jpg", "logo.jpg"}) {
    pictures[name] = DecodedFile(jpeg, name);
  }
  return pictures;
}

void HandOverStartPictures(std::future<std::map<QString, QImage>> decoding) {
  AheadOfTime& ahead = Ahead();
  const std::lock_guard lock(ahead.Lock);
  if (ahead.Pending.valid()) ahead.Pending.wait();
  ahead.Pending = std::move(decoding);
  ahead.Ready.clear();
}

QImage DecodeJpeg(const QByteArray& bytes) { return Decoded(JpegLibrary(), bytes); }

QPixmap Picture(const QString& fileName) {
  // libjpeg directly, the rest as the build stored their pixels: no image
  // plugin is looked for or loaded at start-up.
  if (fileName.endsWith(".jpg")) {
    if (std::optional<QImage> ahead = DecodedAhead(fileName)) {
      return QPixmap::fromImage(std::move(*ahead));
    }
    return QPixmap::fromImage(DecodedFile(JpegLibrary(), fileName));
  }
  return QPixmap::fromImage(PackedPicture(fileName));
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
