// halvoric: the monitor on this machine's drives, one per user.
#include <QApplication>
#include <cstdio>

#include "platform/access_levels.h"
#include "platform/qt_diagnostics.h"
#include "shell/single_instance.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  halvoric::InstallQtDiagnostics();
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
  std::unique_ptr<halvoric::TieredDiskControl> disks = halvoric::MakeSystemDiskControl();
  const halvoric::DriveAccess* access = disks.get();
  halvoric::LinuxDesktop desktop(std::move(disks), access);
  const auto form = halvoric::StartMainWindow(desktop.Services());
  window = form.get();
  return halvoric::RunMainWindow(*form);
}
