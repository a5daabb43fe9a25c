// SPDX-License-Identifier: GPL-3.0-or-later
// Balloons shown by the desktop's notification server instead of being drawn
// at the tray icon: one balloon per process, which each show replaces.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace halvoric {

class BalloonServer {
 public:
  // What became of a balloon. Closing it from the program is none of these.
  enum class Outcome { Shown, Clicked, Dismissed, Expired };
  using Listener = std::function<void(Outcome)>;

  virtual ~BalloonServer() = default;
  // Replaces the balloon shown, if any. The text breaks its lines with LF and
  // is plain text; `icon` is a freedesktop icon name ("dialog-warning"), or
  // empty for none; `listener` hears what becomes of this balloon only.
  virtual void Show(std::string_view title, std::string_view text, std::string_view icon,
                    std::uint32_t timeoutMs, Listener listener) = 0;
  // Closes the balloon shown; its listener hears nothing more.
  virtual void Hide() = 0;
};

}  // namespace halvoric
