// halvoric: the monitor on this machine's drives.
#include <QApplication>

#include "platform/linux_disk_control.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  halvoric::LinuxDesktop desktop(halvoric::MakeSystemDiskControl());
  const auto form = halvoric::StartMainWindow(desktop.Services());
  return app.exec();
}
