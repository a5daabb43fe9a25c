// Places a window in the middle of the desktop it is on.
#pragma once

#include <QWidget>

namespace halvoric {

void CentreOnScreen(QWidget& window);

}  // namespace halvoric
