// SPDX-License-Identifier: GPL-3.0-or-later
// The developer diagnostics of base/diagnostics.h as Qt logging categories:
// halvoric.access, .helper, .sysfs, .tray and .startup, at debug level and
// off unless a rule turns them on, e.g. QT_LOGGING_RULES="halvoric.*=true".
#pragma once

namespace halvoric {

// Sends every diagnostic to its area's category from now on.
void InstallQtDiagnostics();

}  // namespace halvoric
