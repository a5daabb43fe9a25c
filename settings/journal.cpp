// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/journal.h"

#include <QDateTime>
#include <QLocale>

#include "settings/journal_file.h"
#include "settings/journal_line.h"

namespace halvoric {

QString Journal::DatedLine(const std::string& message) const {
  return JournalLine(QDateTime::currentDateTime(), QLocale::system(),
                     QString::fromStdString(message));
}

void Journal::AddLogLine(const std::string& message) {
  const QString line = DatedLine(message);
  view_.AppendJournalLine(line);
  systemLog_.WriteInformation(line.toStdString());
}

void Journal::AddLogLineBareToSystemLog(const std::string& message) {
  view_.AppendJournalLine(DatedLine(message));
  systemLog_.WriteInformation(message);
}

void Journal::Save(const FileDialogSpec& dialog) {
  const std::optional<std::string> path = dialogs_.ChooseFileToSave(dialog);
  if (!path) return;
  if (const Result<> written = WriteJournalFile(*path, view_.JournalText()); !written.Ok()) {
    messages_.ShowError(written.Message);
  }
}

}  // namespace halvoric
