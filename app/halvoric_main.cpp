// SPDX-License-Identifier: GPL-3.0-or-later
// halvoric: the monitor on this machine's drives, one per user.
#include <malloc.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "base/diagnostics.h"
#include "desktop/qt_diagnostics.h"
#include "desktop/settings_folder.h"
#include "disks/access_levels.h"
#include "disks/whole_disks.h"
#include "shell/single_instance.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"
#include "ui/start_read_ahead.h"

namespace {

// --user-settings (the desktop's menu entry) keeps config.xml in the user's
// settings folder, --settings-dir DIR in DIR; without either it stays in the
// folder the program was started from. Qt has taken its own options by now.
// `userSettings` says whether the menu entry's option was given.
int EnterSettingsFolderOfArguments(const QStringList& arguments, bool& userSettings) {
  std::optional<std::filesystem::path> folder;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--user-settings")) {
      userSettings = true;
      folder = halvoric::UserSettingsFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
      if (!folder) {
        std::fprintf(stderr, "halvoric: neither XDG_CONFIG_HOME nor HOME names your folders\n");
        return 1;
      }
    } else if (arguments[i] == QLatin1String("--settings-dir") && i + 1 < arguments.size()) {
      folder = std::filesystem::path(arguments[++i].toStdString());
    } else {
      std::fprintf(stderr, "usage: halvoric [--user-settings | --settings-dir DIR]\n");
      return 1;
    }
  }
  if (!folder) return 0;
  if (const halvoric::Result<> entered = halvoric::EnterSettingsFolder(*folder); !entered.Ok()) {
    std::fprintf(stderr, "halvoric: %s\n", entered.Message.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // glibc would give each thread that allocates a heap of its own, each
  // with its own slack; the threads here allocate little after start-up and
  // seldom at once, so they share one. Set before any thread starts.
  mallopt(M_ARENA_MAX, 1);
  // Beside the application's making, which leaves the second core idle.
  const halvoric::StartReadAhead readAhead;
  QApplication app(argc, argv);
  bool userSettings = false;
  if (const int status =
          EnterSettingsFolderOfArguments(QCoreApplication::arguments(), userSettings)) {
    return status;
  }
  halvoric::InstallQtDiagnostics();
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the application object");
  halvoric::TTessivar_Form* window = nullptr;
  const QString address = halvoric::UserInstanceAddress();
  if (address.isEmpty()) {
    std::fprintf(stderr,
                 "halvoric: no folder of this user's alone for the one-monitor guard (another "
                 "user made or may write it); a second start will not be noticed\n");
  }
  halvoric::SingleInstance instance(address);
  if (instance.HandOverToRunningInstance([&window] {
        if (window != nullptr) window->BringWindowToFront();
      })) {
    std::fprintf(stderr, "halvoric: already running; its window was brought to the front\n");
    return 0;
  }
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the single-instance guard");
  std::unique_ptr<halvoric::TieredDiskControl> disks = halvoric::MakeSystemDiskControl();
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the drives' rights found");
  const halvoric::DriveAccess* access = disks.get();
  // The metrics file names drives as the kernel does, as halvoric-cli does.
  halvoric::LinuxDesktop desktop(std::move(disks), access, [](halvoric::DriveNumber n) {
    return halvoric::WholeDiskName(halvoric::ListWholeDisks("/sys"), n);
  });
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the desktop's services");
  halvoric::PlatformServices services = desktop.Services();
  services.ProtectOnFirstRun = userSettings;
  const halvoric::MainWindow program = halvoric::StartMainWindow(std::move(services));
  window = program.Form.get();
  return halvoric::RunMainWindow(*program.Form);
}
