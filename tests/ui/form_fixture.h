// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on simulated drives and small fakes, in a private current
// directory (the window reads and writes config.xml there).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QStringList>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drive/sim/scenario.h"
#include "drive/sim/simulated_disks.h"
#include "tests/services/service_fakes.h"
#include "tests/shell/tray_fakes.h"
#include "ui/history_window.h"
#include "ui/platform_services.h"
#include "ui/tessivar_form.h"

namespace halvoric::testing {

inline sim::Scenario ParseOrFail(const std::string& text) {
  Result<sim::Scenario> result = sim::ParseScenario(text, "test", ".");
  EXPECT_TRUE(result.Ok()) << result.Message;
  return result.Ok() ? std::move(*result) : sim::Scenario{};
}

// "[drive N]" sections with a model and a temperature attribute.
inline std::string DrivesScenario(const std::vector<unsigned>& numbers) {
  std::string text;
  for (unsigned n : numbers) {
    text += "[drive " + std::to_string(n) + "]\nmodel = Disk " + std::to_string(n) +
            "\nserial = S" + std::to_string(n) +
            "\nattribute = 5 value=100 worst=100 threshold=10"
            "\nattribute = 194 flags=0x0022 value=60 worst=50 raw=40\n";
  }
  return text;
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvoric-ui-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  ~FormTest() override {
    form_.reset();
    monitor_.reset();
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string File(const std::string& name) const { return (dir_ / name).string(); }
  void WriteFile(const std::string& name, const std::string& text) const {
    std::ofstream(File(name), std::ios::binary) << text;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // The window, built but not yet started.
  TTessivar_Form& Build(const std::string& scenario) {
    disks_ = std::make_unique<sim::SimulatedDisks>(ParseOrFail(scenario));
    PlatformServices services = Services(*disks_);
    monitor_ = std::make_unique<DriveMonitor>(services.Monitor);
    form_ = std::make_unique<TTessivar_Form>(std::move(services), *monitor_);
    return *form_;
  }

  // The fakes of this fixture around the given drives.
  // `messages` stands in for the fixture's own message boxes when given.
  PlatformServices Services(DiskControl& disks, MessageBoxes* messages = nullptr) {
    return {
        .Monitor =
            {
                .Disks = disks,
                .Access = access_,
                .DriveNames = {},
                .DriveDatabaseFiles = databaseFiles_,
                .KeptDriveDatabase = keptDatabase_,
                .Mail = mail_,
                .Sounds = sound_,
                .PowerControl = power_,
                .Prompt = messages_,
                .Messages = messages != nullptr ? *messages : messages_,
                .Time = time_ != nullptr ? *time_ : static_cast<const Clock&>(clock_),
                .Calendar = calendar_,
                .Post = PostToEventLoop,
                .SeriesOnOwnThread = seriesOnOwnThread_,
                .SeriesDeadline = seriesDeadline_,
            },
        .Log = log_,
        .StartAtLogon = startAtLogon_,
        .Urls = urls_,
        .Dialogs = dialogs_,
        .TrayArea = tray_,
        .Input = input_,
        .OpenHistoryWindow = [](const HistoryWindowRequest& request) -> Result<QWidget*> {
          return MakeHistoryWindow(request);
        },
        .ProtectOnFirstRun = protectOnFirstRun_,
    };
  }

  TTessivar_Form& Start(const std::string& scenario) {
    Build(scenario).FormCreate();
    return *form_;
  }

  // The journal's lines with their date and time cut off.
  QStringList JournalMessages() const {
    QStringList messages;
    const QString text = form_->LogMemo()->toPlainText();
    if (text.isEmpty()) return messages;
    for (const QString& line : text.split('\n')) messages << line.section(" * ", 1);
    return messages;
  }

  const DriveAccess* access_ = nullptr;
  bool protectOnFirstRun_ = false;  // as the menu entry's start
  // A tick's outcome is there to look at as soon as the tick returns.
  bool seriesOnOwnThread_ = false;
  std::vector<std::string> databaseFiles_;  // none: the built-in names
  std::string keptDatabase_;                // none: the files parsed at every start
  std::chrono::milliseconds seriesDeadline_ = kSeriesDeadline;
  FakeSystemLog log_;
  FakeDialogs dialogs_;
  FakeMessages messages_;
  FakeArea tray_;
  FakeInput input_;
  FakeStartAtLogon startAtLogon_;
  FakeMailer mail_;
  FakeSound sound_;
  FakePower power_;
  FakeUrls urls_;
  FakeClock clock_;
  const Clock* time_ = nullptr;  // none: `clock_`
  FakeWallClock calendar_;
  std::unique_ptr<sim::SimulatedDisks> disks_;
  std::unique_ptr<DriveMonitor> monitor_;
  std::unique_ptr<TTessivar_Form> form_;

 private:
  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

}  // namespace halvoric::testing
