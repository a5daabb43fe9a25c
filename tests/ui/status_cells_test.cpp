// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QStyleOptionViewItem>
#include <map>

#include "form_fixture.h"
#include "ui/grid_cell_delegate.h"
#include "ui/status_cell_delegate.h"

namespace halvoric::testing {
namespace {

struct CellCase {
  const char* Name;
  bool DriveList;  // else the SMART Info list
  QString Status;
  QColor Colour;  // invalid: the list's own text colour
  bool Bold;
  const char* Picture;  // "OK", "WARN", "BAD"; null for none
};

class StatusCellTest : public FormTest, public ::testing::WithParamInterface<CellCase> {};

// A pixel inside the picture, below the row's top edge, where OK and BAD differ.
std::optional<QPoint> TellingPixel(const QImage& ok, const QImage& bad) {
  for (int y = 3; y < ok.height(); ++y)
    for (int x = 0; x < ok.width(); ++x)
      if (ok.pixelColor(x, y).alpha() == 255 && bad.pixelColor(x, y).alpha() == 255 &&
          ok.pixelColor(x, y) != bad.pixelColor(x, y))
        return QPoint(x, y);
  return std::nullopt;
}

TEST_P(StatusCellTest, ColourBoldnessAndPicture) {
  const CellCase& c = GetParam();
  TTessivar_Form& form = Start(DrivesScenario({0}));
  QTreeWidget* list = c.DriveList ? form.HDDs_ListView : form.SMARTInfo_ListView;
  const int column = c.DriveList ? 3 : 6;
  const QPoint offset = c.DriveList ? QPoint(13, -2) : QPoint(20, -3);
  ASSERT_GT(list->topLevelItemCount(), 0);
  list->topLevelItem(0)->setText(column, c.Status);
  const QModelIndex cell = list->model()->index(0, column);

  auto* delegate = dynamic_cast<StatusCellDelegate*>(list->itemDelegateForIndex(cell));
  ASSERT_NE(delegate, nullptr);
  QStyleOptionViewItem option;
  option.initFrom(list);
  delegate->initStyleOption(&option, cell);
  EXPECT_EQ(option.palette.color(QPalette::Text),
            c.Colour.isValid() ? c.Colour : list->palette().color(QPalette::Text));
  EXPECT_EQ(option.font.bold(), c.Bold);
  for (int other = 0; other < column; ++other) {
    EXPECT_EQ(dynamic_cast<StatusCellDelegate*>(
                  list->itemDelegateForIndex(list->model()->index(0, other))),
              nullptr)
        << "column " << other << " keeps the window-text colour";
  }

  form.show();
  // A page's list is laid out once its page is shown.
  if (!c.DriveList) form.Main_PageControl->setCurrentWidget(form.SMARTInfo_TabSheet);
  const QImage shot = list->viewport()->grab().toImage();
  const std::map<std::string, QImage> pictures{{"OK", form.OK_Image->pixmap().toImage()},
                                               {"WARN", form.WARN_Image->pixmap().toImage()},
                                               {"BAD", form.BAD_Image->pixmap().toImage()}};
  const QPoint rowCorner = list->visualRect(list->model()->index(0, 0)).topLeft() + offset;
  // Where the picture drawn differs from another, the cell shows it; with
  // none drawn, it shows none of them.
  const QImage* drawn = c.Picture ? &pictures.at(c.Picture) : nullptr;
  for (const auto& [name, one] : pictures) {
    for (const auto& [otherName, other] : pictures) {
      if (name == otherName || (drawn && &one != drawn)) continue;
      const std::optional<QPoint> pixel = TellingPixel(one, other);
      ASSERT_TRUE(pixel.has_value());
      EXPECT_EQ(shot.pixelColor(rowCorner + *pixel) == one.pixelColor(*pixel), drawn != nullptr)
          << name << " beside " << otherName;
    }
  }
  if (!drawn) return;
  // The picture's black background is not drawn: what lies beneath shows.
  const QPoint corner(0, drawn->height() - 1);
  EXPECT_EQ(drawn->pixelColor(corner).alpha(), 0);
  EXPECT_NE(shot.pixelColor(rowCorner + corner), QColor(Qt::black));
}

// Each cell of the three lists, status cells too, ends right and below in a
// grid line. The last row is looked at: the current row carries the focus
// frame instead.
TEST_F(FormTest, EveryListDrawsGridLines) {
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  form.show();
  for (QTreeWidget* list : {form.HDDs_ListView, form.DiskInfo_ListView, form.SMARTInfo_ListView}) {
    SCOPED_TRACE(list->columnCount());
    // A page's list is laid out once its page is shown.
    const int page = form.Main_PageControl->indexOf(list->parentWidget());
    if (page >= 0) form.Main_PageControl->setCurrentIndex(page);
    const int row = list->topLevelItemCount() - 1;
    ASSERT_GT(row, 0);
    const QImage shot = list->viewport()->grab().toImage();
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.widget = list;
    const QColor grid = GridCellDelegate::GridColour(option);
    for (int column = 0; column < list->columnCount(); ++column) {
      const QRect cell = list->visualRect(list->model()->index(row, column));
      // Near the right end: the status picture lies over the row's left end.
      EXPECT_EQ(shot.pixelColor(cell.right() - 2, cell.bottom()), grid) << column;
      EXPECT_EQ(shot.pixelColor(cell.right(), cell.center().y()), grid) << column;
    }
  }
}

// What a keyboard user meets in the drive list: a model cell as wide as its
// model, the cell with the focus framed, the menu on Shift+F10 as on the
// menu key.
TEST_F(FormTest, TheDriveListReadsAndWorksFromTheKeyboard) {
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  form.show();
  form.activateWindow();
  ASSERT_TRUE(RunUntil([&] { return form.isActiveWindow(); }));
  QTreeWidget& list = *form.HDDs_ListView;
  QTreeWidgetItem* row = list.topLevelItem(0);
  // The item keeps the drive's padding; only the drawing leaves it out.
  const QString padded = row->text(1);
  ASSERT_NE(padded, padded.trimmed());
  const QModelIndex model = list.model()->index(0, 1);
  QStyleOptionViewItem option;
  option.initFrom(&list);
  option.widget = &list;
  const QSize drawn = list.itemDelegateForIndex(model)->sizeHint(option, model);
  row->setText(1, padded.trimmed());
  EXPECT_EQ(list.itemDelegateForIndex(model)->sizeHint(option, model), drawn);
  row->setText(1, padded);

  list.setCurrentItem(row);
  const QRect cell = list.visualRect(list.currentIndex());
  form.Main_PageControl->setFocus();
  const QImage unfocused = list.viewport()->grab(cell).toImage();
  list.setFocus();
  ASSERT_TRUE(list.hasFocus());
  EXPECT_NE(list.viewport()->grab(cell).toImage(), unfocused);

  QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
  QApplication::sendEvent(&list, &shiftF10);
  EXPECT_TRUE(form.HDDs_PopupMenu->isVisible());
  form.HDDs_PopupMenu->close();
}

const QColor kGreen(0, 128, 0);
const QColor kAmber(200, 120, 0);
const QColor kRed(255, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Cells, StatusCellTest,
    ::testing::Values(CellCase{"DriveOk", true, "OK", kGreen, true, "OK"},
                      CellCase{"DriveWarn", true, "WARN", kAmber, true, "WARN"},
                      CellCase{"DriveBad", true, "BAD", kRed, true, "BAD"},
                      CellCase{"DriveNotRead", true, "N/A", QColor(), true, nullptr},
                      CellCase{"DriveLowercaseOkIsBad", true, "ok", kRed, true, "BAD"},
                      CellCase{"AttributeOk", false, "OK", kGreen, false, "OK"},
                      CellCase{"AttributeBad", false, "BAD", kRed, false, "BAD"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace halvoric::testing
