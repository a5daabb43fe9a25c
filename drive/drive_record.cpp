// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_record.h"

#include <algorithm>

#include "drive/attributes.h"
#include "drive/drive_series.h"
#include "drive/identify.h"

namespace halvoric {
namespace {

DriveRecord Unread(DriveRecord record, std::string why) {
  record.SmartRead = false;
  record.ReadError = std::move(why);
  return record;
}

std::string WhyNoTable(AccessLevel level, bool identified) {
  // Without rights nothing was asked of the drive: the table is built from
  // hwmon, and hwmon had no temperature for it.
  if (level == AccessLevel::Limited) {
    return "no right to send ATA commands, and the kernel reports no temperature for the drive";
  }
  return identified ? "the drive did not answer SMART READ DATA"
                    : "the drive answered neither IDENTIFY nor SMART READ DATA";
}

// Decodes a copy: the strings turn in place, and the drive's meanings are
// looked up in the block as it came.
void TakeIdentity(DriveRecord& record, AtaCommandResult identify) {
  record.Serial = DecodeAtaString(identify.Data + kIdentifySerial, kIdentifySerialLength);
  record.Firmware = DecodeAtaString(identify.Data + kIdentifyFirmware, kIdentifyFirmwareLength);
  record.Model = DecodeModel(identify);
}

void TakeAttributes(DriveRecord& record, const ResultBlocks& blocks,
                    const DriveMeanings& meanings) {
  for (const TableAttribute& attribute : ListAttributes(
           blocks.AttributeBlock.Data, blocks.ThresholdBlock.Data, record.Source, meanings)) {
    const ReportedFigures reported = ReportedFiguresOf(record.Level, attribute.Id);
    AttributeRecord entry;
    entry.Id = attribute.Id;
    entry.Name = attribute.Name;
    entry.SmartctlName = attribute.SmartctlName;
    entry.Flags = attribute.Flags;
    if (reported.Value) entry.Value = attribute.Value;
    if (reported.Worst) entry.Worst = attribute.Worst;
    if (reported.Threshold && record.ThresholdsRead) entry.Threshold = attribute.Threshold;
    entry.Raw = attribute.Raw;
    entry.RawText = attribute.RawText;
    entry.State = attribute.State;
    record.Attributes.push_back(std::move(entry));
  }
}

std::span<const SeriesStep> RecordSeries(SleepingDrive sleeping, RecordLogs logs) {
  const bool leave = sleeping == SleepingDrive::Leave;
  if (logs == RecordLogs::Read) return leave ? kRecordAndLogSeriesIfAwake : kRecordAndLogSeries;
  return leave ? std::span<const SeriesStep>(kRecordSeriesIfAwake)
               : std::span<const SeriesStep>(kRecordSeries);
}

}  // namespace

std::optional<bool> DriveRecord::Passed() const {
  // The drive's own verdict, where it gave one.
  if (Summary.DriveFailing) return !*Summary.DriveFailing;
  if (!SmartRead) return std::nullopt;
  if (Source == TableSource::Nvme) {
    return std::none_of(Attributes.begin(), Attributes.end(),
                        [](const AttributeRecord& a) { return a.State == Status::Bad; });
  }
  bool judged = false;
  bool passed = true;
  for (const AttributeRecord& attribute : Attributes) {
    if (!attribute.Value || !attribute.Threshold) continue;
    judged = true;
    passed = passed && StatusOf(*attribute.Value, *attribute.Threshold) == Status::Ok;
  }
  return judged ? std::optional(passed) : std::nullopt;
}

DriveRecord ReadDriveRecord(DriveReader& reader, DriveNumber n, const DriveAccess* access,
                            SleepingDrive sleeping, RecordLogs logs) {
  DriveRecord record;
  record.Number = n;
  const SeriesOutcome series = reader.RunSeries(n, RecordSeries(sleeping, logs), FailedOpen::Stop);
  if (series.OpenFailure != OpenError::None) {
    record.OpenFailure = series.OpenFailure;
    // The kernel still names a disk this user may not open.
    if (series.OpenFailure != OpenError::NotFound) {
      if (std::string model = reader.Disks().KernelModel(n); !model.empty()) record.Model = model;
    }
    return Unread(std::move(record), "cannot be opened: " + series.OpenMessage);
  }
  record.Level = access ? access->LevelOf(n) : AccessLevel::Ata;
  record.Power = series.Power;
  if (series.LeftAsleep) {
    record.LeftAsleep = true;
    if (series.RuntimeSuspended) {
      return Unread(std::move(record),
                    "the kernel has suspended the drive (runtime power management); it was not "
                    "opened, so as not to resume it");
    }
    return Unread(std::move(record), std::string("the drive is in ") + PowerModeName(record.Power) +
                                         " and was not woken");
  }
  record.Source = series.Source;
  const ResultBlocks& blocks = reader.Blocks();
  if (logs == RecordLogs::Read) record.Logs = DecodeDriveLogs(blocks, series);
  if (series.Identified) {
    TakeIdentity(record, blocks.IdentifyBlock);
    record.Facts = DecodeDeviceFacts(blocks.IdentifyBlock.Data, record.Source == TableSource::Nvme);
  }
  record.SmartRead = series.AttributesRead;
  record.ThresholdsRead = series.ThresholdsRead;

  // From the tables as read: all zero after a failed read, as for the list.
  record.Summary = reader.DecodeSummary(series, n);
  const DriveMeanings& meanings = reader.MeaningsOf(series);
  record.Family = meanings.Family;
  record.ModelWarning = meanings.Warning;
  record.DriveWarning = record.Summary.Limits.Warning;
  record.DriveCritical = record.Summary.Limits.Critical;
  if (!record.SmartRead) {
    return Unread(std::move(record), WhyNoTable(record.Level, series.Identified));
  }
  TakeAttributes(record, blocks, meanings);
  if (record.Summary.Temperature != NoTemperature) record.Temperature = record.Summary.Temperature;
  return record;
}

}  // namespace halvoric
