// SPDX-License-Identifier: GPL-3.0-or-later
// The window that owns a tray icon: the icon hides it to the tray, brings it
// back and learns when the user minimises it.
#pragma once

#include <functional>

namespace halvoric {

class OwnerWindow {
 public:
  struct Hooks {
    // The user minimised the window.
    std::function<void()> minimized;
    // The window became visible.
    std::function<void()> shown;
  };

  virtual ~OwnerWindow() = default;
  // Installs the hooks; empty hooks remove them.
  virtual void SetHooks(Hooks hooks) = 0;

  virtual bool IsMinimized() const = 0;
  // Leaves the minimised state.
  virtual void ShowNormal() = 0;
  virtual void Show() = 0;
  // Also takes a minimised window out of that state.
  virtual void Hide() = 0;
  virtual bool TaskbarEntryVisible() const = 0;
  virtual void HideTaskbarEntry() = 0;
  virtual void BringToFront() = 0;
  // The application is shutting down.
  virtual bool Terminating() const = 0;
};

}  // namespace halvoric
