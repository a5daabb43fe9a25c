// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt_desktop_input.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>

namespace halvoric {

std::optional<QPoint> QtDesktopInput::CursorPosition() const { return QCursor::pos(); }

ShiftState QtDesktopInput::Keys() const {
  const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
  ShiftState keys;
  keys.shift = held.testFlag(Qt::ShiftModifier);
  keys.alt = held.testFlag(Qt::AltModifier);
  keys.ctrl = held.testFlag(Qt::ControlModifier);
  return keys;
}

int QtDesktopInput::DoubleClickTime() const {
  return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

void QtDesktopInput::OpenMenu(QMenu& menu, QPoint at) { menu.exec(at); }

}  // namespace halvoric
