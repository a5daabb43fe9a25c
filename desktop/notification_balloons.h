// SPDX-License-Identifier: GPL-3.0-or-later
// The balloon of BalloonServer on a freedesktop.org notification server
// (org.freedesktop.Notifications), without the bus itself: which calls go
// out, and what the server's answers and signals mean for the balloon.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/balloon_server.h"

namespace halvoric {

// One Notify call as it goes on the wire.
struct NotifyCall {
  std::string appName;
  std::string appIcon;  // a freedesktop icon name, or empty
  std::uint32_t replacesId = 0;
  std::string summary;
  std::string body;
  // Pairs of action key and label.
  std::vector<std::string> actions;
  std::int32_t expireTimeoutMs = -1;
};

// The server's methods. Each call's answer comes back later through the
// matching ...Answered method of NotificationBalloons.
class NotificationBus {
 public:
  virtual ~NotificationBus() = default;
  virtual void GetCapabilities() = 0;
  virtual void Notify(const NotifyCall& call) = 0;
  virtual void CloseNotification(std::uint32_t id) = 0;
};

// `text` with the characters that body markup gives a meaning to written as
// entities, so "<b>" in a drive's model reads as itself.
std::string EscapeBodyMarkup(std::string_view text);

// Keeps at most one call to the server waiting for its answer: balloons asked
// meanwhile are held and only the last one is sent, replacing the balloon
// that answer names. So four balloons asked in one go leave one balloon
// showing the last text, and no balloon is lost or doubled on a slow server.
class NotificationBalloons : public BalloonServer {
 public:
  explicit NotificationBalloons(NotificationBus& bus) : bus_(bus) {}

  void Show(std::string_view title, std::string_view text, std::string_view icon,
            std::uint32_t timeoutMs, Listener listener) override;
  void Hide() override;

  void CapabilitiesAnswered(const std::vector<std::string>& capabilities);
  // No id: the call failed, and no balloon came of it.
  void NotifyAnswered(std::optional<std::uint32_t> id);
  void ActionInvoked(std::uint32_t id, std::string_view actionKey);
  void NotificationClosed(std::uint32_t id, std::uint32_t reason);
  // Another server took the name, or none holds it now: the shown balloon
  // went with the old one, and the new one's capabilities are unknown.
  void ServerChanged();

 private:
  struct Wanted {
    NotifyCall call;
    Listener listener;
  };

  void SendNext();
  void Tell(Listener& listener, Outcome outcome);

  NotificationBus& bus_;
  bool answerPending_ = false;
  std::optional<bool> bodyMarkup_;
  std::optional<Wanted> wanted_;
  bool hideWanted_ = false;
  Listener sentListener_;
  std::uint32_t shownId_ = 0;
  Listener shownListener_;
  // A clicked balloon's close is the click's consequence, not a dismissal.
  bool shownClicked_ = false;
};

}  // namespace halvoric
