// SPDX-License-Identifier: GPL-3.0-or-later
// A picture on the window that can be clicked, like the maker's logo.
#pragma once

#include <QLabel>

namespace halvoric {

class TImage : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace halvoric
