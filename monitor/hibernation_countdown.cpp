// The emergency countdown of a popup alert: one tick a second in the window
// caption, and at zero the hibernation request.
#include <QDateTime>
#include <QLocale>

#include "settings/journal_line.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {
constexpr const char* kHibernatedLine = "Halvoric was Hibernated";
}  // namespace

void TTessivar_Form::Hibernate_TimerTimer() {
  if (HibernateCountdown > 0) --HibernateCountdown;
  setWindowTitle(QString("Hibernate on %1s").arg(HibernateCountdown));
  if (HibernateCountdown != 0) return;

  // The Log page gets the dated line, the system log the bare text.
  Log_Memo->appendPlainText(
      JournalLine(QDateTime::currentDateTime(), QLocale::system(), kHibernatedLine));
  EventLogWriter1.WriteInformation(kHibernatedLine);
  Hibernate_Timer->stop();
  const Result<> hibernated = Platform.PowerControl.Hibernate();
  if (!hibernated.Ok()) AddLogLine("Hibernation was refused: " + hibernated.Message);
}

}  // namespace halvoric
