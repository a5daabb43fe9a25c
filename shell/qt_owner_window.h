// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt top-level widget as the window that owns a tray icon. An event filter
// turns the user's minimise into the tray icon's hide when the hook asks so.
#pragma once

#include <QObject>
#include <QWidget>

#include "shell/owner_window.h"

namespace halvoric {

class QtOwnerWindow : public QObject, public OwnerWindow {
 public:
  explicit QtOwnerWindow(QWidget& window);
  ~QtOwnerWindow() override;

  void SetHooks(Hooks hooks) override;
  bool IsMinimized() const override;
  void ShowNormal() override;
  void Show() override;
  void Hide() override;
  bool TaskbarEntryVisible() const override;
  void HideTaskbarEntry() override;
  void BringToFront() override;
  bool Terminating() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  Hooks hooks_;
  bool terminating_ = false;
};

}  // namespace halvoric
