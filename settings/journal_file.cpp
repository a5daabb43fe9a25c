// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/journal_file.h"

#include <QFile>

namespace halvoric {

Result<> WriteJournalFile(const std::string& path, const QString& journal) {
  QByteArray bytes;
  if (!journal.isEmpty()) {
    for (const QString& line : journal.split('\n')) bytes += line.toUtf8() + "\r\n";
  }
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush()) {
    return Failure{"Cannot create file \"" + path + "\". " + file.errorString().toStdString()};
  }
  return Result<>::Done();
}

}  // namespace halvoric
