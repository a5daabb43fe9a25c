// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/cli_output.h"

#include <algorithm>
#include <iomanip>

#include "base/utf8.h"

namespace halvoric::cli {
namespace {

// A drive writes its own strings: none of their bytes may reach a terminal
// as a control sequence or reorder the line it is printed on.
std::string Printable(const std::string& text) { return PrintableText(text); }

// The printable text padded to `width` characters.
std::string Column(const std::string& text, std::size_t width) {
  const std::string shown = Printable(text);
  const std::size_t characters =
      static_cast<std::size_t>(std::count_if(shown.begin(), shown.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      }));
  return characters >= width ? shown : shown + std::string(width - characters, ' ');
}

}  // namespace

void PrintDriveList(std::ostream& out, const std::vector<DriveListRow>& drives) {
  out << Column("ID", 4) << Column("Model", 42) << Column("Temp", 8) << "Status\n";
  for (const DriveListRow& row : drives) {
    out << Column(row.Id, 4) << Column(row.Model, 42) << Column(row.Temp, 8);
    if (row.Reasons.empty()) {
      out << StatusText(row.State) << "\n";
      continue;
    }
    out << Column(StatusText(row.State), 6);
    for (std::size_t i = 0; i < row.Reasons.size(); ++i) {
      out << (i ? ", " : "") << Printable(row.Reasons[i]);
    }
    out << "\n";
  }
}

void PrintPowerModes(std::ostream& out, const std::vector<DrivePower>& drives) {
  out << Column("ID", 4) << "Power\n";
  for (const DrivePower& drive : drives) {
    out << Column(drive.Id, 4) << PowerModeName(drive.Mode) << "\n";
  }
}

void PrintDetails(std::ostream& out, DriveNumber drive, const CollectingSinks& rows) {
  const std::string driveText = std::to_string(drive);
  out << "Disk Info of drive " << driveText << "\n";
  std::size_t width = 4;
  for (const auto& row : rows.diskInfo) width = std::max(width, row.Caption.size() + 2);
  for (const auto& row : rows.diskInfo) {
    out << "  " << Column(row.Caption, width) << Printable(row.Value.value_or("")) << "\n";
  }
  // NVMe figures' names run longer than the catalogue's 26 characters.
  std::size_t nameWidth = 28;
  for (const auto& row : rows.smartInfo) nameWidth = std::max(nameWidth, row.Name.size() + 2);
  out << "\nSMART Info of drive " << driveText << "\n  " << Column("ID", 4)
      << Column("Attribute Name", nameWidth) << Column("Threshold", 11) << Column("Value", 7)
      << Column("Worst", 7) << Column("RAW", 16) << "Status\n";
  for (const auto& row : rows.smartInfo) {
    out << "  " << Column(row.Id, 4) << Column(row.Name, nameWidth) << Column(row.Threshold, 11)
        << Column(row.Value, 7) << Column(row.Worst, 7) << Column(row.Raw, 16);
    // The raw value as the drive means it, where that says more than the number.
    if (row.RawText.empty() || row.RawText == row.Raw) {
      out << StatusText(row.State) << "\n";
    } else {
      out << Column(StatusText(row.State), 8) << Printable(row.RawText) << "\n";
    }
  }
}

}  // namespace halvoric::cli
