// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace halvoric {

namespace {
std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

// Every message box carries the program's name, also those raised before the
// main window exists.
QString Title() { return QStringLiteral("Halvoric"); }

// A text may carry a drive's model or serial, which the drive chose: shown as
// it is, never read as markup.
void Show(QMessageBox::Icon icon, const std::string& text) {
  QMessageBox box(icon, Title(), QString::fromStdString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}
}  // namespace

std::optional<std::string> QtFileDialogs::ChooseFileToOpen(const FileDialogSpec& spec) {
  return Chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                             QString::fromStdString(spec.Filter)));
}

std::optional<std::string> QtFileDialogs::ChooseFileToSave(const FileDialogSpec& spec) {
  // Qt's save dialog takes new names and confirms replacing an existing file.
  return Chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), QString(),
                                             QString::fromStdString(spec.Filter)));
}

void QtMessageBoxes::ShowError(const std::string& text) { Show(QMessageBox::Critical, text); }

void QtMessageBoxes::ShowMessage(const std::string& text) { Show(QMessageBox::Information, text); }

void QtMessageBoxes::Alert(const std::string& text) { Show(QMessageBox::Warning, text); }

}  // namespace halvoric
