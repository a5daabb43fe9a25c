// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline of the idle benchmark: the least a Qt 6 program with the same
// visible parts needs (a list, four tabs, a tray icon), doing nothing.
#include <QApplication>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Bare");
  auto* layout = new QVBoxLayout(&window);
  auto* list = new QTreeWidget(&window);
  list->setHeaderLabels({"ID", "Model", "Temp", "Status"});
  for (int i = 0; i < 4; ++i) {
    new QTreeWidgetItem(list, {QString::number(i), "Disk", "40°C", "OK"});
  }
  layout->addWidget(list);
  auto* pages = new QTabWidget(&window);
  for (const char* page : {"Disk Info", "SMART Info", "Preferences", "Log"}) {
    pages->addTab(new QWidget(pages), page);
  }
  layout->addWidget(pages);
  window.resize(541, 525);
  QPixmap picture(16, 16);
  picture.fill(Qt::darkGreen);
  QSystemTrayIcon tray{QIcon(picture)};
  tray.show();
  window.show();
  return app.exec();
}
