// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/status_cell_delegate.h"

#include <QAbstractItemView>
#include <QPainter>

namespace halvoric {

StatusCellDelegate::StatusCellDelegate(StatusCellLook look, QObject* parent)
    : GridCellDelegate(parent), look_(std::move(look)) {}

StatusCellDelegate::Shown StatusCellDelegate::ShownFor(const QModelIndex& index) const {
  struct Row {
    const char* Text;
    Shown Look;
  };
  // Case-sensitive: only the texts the drive core writes.
  const Row rows[] = {
      {"OK", {StatusOkColour, &look_.OkPicture}},
      {"WARN", {StatusWarnColour, &look_.WarnPicture}},
      {"N/A", {std::nullopt, nullptr}},
  };
  const QString text = index.data(Qt::DisplayRole).toString();
  for (const Row& row : rows) {
    if (text == QLatin1String(row.Text)) return row.Look;
  }
  return {StatusBadColour, &look_.BadPicture};
}

void StatusCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (look_.Bold) option->font.setBold(true);
  if (const std::optional<QColor> colour = ShownFor(index).Colour) {
    option->palette.setColor(QPalette::Text, *colour);
  }
}

void StatusCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (const QPixmap* picture = ShownFor(index).Picture) {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QPoint rowCorner = view != nullptr ? view->visualRect(index.siblingAtColumn(0)).topLeft()
                                             : option.rect.topLeft();
    painter->drawPixmap(rowCorner + look_.PictureOffset, *picture);
  }
  QStyledItemDelegate::paint(painter, option, index);
  DrawGridLines(painter, option);
  DrawFocus(painter, option);
}

}  // namespace halvoric
