// SPDX-License-Identifier: GPL-3.0-or-later
// TTrayIcon: one icon in the desktop's notification area with its tooltip,
// balloons, mouse events and pop-up menu, and the owner window's minimise to
// the tray. Events are optional: an empty one is not raised.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shell/desktop_input.h"
#include "shell/msg_timer.h"
#include "shell/notification_area.h"
#include "shell/owner_window.h"

namespace halvoric {

class TTrayIconHandler;

enum class MouseButton { Left, Right, Middle };

// The outside things a tray icon works through; they outlive it.
struct TrayServices {
  NotificationArea& Area;
  DesktopInput& Input;
};

class TTrayIcon {
 public:
  using NotifyEvent = std::function<void(TTrayIcon& sender)>;
  using MouseEvent =
      std::function<void(TTrayIcon& sender, MouseButton button, ShiftState shift, int x, int y)>;
  using MouseMoveEvent = std::function<void(TTrayIcon& sender, ShiftState shift, int x, int y)>;
  using CycleEvent = std::function<void(TTrayIcon& sender, int nextIndex)>;
  using StartupEvent = std::function<void(TTrayIcon& sender, bool& showMainForm)>;

  // `owner` may be null: an icon without a window to hide or show.
  TTrayIcon(TrayServices services, OwnerWindow* owner);
  virtual ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  // To be called once the owner has set the icon up: raises OnStartup, sends
  // the record and the notification behaviour.
  void Loaded();

  virtual bool AddToTray();
  virtual bool RemoveFromTray();
  virtual bool RefreshTrayIcon();
  // Replaces any balloon on screen. Title and text are cut to 63 and 255.
  bool ShowBalloon(std::string_view title, std::string_view text, BalloonIconKind iconKind,
                   std::uint8_t timeoutSeconds);
  void HideBalloon();
  void ShowMainWindow();
  void HideMainWindow();
  void HideTaskbarButton();
  void PopupMenuAtCursor();
  // The reaction to a minimise: hide the window, keep the icon.
  virtual void HideToTray();

  std::optional<std::span<const QIcon>> IconList() const { return iconList_; }
  void SetIconList(std::optional<std::span<const QIcon>> list);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool cycle);
  std::uint32_t CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(std::uint32_t milliseconds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);
  const QIcon& Icon() const { return icon_; }
  void SetIcon(const QIcon& icon);
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool visible);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
  bool LeftPopup() const { return leftPopup_; }
  void SetLeftPopup(bool left) { leftPopup_ = left; }
  bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
  void SetWantEnterExitEvents(bool want);
  bool MinimizeToTray() const { return minimizeToTray_; }
  void SetMinimizeToTray(bool minimize) { minimizeToTray_ = minimize; }
  // 0 (the default) or 1, the newer behaviour with its select notifications.
  std::uint8_t NotifyBehaviour() const { return notifyBehaviour_; }
  void SetNotifyBehaviour(std::uint8_t behaviour);

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;
  MouseMoveEvent OnMouseMove;
  NotifyEvent OnMouseEnter;
  NotifyEvent OnMouseExit;
  CycleEvent OnCycle;
  NotifyEvent OnBalloonHintShow;
  NotifyEvent OnBalloonHintHide;
  NotifyEvent OnBalloonHintTimeout;
  NotifyEvent OnBalloonHintClick;
  NotifyEvent OnMinimizeToTray;
  StartupEvent OnStartup;

  // Called by the shared handler.
  void HandleNotification(TrayNotification notification);
  void TaskbarCreated();

 protected:
  virtual void Click();
  virtual void DblClick();
  virtual void CycleStep(int nextIndex);
  virtual void MouseDown(MouseButton button);
  virtual void MouseUp(MouseButton button);
  virtual void MouseMove();
  virtual void MouseEnter();
  virtual void MouseExit();

 private:
  void PrepareRecord();
  void ClickDefaultMenuItem();
  void ClickTimerTick();
  void CycleTimerTick();
  void ExitTimerTick();
  void OwnerMinimized();
  void OwnerShown();
  ShiftState ShiftWith(std::optional<MouseButton> button) const;
  QPoint Cursor() const;

  NotificationArea& area_;
  DesktopInput& input_;
  OwnerWindow* owner_;
  std::uint32_t id_ = 0;
  TTrayIconHandler& handler_;

  std::optional<std::span<const QIcon>> iconList_;
  bool cycleIcons_ = false;
  std::uint32_t cycleInterval_ = 0;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = true;
  QIcon icon_;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  QPointer<QMenu> popupMenu_;
  bool leftPopup_ = false;
  bool wantEnterExitEvents_ = false;
  bool minimizeToTray_ = false;
  std::uint8_t notifyBehaviour_ = 0;

  bool clickStarted_ = false;
  bool clickReady_ = false;
  bool doubleClickSeen_ = false;
  TMsgTimer cycleTimer_;
  TMsgTimer clickTimer_;
  TMsgTimer exitTimer_;
  QPoint lastMovePosition_;
  bool cursorHasLeft_ = true;

  NotifyIconRecord record_;
};

}  // namespace halvoric
