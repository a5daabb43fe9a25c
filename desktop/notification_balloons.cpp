// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/notification_balloons.h"

#include <algorithm>
#include <utility>

namespace halvoric {

namespace {

constexpr std::uint32_t ReasonExpired = 1;
constexpr std::uint32_t ReasonClosedByCall = 3;

// The action a click on the balloon's body invokes on every server.
constexpr const char* DefaultAction = "default";

}  // namespace

std::string EscapeBodyMarkup(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

void NotificationBalloons::Show(std::string_view title, std::string_view text,
                                std::string_view icon, std::uint32_t timeoutMs, Listener listener) {
  NotifyCall call;
  call.appName = "Halvoric";
  call.appIcon = icon;
  call.summary = title;
  call.body = text;
  call.actions = {DefaultAction, "Show"};
  // 0 asks the server for a balloon that never expires; the server's own
  // time-out (-1) is nearer to a balloon asked for without one.
  call.expireTimeoutMs =
      timeoutMs == 0 || timeoutMs > INT32_MAX ? -1 : static_cast<std::int32_t>(timeoutMs);
  wanted_ = Wanted{std::move(call), std::move(listener)};
  hideWanted_ = false;
  SendNext();
}

void NotificationBalloons::Hide() {
  wanted_.reset();
  hideWanted_ = true;
  SendNext();
}

void NotificationBalloons::SendNext() {
  if (answerPending_) return;
  if (wanted_ && !bodyMarkup_) {
    answerPending_ = true;
    bus_.GetCapabilities();
    return;
  }
  if (wanted_) {
    Wanted next = std::move(*wanted_);
    wanted_.reset();
    next.call.replacesId = shownId_;
    if (*bodyMarkup_) next.call.body = EscapeBodyMarkup(next.call.body);
    sentListener_ = std::move(next.listener);
    answerPending_ = true;
    bus_.Notify(next.call);
    return;
  }
  if (hideWanted_) {
    hideWanted_ = false;
    if (shownId_ == 0) return;
    // The server confirms with reason 3, which is ours and raises nothing.
    bus_.CloseNotification(std::exchange(shownId_, 0));
    shownListener_ = nullptr;
  }
}

void NotificationBalloons::CapabilitiesAnswered(const std::vector<std::string>& capabilities) {
  answerPending_ = false;
  bodyMarkup_ = std::ranges::find(capabilities, "body-markup") != capabilities.end();
  SendNext();
}

void NotificationBalloons::NotifyAnswered(std::optional<std::uint32_t> id) {
  answerPending_ = false;
  Listener listener = std::exchange(sentListener_, nullptr);
  if (id && *id != 0) {
    // Servers keep a clicked notification up and replace it under its id.
    shownClicked_ = false;
    shownId_ = *id;
    shownListener_ = std::move(listener);
    Tell(shownListener_, Outcome::Shown);
  }
  SendNext();
}

void NotificationBalloons::ActionInvoked(std::uint32_t id, std::string_view actionKey) {
  if (id == 0 || id != shownId_ || actionKey != DefaultAction) return;
  shownClicked_ = true;
  Tell(shownListener_, Outcome::Clicked);
}

void NotificationBalloons::NotificationClosed(std::uint32_t id, std::uint32_t reason) {
  if (id == 0 || id != shownId_) return;
  shownId_ = 0;
  Listener listener = std::exchange(shownListener_, nullptr);
  if (std::exchange(shownClicked_, false) || reason == ReasonClosedByCall) return;
  // Reason 2 is the user's; 4, undefined, also took it away unasked.
  Tell(listener, reason == ReasonExpired ? Outcome::Expired : Outcome::Dismissed);
}

void NotificationBalloons::ServerChanged() {
  bodyMarkup_.reset();
  if (shownId_ == 0) return;
  shownId_ = 0;
  shownClicked_ = false;
  Listener listener = std::exchange(shownListener_, nullptr);
  Tell(listener, Outcome::Dismissed);
}

void NotificationBalloons::Tell(Listener& listener, Outcome outcome) {
  // The listener may show the next balloon, which replaces it.
  if (Listener copy = listener) copy(outcome);
}

}  // namespace halvoric
