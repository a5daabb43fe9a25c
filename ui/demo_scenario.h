// SPDX-License-Identifier: GPL-3.0-or-later
// Where halvoric-demo finds the scenario it shows when given none.
#pragma once

#include <QString>

namespace halvoric {

// scenarios/demo.scenario beside the executable (the build tree), else in
// ../share/halvoric/ (an installed tree); the first of them that exists,
// or the first one when neither does.
QString DemoScenarioPath(const QString& executableDir);

}  // namespace halvoric
