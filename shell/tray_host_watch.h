// SPDX-License-Identifier: GPL-3.0-or-later
// Follows the desktop's tray host as it comes and goes (its host restarted,
// or started after the program), through what the desktop announces: the
// StatusNotifierWatcher's name on the session bus, or the owner of the X11
// tray manager selection. Nothing is polled.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace halvoric {

// The two roads to a tray: a StatusNotifierItem host reached over D-Bus, or
// an XEmbed tray on X11. Wayland without the former has none.
enum class TrayKind { StatusNotifier, XEmbed, None };

// Which road Qt takes in this process. See the definition for when.
TrayKind ChosenTrayKind();

// Turns what was seen of the host into its arrival and departure, each told
// once.
class HostPresence {
 public:
  struct Reactions {
    std::function<void()> lost;
    std::function<void()> created;
  };

  HostPresence(bool present, Reactions reactions)
      : present_(present), reactions_(std::move(reactions)) {}

  void Seen(bool present);
  // What was found at the start, before anything can have changed.
  void Assume(bool present) { present_ = present; }
  bool Present() const { return present_; }

 private:
  bool present_;
  Reactions reactions_;
};

class X11TraySelection;

class TrayHostWatch : public QObject {
 public:
  TrayHostWatch(TrayKind kind, HostPresence::Reactions reactions);
  ~TrayHostWatch() override;

  bool Present() const { return presence_.Present(); }

 private:
  HostPresence presence_;
  std::unique_ptr<X11TraySelection> selection_;
};

}  // namespace halvoric
