// SPDX-License-Identifier: GPL-3.0-or-later
// How a journal line reads: local date and time, " * ", the message.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace halvoric {

// The locale's long time format without its time-zone part: the journal
// wants the clock time with seconds, not a zone name on every line.
QString ClockTimeFormat(const QLocale& locale);

// Short date, a blank and the clock time in the locale's forms.
QString JournalTimeText(const QDateTime& when, const QLocale& locale);

QString JournalLine(const QDateTime& when, const QLocale& locale, const QString& message);

}  // namespace halvoric
