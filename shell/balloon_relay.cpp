// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/balloon_relay.h"

#include <QTimer>
#include <algorithm>
#include <utility>

#include "base/diagnostics.h"

namespace halvoric {

TrayNotification BalloonNotification(BalloonServer::Outcome outcome) {
  switch (outcome) {
    case BalloonServer::Outcome::Shown:
      return TrayNotification::BalloonShow;
    case BalloonServer::Outcome::Clicked:
      return TrayNotification::BalloonUserClick;
    case BalloonServer::Outcome::Expired:
      return TrayNotification::BalloonTimeout;
    case BalloonServer::Outcome::Dismissed:
      break;
  }
  return TrayNotification::BalloonHide;
}

const char* BalloonIconName(BalloonIconKind kind) {
  switch (kind) {
    case BalloonIconKind::Info:
      return "dialog-information";
    case BalloonIconKind::Warning:
      return "dialog-warning";
    case BalloonIconKind::Error:
      return "dialog-error";
    case BalloonIconKind::None:
      break;
  }
  return "";
}

const char* BalloonOutcomeName(BalloonServer::Outcome outcome) {
  switch (outcome) {
    case BalloonServer::Outcome::Shown:
      return "shown";
    case BalloonServer::Outcome::Clicked:
      return "clicked";
    case BalloonServer::Outcome::Expired:
      return "timed out";
    case BalloonServer::Outcome::Dismissed:
      break;
  }
  return "hidden";
}

void BalloonRelay::Ask(const NotifyIconRecord& record) {
  if (record.info[0] == '\0') {
    if (wanted_ && wanted_->id == record.id) wanted_.reset();
    if (owner_ != record.id) return;
    hideWanted_ = true;
  } else {
    hideWanted_ = false;
    // Balloon texts break their lines with CR; notifications with LF.
    std::string text = record.info.data();
    std::ranges::replace(text, '\r', '\n');
    wanted_ = Wanted{record.window,
                     record.id,
                     record.infoTitle.data(),
                     std::move(text),
                     BalloonIconName(record.infoIcon),
                     record.timeoutOrVersion};
  }
  if (std::exchange(sendPosted_, true)) return;
  QTimer::singleShot(0, &context_, [this] { Send(); });
}

void BalloonRelay::Forget(std::uint32_t id) {
  if (wanted_ && wanted_->id == id) wanted_.reset();
  if (owner_ == id) HideShown();
}

void BalloonRelay::Send() {
  sendPosted_ = false;
  if (std::exchange(hideWanted_, false)) HideShown();
  if (!wanted_) return;
  const Wanted next = std::move(*wanted_);
  wanted_.reset();
  owner_ = next.id;
  server_.Show(next.title, next.text, next.icon, next.timeoutMs,
               [window = next.window, id = next.id](BalloonServer::Outcome outcome) {
                 Diagnose(DiagnosticArea::Tray,
                          std::string("balloon ") + BalloonOutcomeName(outcome));
                 window->Notify(id, BalloonNotification(outcome));
               });
}

void BalloonRelay::HideShown() {
  owner_ = 0;
  server_.Hide();
}

}  // namespace halvoric
