// SPDX-License-Identifier: GPL-3.0-or-later
// Start at logon: the per-user XDG autostart entry Halvoric.desktop, which
// desktops read from the autostart folder of the user's config home.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "services/start_at_logon.h"

namespace halvoric {

inline constexpr const char* kAutostartFileName = "Halvoric.desktop";

// $XDG_CONFIG_HOME/autostart, else $HOME/.config/autostart; nothing when
// neither variable gives an absolute folder. Null arguments are unset ones.
std::optional<std::filesystem::path> AutostartFolder(const char* xdgConfigHome, const char* home);

class XdgStartAtLogon final : public StartAtLogon {
 public:
  // `workingDirectory`, when given, is where the program starts at logon.
  XdgStartAtLogon(std::filesystem::path folder, std::filesystem::path executable,
                  std::filesystem::path workingDirectory = {});

  Result<> Enable() override;
  Result<> Disable() override;

  std::filesystem::path File() const { return folder_ / kAutostartFileName; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path executable_;
  std::filesystem::path workingDirectory_;
};

// The entry of the current user for the running executable, started in the
// current folder, which holds the settings this run reads and writes.
std::unique_ptr<StartAtLogon> MakeUserStartAtLogon();

}  // namespace halvoric
