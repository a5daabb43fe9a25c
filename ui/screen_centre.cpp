// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/screen_centre.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace halvoric {

namespace {

// Waits for the window's first move with a frame around it.
class FrameWatch final : public QObject {
 public:
  FrameWatch(QWidget& window, QPoint placed) : QObject(&window), window_(window), placed_(placed) {
    window.installEventFilter(this);
    // Without a window manager no frame ever comes.
    QTimer::singleShot(kGiveUpMs, this, [this] { deleteLater(); });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_ || event->type() != QEvent::Move) return false;
    const QWindow* handle = window_.windowHandle();
    if (handle == nullptr || handle->frameMargins().isNull()) return false;
    // The frame's corner is where it was put: the window manager only
    // wrapped it. Anywhere else, someone chose the place.
    if (window_.frameGeometry().topLeft() == placed_) CentreOnScreen(window_);
    window_.removeEventFilter(this);
    deleteLater();
    return false;
  }

 private:
  static constexpr int kGiveUpMs = 3000;
  QWidget& window_;
  QPoint placed_;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

void CentreOnScreenOnceFramed(QWidget& window) {
  CentreOnScreen(window);
  new FrameWatch(window, window.frameGeometry().topLeft());
}

}  // namespace halvoric
