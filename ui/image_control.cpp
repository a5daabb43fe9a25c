// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/image_control.h"

#include <QMouseEvent>

namespace halvoric {

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit Clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace halvoric
