#include "drive/drive_reader.h"

#include <cstring>

#include "drive/attributes.h"
#include "drive/drive_number.h"
#include "drive/identify.h"
#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

// The model and summary series run even on a drive that did not open: every
// request on kInvalidHandle fails, as on a drive that answers nothing.
DeviceHandle HandleOrInvalid(const OpenResult& opened) {
  return opened.Ok() ? *opened : kInvalidHandle;
}

std::string DegreesText(int celsius) { return std::to_string(celsius) + kDegreesCelsius; }

// The Critical Warning byte of an NVMe table; none when the read failed.
std::optional<std::uint8_t> CriticalWarningOf(TableData attributes) {
  for (std::size_t p = 0; p < kTableEntries; ++p) {
    const AttributeEntry entry = AttributeAt(attributes, p);
    if (entry.Id == 0) break;
    if (entry.Id == kNvmeCriticalWarningId) return entry.Raw[0];
  }
  return std::nullopt;
}

}  // namespace

TableSource SourceOf(const DiskControl& disks, DeviceHandle handle) {
  return disks.AnswersFromNvme(handle) ? TableSource::Nvme : TableSource::Ata;
}

void ShowTemperatureLimits(DiskInfoSink& sink, const TemperatureLimits& limits) {
  const std::pair<const char*, const std::optional<int>&> rows[] = {
      {"Warning temperature", limits.Warning},
      {"Critical temperature", limits.Critical},
      {"Lowest temperature seen", limits.Lowest},
      {"Highest temperature seen", limits.Highest},
  };
  for (const auto& [caption, celsius] : rows) {
    if (celsius) AddDiskInfoRow(sink, caption, DegreesText(*celsius));
  }
}

DriveNumber ParseDriveNumber(const std::string& text) {
  return ParseDriveNumberText(text).value_or(0);
}

std::string TemperatureText(const DriveSummary& summary) {
  return summary.Temperature == NoTemperature
             ? "N/A"
             : std::to_string(summary.Temperature) + kDegreesCelsius;
}

bool DriveReader::DriveExists(DriveNumber n) { return halvoric::DriveExists(disks_, n); }

PowerMode DriveReader::CheckPowerMode(DriveNumber n) {
  const OpenResult opened = disks_.Open(DevicePath(n));
  if (!opened.Ok()) return PowerMode::Unknown;
  AtaCommandRequest request{};
  PowerModeAnswer answer{};
  const bool answered = SendCheckPowerMode(disks_, *opened, request, answer, n);
  disks_.Close(*opened);
  return answered ? DecodePowerMode(answer) : PowerMode::Unknown;
}

std::string DriveReader::GetDriveModel(DriveNumber n) {
  AtaCommandRequest request{};
  AtaResultHeader enableAnswer{};
  const DeviceHandle handle = HandleOrInvalid(disks_.Open(DevicePath(n)));
  const std::uint8_t command = QueryIdentifyCommand(disks_, handle, n);
  SendSmartEnable(disks_, handle, request, enableAnswer, n);
  std::string model;
  if (SendIdentify(disks_, handle, request, blocks_.IdentifyBlock, command, n)) {
    model = DecodeModel(blocks_.IdentifyBlock);
  }
  disks_.Close(handle);
  return model;
}

DriveSummary DriveReader::SummarySeries(DeviceHandle handle, DriveNumber n,
                                        SummaryReading* identity) {
  AtaCommandRequest request{};
  AtaResultHeader enableAnswer{};
  const std::uint8_t command = QueryIdentifyCommand(disks_, handle, n);
  SendSmartEnable(disks_, handle, request, enableAnswer, n);
  const bool identified = SendIdentify(disks_, handle, request, blocks_.IdentifyBlock, command, n);
  ClearTables();
  ReadSmartAttributes(disks_, handle, request, blocks_.AttributeBlock, n);
  ReadSmartThresholds(disks_, handle, request, blocks_.ThresholdBlock, n);
  const DriveSummary summary = DecodeSummary(SourceOf(disks_, handle), identified, n);
  // After the summary, which may read the limits from the identify block:
  // decoding its strings turns them in place.
  if (identified && identity) {
    identity->Serial =
        DecodeAtaString(blocks_.IdentifyBlock.Data + kIdentifySerial, kIdentifySerialLength);
    identity->Model = DecodeModel(blocks_.IdentifyBlock);
  }
  return summary;
}

DriveSummary DriveReader::DecodeSummary(TableSource source, bool identified, DriveNumber n) const {
  DriveSummary summary =
      DecodeDriveSummary(blocks_.AttributeBlock.Data, blocks_.ThresholdBlock.Data, source);
  summary.Limits = LimitsOf(source, identified, n);
  if (source == TableSource::Nvme && summary.Temperature != NoTemperature &&
      summary.Limits.Critical) {
    summary.Threshold = *summary.Limits.Critical;
  }
  return summary;
}

TemperatureLimits DriveReader::LimitsOf(TableSource source, bool identified, DriveNumber n) const {
  if (source == TableSource::Ata) return disks_.KernelLimits(n);
  // A failed IDENTIFY leaves whatever an earlier series put in the block.
  return identified ? NvmeLimitsFromSector(blocks_.IdentifyBlock.Data) : TemperatureLimits{};
}

void DriveReader::GetDriveSummary(DriveNumber n, DriveSummary& summary) {
  const DeviceHandle handle = HandleOrInvalid(disks_.Open(DevicePath(n)));
  summary = SummarySeries(handle, n);
  disks_.Close(handle);
}

void DriveReader::ClearTables() {
  std::memset(&blocks_.AttributeBlock, 0, sizeof blocks_.AttributeBlock);
  std::memset(&blocks_.ThresholdBlock, 0, sizeof blocks_.ThresholdBlock);
}

std::optional<DeviceHandle> DriveReader::OpenIfAwake(DriveNumber n, PowerMode* told) {
  const DeviceHandle handle = HandleOrInvalid(disks_.Open(DevicePath(n)));
  AtaCommandRequest request{};
  PowerModeAnswer answer{};
  if (SendCheckPowerMode(disks_, handle, request, answer, n)) {
    const PowerMode mode = DecodePowerMode(answer);
    if (told) *told = mode;
    if (mode == PowerMode::Standby || mode == PowerMode::Sleep) {
      disks_.Close(handle);
      return std::nullopt;
    }
  }
  return handle;
}

std::optional<DriveSummary> DriveReader::GetDriveSummaryIfAwake(DriveNumber n) {
  return ReadSummaryIfAwake(n).Summary;
}

SummaryReading DriveReader::ReadSummary(DriveNumber n) {
  SummaryReading reading;
  const DeviceHandle handle = HandleOrInvalid(disks_.Open(DevicePath(n)));
  reading.Summary = SummarySeries(handle, n, &reading);
  disks_.Close(handle);
  return reading;
}

SummaryReading DriveReader::ReadSummaryIfAwake(DriveNumber n) {
  SummaryReading reading;
  const std::optional<DeviceHandle> handle = OpenIfAwake(n, &reading.Power);
  if (!handle) return reading;
  reading.Summary = SummarySeries(*handle, n, &reading);
  disks_.Close(*handle);
  return reading;
}

void DriveReader::ReadDriveDetails(DriveNumber n, DiskInfoSink& diskInfo,
                                   SmartInfoSink& smartInfo) {
  ReadDetails(DevicePath(n), n, diskInfo, smartInfo);
}

void DriveReader::ReadDriveDetails(const std::string& driveText, DiskInfoSink& diskInfo,
                                   SmartInfoSink& smartInfo) {
  // The text goes into the path as it is: only a canonical number opens.
  ReadDetails(DevicePath(driveText), ParseDriveNumber(driveText), diskInfo, smartInfo);
}

void DriveReader::ReadDetails(const std::string& path, DriveNumber n, DiskInfoSink& diskInfo,
                              SmartInfoSink& smartInfo) {
  const OpenResult opened = disks_.Open(path);
  if (!opened.Ok()) return;
  const DeviceHandle handle = *opened;
  diskInfo.ClearDiskInfo();
  smartInfo.ClearSmartInfo();

  AtaCommandRequest request{};
  AtaResultHeader enableAnswer{};
  const std::uint8_t command = QueryIdentifyCommand(disks_, handle, n);
  const bool smartSupported = SendSmartEnable(disks_, handle, request, enableAnswer, n);
  const TableSource source = SourceOf(disks_, handle);
  const bool identified = SendIdentify(disks_, handle, request, blocks_.IdentifyBlock, command, n);
  if (identified) {
    ShowIdentifyData(diskInfo, blocks_.IdentifyBlock, request, command, smartSupported, n);
  }
  ShowTemperatureLimits(diskInfo, LimitsOf(source, identified, n));
  ClearTables();
  if (ReadSmartAttributes(disks_, handle, request, blocks_.AttributeBlock, n)) {
    ReadSmartThresholds(disks_, handle, request, blocks_.ThresholdBlock, n);
    ShowAttributes(smartInfo, blocks_.AttributeBlock.Data, blocks_.ThresholdBlock.Data, source);
    if (const auto warning = CriticalWarningOf(blocks_.AttributeBlock.Data);
        warning && source == TableSource::Nvme) {
      AddDiskInfoRow(diskInfo, "Critical warning", CriticalWarningText(*warning));
    }
  }
  disks_.Close(handle);
}

void AddDriveRow(DriveListSink& sink, DriveNumber n, const std::string& model,
                 const DriveSummary& summary) {
  DriveListRow row;
  row.Number = n;
  row.Id = std::to_string(n);
  row.Model = model;
  row.Temp = TemperatureText(summary);
  row.State = summary.Health;
  row.Checked = true;
  sink.AppendDriveRow(row);
}

}  // namespace halvoric
