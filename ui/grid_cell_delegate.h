// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a list's cells with grid lines, as a report view with grid lines
// shows them: each cell's right and bottom edge in the style's grid colour.
// A cell's text is drawn without its trailing blanks, and the cell with the
// keyboard focus is framed where every style shows it.
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
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
  static void DrawGridLines(QPainter* painter, const QStyleOptionViewItem& option);
  static void DrawFocus(QPainter* painter, const QStyleOptionViewItem& option);
};

}  // namespace halvoric
