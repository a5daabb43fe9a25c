// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_diagnostics.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>
#include <atomic>

#include "base/diagnostics.h"

namespace halvoric {
namespace {

// Only warnings and worse are on by default: the debug lines stay silent.
Q_LOGGING_CATEGORY(accessCategory, "halvoric.access", QtWarningMsg)
Q_LOGGING_CATEGORY(helperCategory, "halvoric.helper", QtWarningMsg)
Q_LOGGING_CATEGORY(sysfsCategory, "halvoric.sysfs", QtWarningMsg)
Q_LOGGING_CATEGORY(trayCategory, "halvoric.tray", QtWarningMsg)
Q_LOGGING_CATEGORY(startupCategory, "halvoric.startup", QtWarningMsg)

// The start-up timeline's clock, started before main: what the loader and
// the static objects took shows in the first phase.
QElapsedTimer StartedTimer() {
  QElapsedTimer timer;
  timer.start();
  return timer;
}
const QElapsedTimer sinceStart = StartedTimer();
// Phases end on the drives' thread too.
std::atomic<qint64> lastPhaseEnd{0};

const QLoggingCategory& CategoryOf(DiagnosticArea area) {
  switch (area) {
    case DiagnosticArea::Helper:
      return helperCategory();
    case DiagnosticArea::Sysfs:
      return sysfsCategory();
    case DiagnosticArea::Tray:
      return trayCategory();
    case DiagnosticArea::Startup:
      return startupCategory();
    case DiagnosticArea::Access:
      break;
  }
  return accessCategory();
}

void ToQtLog(DiagnosticArea area, std::string_view text) {
  const QLoggingCategory& category = CategoryOf(area);
  if (!category.isDebugEnabled()) return;
  const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (area != DiagnosticArea::Startup) {
    qCDebug(category).noquote() << line;
    return;
  }
  // "at 41.2 ms, +3.1 ms: the splash shown": when the phase ended, and how
  // long since the one before it ended.
  const qint64 now = sinceStart.nsecsElapsed() / 1000;
  const qint64 before = lastPhaseEnd.exchange(now);
  qCDebug(category).noquote() << QStringLiteral("at %1 ms, +%2 ms: %3")
                                     .arg(static_cast<double>(now) / 1000, 0, 'f', 1)
                                     .arg(static_cast<double>(now - before) / 1000, 0, 'f', 1)
                                     .arg(line);
}

}  // namespace

void InstallQtDiagnostics() { SetDiagnosticSink(ToQtLog); }

}  // namespace halvoric
