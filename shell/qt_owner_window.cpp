// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt_owner_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindowStateChangeEvent>

namespace halvoric {

QtOwnerWindow::QtOwnerWindow(QWidget& window) : window_(window) {
  window_.installEventFilter(this);
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                   [this] { terminating_ = true; });
}

QtOwnerWindow::~QtOwnerWindow() { window_.removeEventFilter(this); }

void QtOwnerWindow::SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

bool QtOwnerWindow::IsMinimized() const { return window_.isMinimized(); }

void QtOwnerWindow::ShowNormal() {
  window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
}

void QtOwnerWindow::Show() { window_.show(); }

void QtOwnerWindow::Hide() {
  // X maps a window again when it leaves the minimised state, so it leaves
  // that state first and is hidden after.
  ShowNormal();
  window_.hide();
}

// A top-level window's task-bar entry exists exactly while it is shown.
bool QtOwnerWindow::TaskbarEntryVisible() const { return window_.isVisible(); }

void QtOwnerWindow::HideTaskbarEntry() { window_.hide(); }

void QtOwnerWindow::BringToFront() {
  window_.raise();
  window_.activateWindow();
}

bool QtOwnerWindow::Terminating() const { return terminating_ || QCoreApplication::closingDown(); }

bool QtOwnerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return false;
  if (event->type() == QEvent::Show && hooks_.shown) {
    hooks_.shown();
  } else if (event->type() == QEvent::WindowStateChange && hooks_.minimized) {
    const Qt::WindowStates oldState = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if (window_.isMinimized() && !(oldState & Qt::WindowMinimized)) {
      // Qt reports a minimise once it is under way (showMinimized() still
      // shows the window after this event), so the hook waits for it to end.
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (window_.isMinimized() && hooks_.minimized) hooks_.minimized();
          },
          Qt::QueuedConnection);
    }
  }
  return false;
}

}  // namespace halvoric
