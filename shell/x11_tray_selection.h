// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 tray manager selection (_NET_SYSTEM_TRAY_Sn of the freedesktop.org
// system tray protocol): a tray owns it while it runs, announces a new owner
// with a MANAGER message on the root window, and its owner window is
// destroyed when it ends.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace halvoric {

class X11TraySelection final : public QAbstractNativeEventFilter {
 public:
  // `changed` hears whether a tray owns the selection after each change.
  explicit X11TraySelection(std::function<void(bool owned)> changed);
  ~X11TraySelection() override;
  X11TraySelection(const X11TraySelection&) = delete;
  X11TraySelection& operator=(const X11TraySelection&) = delete;

  bool Owned() const { return owner_ != 0; }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void Follow(std::uint32_t owner);
  std::uint32_t Intern(const char* name) const;

  std::function<void(bool)> changed_;
  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint32_t selection_ = 0;
  std::uint32_t manager_ = 0;
  std::uint32_t owner_ = 0;
};

}  // namespace halvoric
