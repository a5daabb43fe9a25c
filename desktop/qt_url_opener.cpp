// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_url_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace halvoric {

bool QtUrlOpener::OpenUrl(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

bool QtUrlOpener::OpenFile(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace halvoric
