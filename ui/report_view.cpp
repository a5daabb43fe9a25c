// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/report_view.h"

#include <QHeaderView>
#include <QPalette>

#include "ui/grid_cell_delegate.h"

namespace halvoric {

QTreeWidget* MakeReportView(QWidget* parent, const QStringList& columns) {
  auto* view = new QTreeWidget(parent);
  view->setColumnCount(columns.size());
  view->setHeaderLabels(columns);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setFrameShape(QFrame::NoFrame);
  view->header()->setSectionsClickable(false);
  view->header()->setSectionsMovable(false);
  view->header()->setStretchLastSection(false);
  QPalette palette = view->palette();
  for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  view->setPalette(palette);
  view->setItemDelegate(new GridCellDelegate(view));
  return view;
}

}  // namespace halvoric
