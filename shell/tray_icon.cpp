// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/tray_icon.h"

#include <algorithm>

#include "base/utf8.h"
#include "shell/tray_icon_handler.h"

namespace halvoric {

namespace {

constexpr int ExitTimerPeriod = 20;

}  // namespace

TTrayIcon::TTrayIcon(TrayServices services, OwnerWindow* owner)
    : area_(services.Area),
      input_(services.Input),
      owner_(owner),
      handler_(TTrayIconHandler::Join(*this, id_)),
      cycleTimer_(1000, [this](TMsgTimer&) { CycleTimerTick(); }),
      clickTimer_(1000, [this](TMsgTimer&) { ClickTimerTick(); }),
      exitTimer_(ExitTimerPeriod, [this](TMsgTimer&) { ExitTimerTick(); }) {
  record_.window = &handler_;
  record_.id = id_;
  record_.flags = TrayIconFlags;
  if (owner_) owner_->SetHooks({[this] { OwnerMinimized(); }, [this] { OwnerShown(); }});
}

TTrayIcon::~TTrayIcon() {
  RemoveFromTray();
  if (owner_) owner_->SetHooks({});
  TTrayIconHandler::Leave(id_);
}

void TTrayIcon::Loaded() {
  if (owner_) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(*this, showMainForm);
    if (!showMainForm) HideMainWindow();
  }
  RefreshTrayIcon();
  SetNotifyBehaviour(notifyBehaviour_);
}

void TTrayIcon::PrepareRecord() {
  record_.icon = icon_;
  record_.menu = popupMenu_;
  if (hint_.empty() || !showHint_) {
    record_.tip.fill('\0');
  } else {
    CopyCut(record_.tip, hint_);
  }
}

bool TTrayIcon::AddToTray() {
  iconVisible_ = true;
  PrepareRecord();
  return area_.Add(record_);
}

bool TTrayIcon::RemoveFromTray() {
  iconVisible_ = false;
  return area_.Delete(record_);
}

bool TTrayIcon::RefreshTrayIcon() {
  PrepareRecord();
  return area_.Modify(record_);
}

void TTrayIcon::TaskbarCreated() {
  if (iconVisible_) AddToTray();
}

bool TTrayIcon::ShowBalloon(std::string_view title, std::string_view text, BalloonIconKind iconKind,
                            std::uint8_t timeoutSeconds) {
  HideBalloon();
  record_.flags |= NIF_INFO;
  // Balloons carry drive strings, which must not reorder or hide the text
  // people read; the lines are broken with CR (or LF) on purpose.
  CopyCut(record_.info, PrintableText(text, true));
  CopyCut(record_.infoTitle, PrintableText(title));
  record_.timeoutOrVersion = timeoutSeconds * 1000u;
  record_.infoIcon = iconKind;
  const bool shown = RefreshTrayIcon();
  record_.flags = TrayIconFlags;
  return shown;
}

void TTrayIcon::HideBalloon() {
  record_.flags |= NIF_INFO;
  record_.info.fill('\0');
  RefreshTrayIcon();
  record_.flags = TrayIconFlags;
}

void TTrayIcon::ShowMainWindow() {
  if (!owner_) return;
  if (owner_->IsMinimized()) owner_->ShowNormal();
  owner_->Show();
  owner_->BringToFront();
}

void TTrayIcon::HideMainWindow() {
  if (!owner_) return;
  owner_->Hide();
  HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
  if (owner_ && owner_->TaskbarEntryVisible()) owner_->HideTaskbarEntry();
}

void TTrayIcon::HideToTray() {
  HideMainWindow();
  SetIconVisible(true);  // an icon already there refuses the second add
}

void TTrayIcon::OwnerMinimized() {
  if (!minimizeToTray_ || owner_->Terminating() || !area_.HostPresent()) return;
  if (OnMinimizeToTray) OnMinimizeToTray(*this);
  HideToTray();
}

void TTrayIcon::OwnerShown() { owner_->BringToFront(); }

void TTrayIcon::SetIconList(std::optional<std::span<const QIcon>> list) {
  iconList_ = list;
  SetIconIndex(0);
}

void TTrayIcon::SetIconIndex(int index) {
  if (iconList_ && !iconList_->empty()) {
    iconIndex_ = std::clamp(index, 0, static_cast<int>(iconList_->size()) - 1);
    icon_ = (*iconList_)[iconIndex_];
  } else {
    iconIndex_ = 0;
  }
  RefreshTrayIcon();
}

void TTrayIcon::SetCycleIcons(bool cycle) {
  cycleIcons_ = cycle;
  if (cycle) {
    SetIconIndex(0);
    cycleTimer_.SetInterval(static_cast<int>(cycleInterval_));
    cycleTimer_.SetEnabled(true);
  } else {
    cycleTimer_.SetEnabled(false);
  }
}

void TTrayIcon::SetCycleInterval(std::uint32_t milliseconds) {
  cycleInterval_ = milliseconds;
  SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetHint(std::string hint) {
  hint_ = std::move(hint);
  RefreshTrayIcon();
}

void TTrayIcon::SetShowHint(bool show) {
  showHint_ = show;
  RefreshTrayIcon();
}

void TTrayIcon::SetIcon(const QIcon& icon) {
  icon_ = icon;
  RefreshTrayIcon();
}

void TTrayIcon::SetIconVisible(bool visible) {
  if (visible) {
    AddToTray();
  } else {
    RemoveFromTray();
  }
}

void TTrayIcon::SetWantEnterExitEvents(bool want) {
  wantEnterExitEvents_ = want;
  exitTimer_.SetEnabled(want);
}

void TTrayIcon::SetNotifyBehaviour(std::uint8_t behaviour) {
  notifyBehaviour_ = behaviour;
  record_.timeoutOrVersion = behaviour == 0 ? 0 : 3;
  area_.SetVersion(record_);
}

}  // namespace halvoric
