// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's notification area: icons are added, changed and removed by
// their record; the area reports back to the record's window.
#pragma once

#include "shell/notify_icon_record.h"

namespace halvoric {

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;
  // Each returns whether the area accepted the request: adding an icon that
  // is there, or changing one that is not, fails.
  virtual bool Add(const NotifyIconRecord& record) = 0;
  // With NIF_INFO also shows the record's balloon, or removes the shown one
  // when the balloon text is empty.
  virtual bool Modify(const NotifyIconRecord& record) = 0;
  virtual bool Delete(const NotifyIconRecord& record) = 0;
  // Switches the icon to the notification behaviour in `timeoutOrVersion`.
  virtual bool SetVersion(const NotifyIconRecord& record) = 0;
  // Whether a tray host is there to show icons. Without one, hiding a window
  // to the tray would leave the user no way back to it.
  virtual bool HostPresent() const = 0;
};

}  // namespace halvoric
