// SPDX-License-Identifier: GPL-3.0-or-later
// The pointer and keyboard as a tray icon sees them, and menus opened at
// the pointer.
#pragma once

#include <QPoint>
#include <optional>

class QMenu;

namespace halvoric {

// The keys and buttons held, as the mouse events report them.
struct ShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
  bool left = false;
  bool right = false;
  bool middle = false;
  bool operator==(const ShiftState&) const = default;
};

class DesktopInput {
 public:
  virtual ~DesktopInput() = default;
  // Where the pointer is in screen coordinates; none when it cannot be read.
  virtual std::optional<QPoint> CursorPosition() const = 0;
  // Shift, Alt and Ctrl as they are held now; no button flags.
  virtual ShiftState Keys() const = 0;
  // The longest gap between the clicks of a double click, in milliseconds.
  virtual int DoubleClickTime() const = 0;
  // Opens `menu` at `at` and returns when it has closed.
  virtual void OpenMenu(QMenu& menu, QPoint at) = 0;
};

}  // namespace halvoric
