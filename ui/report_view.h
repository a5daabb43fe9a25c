// SPDX-License-Identifier: GPL-3.0-or-later
// The look shared by the window's three lists: report rows with grid lines
// and headers that do not sort, whole-row selection that stays visible, no
// editing.
#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace halvoric {

QTreeWidget* MakeReportView(QWidget* parent, const QStringList& columns);

}  // namespace halvoric
