#include "ui/status_cell_delegate.h"

#include <QAbstractItemView>
#include <QPainter>

namespace halvoric {

StatusCellDelegate::StatusCellDelegate(StatusCellLook look, QObject* parent)
    : GridCellDelegate(parent), look_(std::move(look)) {}

bool StatusCellDelegate::IsOk(const QModelIndex& index) {
  return index.data(Qt::DisplayRole).toString() == QLatin1String("OK");
}

void StatusCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (look_.Bold) option->font.setBold(true);
  option->palette.setColor(QPalette::Text, IsOk(index) ? StatusOkColour : StatusBadColour);
}

void StatusCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  const QPoint rowCorner = view != nullptr ? view->visualRect(index.siblingAtColumn(0)).topLeft()
                                           : option.rect.topLeft();
  painter->drawPixmap(rowCorner + look_.PictureOffset,
                      IsOk(index) ? look_.OkPicture : look_.BadPicture);
  QStyledItemDelegate::paint(painter, option, index);
  DrawGridLines(painter, option);
}

}  // namespace halvoric
