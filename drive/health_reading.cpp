#include "drive/health_reading.h"

#include "drive/identify.h"

namespace halvoric {

namespace {

// Nothing after an IDENTIFY or a table that did not come back. Without its
// thresholds every attribute would read OK, and the next whole reading
// would report a BAD one as a new change.
constexpr SeriesStep kHealth[] = {
    {SeriesRequest::QueryIdentify},  {SeriesRequest::SmartEnable},
    {SeriesRequest::Identify, true}, {SeriesRequest::ReadAttributes, true},
    {SeriesRequest::ReadThresholds},
};
constexpr SeriesStep kHealthIfAwake[] = {
    {SeriesRequest::PowerCheck, true},     {SeriesRequest::QueryIdentify},
    {SeriesRequest::SmartEnable},          {SeriesRequest::Identify, true},
    {SeriesRequest::ReadAttributes, true}, {SeriesRequest::ReadThresholds},
};

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
  return Decode(reader.RunSeries(n, kHealth, FailedOpen::Stop), reader.Blocks());
}

std::optional<HealthReading> ReadHealthIfAwake(DriveReader& reader, DriveNumber n) {
  return Decode(reader.RunSeries(n, kHealthIfAwake, FailedOpen::RunAnyway), reader.Blocks());
}

}  // namespace halvoric
