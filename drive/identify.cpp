// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/identify.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/utf8.h"

namespace halvoric {
namespace {

std::uint16_t Word(const std::uint8_t* data, std::size_t byteOffset) {
  return static_cast<std::uint16_t>(data[byteOffset] | (data[byteOffset + 1] << 8));
}

}  // namespace

void SwapBytePairs(std::uint8_t* bytes, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

std::string DecodeAtaString(std::uint8_t* field, std::size_t length) {
  SwapBytePairs(field, length);
  const std::uint8_t* end = std::find(field, field + length, 0);
  // A disk chooses these bytes: a line break would forge a second journal or
  // system log line, an escape or bidirectional control would steer a
  // terminal or reorder a line. Filtered here, where every drive string
  // enters, no consumer can forget it.
  return PrintableText(std::string_view(reinterpret_cast<const char*>(field),
                                        static_cast<std::size_t>(end - field)));
}

std::string DecodeModel(AtaCommandResult& identifyBlock) {
  return DecodeAtaString(identifyBlock.Data + kIdentifyModel, kIdentifyModelLength);
}

void AddDiskInfoRow(DiskInfoSink& sink, const std::string& caption, const std::string& value) {
  const bool blank = std::all_of(caption.begin(), caption.end(),
                                 [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
  if (blank) return;
  sink.AppendDiskInfoRow({caption, value});
}

void ShowIdeRegisters(DiskInfoSink& sink, const AtaCommandRequest& request) {
  AddDiskInfoRow(sink, "Sector Count", std::to_string(request.SectorCount));
  AddDiskInfoRow(sink, "Sector Number", std::to_string(request.SectorNumber));
  AddDiskInfoRow(sink, "Low order cylinder", std::to_string(request.CylinderLow));
  AddDiskInfoRow(sink, "High order cylinder", std::to_string(request.CylinderHigh));
  AddDiskInfoRow(sink, "Drive/Head", std::to_string(request.DriveHead));
  AddDiskInfoRow(sink, "Actual IDE command", std::to_string(request.Command));
}

void ShowIdentifyData(DiskInfoSink& sink, AtaCommandResult& identifyBlock,
                      const AtaCommandRequest& request, std::uint8_t command, bool smartSupported,
                      DriveNumber n) {
  std::uint8_t* data = identifyBlock.Data;
  const std::string number = std::to_string(n);
  if (command == kAtaIdentifyPacketDevice) {
    AddDiskInfoRow(sink, "ATAPI device", number);
  } else {
    DiskInfoRow first{"IDE HDD " + number, std::nullopt};
    if (smartSupported) first.Value = "S.M.A.R.T supported";
    sink.AppendDiskInfoRow(first);
    AddDiskInfoRow(sink, "Cylinders", std::to_string(Word(data, kIdentifyCylinders)));
    AddDiskInfoRow(sink, "Heads", std::to_string(Word(data, kIdentifyHeads)));
    AddDiskInfoRow(sink, "Sectors per Track", std::to_string(Word(data, kIdentifySectorsPerTrack)));
    ShowIdeRegisters(sink, request);
  }
  AddDiskInfoRow(sink, "Model number",
                 DecodeAtaString(data + kIdentifyModel, kIdentifyModelLength));
  AddDiskInfoRow(sink, "Firmware rev",
                 DecodeAtaString(data + kIdentifyFirmware, kIdentifyFirmwareLength));
  AddDiskInfoRow(sink, "Serial number",
                 DecodeAtaString(data + kIdentifySerial, kIdentifySerialLength));
}

}  // namespace halvoric
