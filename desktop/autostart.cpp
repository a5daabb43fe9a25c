// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/autostart.h"

#include <cstdlib>
#include <system_error>

#include "base/staged_file.h"
#include "desktop/autostart_entry_text.h"
#include "desktop/running_executable.h"
#include "desktop/settings_folder.h"

namespace halvoric {
namespace {

Failure FailedOn(const std::filesystem::path& path, const std::string& reason) {
  return Failure{path.string() + ": " + reason};
}

// Stands in when no folder can be found, so that callers need no null check.
class UnavailableStartAtLogon final : public StartAtLogon {
 public:
  Result<> Enable() override { return Failed(); }
  Result<> Disable() override { return Failed(); }

 private:
  static Result<> Failed() {
    return Failure{"Neither XDG_CONFIG_HOME nor HOME names the user's folders."};
  }
};

}  // namespace

std::optional<std::filesystem::path> AutostartFolder(const char* xdgConfigHome, const char* home) {
  const auto config = ConfigHome(xdgConfigHome, home);
  if (!config) return std::nullopt;
  return *config / "autostart";
}

XdgStartAtLogon::XdgStartAtLogon(std::filesystem::path folder, std::filesystem::path executable,
                                 std::filesystem::path workingDirectory)
    : folder_(std::move(folder)),
      executable_(std::move(executable)),
      workingDirectory_(std::move(workingDirectory)) {}

Result<> XdgStartAtLogon::Enable() {
  const Result<std::string> entry =
      AutostartEntryText(executable_.native(), workingDirectory_.native());
  if (!entry.Ok()) return Failure{entry.Message};
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  if (error) return FailedOn(folder_, error.message());
  if (const Result<> written = ReplaceFile(File().string(), *entry); !written.Ok()) {
    return FailedOn(File(), written.Message);
  }
  return Result<>::Done();
}

Result<> XdgStartAtLogon::Disable() {
  std::error_code error;
  std::filesystem::remove(File(), error);
  if (error) return FailedOn(File(), error.message());
  return Result<>::Done();
}

std::unique_ptr<StartAtLogon> MakeUserStartAtLogon() {
  const auto folder = AutostartFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (!folder) return std::make_unique<UnavailableStartAtLogon>();
  std::error_code unknown;
  std::filesystem::path here = std::filesystem::current_path(unknown);
  return std::make_unique<XdgStartAtLogon>(*folder, RunningExecutable(), std::move(here));
}

}  // namespace halvoric
