// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/health_reading.h"

#include "drive/drive_series.h"
#include "drive/identify.h"

namespace halvoric {

namespace {

std::optional<HealthReading> Decode(DriveReader& reader, const SeriesOutcome& series,
                                    DriveNumber n) {
  if (!series.ThresholdsRead) return std::nullopt;
  ResultBlocks& blocks = reader.Blocks();
  HealthReading reading;
  // Before the strings, whose decoding turns the identify block in place.
  DriveSummary summary = reader.DecodeSummary(series, n);
  reading.Verdict = summary.Health;
  reading.Reasons = std::move(summary.Reasons);
  reading.DriveFailing = summary.DriveFailing;
  reading.Model = DecodeModel(blocks.IdentifyBlock);
  reading.Serial =
      DecodeAtaString(blocks.IdentifyBlock.Data + kIdentifySerial, kIdentifySerialLength);
  reading.Source = series.Source;
  reading.Attributes =
      ReadAttributes(blocks.AttributeBlock.Data, blocks.ThresholdBlock.Data, reading.Source);
  if (reading.Attributes.empty()) return std::nullopt;
  return reading;
}

}  // namespace

std::optional<HealthReading> ReadHealth(DriveReader& reader, DriveNumber n) {
  return Decode(reader, reader.RunSeries(n, kHealthSeries, FailedOpen::Stop), n);
}

std::optional<HealthReading> ReadHealthIfAwake(DriveReader& reader, DriveNumber n) {
  return Decode(reader, reader.RunSeries(n, kHealthSeriesIfAwake, FailedOpen::RunAnyway), n);
}

}  // namespace halvoric
