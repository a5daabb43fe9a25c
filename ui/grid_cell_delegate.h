// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a list's cells with grid lines, as a report view with grid lines
// shows them: each cell's right and bottom edge in the style's grid colour.
#pragma once

#include <QStyledItemDelegate>

namespace halvoric {

class GridCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

  // The colour the lines are drawn in for `option`'s widget.
  static QColor GridColour(const QStyleOptionViewItem& option);

 protected:
  static void DrawGridLines(QPainter* painter, const QStyleOptionViewItem& option);
};

}  // namespace halvoric
