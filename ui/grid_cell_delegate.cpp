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

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  // Drives pad their strings with blanks; drawn, they push a short model
  // into an elision. The item keeps them for whatever compares it.
  qsizetype end = option->text.size();
  while (end > 0 && option->text[end - 1].isSpace()) --end;
  option->text.truncate(end);
}

void GridCellDelegate::DrawFocus(QPainter* painter, const QStyleOptionViewItem& option) {
  // The default style frames the focus only after a key moved it, and then
  // faintly: a list reached by Tab looked as if nothing in it had the focus.
  if (!(option.state & QStyle::State_HasFocus) || option.widget == nullptr ||
      !option.widget->hasFocus()) {
    return;
  }
  painter->save();
  const bool selected = option.state & QStyle::State_Selected;
  QPen pen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight), 1,
           Qt::DotLine);
  painter->setPen(pen);
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
  painter->restore();
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  DrawGridLines(painter, option);
  DrawFocus(painter, option);
}

}  // namespace halvoric
