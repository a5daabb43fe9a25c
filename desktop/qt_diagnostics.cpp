// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_diagnostics.h"

#include <QLoggingCategory>
#include <QString>

#include "base/diagnostics.h"

namespace halvoric {
namespace {

// Only warnings and worse are on by default: the debug lines stay silent.
Q_LOGGING_CATEGORY(accessCategory, "halvoric.access", QtWarningMsg)
Q_LOGGING_CATEGORY(helperCategory, "halvoric.helper", QtWarningMsg)
Q_LOGGING_CATEGORY(sysfsCategory, "halvoric.sysfs", QtWarningMsg)
Q_LOGGING_CATEGORY(trayCategory, "halvoric.tray", QtWarningMsg)

const QLoggingCategory& CategoryOf(DiagnosticArea area) {
  switch (area) {
    case DiagnosticArea::Helper:
      return helperCategory();
    case DiagnosticArea::Sysfs:
      return sysfsCategory();
    case DiagnosticArea::Tray:
      return trayCategory();
    case DiagnosticArea::Access:
      break;
  }
  return accessCategory();
}

void ToQtLog(DiagnosticArea area, std::string_view text) {
  qCDebug(CategoryOf(area)).noquote()
      << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void InstallQtDiagnostics() { SetDiagnosticSink(ToQtLog); }

}  // namespace halvoric
