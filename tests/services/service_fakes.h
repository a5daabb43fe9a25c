// SPDX-License-Identifier: GPL-3.0-or-later
// Small fakes of the platform services, recording what the logic asked of
// them; each answers as the test sets it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/alert_prompt.h"
#include "services/clock.h"
#include "services/file_dialogs.h"
#include "services/hibernator.h"
#include "services/mailer.h"
#include "services/message_boxes.h"
#include "services/sound_player.h"
#include "services/start_at_logon.h"
#include "services/system_log.h"
#include "services/url_opener.h"

namespace halvoric::testing {

class FakeSystemLog : public SystemLog {
 public:
  bool Open(const std::string& source) override {
    Source = source;
    return !Refuse;
  }
  void WriteInformation(const std::string& text) override { Records.push_back(text); }
  void Close() override { ++Closes; }

  bool Refuse = false;
  std::string Source;
  std::vector<std::string> Records;
  int Closes = 0;
};

class FakeDialogs : public FileDialogs {
 public:
  std::optional<std::string> ChooseFileToOpen(const FileDialogSpec&) override { return Answer; }
  std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) override {
    SaveFilter = spec.Filter;
    return Answer;
  }
  std::optional<std::string> Answer;
  std::string SaveFilter;
};

class FakeMessages : public MessageBoxes, public AlertPrompt {
 public:
  void ShowError(const std::string& text) override { Errors.push_back(text); }
  void ShowMessage(const std::string& text) override { Errors.push_back(text); }
  void Alert(const std::string& text) override {
    Alerts.push_back(text);
    if (WhileAlertWaits) WhileAlertWaits();
  }
  std::vector<std::string> Errors;
  std::vector<std::string> Alerts;
  // What happens while the popup alert waits for the user.
  std::function<void()> WhileAlertWaits;
};

class FakeStartAtLogon : public StartAtLogon {
 public:
  Result<> Enable() override {
    Calls.push_back("enable");
    return Result<>::Done();
  }
  Result<> Disable() override {
    Calls.push_back("disable");
    return Result<>::Done();
  }
  std::vector<std::string> Calls;
};

// Alert mails reach it on the mail thread when they go through a dispatcher;
// the test reads what it recorded once the dispatcher is idle again.
class FakeMailer : public Mailer {
 public:
  Result<> Send(const MailArguments& mail) override {
    if (WhileSending) WhileSending();
    Sent.push_back(mail);
    return Reply;
  }
  std::vector<MailArguments> Sent;
  Result<> Reply = Result<>::Done();
  std::function<void()> WhileSending;  // runs on the sending thread
};

class FakeSound : public SoundPlayer {
 public:
  Result<> Play(const std::string& path) override {
    Played.push_back(path);
    return Reply;
  }
  std::vector<std::string> Played;
  Result<> Reply = Result<>::Done();
};

class FakePower : public Hibernator {
 public:
  Result<> Hibernate() override {
    ++Requests;
    return Reply;
  }
  int Requests = 0;
  Result<> Reply = Result<>::Done();
};

class FakeUrls : public UrlOpener {
 public:
  bool OpenUrl(const std::string& url) override {
    Opened.push_back(url);
    return true;
  }
  bool OpenFile(const std::string& path) override {
    Opened.push_back(path);
    return true;
  }
  std::vector<std::string> Opened;
};

// Time moves only when the test turns it.
class FakeClock : public Clock {
 public:
  TimePoint Now() const override { return Time; }
  void Advance(Clock::TimePoint::duration by) { Time += by; }
  TimePoint Time{};
};

class FakeWallClock : public WallClock {
 public:
  TimePoint Now() const override { return Time; }
  void Advance(TimePoint::duration by) { Time += by; }
  TimePoint Time{std::chrono::seconds(1'800'000'000)};
};

}  // namespace halvoric::testing
