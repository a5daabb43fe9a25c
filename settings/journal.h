// SPDX-License-Identifier: GPL-3.0-or-later
// The journal: dated lines on the Log page, each mirrored to the system log,
// and the page's Save and Clear buttons.
#pragma once

#include <QString>
#include <string>

#include "services/file_dialogs.h"
#include "services/message_boxes.h"
#include "settings/event_log_writer.h"

namespace halvoric {

// What the rest of the program writes to the journal.
class JournalLines {
 public:
  virtual ~JournalLines() = default;
  // The dated line on the Log page and in the system log.
  virtual void AddLogLine(const std::string& message) = 0;
  // The dated line on the Log page, the bare message in the system log.
  virtual void AddLogLineBareToSystemLog(const std::string& message) = 0;
};

// The Log page's text.
class JournalView {
 public:
  virtual ~JournalView() = default;
  virtual void AppendJournalLine(const QString& line) = 0;
  virtual QString JournalText() const = 0;
  virtual void ClearJournal() = 0;
};

class Journal final : public JournalLines {
 public:
  Journal(JournalView& view, TEventLogWriter& systemLog, FileDialogs& dialogs,
          MessageBoxes& messages)
      : view_(view), systemLog_(systemLog), dialogs_(dialogs), messages_(messages) {}

  void AddLogLine(const std::string& message) override;
  void AddLogLineBareToSystemLog(const std::string& message) override;

  // Asks where, then writes the page's lines there; a failure is shown and
  // the journal stays as it was.
  void Save(const FileDialogSpec& dialog);
  void Clear() { view_.ClearJournal(); }

 private:
  QString DatedLine(const std::string& message) const;

  JournalView& view_;
  TEventLogWriter& systemLog_;
  FileDialogs& dialogs_;
  MessageBoxes& messages_;
};

}  // namespace halvoric
