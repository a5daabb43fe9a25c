// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_reader.h"

#include <algorithm>

#include "base/text_trim.h"
#include "drive/attributes.h"
#include "drive/drive_database_files.h"
#include "drive/drive_number.h"
#include "drive/drive_series.h"
#include "drive/identify.h"
#include "drive/nvme_figures.h"
#include "drive/self_test.h"
#include "drive/verdict.h"

namespace halvoric {
namespace {

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

// IDENTIFY word 217: 1 for a drive without rotating media, else its speed.
DriveKind KindOf(const AtaCommandResult& identify) {
  const unsigned rate =
      identify.Data[kIdentifyRotationRate] | identify.Data[kIdentifyRotationRate + 1] << 8;
  if (rate == 1) return DriveKind::Ssd;
  return rate >= 0x401 && rate != 0xFFFF ? DriveKind::Hdd : DriveKind::Any;
}

// An ATA string of the block as it reads, leaving the block as it was.
std::string IdentityText(const AtaCommandResult& identify, std::size_t at, std::size_t length) {
  std::uint8_t copy[kIdentifyModelLength];
  std::copy_n(identify.Data + at, length, copy);
  return std::string(TrimControls(DecodeAtaString(copy, length)));
}

}  // namespace

void DriveReader::UseDatabase(std::shared_ptr<const DriveDatabase> database) {
  database_ = std::move(database);
  keepWanted_ = database_ && !database_->Covers;
  traded_.clear();
  matched_.clear();
  meaningsOfDrive_.clear();
  meanings_.clear();
}

Result<> DriveReader::KeepDatabase(const std::string& kept) {
  if (!keepWanted_) return Result<>::Done();
  keepWanted_ = false;
  return KeepDriveDatabase(kept, *database_, matched_);
}

const DriveMeanings& DriveReader::MeaningsOf(const SeriesOutcome& series) {
  if (series.Source != TableSource::Ata || !series.Identified) return BuiltInMeanings();
  const AtaCommandResult& identify = blocks_.IdentifyBlock;
  const std::string model = IdentityText(identify, kIdentifyModel, kIdentifyModelLength);
  const std::string firmware = IdentityText(identify, kIdentifyFirmware, kIdentifyFirmwareLength);
  const DriveKind kind = KindOf(identify);
  const std::string key = model + '\n' + firmware + '\n' + std::to_string(static_cast<int>(kind));
  const DriveMeanings*& known = meaningsOfDrive_[key];
  if (known == nullptr) {
    const std::string drive = model + '\n' + firmware;
    if (database_ && database_->Covers && !database_->Covers->contains(drive)) {
      std::shared_ptr<const DriveDatabase> whole = LoadDriveDatabase(database_->Paths);
      traded_.push_back(std::move(database_));
      database_ = std::move(whole);
      keepWanted_ = database_ != nullptr;
    }
    const DriveEntry* entry = database_ ? database_->Match(model, firmware) : nullptr;
    matched_[drive] = entry;
    auto shared = meanings_.find({entry, kind});
    if (shared == meanings_.end()) {
      shared =
          meanings_.emplace(std::pair(entry, kind), MeaningsOfEntry(database_.get(), entry, kind))
              .first;
    }
    known = &shared->second;
  }
  return *known;
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
  return RunSeries(n, kPowerCheckSeries, FailedOpen::Stop).Power;
}

std::string DriveReader::GetDriveModel(DriveNumber n) {
  const SeriesOutcome series = RunSeries(n, kModelSeries, FailedOpen::RunAnyway);
  return series.Identified ? DecodeModel(blocks_.IdentifyBlock) : std::string();
}

SummaryReading DriveReader::SummarySeries(DriveNumber n, bool ifAwake) {
  SummaryReading reading;
  const SeriesOutcome series =
      RunSeries(n,
                ifAwake ? std::span<const SeriesStep>(kSummarySeriesIfAwake)
                        : std::span<const SeriesStep>(kSummarySeries),
                FailedOpen::RunAnyway);
  reading.Power = series.Power;
  if (series.LeftAsleep) return reading;
  reading.Summary = DecodeSummary(series, n);
  // After the summary, which may read the limits from the identify block:
  // decoding its strings turns them in place.
  if (series.Identified) {
    reading.Serial =
        DecodeAtaString(blocks_.IdentifyBlock.Data + kIdentifySerial, kIdentifySerialLength);
    reading.Model = DecodeModel(blocks_.IdentifyBlock);
  }
  return reading;
}

DriveSummary DriveReader::DecodeSummary(const SeriesOutcome& series, DriveNumber n) {
  const TableSource source = series.Source;
  const DriveMeanings& meanings = MeaningsOf(series);
  DriveSummary summary = DecodeDriveSummary(blocks_.AttributeBlock.Data,
                                            blocks_.ThresholdBlock.Data, source, meanings);
  summary.ModelWarning = meanings.Warning;
  if (summary.Temperature == NoTemperature && series.AnsweredTo(DriveCommand::SmartReadSctStatus)) {
    // A signed byte; 80h says the drive has no reading.
    const auto celsius = static_cast<std::int8_t>(
        blocks_.AnswerOf(DriveCommand::SmartReadSctStatus).Data[kSctStatusTemperature]);
    if (celsius > 0 && celsius <= 100) {
      summary.Temperature = celsius;
      summary.TemperatureFrom = TemperatureSource::SctStatus;
    }
  }
  const std::optional<bool> failing =
      series.AnsweredTo(DriveCommand::SmartReturnStatus)
          ? DriveSaysFailing(blocks_.RegistersOf(DriveCommand::SmartReturnStatus))
          : std::nullopt;
  JudgeDrive(series.AttributesRead && series.ThresholdsRead, failing, summary);
  // SMART READ DATA carries how the latest self-test ended (byte 363);
  // an NVMe drive says it in its self-test log, which a summary does not read.
  if (source == TableSource::Ata && series.AttributesRead && series.ThresholdsRead) {
    JudgeLastSelfTest(AtaSelfTestState(blocks_.AttributeBlock.Data, nullptr).Passed, summary);
  }
  summary.Limits = LimitsOf(source, series.Identified, n);
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
  summary = *SummarySeries(n, false).Summary;
}

std::optional<DriveSummary> DriveReader::GetDriveSummaryIfAwake(DriveNumber n) {
  return ReadSummaryIfAwake(n).Summary;
}

SummaryReading DriveReader::ReadSummary(DriveNumber n) { return SummarySeries(n, false); }

SummaryReading DriveReader::ReadSummaryIfAwake(DriveNumber n) { return SummarySeries(n, true); }

TemperatureSource DriveReader::ReadDriveDetails(const std::string& driveText,
                                                DiskInfoSink& diskInfo, SmartInfoSink& smartInfo) {
  // Only the number's own decimal form names a drive: "07" opens nothing.
  const std::optional<DriveNumber> n = ParseDriveNumberText(driveText);
  if (!n || driveText != std::to_string(*n)) return TemperatureSource::None;
  return ReadDriveDetails(*n, diskInfo, smartInfo);
}

TemperatureSource DriveReader::ReadDriveDetails(DriveNumber n, DiskInfoSink& diskInfo,
                                                SmartInfoSink& smartInfo) {
  const SeriesOutcome series = RunSeries(n, kDetailSeries, FailedOpen::Stop);
  if (series.OpenFailure != OpenError::None) return TemperatureSource::None;
  // Before the identify rows, whose strings are decoded in place.
  const TemperatureSource temperature = DecodeSummary(series, n).TemperatureFrom;
  diskInfo.ClearDiskInfo();
  smartInfo.ClearSmartInfo();
  const TableSource source = series.Source;
  // Before the identify rows, whose strings turn the block in place: the
  // meanings are found by the model as the block came.
  const DriveMeanings& meanings = MeaningsOf(series);
  if (series.Identified) {
    // An NVMe drive has no SMART ENABLE OPERATIONS, and needs none: its
    // health log is always on.
    const bool smartSupported = series.Enabled || source == TableSource::Nvme;
    ShowIdentifyData(diskInfo, blocks_.IdentifyBlock, series.IdentifyRequest,
                     series.IdentifyCommand, smartSupported, n);
  }
  if (!meanings.Family.empty()) AddDiskInfoRow(diskInfo, "Model family", meanings.Family);
  if (!meanings.Warning.empty()) AddDiskInfoRow(diskInfo, "Known issue", meanings.Warning);
  ShowTemperatureLimits(diskInfo, LimitsOf(source, series.Identified, n));
  if (!series.AttributesRead) return temperature;
  ShowAttributes(smartInfo, blocks_.AttributeBlock.Data, blocks_.ThresholdBlock.Data, source,
                 meanings);
  if (const auto warning = CriticalWarningOf(blocks_.AttributeBlock.Data);
      warning && source == TableSource::Nvme) {
    AddDiskInfoRow(diskInfo, "Critical warning", CriticalWarningText(*warning));
  }
  return temperature;
}

void AddDriveRow(DriveListSink& sink, DriveNumber n, const std::string& model,
                 const DriveSummary& summary) {
  DriveListRow row;
  row.Number = n;
  row.Id = std::to_string(n);
  row.Model = model;
  row.Temp = TemperatureText(summary);
  row.State = summary.Health;
  row.Reasons = summary.Reasons;
  row.ModelWarning = summary.ModelWarning;
  row.Checked = true;
  sink.AppendDriveRow(row);
}

}  // namespace halvoric
