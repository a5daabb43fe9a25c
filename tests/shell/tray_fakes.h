// SPDX-License-Identifier: GPL-3.0-or-later
// Recording stand-ins for what a tray icon works through.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "shell/desktop_input.h"
#include "shell/notification_area.h"
#include "shell/owner_window.h"
#include "tests/shell/event_wait.h"

namespace halvoric::testing {

// Keeps the icons that are "in the tray" like a shell would: a second add and
// changes to an absent icon fail.
class FakeArea : public NotificationArea {
 public:
  struct Request {
    std::string op;
    NotifyIconRecord record;
  };

  bool HostPresent() const override { return trayUp; }
  bool Add(const NotifyIconRecord& r) override {
    requests.push_back({"add", r});
    return trayUp && present.insert(r.id).second;
  }
  bool Modify(const NotifyIconRecord& r) override {
    requests.push_back({"modify", r});
    return present.contains(r.id);
  }
  bool Delete(const NotifyIconRecord& r) override {
    requests.push_back({"delete", r});
    return present.erase(r.id) == 1;
  }
  bool SetVersion(const NotifyIconRecord& r) override {
    requests.push_back({"version", r});
    return present.contains(r.id);
  }

  // The tray's host went away, taking every icon with it.
  void Restart() { present.clear(); }

  const Request& Last() const { return requests.back(); }

  std::vector<Request> requests;
  std::set<std::uint32_t> present;
  bool trayUp = true;
};

class FakeOwner : public OwnerWindow {
 public:
  void SetHooks(Hooks h) override { hooks = std::move(h); }
  bool IsMinimized() const override { return minimized; }
  void ShowNormal() override { minimized = false; }
  void Show() override { visible = taskbarEntry = true; }
  void Hide() override {
    visible = false;
    minimized = false;
  }
  bool TaskbarEntryVisible() const override { return taskbarEntry; }
  void HideTaskbarEntry() override { taskbarEntry = false; }
  void BringToFront() override { ++broughtToFront; }
  bool Terminating() const override { return terminating; }

  Hooks hooks;
  bool minimized = false;
  bool visible = true;
  bool taskbarEntry = true;
  bool terminating = false;
  int broughtToFront = 0;
};

class FakeInput : public DesktopInput {
 public:
  std::optional<QPoint> CursorPosition() const override { return cursor; }
  ShiftState Keys() const override { return {}; }
  int DoubleClickTime() const override { return 40; }
  void OpenMenu(QMenu& menu, QPoint at) override {
    menus.push_back(&menu);
    menuAt = at;
  }

  std::optional<QPoint> cursor = QPoint(600, 790);
  std::vector<QMenu*> menus;
  QPoint menuAt;
};

}  // namespace halvoric::testing
