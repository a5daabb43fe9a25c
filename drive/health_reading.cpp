#include "drive/health_reading.h"

#include "drive/drive_series.h"
#include "drive/identify.h"

namespace halvoric {

namespace {

std::optional<HealthReading> Decode(const SeriesOutcome& series, ResultBlocks& blocks) {
  if (!series.ThresholdsRead) return std::nullopt;
  HealthReading reading;
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
  return Decode(reader.RunSeries(n, kHealthSeries, FailedOpen::Stop), reader.Blocks());
}

std::optional<HealthReading> ReadHealthIfAwake(DriveReader& reader, DriveNumber n) {
  return Decode(reader.RunSeries(n, kHealthSeriesIfAwake, FailedOpen::RunAnyway), reader.Blocks());
}

}  // namespace halvoric
