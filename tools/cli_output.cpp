#include "tools/cli_output.h"

#include <algorithm>
#include <cstdio>
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

// The SMART Info columns are decimal numbers, or "-" (null in JSON) for a
// figure the drive did not report.
std::string JsonFigure(const std::string& text) {
  if (text == "-") return "null";
  const std::size_t digits = text.starts_with('-') ? 1 : 0;
  const bool number =
      text.size() > digits &&
      std::all_of(text.begin() + digits, text.end(), [](char c) { return c >= '0' && c <= '9'; });
  return number ? text : JsonString(text);
}

}  // namespace

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    char escaped[12];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const std::size_t n = Utf8SequenceAt(bytes, i)) {
      // Escaped, a C1 control or a bidirectional override reaches whoever
      // prints the parsed value, but not the terminal showing the JSON.
      if (const char32_t code = Utf8CodePoint(bytes, i, n); IsSteeringCharacter(code)) {
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
        out += escaped;
      } else {
        out.append(bytes, i, n);
      }
      i += n;
      continue;
    } else {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    }
    ++i;
  }
  return out + "\"";
}

void PrintDriveList(std::ostream& out, const std::vector<ListedDrive>& drives, bool json) {
  if (json) {
    out << "{\"drives\": [";
    for (std::size_t i = 0; i < drives.size(); ++i) {
      const auto& [row, summary] = drives[i];
      out << (i ? ",\n  " : "\n  ") << "{\"id\": " << JsonString(row.Id)
          << ", \"model\": " << JsonString(row.Model) << ", \"temp\": " << JsonString(row.Temp)
          << ", \"status\": " << JsonString(StatusText(row.State))
          << ", \"summary\": {\"temperature\": " << summary.Temperature
          << ", \"threshold\": " << summary.Threshold << ", \"value\": " << summary.Value
          << ", \"worst\": " << summary.Worst << "}}";
    }
    out << (drives.empty() ? "]}\n" : "\n]}\n");
    return;
  }
  out << Column("ID", 4) << Column("Model", 42) << Column("Temp", 8) << "Status\n";
  for (const auto& [row, summary] : drives) {
    out << Column(row.Id, 4) << Column(row.Model, 42) << Column(row.Temp, 8)
        << StatusText(row.State) << "\n";
  }
}

void PrintPowerModes(std::ostream& out, const std::vector<DrivePower>& drives, bool json) {
  if (json) {
    out << "{\"drives\": [";
    for (std::size_t i = 0; i < drives.size(); ++i) {
      out << (i ? ",\n  " : "\n  ") << "{\"id\": " << JsonString(drives[i].Id)
          << ", \"power\": " << JsonString(PowerModeName(drives[i].Mode)) << "}";
    }
    out << (drives.empty() ? "]}\n" : "\n]}\n");
    return;
  }
  out << Column("ID", 4) << "Power\n";
  for (const DrivePower& drive : drives) {
    out << Column(drive.Id, 4) << PowerModeName(drive.Mode) << "\n";
  }
}

void PrintDetails(std::ostream& out, DriveNumber drive, const CollectingSinks& rows, bool json) {
  // Written as text: scripts read the "drive" field as a string.
  const std::string driveText = std::to_string(drive);
  if (json) {
    out << "{\"drive\": " << JsonString(driveText) << ",\n \"diskInfo\": [";
    for (std::size_t i = 0; i < rows.diskInfo.size(); ++i) {
      const DiskInfoRow& row = rows.diskInfo[i];
      out << (i ? ",\n  " : "\n  ") << "{\"name\": " << JsonString(row.Caption)
          << ", \"value\": " << (row.Value ? JsonString(*row.Value) : "null") << "}";
    }
    out << "],\n \"smartInfo\": [";
    for (std::size_t i = 0; i < rows.smartInfo.size(); ++i) {
      const SmartInfoRow& row = rows.smartInfo[i];
      out << (i ? ",\n  " : "\n  ") << "{\"id\": " << JsonString(row.Id)
          << ", \"name\": " << JsonString(row.Name)
          << ", \"threshold\": " << JsonFigure(row.Threshold)
          << ", \"value\": " << JsonFigure(row.Value) << ", \"worst\": " << JsonFigure(row.Worst)
          << ", \"raw\": " << JsonFigure(row.Raw)
          << ", \"status\": " << JsonString(StatusText(row.State)) << "}";
    }
    out << "]}\n";
    return;
  }
  out << "Disk Info of drive " << driveText << "\n";
  std::size_t width = 4;
  for (const auto& row : rows.diskInfo) width = std::max(width, row.Caption.size() + 2);
  for (const auto& row : rows.diskInfo) {
    out << "  " << Column(row.Caption, width) << Printable(row.Value.value_or("")) << "\n";
  }
  out << "\nSMART Info of drive " << driveText << "\n  " << Column("ID", 4)
      << Column("Attribute Name", 28) << Column("Threshold", 11) << Column("Value", 7)
      << Column("Worst", 7) << Column("RAW", 16) << "Status\n";
  for (const auto& row : rows.smartInfo) {
    out << "  " << Column(row.Id, 4) << Column(row.Name, 28) << Column(row.Threshold, 11)
        << Column(row.Value, 7) << Column(row.Worst, 7) << Column(row.Raw, 16)
        << StatusText(row.State) << "\n";
  }
}

}  // namespace halvoric::cli
