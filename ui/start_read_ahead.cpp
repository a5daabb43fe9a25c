// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/start_read_ahead.h"

#include <fontconfig/fontconfig.h>

#include <QThread>
#include <future>
#include <mutex>

#include "ui/pictures.h"

namespace halvoric {

namespace {

struct FontConfiguration {
  std::mutex Lock;
  std::shared_future<void> Read;
};

FontConfiguration& Fonts() {
  static FontConfiguration fonts;
  return fonts;
}

}  // namespace

StartReadAhead::StartReadAhead() {
  // Qt takes the first thread that asks which thread it is for the main
  // one; the read-ahead's thread must not be first.
  static_cast<void>(QThread::currentThread());
  std::promise<void> fontsRead;
  {
    const std::lock_guard lock(Fonts().Lock);
    Fonts().Read = fontsRead.get_future().share();
  }
  HandOverStartPictures(
      std::async(std::launch::async, [fontsRead = std::move(fontsRead)]() mutable {
        // fontconfig's first use parses its configuration and maps its caches,
        // some 4 ms that the window's first text would otherwise wait for; Qt's
        // font database finds it done.
        FcInit();
        fontsRead.set_value();
        return DecodeStartPictures();
      }));
}

StartReadAhead::~StartReadAhead() {
  HandOverStartPictures({});
  const std::lock_guard lock(Fonts().Lock);
  Fonts().Read = {};
}

void AwaitFontConfiguration() {
  std::shared_future<void> read;
  {
    const std::lock_guard lock(Fonts().Lock);
    read = Fonts().Read;
  }
  if (read.valid()) read.wait();
}

}  // namespace halvoric
