// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/attribute_catalogue.h"

#include <array>
#include <utility>

namespace halvoric {
namespace {

// Some names stand for two IDs; only 194 counts as the drive's temperature.
constexpr std::pair<std::uint8_t, std::string_view> kCatalogue[] = {
    {0, "No Attribute Here       "},     {1, "Raw Read Error Rate     "},
    {2, "Throughput Performance  "},     {3, "Spin Up Time            "},
    {4, "Start/Stop Count        "},     {5, "Reallocated Sector Count"},
    {6, "Read Channel Margin     "},     {7, "Seek Error Rate         "},
    {8, "Seek Time Performance   "},     {9, "Power On Hours Count    "},
    {10, "Spin Retry Count        "},    {11, "Calibration Retry Count "},
    {12, "Power Cycle Count       "},    {13, "Soft Read Error Rate    "},
    {191, "G-Sense Error Rate      "},   {192, "Power-Off Retract Cycle "},
    {193, "Load/Unload Cycle Count "},   {194, "Temperature             "},
    {195, "ECC on the Flying Count "},   {196, "Reallocated Event Count "},
    {197, "Current Pending Sector  "},   {198, "Offline Uncorrectable   "},
    {199, "UDMA CRC Error Count    "},   {200, "Write Error Count       "},
    {201, "Soft Read Error Rate    "},   {202, "Data Address Mark Errors"},
    {203, "Run Out Cancel          "},   {204, "Soft ECC Correction     "},
    {205, "Thermal Asperity Rate   "},   {206, "Flying Height           "},
    {207, "Spin High Current       "},   {208, "Spin Buzz               "},
    {209, "Offline Seek Performance"},   {220, "Disk Shift              "},
    {221, "G-Sense Error Rate      "},   {222, "Loaded Hours            "},
    {223, "Load/Unload Retry Count "},   {224, "Load Friction           "},
    {225, "Load/Unload Cycle Count "},   {226, "Load-in Time            "},
    {227, "Torque Amplification Count"}, {228, "Power-Off Retract Count "},
    {230, "GMR Head Amplitude      "},   {231, "Temperature             "},
    {240, "Head Flying Hours       "},   {250, "Read Error Retry Rate   "},
};
static_assert(std::size(kCatalogue) == 46);

constexpr std::array<std::string_view, 256> BuildIndex() {
  std::array<std::string_view, 256> index{};
  for (auto& name : index) name = kUnknownAttributeName;
  for (const auto& [id, name] : kCatalogue) index[id] = name;
  return index;
}

constexpr std::array<std::string_view, 256> kIndex = BuildIndex();

}  // namespace

std::string_view GetAttributeName(std::uint8_t id) { return kIndex[id]; }

}  // namespace halvoric
