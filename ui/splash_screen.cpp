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
constexpr int kProgressHeight = 20;
}  // namespace

TSplashScreen::TSplashScreen()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setBackgroundRole(QPalette::Button);
  splashImage = new QLabel(this);
  splashImage->setPixmap(Picture("splash.jpg"));
  splashImage->move(0, 0);
  splashImage->adjustSize();
  adjustSize();
  progressText = new QLabel(this);
  progressText->setAlignment(Qt::AlignCenter);
  // A strip of its own: the picture's foot is no ground to read on.
  progressText->setBackgroundRole(QPalette::Button);
  progressText->setAutoFillBackground(true);
  progressText->setGeometry(0, height() - kProgressHeight, width(), kProgressHeight);
  progressText->hide();
  CentreOnScreen(*this);
}

void TSplashScreen::ShowScanProgress(unsigned reading, unsigned total) {
  progressText->setText(QStringLiteral("Reading drive %1 of %2").arg(reading).arg(total));
  progressText->show();
  // The window's thread waits on the scan: no event loop paints it later.
  progressText->repaint();
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
