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

void QtMessageBoxes::ShowError(const std::string& text) {
  QMessageBox::critical(QApplication::activeWindow(), Title(), QString::fromStdString(text));
}

void QtMessageBoxes::ShowMessage(const std::string& text) {
  QMessageBox::information(QApplication::activeWindow(), Title(), QString::fromStdString(text));
}

void QtMessageBoxes::Alert(const std::string& text) {
  QMessageBox::warning(QApplication::activeWindow(), Title(), QString::fromStdString(text));
}

}  // namespace halvoric
