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
  halvoric::SingleInstance instance(halvoric::UserInstanceAddress());
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
