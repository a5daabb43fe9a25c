// halvoric: the monitor on this machine's drives.
#include <QApplication>

#include "platform/access_levels.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::unique_ptr<halvoric::TieredDiskControl> disks = halvoric::MakeSystemDiskControl();
  const halvoric::DriveAccess* access = disks.get();
  halvoric::LinuxDesktop desktop(std::move(disks), access);
  const auto form = halvoric::StartMainWindow(desktop.Services());
  return halvoric::RunMainWindow(*form);
}
