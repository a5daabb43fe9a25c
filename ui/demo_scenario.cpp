// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/demo_scenario.h"

#include <QDir>
#include <QFileInfo>

namespace halvoric {

QString DemoScenarioPath(const QString& executableDir) {
  const QDir dir(executableDir);
  const QString beside = dir.filePath("scenarios/demo.scenario");
  const QString installed = dir.filePath("../share/halvoric/scenarios/demo.scenario");
  if (!QFileInfo::exists(beside) && QFileInfo::exists(installed)) {
    return QDir::cleanPath(installed);
  }
  return beside;
}

}  // namespace halvoric
