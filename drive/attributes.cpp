// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/attributes.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/text_trim.h"
#include "drive/nvme_figures.h"
#include "drive/verdict.h"

namespace halvoric {
namespace {

// p advances past every entry in use and stops at the first empty one.
template <typename OnEntry>
void WalkTable(TableData attributes, OnEntry onEntry) {
  for (std::size_t p = 0; p < kTableEntries; ++p) {
    const AttributeEntry entry = AttributeAt(attributes, p);
    if (entry.Id == 0) break;
    onEntry(p, entry);
  }
}

Status EntryStatus(const AttributeEntry& entry, std::int32_t threshold, TableSource source) {
  if (source == TableSource::Nvme) return NvmeStatusOf(entry.Id, RawValue48(entry), threshold);
  return StatusOf(entry.Value, threshold);
}

// A figure outside these is some other count kept in the raw bytes.
constexpr bool PlausibleCelsius(std::int32_t celsius) { return celsius > 0 && celsius <= 100; }

}  // namespace

const char* TemperatureSourceText(TemperatureSource source) {
  switch (source) {
    case TemperatureSource::Attribute194:
      return "attribute 194";
    case TemperatureSource::Attribute190:
      return "attribute 190";
    case TemperatureSource::SctStatus:
      return "SCT status";
    case TemperatureSource::NvmeHealth:
      return "NVMe health log";
    case TemperatureSource::None:
      break;
  }
  return "none";
}

Status StatusOf(std::int32_t value, std::int32_t threshold) {
  return threshold == 0 || value > threshold ? Status::Ok : Status::Bad;
}

std::int32_t ThresholdFor(TableData thresholds, std::size_t p, std::uint8_t id) {
  if (const ThresholdEntry same = ThresholdAt(thresholds, p); same.Id == id) return same.Threshold;
  for (std::size_t q = 0; q < kTableEntries; ++q) {
    if (const ThresholdEntry entry = ThresholdAt(thresholds, q); entry.Id == id) {
      return entry.Threshold;
    }
  }
  return 0;
}

std::optional<TemperatureEntry> TemperatureAttributeOf(TableData attributes) {
  std::optional<TemperatureEntry> airflow;
  std::optional<TemperatureEntry> found;
  WalkTable(attributes, [&](std::size_t p, const AttributeEntry& entry) {
    if (entry.Id == kTemperatureAttribute && !found) found = TemperatureEntry{p, entry};
    if (entry.Id == kAirflowTemperatureAttribute && !airflow) airflow = TemperatureEntry{p, entry};
  });
  return found ? found : airflow;
}

AttributeEntry AttributeAt(TableData attributes, std::size_t p) {
  AttributeEntry entry;
  std::memcpy(&entry, attributes + kTableOffset + p * sizeof entry, sizeof entry);
  return entry;
}

ThresholdEntry ThresholdAt(TableData thresholds, std::size_t p) {
  ThresholdEntry entry;
  std::memcpy(&entry, thresholds + kTableOffset + p * sizeof entry, sizeof entry);
  return entry;
}

std::int32_t TemperatureRawFigure(const AttributeEntry& entry) {
  return entry.Raw[0] + 10 * entry.Raw[1];
}

std::uint64_t RawValue48(const AttributeEntry& entry) {
  std::uint64_t raw = 0;
  for (int i = 5; i >= 0; --i) raw = (raw << 8) | entry.Raw[i];
  return raw;
}

std::string FlagsText(std::uint16_t flags) {
  std::string text = "POSRCK";
  for (std::size_t bit = 0; bit < text.size(); ++bit) {
    if (!(flags & (1u << bit))) text[bit] = '-';
  }
  if (flags >> text.size()) text += '+';
  return text;
}

std::string FlagsLongText(std::uint16_t flags) {
  constexpr const char* kNames[] = {"prefailure", "updated_online", "performance",
                                    "error_rate", "event_count",    "auto_keep"};
  std::string text;
  for (std::size_t bit = 0; bit < std::size(kNames); ++bit) {
    if (!(flags & (1u << bit))) continue;
    if (!text.empty()) text += ',';
    text += kNames[bit];
  }
  return text;
}

void AddAttributeRow(SmartInfoSink& sink, const TableAttribute& attribute) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", attribute.Id);
  sink.AppendSmartInfoRow({hex, attribute.Name, std::to_string(attribute.Threshold),
                           std::to_string(attribute.Value), std::to_string(attribute.Worst),
                           std::to_string(attribute.Raw), attribute.State, attribute.RawText});
}

std::vector<TableAttribute> ListAttributes(TableData attributes, TableData thresholds,
                                           TableSource source, const DriveMeanings& meanings) {
  std::vector<TableAttribute> listed;
  WalkTable(attributes, [&](std::size_t p, const AttributeEntry& entry) {
    const std::int32_t threshold = ThresholdFor(thresholds, p, entry.Id);
    const bool nvme = source == TableSource::Nvme;
    const AttributeMeaning& meaning = meanings.Of(entry.Id);
    const std::string nvmeName = nvme ? std::string(NvmeFigureName(entry.Id)) : std::string();
    listed.push_back(
        {.Id = entry.Id,
         .Name = nvme ? nvmeName : meaning.Shown,
         .SmartctlName = nvme ? std::string(TrimControls(nvmeName)) : meaning.Name,
         .Flags = static_cast<std::uint16_t>(entry.Flags[0] | entry.Flags[1] << 8),
         .Value = entry.Value,
         .Worst = entry.Worst,
         .Threshold = threshold,
         .Raw = RawValue48(entry),
         .RawText = nvme ? std::to_string(RawValue48(entry)) : RawString(meaning.Layout, entry),
         .State = EntryStatus(entry, threshold, source)});
  });
  return listed;
}

void ShowAttributes(SmartInfoSink& sink, TableData attributes, TableData thresholds,
                    TableSource source, const DriveMeanings& meanings) {
  for (const TableAttribute& attribute : ListAttributes(attributes, thresholds, source, meanings)) {
    AddAttributeRow(sink, attribute);
  }
}

DriveSummary DecodeDriveSummary(TableData attributes, TableData thresholds, TableSource source,
                                const DriveMeanings& meanings) {
  DriveSummary summary;
  if (const std::optional<TemperatureEntry> found = TemperatureAttributeOf(attributes)) {
    const AttributeEntry& entry = found->Entry;
    summary.Threshold = ThresholdFor(thresholds, found->Position, entry.Id);
    summary.Value = entry.Value;
    summary.Worst = entry.Worst;
    const RawLayout& layout = meanings.Of(entry.Id).Layout;
    const bool tenths = source == TableSource::Ata && layout.Format == RawFormat::Temp10x;
    if (tenths) {
      // The drive keeps tenths of a degree: any other reading is ten times too hot.
      const std::optional<int> celsius = RawCelsius(layout, entry);
      summary.TemperatureFrom = entry.Id == kTemperatureAttribute ? TemperatureSource::Attribute194
                                                                  : TemperatureSource::Attribute190;
      summary.Temperature = celsius.value_or(summary.Value);
    } else if (entry.Id == kTemperatureAttribute) {
      summary.TemperatureFrom = source == TableSource::Nvme ? TemperatureSource::NvmeHealth
                                                            : TemperatureSource::Attribute194;
      summary.Temperature = TemperatureRawFigure(entry);
      // Drives that keep other figures in the raw bytes fall back on the value.
      if (!PlausibleCelsius(summary.Temperature)) summary.Temperature = summary.Value;
    } else if (PlausibleCelsius(entry.Raw[0])) {
      // The airflow temperature is the low raw byte; the others hold its
      // extremes on some drives.
      summary.TemperatureFrom = TemperatureSource::Attribute190;
      summary.Temperature = entry.Raw[0];
    } else {
      summary.Threshold = NoThreshold;
    }
  } else {
    // Without one, the figures of the entry the walk ended at: the first
    // empty one, or the 12 bytes behind a full table.
    std::size_t end = 0;
    WalkTable(attributes, [&end](std::size_t p, const AttributeEntry&) { end = p + 1; });
    summary.Value = AttributeAt(attributes, end).Value;
    summary.Worst = AttributeAt(attributes, end).Worst;
  }
  JudgeTables(ListAttributes(attributes, thresholds, source, meanings), source, summary);
  return summary;
}

}  // namespace halvoric
