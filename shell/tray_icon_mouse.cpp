// SPDX-License-Identifier: GPL-3.0-or-later
// How a tray icon turns the area's notifications and its own timers into
// events: click recognition, enter and exit, icon cycling, the menu.
#include <QAction>
#include <QMenu>

#include "shell/tray_icon.h"

namespace halvoric {

void TTrayIcon::HandleNotification(TrayNotification notification) {
  using enum TrayNotification;
  switch (notification) {
    case BalloonShow:
      if (OnBalloonHintShow) OnBalloonHintShow(*this);
      return;
    case BalloonHide:
      if (OnBalloonHintHide) OnBalloonHintHide(*this);
      return;
    case BalloonTimeout:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(*this);
      return;
    case BalloonUserClick:
      if (OnBalloonHintClick) OnBalloonHintClick(*this);
      return;
    default:
      break;
  }
  if (!enabled_) return;
  switch (notification) {
    case MouseMove:
      if (wantEnterExitEvents_ && cursorHasLeft_) {
        MouseEnter();
        cursorHasLeft_ = false;
      }
      this->MouseMove();
      lastMovePosition_ = Cursor();
      break;
    case LeftButtonDown:
      if (OnDblClick) {
        clickTimer_.SetInterval(input_.DoubleClickTime());
        clickTimer_.SetEnabled(true);
      }
      MouseDown(MouseButton::Left);
      clickStarted_ = true;
      if (leftPopup_) PopupMenuAtCursor();
      break;
    case LeftButtonUp:
      if (clickStarted_) {
        clickReady_ = true;
        if (!clickTimer_.Enabled()) {
          clickStarted_ = clickReady_ = false;
          Click();
        }
      }
      clickStarted_ = false;
      MouseUp(MouseButton::Left);
      break;
    case LeftButtonDoubleClick:
      clickReady_ = false;
      doubleClickSeen_ = true;
      DblClick();
      if (popupMenu_ && !leftPopup_) ClickDefaultMenuItem();
      break;
    case RightButtonDown:
      MouseDown(MouseButton::Right);
      PopupMenuAtCursor();
      break;
    case RightButtonUp:
      if (notifyBehaviour_ == 0) MouseUp(MouseButton::Right);
      break;
    case ContextMenu:
    case Select:
      if (notifyBehaviour_ == 1) MouseUp(MouseButton::Right);
      break;
    case MiddleButtonDown:
      MouseDown(MouseButton::Middle);
      break;
    case MiddleButtonUp:
      MouseUp(MouseButton::Middle);
      break;
    default:
      break;
  }
}

void TTrayIcon::ClickTimerTick() {
  clickTimer_.SetEnabled(false);
  if (!doubleClickSeen_ && clickReady_) {
    clickReady_ = false;
    Click();
  }
  doubleClickSeen_ = false;
}

void TTrayIcon::ExitTimerTick() {
  if (cursorHasLeft_) return;
  const std::optional<QPoint> position = input_.CursorPosition();
  if (position && *position != lastMovePosition_) {
    cursorHasLeft_ = true;
    MouseExit();
  }
}

void TTrayIcon::CycleTimerTick() {
  if (!iconList_ || iconList_->empty()) return;
  SetIcon((*iconList_)[iconIndex_]);
  const int next = iconIndex_ + 1 < static_cast<int>(iconList_->size()) ? iconIndex_ + 1 : 0;
  CycleStep(next);
  SetIconIndex(next);
}

void TTrayIcon::PopupMenuAtCursor() {
  if (!popupMenu_) return;
  const std::optional<QPoint> position = input_.CursorPosition();
  if (!position) return;
  input_.OpenMenu(*popupMenu_, *position);
}

void TTrayIcon::ClickDefaultMenuItem() {
  if (QAction* item = popupMenu_->defaultAction()) item->trigger();
}

ShiftState TTrayIcon::ShiftWith(std::optional<MouseButton> button) const {
  ShiftState shift = input_.Keys();
  shift.left = button == MouseButton::Left;
  shift.right = button == MouseButton::Right;
  shift.middle = button == MouseButton::Middle;
  return shift;
}

QPoint TTrayIcon::Cursor() const { return input_.CursorPosition().value_or(QPoint()); }

void TTrayIcon::Click() {
  if (OnClick) OnClick(*this);
}

void TTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

void TTrayIcon::CycleStep(int nextIndex) {
  if (OnCycle) OnCycle(*this, nextIndex);
}

void TTrayIcon::MouseDown(MouseButton button) {
  if (!OnMouseDown) return;
  const QPoint at = Cursor();
  OnMouseDown(*this, button, ShiftWith(button), at.x(), at.y());
}

void TTrayIcon::MouseUp(MouseButton button) {
  if (!OnMouseUp) return;
  const QPoint at = Cursor();
  OnMouseUp(*this, button, ShiftWith(button), at.x(), at.y());
}

void TTrayIcon::MouseMove() {
  if (!OnMouseMove) return;
  const QPoint at = Cursor();
  OnMouseMove(*this, ShiftWith(std::nullopt), at.x(), at.y());
}

void TTrayIcon::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TTrayIcon::MouseExit() {
  if (OnMouseExit) OnMouseExit(*this);
}

}  // namespace halvoric
