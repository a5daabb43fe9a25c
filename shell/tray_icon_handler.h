// SPDX-License-Identifier: GPL-3.0-or-later
// The one receiver of the notification area's notifications for every tray
// icon of the process; it hands each to the icon it belongs to.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "shell/notify_icon_record.h"

namespace halvoric {

class TTrayIcon;

class TTrayIconHandler : public NotificationSink {
 public:
  // Joins `icon`, creating the shared handler for the first one. Returns the
  // handler; `id` gets the icon's identifier, unique among live icons.
  static TTrayIconHandler& Join(TTrayIcon& icon, std::uint32_t& id);
  // Leaves; the last icon to leave destroys the shared handler.
  static void Leave(std::uint32_t id);
  static bool Exists();

  // The desktop's tray was created anew (its host restarted or started late):
  // every icon meant to be there is added again.
  static void TaskbarCreated();

  void Notify(std::uint32_t id, TrayNotification notification) override;

 private:
  std::unordered_map<std::uint32_t, TTrayIcon*> icons_;
  std::uint32_t lastId_ = 0;
};

}  // namespace halvoric
