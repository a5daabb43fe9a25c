// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/health_reading.h"

#include "base/text_trim.h"
#include "drive/drive_series.h"
#include "drive/identify.h"
#include "drive/verdict.h"

namespace halvoric {

namespace {

std::optional<HealthReading> Decode(DriveReader& reader, const SeriesOutcome& series,
                                    DriveNumber n) {
  if (!series.ThresholdsRead) return std::nullopt;
  ResultBlocks& blocks = reader.Blocks();
  HealthReading reading;
  // Before the strings, whose decoding turns the identify block in place:
  // the meanings are found by the model as the block came.
  DriveSummary summary = reader.DecodeSummary(series, n);
  const DriveMeanings& meanings = reader.MeaningsOf(series);
  reading.Logs = DecodeDriveLogs(blocks, series);
  if (reading.Logs.Source == TableSource::Nvme && reading.Logs.SelfTests &&
      !reading.Logs.SelfTests->Entries.empty()) {
    JudgeLastSelfTest(reading.Logs.SelfTests->Entries.front().Passed, summary);
  }
  reading.Verdict = summary.Health;
  reading.Reasons = std::move(summary.Reasons);
  reading.DriveFailing = summary.DriveFailing;
  reading.Temperature = summary.Temperature;
  reading.Model = DecodeModel(blocks.IdentifyBlock);
  reading.Serial =
      DecodeAtaString(blocks.IdentifyBlock.Data + kIdentifySerial, kIdentifySerialLength);
  reading.Source = series.Source;
  for (const TableAttribute& attribute : ListAttributes(
           blocks.AttributeBlock.Data, blocks.ThresholdBlock.Data, reading.Source, meanings)) {
    reading.Attributes.push_back({attribute.Id, attribute.Raw, attribute.State});
    reading.Names[attribute.Id] = std::string(TrimControls(attribute.Name));
  }
  if (reading.Attributes.empty()) return std::nullopt;
  return reading;
}

}  // namespace

std::optional<HealthReading> ReadHealth(DriveReader& reader, DriveNumber n) {
  return Decode(reader, reader.RunSeries(n, kHealthSeries, FailedOpen::Stop), n);
}

HealthCheck ReadHealthIfAwake(DriveReader& reader, DriveNumber n) {
  const SeriesOutcome series = reader.RunSeries(n, kHealthSeriesIfAwake, FailedOpen::RunAnyway);
  if (series.LeftAsleep) return {series.Power, std::nullopt};
  return {series.Power, Decode(reader, series, n)};
}

}  // namespace halvoric
