// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/raw_format.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace halvoric {
namespace {

constexpr std::pair<std::string_view, RawFormat> kFormatNames[] = {
    {"raw8", RawFormat::Raw8},
    {"raw16", RawFormat::Raw16},
    {"raw48", RawFormat::Raw48},
    {"hex48", RawFormat::Hex48},
    {"raw56", RawFormat::Raw56},
    {"hex56", RawFormat::Hex56},
    {"raw64", RawFormat::Raw64},
    {"hex64", RawFormat::Hex64},
    {"raw16(raw16)", RawFormat::Raw16Raw16},
    {"raw16(avg16)", RawFormat::Raw16Avg16},
    {"raw24(raw8)", RawFormat::Raw24Raw8},
    {"raw24/raw24", RawFormat::Raw24Raw24},
    {"raw24/raw32", RawFormat::Raw24Raw32},
    {"min2hour", RawFormat::Min2Hour},
    {"sec2hour", RawFormat::Sec2Hour},
    {"halfmin2hour", RawFormat::HalfMin2Hour},
    {"msec24hour32", RawFormat::Msec24Hour32},
    {"tempminmax", RawFormat::TempMinMax},
    {"temp10x", RawFormat::Temp10x},
};

// The order a format takes its bytes in when the preset names none.
std::string_view DefaultOrder(RawFormat format) {
  switch (format) {
    case RawFormat::Raw56:
    case RawFormat::Hex56:
    case RawFormat::Raw24Raw32:
    // Milliseconds past a minute need more than two bytes (Seagate's head
    // flying hours): the reserved byte holds the third.
    case RawFormat::Msec24Hour32:
      return "r543210";
    case RawFormat::Raw64:
    case RawFormat::Hex64:
      return "543210wv";
    default:
      return "543210";
  }
}

std::uint8_t ByteOf(char selector, const AttributeEntry& entry) {
  switch (selector) {
    case 'r':
      return entry.Reserved;
    case 'v':
      return entry.Value;
    case 'w':
      return entry.Worst;
    case 'z':
      return 0;
    default:
      return entry.Raw[selector - '0'];
  }
}

// The selected bytes as one number, and the bytes themselves, least
// significant at index 0.
struct Assembled {
  std::uint64_t Number = 0;
  std::uint8_t Bytes[8] = {};
  std::size_t Count = 0;
};

Assembled Assemble(const RawLayout& layout, const AttributeEntry& entry) {
  std::string_view order = layout.ByteOrder;
  if (!ValidByteOrder(order)) order = DefaultOrder(layout.Format);
  Assembled out;
  out.Count = order.size();
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::uint8_t byte = ByteOf(order[i], entry);
    out.Number = (out.Number << 8) | byte;
    out.Bytes[order.size() - 1 - i] = byte;
  }
  return out;
}

template <typename... Args>
std::string Printed(const char* format, Args... args) {
  char text[96];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string Decimal(std::uint64_t n) { return std::to_string(n); }

// Smaller units below an hour: "Xh+YYm", with seconds "Xh+YYm+ZZs".
std::string Hours(std::uint64_t minutes) {
  return Printed("%" PRIu64 "h+%02" PRIu64 "m", minutes / 60, minutes % 60);
}

// A temperature in byte 0 with, on many drives, its lowest and highest in
// two of the other bytes; bytes that fit no known layout are shown as they are.
std::string TempMinMax(const Assembled& raw) {
  const auto b = [&raw](std::size_t i) { return static_cast<int>(raw.Bytes[i]); };
  const int t = static_cast<std::int8_t>(raw.Bytes[0]);
  if ((raw.Number >> 8) == 0) return std::to_string(t);
  const auto spans = [t](int low, int high) { return low <= t && t <= high; };
  if (b(1) == 0 && b(3) == 0 && b(5) == 0) {
    if (spans(b(2), b(4))) return Printed("%d (Min/Max %d/%d)", t, b(2), b(4));
    if (spans(b(4), b(2))) return Printed("%d (Min/Max %d/%d)", t, b(4), b(2));
  }
  // Seagate's airflow temperature counts the times it went over its limit
  // in bytes 4 and 5.
  if (b(1) == 0 && spans(b(2), b(3))) {
    const int count = b(4) | b(5) << 8;
    if (count == 0) return Printed("%d (Min/Max %d/%d)", t, b(2), b(3));
    return Printed("%d (Min/Max %d/%d #%d)", t, b(2), b(3), count);
  }
  if (b(3) == 0 && b(4) == 0 && b(5) == 0 && spans(b(1), b(2))) {
    return Printed("%d (Min/Max %d/%d)", t, b(1), b(2));
  }
  return Printed("%d (%d %d %d %d %d)", t, b(5), b(4), b(3), b(2), b(1));
}

}  // namespace

std::optional<RawFormat> ParseRawFormat(std::string_view name) {
  for (const auto& [known, format] : kFormatNames) {
    if (known == name) return format;
  }
  return std::nullopt;
}

bool ValidByteOrder(std::string_view order) {
  if (order.empty() || order.size() > 8) return false;
  return order.find_first_not_of("012345rvwz") == std::string_view::npos;
}

std::string RawString(const RawLayout& layout, const AttributeEntry& entry) {
  const Assembled raw = Assemble(layout, entry);
  const std::uint64_t n = raw.Number;
  const auto word = [&raw](std::size_t i) {
    return static_cast<unsigned>(raw.Bytes[2 * i] | raw.Bytes[2 * i + 1] << 8);
  };
  switch (layout.Format) {
    case RawFormat::Raw8: {
      std::string text;
      for (std::size_t i = raw.Count; i-- > 0;) {
        text += std::to_string(raw.Bytes[i]) + (i ? " " : "");
      }
      return text;
    }
    case RawFormat::Raw16:
      return Printed("%u %u %u", word(2), word(1), word(0));
    case RawFormat::Raw48:
    case RawFormat::Raw56:
    case RawFormat::Raw64:
      return Decimal(n);
    // Lower-case digits, as smartctl writes them (WD SSDs' 230 shows letters).
    case RawFormat::Hex48:
      return Printed("0x%012" PRIx64, n);
    case RawFormat::Hex56:
      return Printed("0x%014" PRIx64, n);
    case RawFormat::Hex64:
      return Printed("0x%016" PRIx64, n);
    case RawFormat::Raw16Raw16:
      if ((n >> 16) == 0) return Decimal(word(0));
      return Printed("%u (%u %u)", word(0), word(2), word(1));
    case RawFormat::Raw16Avg16:
      if (word(1) == 0) return Decimal(word(0));
      return Printed("%u (Average %u)", word(0), word(1));
    case RawFormat::Raw24Raw8:
      if ((n >> 24) == 0) return Decimal(n & 0xFFFFFF);
      return Printed("%" PRIu64 " (%u %u %u)", n & 0xFFFFFF, raw.Bytes[5], raw.Bytes[4],
                     raw.Bytes[3]);
    case RawFormat::Raw24Raw24:
      return Printed("%" PRIu64 "/%" PRIu64, (n >> 24) & 0xFFFFFF, n & 0xFFFFFF);
    case RawFormat::Raw24Raw32:
      return Printed("%" PRIu64 "/%" PRIu64, (n >> 32) & 0xFFFFFF, n & 0xFFFFFFFF);
    case RawFormat::Min2Hour:
      return Hours(n);
    case RawFormat::Sec2Hour:
      return Hours(n / 60) + Printed("+%02" PRIu64 "s", n % 60);
    case RawFormat::HalfMin2Hour:
      return Hours(n / 2);
    case RawFormat::Msec24Hour32: {
      const std::uint64_t hours = n & 0xFFFFFFFF;
      const std::uint64_t msec = (n >> 32) & 0xFFFFFF;
      return Printed("%" PRIu64 "h+%02" PRIu64 "m+%02" PRIu64 ".%03" PRIu64 "s", hours,
                     msec / 60000, msec / 1000 % 60, msec % 1000);
    }
    case RawFormat::TempMinMax:
      return TempMinMax(raw);
    case RawFormat::Temp10x:
      return Printed("%.1f", static_cast<double>(word(0)) / 10);
  }
  return Decimal(n);
}

std::optional<int> RawCelsius(const RawLayout& layout, const AttributeEntry& entry) {
  int celsius = 0;
  if (layout.Format == RawFormat::TempMinMax) {
    celsius = static_cast<std::int8_t>(Assemble(layout, entry).Bytes[0]);
  } else if (layout.Format == RawFormat::Temp10x) {
    const Assembled raw = Assemble(layout, entry);
    celsius = (raw.Bytes[0] | raw.Bytes[1] << 8) / 10;
  } else {
    return std::nullopt;
  }
  if (celsius <= 0 || celsius > 100) return std::nullopt;
  return celsius;
}

}  // namespace halvoric
