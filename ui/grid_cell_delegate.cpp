// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/grid_cell_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace halvoric {

QColor GridCellDelegate::GridColour(const QStyleOptionViewItem& option) {
  const QStyle* style = option.widget != nullptr ? option.widget->style() : QApplication::style();
  return QColor::fromRgba(
      static_cast<QRgb>(style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget)));
}

void GridCellDelegate::DrawGridLines(QPainter* painter, const QStyleOptionViewItem& option) {
  painter->save();
  painter->setPen(GridColour(option));
  const QRect& cell = option.rect;
  painter->drawLine(cell.topRight(), cell.bottomRight());
  painter->drawLine(cell.bottomLeft(), cell.bottomRight());
  painter->restore();
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  DrawGridLines(painter, option);
}

}  // namespace halvoric
