// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/journal_line.h"

namespace halvoric {

QString ClockTimeFormat(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString clock;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == '\'') quoted = !quoted;
    if (quoted || c != 't') clock += c;
  }
  return clock.trimmed();
}

QString JournalTimeText(const QDateTime& when, const QLocale& locale) {
  return locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
         locale.toString(when.time(), ClockTimeFormat(locale));
}

QString JournalLine(const QDateTime& when, const QLocale& locale, const QString& message) {
  return JournalTimeText(when, locale) + " * " + message;
}

}  // namespace halvoric
