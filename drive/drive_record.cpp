#include "drive/drive_record.h"

#include <algorithm>

#include "drive/attributes.h"
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

void TakeIdentity(DriveRecord& record, AtaCommandResult& identify) {
  record.Serial = DecodeAtaString(identify.Data + kIdentifySerial, kIdentifySerialLength);
  record.Firmware = DecodeAtaString(identify.Data + kIdentifyFirmware, kIdentifyFirmwareLength);
  record.Model = DecodeModel(identify);
}

void TakeAttributes(DriveRecord& record, const ResultBlocks& blocks) {
  for (const TableAttribute& attribute :
       ListAttributes(blocks.AttributeBlock.Data, blocks.ThresholdBlock.Data, record.Source)) {
    const ReportedFigures reported = ReportedFiguresOf(record.Level, attribute.Id);
    const AttributeFigures& figures = attribute.Figures;
    AttributeRecord entry;
    entry.Id = attribute.Id;
    entry.Name = std::string(attribute.Name);
    if (reported.Value) entry.Value = figures.Value;
    if (reported.Worst) entry.Worst = figures.Worst;
    if (reported.Threshold && record.ThresholdsRead) entry.Threshold = figures.Threshold;
    entry.Raw = figures.Raw;
    entry.State = attribute.State;
    record.Attributes.push_back(std::move(entry));
  }
}

}  // namespace

std::optional<bool> DriveRecord::Passed() const {
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
                            SleepingDrive sleeping) {
  DriveRecord record;
  record.Number = n;
  DiskControl& disks = reader.Disks();
  const OpenResult opened = disks.Open(DevicePath(n));
  if (!opened.Ok()) {
    record.OpenFailure = opened.Kind;
    return Unread(std::move(record), "cannot be opened: " + opened.Message);
  }
  const DeviceHandle handle = *opened;
  record.Level = access ? access->LevelOf(n) : AccessLevel::Ata;

  AtaCommandRequest request{};
  PowerModeAnswer power{};
  if (SendCheckPowerMode(disks, handle, request, power, n)) record.Power = DecodePowerMode(power);
  const bool spunDown = record.Power == PowerMode::Standby || record.Power == PowerMode::Sleep;
  if (spunDown && sleeping == SleepingDrive::Leave) {
    disks.Close(handle);
    record.LeftAsleep = true;
    return Unread(std::move(record), std::string("the drive is in ") + PowerModeName(record.Power) +
                                         " and was not woken");
  }

  ResultBlocks& blocks = reader.Blocks();
  AtaResultHeader enableAnswer{};
  const std::uint8_t command = QueryIdentifyCommand(disks, handle, n);
  SendSmartEnable(disks, handle, request, enableAnswer, n);
  record.Source = SourceOf(disks, handle);
  const bool identified = SendIdentify(disks, handle, request, blocks.IdentifyBlock, command, n);
  if (identified) TakeIdentity(record, blocks.IdentifyBlock);
  reader.ClearTables();
  record.SmartRead = ReadSmartAttributes(disks, handle, request, blocks.AttributeBlock, n);
  if (record.SmartRead) {
    record.ThresholdsRead = ReadSmartThresholds(disks, handle, request, blocks.ThresholdBlock, n);
  }
  disks.Close(handle);

  // From the tables as read: all zero after a failed read, as for the list.
  record.Summary = reader.DecodeSummary(record.Source, identified, n);
  record.DriveWarning = record.Summary.Limits.Warning;
  record.DriveCritical = record.Summary.Limits.Critical;
  if (!record.SmartRead) return Unread(std::move(record), WhyNoTable(record.Level, identified));
  TakeAttributes(record, blocks);
  if (record.Summary.Temperature != NoTemperature) record.Temperature = record.Summary.Temperature;
  return record;
}

}  // namespace halvoric
