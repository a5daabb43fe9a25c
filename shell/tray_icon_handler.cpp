// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/tray_icon_handler.h"

#include "shell/tray_icon.h"

namespace halvoric {

namespace {

TTrayIconHandler* TrayIconWindow = nullptr;

}  // namespace

TTrayIconHandler& TTrayIconHandler::Join(TTrayIcon& icon, std::uint32_t& id) {
  if (!TrayIconWindow) TrayIconWindow = new TTrayIconHandler;
  auto& icons = TrayIconWindow->icons_;
  do {
    id = ++TrayIconWindow->lastId_;
  } while (id == 0 || icons.contains(id));
  icons[id] = &icon;
  return *TrayIconWindow;
}

void TTrayIconHandler::Leave(std::uint32_t id) {
  if (!TrayIconWindow) return;
  TrayIconWindow->icons_.erase(id);
  if (TrayIconWindow->icons_.empty()) {
    delete TrayIconWindow;
    TrayIconWindow = nullptr;
  }
}

bool TTrayIconHandler::Exists() { return TrayIconWindow != nullptr; }

void TTrayIconHandler::TaskbarCreated() {
  if (!TrayIconWindow) return;
  for (const auto& [id, icon] : TrayIconWindow->icons_) icon->TaskbarCreated();
}

void TTrayIconHandler::Notify(std::uint32_t id, TrayNotification notification) {
  const auto it = icons_.find(id);
  if (it != icons_.end()) it->second->HandleNotification(notification);
}

}  // namespace halvoric
