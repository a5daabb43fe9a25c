// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a list's "Status" cells: "OK" in green with the OK picture, "WARN"
// in amber with the WARN picture, "N/A" in the list's own colour without a
// picture, anything else in red with the BAD picture. The picture sits near
// the left end of the row, measured from the row's corner rather than from
// the cell.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <optional>

#include "ui/grid_cell_delegate.h"

namespace halvoric {

inline const QColor StatusOkColour(0, 128, 0);
inline const QColor StatusWarnColour(200, 120, 0);
inline const QColor StatusBadColour(255, 0, 0);

struct StatusCellLook {
  QPoint PictureOffset;  // from the row's upper-left corner
  bool Bold = false;
  QPixmap OkPicture;
  QPixmap WarnPicture;
  QPixmap BadPicture;
};

// Meant for the status column only (setItemDelegateForColumn): the other
// columns keep the list's own text colour.
class StatusCellDelegate : public GridCellDelegate {
 public:
  StatusCellDelegate(StatusCellLook look, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // Public, unlike the base's: the colour and font of a cell can be read
  // without painting it.
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  // How a status text is drawn: no colour keeps the list's, no picture
  // draws none.
  struct Shown {
    std::optional<QColor> Colour;
    const QPixmap* Picture = nullptr;
  };
  Shown ShownFor(const QModelIndex& index) const;

  StatusCellLook look_;
};

}  // namespace halvoric
