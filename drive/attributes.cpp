#include "drive/attributes.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "drive/attribute_catalogue.h"
#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

// The walk shared by the rows and the summary: p advances past every entry
// in use and stops at the first empty one; the summary also stops at ID 194.
// Returns the position the walk ended at.
template <typename OnEntry>
std::size_t WalkTable(TableData attributes, bool stopAtTemperature, bool& foundTemperature,
                      OnEntry onEntry) {
  std::size_t p = 0;
  foundTemperature = false;
  while (p < kTableEntries) {
    const AttributeEntry entry = AttributeAt(attributes, p);
    if (stopAtTemperature && entry.Id == kTemperatureAttribute) {
      foundTemperature = true;
      break;
    }
    if (entry.Id == 0) break;
    onEntry(p, entry);
    ++p;
  }
  return p;
}

Status EntryStatus(const AttributeEntry& entry, std::int32_t threshold, TableSource source) {
  if (source == TableSource::Nvme) return NvmeStatusOf(entry.Id, RawValue48(entry), threshold);
  return StatusOf(entry.Value, threshold);
}

}  // namespace

Status StatusOf(std::int32_t value, std::int32_t threshold) {
  return value > threshold ? Status::Ok : Status::Bad;
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

void AddAttributeRow(SmartInfoSink& sink, const TableAttribute& attribute) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", attribute.Id);
  sink.AppendSmartInfoRow({hex, std::string(attribute.Name), std::to_string(attribute.Threshold),
                           std::to_string(attribute.Value), std::to_string(attribute.Worst),
                           std::to_string(attribute.Raw), attribute.State});
}

std::vector<TableAttribute> ListAttributes(TableData attributes, TableData thresholds,
                                           TableSource source) {
  std::vector<TableAttribute> listed;
  bool found;
  WalkTable(attributes, false, found, [&](std::size_t p, const AttributeEntry& entry) {
    const std::int32_t threshold = ThresholdAt(thresholds, p).Threshold;
    listed.push_back({.Id = entry.Id,
                      .Name = source == TableSource::Nvme ? NvmeFigureName(entry.Id)
                                                          : GetAttributeName(entry.Id),
                      .Value = entry.Value,
                      .Worst = entry.Worst,
                      .Threshold = threshold,
                      .Raw = RawValue48(entry),
                      .State = EntryStatus(entry, threshold, source)});
  });
  return listed;
}

void ShowAttributes(SmartInfoSink& sink, TableData attributes, TableData thresholds,
                    TableSource source) {
  for (const TableAttribute& attribute : ListAttributes(attributes, thresholds, source)) {
    AddAttributeRow(sink, attribute);
  }
}

std::vector<AttributeReading> ReadAttributes(TableData attributes, TableData thresholds,
                                             TableSource source) {
  std::vector<AttributeReading> readings;
  for (const TableAttribute& attribute : ListAttributes(attributes, thresholds, source)) {
    readings.push_back({attribute.Id, attribute.Raw, attribute.State});
  }
  return readings;
}

DriveSummary DecodeDriveSummary(TableData attributes, TableData thresholds, TableSource source) {
  bool found;
  const std::size_t p = WalkTable(attributes, true, found, [](std::size_t, const auto&) {});
  const AttributeEntry entry = AttributeAt(attributes, p);
  DriveSummary summary;
  summary.Threshold = ThresholdAt(thresholds, p).Threshold;
  summary.Value = entry.Value;
  summary.Worst = entry.Worst;
  summary.Temperature = TemperatureRawFigure(entry);
  // Drives that keep other figures in the raw bytes fall back on the value.
  if (summary.Temperature > 100 || summary.Temperature <= 0) summary.Temperature = summary.Value;
  if (!found) {
    summary.Temperature = NoTemperature;
    summary.Threshold = NoThreshold;
  }
  WalkTable(attributes, false, found, [&](std::size_t q, const AttributeEntry& attribute) {
    if (EntryStatus(attribute, ThresholdAt(thresholds, q).Threshold, source) == Status::Bad) {
      summary.Health = Status::Bad;
    }
  });
  return summary;
}

}  // namespace halvoric
