// The coloured "Status" columns of the drive list and the SMART Info page.
#include "ui/status_cell_delegate.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {
constexpr int kDriveStatusColumn = 3;
constexpr int kAttributeStatusColumn = 6;
}  // namespace

void TTessivar_Form::BuildStatusColumns() {
  HDDs_ListView->setItemDelegateForColumn(
      kDriveStatusColumn,
      new StatusCellDelegate({QPoint(13, -2), true, OK_Image->pixmap(), BAD_Image->pixmap()},
                             HDDs_ListView));
  SMARTInfo_ListView->setItemDelegateForColumn(
      kAttributeStatusColumn,
      new StatusCellDelegate({QPoint(20, -3), false, OK_Image->pixmap(), BAD_Image->pixmap()},
                             SMARTInfo_ListView));
}

}  // namespace halvoric
