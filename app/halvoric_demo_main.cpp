// SPDX-License-Identifier: GPL-3.0-or-later
// halvoric-demo: the monitor on the simulated drives of a scenario file,
// the bundled demo or the one named as the argument.
#include <malloc.h>

#include <QApplication>
#include <cstdio>

#include "base/diagnostics.h"
#include "desktop/qt_diagnostics.h"
#include "drive/sim/scenario.h"
#include "drive/sim/simulated_disks.h"
#include "ui/demo_scenario.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"
#include "ui/start_read_ahead.h"

int main(int argc, char** argv) {
  // glibc would give each thread that allocates a heap of its own, each
  // with its own slack; the threads here allocate little after start-up and
  // seldom at once, so they share one. Set before any thread starts.
  mallopt(M_ARENA_MAX, 1);
  // Beside the application's making, which leaves the second core idle.
  const halvoric::StartReadAhead readAhead;
  QApplication app(argc, argv);
  halvoric::InstallQtDiagnostics();
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the application object");
  const QStringList arguments = QApplication::arguments();
  const QString path = arguments.size() > 1
                           ? arguments[1]
                           : halvoric::DemoScenarioPath(QApplication::applicationDirPath());
  halvoric::Result<halvoric::sim::Scenario> scenario =
      halvoric::sim::LoadScenario(path.toStdString());
  if (!scenario.Ok()) {
    std::fprintf(stderr, "halvoric-demo: %s\n", scenario.Message.c_str());
    return 1;
  }
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the scenario read");
  halvoric::LinuxDesktop desktop(
      std::make_unique<halvoric::sim::SimulatedDisks>(std::move(*scenario)));
  halvoric::Diagnose(halvoric::DiagnosticArea::Startup, "the desktop's services");
  const halvoric::MainWindow program = halvoric::StartMainWindow(desktop.Services());
  return halvoric::RunMainWindow(*program.Form);
}
