// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/attribute_meanings.h"

#include <algorithm>
#include <string_view>

#include "drive/attribute_catalogue.h"

namespace halvoric {
namespace {

struct UsualAttribute {
  std::uint8_t Id;
  std::string_view Name;  // smartctl's; empty where it has none by default
  DriveKind Kind;
  RawFormat Format;
  std::string_view Readable;  // for IDs the catalogue lacks; empty for the others
};

constexpr DriveKind kAny = DriveKind::Any;
constexpr DriveKind kHdd = DriveKind::Hdd;
constexpr DriveKind kSsd = DriveKind::Ssd;
constexpr RawFormat kRaw = RawFormat::Raw48;

// The field's usual meaning of each ID, as smartctl reads a drive its
// database says nothing about.
constexpr UsualAttribute kUsual[] = {
    {1, "Raw_Read_Error_Rate", kAny, kRaw, ""},
    {2, "Throughput_Performance", kAny, kRaw, ""},
    {3, "Spin_Up_Time", kAny, RawFormat::Raw16Avg16, ""},
    {4, "Start_Stop_Count", kAny, kRaw, ""},
    {5, "Reallocated_Sector_Ct", kAny, RawFormat::Raw16Raw16, ""},
    {6, "Read_Channel_Margin", kHdd, kRaw, ""},
    {7, "Seek_Error_Rate", kHdd, kRaw, ""},
    {8, "Seek_Time_Performance", kHdd, kRaw, ""},
    {9, "Power_On_Hours", kAny, RawFormat::Raw24Raw8, ""},
    {10, "Spin_Retry_Count", kHdd, kRaw, ""},
    {11, "Calibration_Retry_Count", kHdd, kRaw, ""},
    {12, "Power_Cycle_Count", kAny, kRaw, ""},
    {13, "Read_Soft_Error_Rate", kAny, kRaw, ""},
    {22, "", kAny, kRaw, "Helium Level"},
    {170, "", kAny, kRaw, "Available Reserved Space"},
    {171, "", kAny, kRaw, "Program Fail Count"},
    {172, "", kAny, kRaw, "Erase Fail Count"},
    {173, "", kAny, kRaw, "Wear Leveling Count"},
    {174, "", kAny, kRaw, "Unexpected Power Loss"},
    {175, "Program_Fail_Count_Chip", kSsd, kRaw, "Program Fail Count (Chip)"},
    {176, "Erase_Fail_Count_Chip", kSsd, kRaw, "Erase Fail Count (Chip)"},
    {177, "Wear_Leveling_Count", kSsd, kRaw, "Wear Leveling Count"},
    {178, "Used_Rsvd_Blk_Cnt_Chip", kSsd, kRaw, "Used Reserved Blocks (Chip)"},
    {179, "Used_Rsvd_Blk_Cnt_Tot", kSsd, kRaw, "Used Reserved Blocks"},
    {180, "Unused_Rsvd_Blk_Cnt_Tot", kSsd, kRaw, "Unused Reserved Blocks"},
    {181, "Program_Fail_Cnt_Total", kAny, kRaw, "Program Fail Count"},
    {182, "Erase_Fail_Count_Total", kSsd, kRaw, "Erase Fail Count"},
    {183, "Runtime_Bad_Block", kAny, kRaw, "Runtime Bad Block"},
    {184, "End-to-End_Error", kAny, kRaw, "End-to-End Error"},
    {185, "", kAny, kRaw, "Head Stability"},
    {186, "", kAny, kRaw, "Induced Op-Vibration"},
    {187, "Reported_Uncorrect", kAny, kRaw, "Reported Uncorrectable"},
    {188, "Command_Timeout", kAny, kRaw, "Command Timeout"},
    {189, "High_Fly_Writes", kHdd, kRaw, "High Fly Writes"},
    {190, "Airflow_Temperature_Cel", kAny, RawFormat::TempMinMax, "Airflow Temperature"},
    {191, "G-Sense_Error_Rate", kHdd, kRaw, ""},
    {192, "Power-Off_Retract_Count", kAny, kRaw, ""},
    {193, "Load_Cycle_Count", kHdd, kRaw, ""},
    {194, "Temperature_Celsius", kAny, RawFormat::TempMinMax, ""},
    {195, "Hardware_ECC_Recovered", kAny, kRaw, ""},
    {196, "Reallocated_Event_Count", kAny, RawFormat::Raw16Raw16, ""},
    {197, "Current_Pending_Sector", kAny, kRaw, ""},
    {198, "Offline_Uncorrectable", kAny, kRaw, ""},
    {199, "UDMA_CRC_Error_Count", kAny, kRaw, ""},
    {200, "Multi_Zone_Error_Rate", kHdd, kRaw, ""},
    {201, "Soft_Read_Error_Rate", kHdd, kRaw, ""},
    {202, "Data_Address_Mark_Errs", kHdd, kRaw, ""},
    {203, "Run_Out_Cancel", kAny, kRaw, ""},
    {204, "Soft_ECC_Correction", kAny, kRaw, ""},
    {205, "Thermal_Asperity_Rate", kAny, kRaw, ""},
    {206, "Flying_Height", kHdd, kRaw, ""},
    {207, "Spin_High_Current", kHdd, kRaw, ""},
    {208, "Spin_Buzz", kHdd, kRaw, ""},
    {209, "Offline_Seek_Performnce", kHdd, kRaw, ""},
    {210, "", kAny, kRaw, "Vibration During Write"},
    {211, "", kAny, kRaw, "Vibration During Write"},
    {212, "", kAny, kRaw, "Shock During Write"},
    {220, "Disk_Shift", kHdd, kRaw, ""},
    {221, "G-Sense_Error_Rate", kHdd, kRaw, ""},
    {222, "Loaded_Hours", kHdd, kRaw, ""},
    {223, "Load_Retry_Count", kHdd, kRaw, ""},
    {224, "Load_Friction", kHdd, kRaw, ""},
    {225, "Load_Cycle_Count", kHdd, kRaw, ""},
    {226, "Load-in_Time", kHdd, kRaw, ""},
    {227, "Torq-amp_Count", kHdd, kRaw, ""},
    {228, "Power-off_Retract_Count", kAny, kRaw, ""},
    {230, "Head_Amplitude", kHdd, kRaw, ""},
    {231, "Temperature_Celsius", kHdd, kRaw, ""},
    {232, "Available_Reservd_Space", kAny, kRaw, "Available Reserved Space"},
    {233, "Media_Wearout_Indicator", kSsd, kRaw, "Media Wearout Indicator"},
    {234, "", kAny, kRaw, "Erase Count"},
    {235, "", kAny, kRaw, "Good Block Count"},
    {240, "Head_Flying_Hours", kHdd, RawFormat::Raw24Raw8, ""},
    {241, "Total_LBAs_Written", kAny, kRaw, "Total LBAs Written"},
    {242, "Total_LBAs_Read", kAny, kRaw, "Total LBAs Read"},
    {243, "", kAny, kRaw, "Total LBAs Written Ext"},
    {244, "", kAny, kRaw, "Total LBAs Read Ext"},
    {249, "", kAny, kRaw, "NAND Writes"},
    {250, "Read_Error_Retry_Rate", kAny, kRaw, ""},
    {251, "", kAny, kRaw, "Minimum Spares Remaining"},
    {252, "", kAny, kRaw, "Newly Added Bad Blocks"},
    {254, "Free_Fall_Sensor", kHdd, kRaw, "Free Fall Sensor"},
};

constexpr std::size_t kShownWidth = 24;

std::string Padded(std::string name) {
  if (name.size() < kShownWidth) name.resize(kShownWidth, ' ');
  return name;
}

// "SSD_Life_Left" reads "SSD Life Left".
std::string Readable(std::string_view name) {
  std::string shown(name);
  std::replace(shown.begin(), shown.end(), '_', ' ');
  return Padded(std::move(shown));
}

// smartctl's name for an ID whose preset is meant for the other kind.
std::string_view OtherKindName(DriveKind presetKind) {
  return presetKind == DriveKind::Hdd ? "Unknown_SSD_Attribute" : "Unknown_HDD_Attribute";
}

bool Fits(DriveKind presetKind, DriveKind drive) {
  return presetKind == DriveKind::Any || drive == DriveKind::Any || presetKind == drive;
}

DriveMeanings Usual(DriveKind kind) {
  DriveMeanings meanings;
  for (int id = 0; id < 256; ++id) {
    AttributeMeaning& meaning = meanings.Attributes[id];
    meaning.Name = "Unknown_Attribute";
    meaning.Shown = std::string(GetAttributeName(static_cast<std::uint8_t>(id)));
  }
  for (const UsualAttribute& usual : kUsual) {
    AttributeMeaning& meaning = meanings.Attributes[usual.Id];
    if (!usual.Readable.empty()) meaning.Shown = Padded(std::string(usual.Readable));
    if (usual.Name.empty()) continue;
    if (Fits(usual.Kind, kind)) {
      meaning.Name = usual.Name;
      meaning.Layout.Format = usual.Format;
    } else {
      meaning.Name = OtherKindName(usual.Kind);
    }
  }
  return meanings;
}

// Lays `preset` over the meaning of its ID (every ID for N); `own` says it
// is the drive's own entry, whose names the window shows too.
void Apply(const AttributePreset& preset, DriveKind kind, bool own, DriveMeanings& meanings) {
  const auto one = [&](AttributeMeaning& meaning) {
    if (!Fits(preset.Kind, kind)) {
      meaning.Name = OtherKindName(preset.Kind);
      meaning.Layout = RawLayout{};
      return;
    }
    meaning.Layout = preset.Layout;
    if (preset.Name.empty()) return;
    meaning.Name = preset.Name;
    // Defaults name IDs the window knows by other names; where it knows
    // none, smartctl's name beats "(Unknown attribute)".
    if (own || meaning.Shown == kUnknownAttributeName) meaning.Shown = Readable(preset.Name);
  };
  if (preset.Id != 0) {
    one(meanings.Attributes[preset.Id]);
    return;
  }
  for (int id = 1; id < 256; ++id) one(meanings.Attributes[id]);
}

}  // namespace

const DriveMeanings& BuiltInMeanings() {
  static const DriveMeanings meanings = Usual(DriveKind::Any);
  return meanings;
}

DriveMeanings MeaningsFor(const DriveDatabase* database, const std::string& model,
                          const std::string& firmware, DriveKind kind) {
  return MeaningsOfEntry(database, database ? database->Match(model, firmware) : nullptr, kind);
}

DriveMeanings MeaningsOfEntry(const DriveDatabase* database, const DriveEntry* entry,
                              DriveKind kind) {
  DriveMeanings meanings = Usual(kind);
  if (database == nullptr) return meanings;
  // The defaults of a file searched earlier win: laid on last.
  for (auto preset = database->Defaults.rbegin(); preset != database->Defaults.rend(); ++preset) {
    Apply(*preset, kind, false, meanings);
  }
  if (entry != nullptr) {
    meanings.Family = entry->Family;
    meanings.Warning = entry->Warning;
    for (const AttributePreset& preset : entry->Presets) Apply(preset, kind, true, meanings);
  }
  return meanings;
}

}  // namespace halvoric
