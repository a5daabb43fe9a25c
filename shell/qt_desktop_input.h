// SPDX-License-Identifier: GPL-3.0-or-later
// The pointer, keyboard and pop-up menus of the Qt desktop.
#pragma once

#include "shell/desktop_input.h"

namespace halvoric {

class QtDesktopInput : public DesktopInput {
 public:
  std::optional<QPoint> CursorPosition() const override;
  ShiftState Keys() const override;
  int DoubleClickTime() const override;
  void OpenMenu(QMenu& menu, QPoint at) override;
};

}  // namespace halvoric
