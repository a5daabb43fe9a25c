// The journal on the Log page, mirrored to the system log, and the page's
// Save and Clear buttons.
#include <QDateTime>
#include <QLocale>

#include "settings/journal_file.h"
#include "settings/journal_line.h"
#include "ui/tessivar_form.h"

namespace halvoric {

void TTessivar_Form::AddLogLine(const std::string& message) {
  const QString line =
      JournalLine(QDateTime::currentDateTime(), QLocale::system(), QString::fromStdString(message));
  Log_Memo->appendPlainText(line);
  EventLogWriter1.WriteInformation(line.toStdString());
}

void TTessivar_Form::Save_ButtonClick() {
  const std::optional<std::string> path = Platform.Dialogs.ChooseFileToSave(SaveDialog1);
  if (!path) return;
  if (const Result<> written = WriteJournalFile(*path, Log_Memo->toPlainText()); !written.Ok()) {
    Platform.Messages.ShowError(written.Message);
  }
}

void TTessivar_Form::Clear_ButtonClick() { Log_Memo->clear(); }

}  // namespace halvoric
