// SPDX-License-Identifier: GPL-3.0-or-later
// The record that describes one icon to the notification area, with the
// field sizes that bound its texts, and the notifications the area sends back.
#pragma once

#include <QIcon>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class QMenu;

namespace halvoric {

constexpr std::uint32_t NIF_MESSAGE = 0x01;
constexpr std::uint32_t NIF_ICON = 0x02;
constexpr std::uint32_t NIF_TIP = 0x04;
constexpr std::uint32_t NIF_INFO = 0x10;
constexpr std::uint32_t TrayIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// The picture beside a balloon's title; the values are the area's own.
enum class BalloonIconKind : std::uint32_t { None = 0, Info = 1, Warning = 2, Error = 3 };

// What happened at an icon, as the area reports it.
enum class TrayNotification {
  MouseMove,
  LeftButtonDown,
  LeftButtonUp,
  LeftButtonDoubleClick,
  RightButtonDown,
  RightButtonUp,
  MiddleButtonDown,
  MiddleButtonUp,
  ContextMenu,
  Select,
  BalloonShow,
  BalloonHide,
  BalloonTimeout,
  BalloonUserClick,
};

// Receives the notifications of every icon whose record names it as window.
class NotificationSink {
 public:
  virtual ~NotificationSink() = default;
  virtual void Notify(std::uint32_t id, TrayNotification notification) = 0;
};

struct NotifyIconRecord {
  NotificationSink* window = nullptr;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  QIcon icon;
  std::array<char, 128> tip{};
  std::array<char, 256> info{};
  // Balloon time-out in milliseconds, or the behaviour version for SetVersion.
  std::uint32_t timeoutOrVersion = 0;
  std::array<char, 64> infoTitle{};
  BalloonIconKind infoIcon = BalloonIconKind::None;
  // The icon's menu, for hosts that draw it themselves (StatusNotifierItem
  // hosts ask for it over D-Bus; on Wayland a program cannot place a menu at
  // the icon). Others get the menu from the icon's right-click events.
  QMenu* menu = nullptr;

  std::string Tip() const { return tip.data(); }
  std::string Info() const { return info.data(); }
  std::string InfoTitle() const { return infoTitle.data(); }
};

// Copies `text` into a zero-terminated field, cutting it to what fits. A cut
// never splits a UTF-8 sequence, so the area always gets valid text.
void CopyCut(std::span<char> field, std::string_view text);

}  // namespace halvoric
