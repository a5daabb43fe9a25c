// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/splash_screen.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>

#include "ui/pictures.h"
#include "ui/screen_centre.h"

namespace halvoric {

namespace {
// How long to wait for the window system to map the splash window.
constexpr int kExposeWaitMs = 500;
}  // namespace

TSplashScreen::TSplashScreen()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setBackgroundRole(QPalette::Button);
  splashImage = new QLabel(this);
  splashImage->setPixmap(Picture("splash.jpg"));
  splashImage->move(0, 0);
  splashImage->adjustSize();
  adjustSize();
  CentreOnScreen(*this);
}

void TSplashScreen::ShowAtOnce() {
  show();
  const QDeadlineTimer deadline(kExposeWaitMs);
  while (windowHandle() != nullptr && !windowHandle()->isExposed() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  repaint();
  QCoreApplication::processEvents();
}

}  // namespace halvoric
