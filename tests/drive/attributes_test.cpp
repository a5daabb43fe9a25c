// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/attributes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "drive/attribute_catalogue.h"
#include "drive/drive_reader.h"
#include "recording_sinks.h"

namespace halvoric {
namespace {

using test::RecordingSinks;

struct Tables {
  std::uint8_t attributes[kSectorSize] = {};
  std::uint8_t thresholds[kSectorSize] = {};

  void Set(std::size_t p, std::uint8_t id, std::uint8_t value, std::uint8_t worst,
           std::uint8_t threshold, std::initializer_list<std::uint8_t> raw = {}) {
    std::uint8_t* a = attributes + kTableOffset + 12 * p;
    a[0] = id;
    a[3] = value;
    a[4] = worst;
    std::size_t i = 0;
    for (std::uint8_t byte : raw) a[5 + i++] = byte;
    thresholds[kTableOffset + 12 * p] = id;
    thresholds[kTableOffset + 12 * p + 1] = threshold;
  }
  DriveSummary Summary() const { return DecodeDriveSummary(attributes, thresholds); }
};

TEST(Summary, TemperatureFromRawFigureWithFallbacks) {
  struct Case {
    std::uint8_t raw0, raw1, value;
    std::int32_t temperature;
  } cases[] = {
      {0x28, 0x00, 60, 40}, {0x28, 0x01, 60, 50}, {0x2D, 0x0A, 61, 61}, {0x00, 0x00, 62, 62},
      {100, 0, 63, 100},    {1, 0, 64, 1},        {101, 0, 65, 65},     {0xFF, 0xFF, 66, 66},
  };
  for (const Case& c : cases) {
    Tables t;
    t.Set(0, 1, 100, 100, 6);
    t.Set(1, 194, c.value, 30, 5, {c.raw0, c.raw1});
    const DriveSummary s = t.Summary();
    EXPECT_EQ(s.Temperature, c.temperature) << int(c.raw0) << "," << int(c.raw1);
    EXPECT_EQ(s.Threshold, 5);
    EXPECT_EQ(s.Value, c.value);
    EXPECT_EQ(s.Worst, 30);
  }
}

TEST(Summary, WithoutAttribute194) {
  Tables only231;
  only231.Set(0, 231, 40, 30, 10, {40});
  const DriveSummary s = only231.Summary();
  EXPECT_EQ(s.Temperature, NoTemperature);
  EXPECT_EQ(s.Threshold, NoThreshold);
  EXPECT_EQ(s.Value, 0);  // taken from the empty entry behind it
  EXPECT_EQ(s.Worst, 0);

  Tables behindEmpty;  // entry 3 empty hides a 194 at entry 4
  for (std::size_t p = 0; p < 3; ++p) behindEmpty.Set(p, 1 + p, 100, 100, 0);
  behindEmpty.Set(4, 194, 50, 50, 0, {40});
  EXPECT_EQ(behindEmpty.Summary().Temperature, NoTemperature);
  RecordingSinks sinks;
  ShowAttributes(sinks, behindEmpty.attributes, behindEmpty.thresholds);
  EXPECT_EQ(sinks.smartInfo.size(), 3u);

  Tables full;  // all 30 in use: the summary reads the 12 bytes behind the table
  for (std::size_t p = 0; p < 30; ++p) full.Set(p, 1, 100, 100, 0);
  full.attributes[kTableOffset + 12 * 30 + 3] = 77;
  full.attributes[kTableOffset + 12 * 30 + 4] = 66;
  const DriveSummary behind = full.Summary();
  EXPECT_EQ(behind.Temperature, NoTemperature);
  EXPECT_EQ(behind.Value, 77);
  EXPECT_EQ(behind.Worst, 66);
  sinks.smartInfo.clear();
  ShowAttributes(sinks, full.attributes, full.thresholds);
  EXPECT_EQ(sinks.smartInfo.size(), 30u);
}

// A threshold of 0 marks an advisory attribute, which never fails.
TEST(Summary, StatusRuleIsStrictlyGreater) {
  EXPECT_EQ(StatusOf(0, 0), Status::Ok);
  EXPECT_EQ(StatusOf(1, 1), Status::Bad);
  EXPECT_EQ(StatusOf(10, 10), Status::Bad);
  EXPECT_EQ(StatusOf(11, 10), Status::Ok);
  EXPECT_EQ(StatusOf(9, 10), Status::Bad);
  EXPECT_EQ(StatusOf(0, NoThreshold), Status::Ok);

  Tables t;  // temperature at position 7 with value and threshold 0
  for (std::size_t p = 0; p < 7; ++p) t.Set(p, 1, 100, 100, 0);
  t.Set(7, 194, 0, 0, 0, {30});
  RecordingSinks sinks;
  AddDriveRow(sinks, 0, "m", t.Summary());
  EXPECT_EQ(sinks.drives[0].State, Status::Ok);
  EXPECT_EQ(sinks.drives[0].Temp,
            "30\xC2\xB0"
            "C");
}

// The drive list's status reads BAD as soon as any SMART Info row does, not
// only the temperature's; the rows behind the first empty entry do not count.
TEST(Summary, HealthFollowsEveryAttributeRow) {
  struct Case {
    const char* Name;
    std::uint8_t ReallocatedValue;
    std::uint8_t TemperatureValue;
    bool EmptyBetween;
    Status Expected;
  } cases[] = {
      {"all above", 100, 60, false, Status::Ok},
      {"reallocated at its threshold", 36, 60, false, Status::Bad},
      {"temperature at its threshold", 100, 5, false, Status::Bad},
      {"bad row hidden behind an empty entry", 36, 60, true, Status::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Tables t;
    t.Set(0, 1, 100, 100, 6);
    t.Set(1, 194, c.TemperatureValue, 30, 5, {41});
    t.Set(c.EmptyBetween ? 3 : 2, 5, c.ReallocatedValue, 100, 36);
    const DriveSummary summary = t.Summary();
    EXPECT_EQ(summary.Health, c.Expected);
    EXPECT_EQ(summary.Temperature, 41);
    RecordingSinks sinks;
    AddDriveRow(sinks, 0, "m", summary);
    EXPECT_EQ(sinks.drives[0].State, c.Expected);
    ShowAttributes(sinks, t.attributes, t.thresholds);
    const bool anyRowBad =
        std::any_of(sinks.smartInfo.begin(), sinks.smartInfo.end(),
                    [](const SmartInfoRow& row) { return row.State == Status::Bad; });
    EXPECT_EQ(anyRowBad, c.Expected == Status::Bad);
  }
}

TEST(Catalogue, NamesDuplicatesAndUnknownIds) {
  EXPECT_EQ(GetAttributeName(194), "Temperature             ");
  EXPECT_EQ(GetAttributeName(231), GetAttributeName(194));
  EXPECT_EQ(GetAttributeName(13), GetAttributeName(201));
  EXPECT_EQ(GetAttributeName(191), GetAttributeName(221));
  EXPECT_EQ(GetAttributeName(193), GetAttributeName(225));
  EXPECT_EQ(GetAttributeName(227), "Torque Amplification Count");
  EXPECT_EQ(GetAttributeName(15), "(Unknown attribute)     ");
  EXPECT_EQ(GetAttributeName(255), "(Unknown attribute)     ");
  int known = 0;
  for (int id = 0; id < 256; ++id) {
    const auto name = GetAttributeName(static_cast<std::uint8_t>(id));
    if (name != kUnknownAttributeName) ++known;
    EXPECT_EQ(name.size(), id == 227 ? 26u : 24u) << id;
  }
  EXPECT_EQ(known, 46);
}

TEST(AttributeRows, ColumnsOfEveryRow) {
  Tables t;
  t.Set(0, 5, 100, 99, 36, {0x34, 0x12});
  t.Set(1, 15, 50, 40, 50, {1, 0, 0, 0, 0, 1});
  t.Set(2, 231, 51, 40, 50);
  RecordingSinks sinks;
  ShowAttributes(sinks, t.attributes, t.thresholds);
  ASSERT_EQ(sinks.smartInfo.size(), 3u);
  const SmartInfoRow& first = sinks.smartInfo[0];
  EXPECT_EQ(first.Id, "05");
  EXPECT_EQ(first.Name, "Reallocated Sector Count");
  EXPECT_EQ(first.Threshold, "36");
  EXPECT_EQ(first.Value, "100");
  EXPECT_EQ(first.Worst, "99");
  EXPECT_EQ(first.Raw, "4660");  // the 48-bit raw value, not 0x34 + 10 x 0x12
  EXPECT_EQ(first.State, Status::Ok);
  EXPECT_EQ(sinks.smartInfo[1].Id, "0F");
  EXPECT_EQ(sinks.smartInfo[1].Name, "(Unknown attribute)     ");
  EXPECT_EQ(sinks.smartInfo[1].Raw, "1099511627777");
  EXPECT_EQ(sinks.smartInfo[1].State, Status::Bad);
  EXPECT_EQ(sinks.smartInfo[2].Id, "E7");
  EXPECT_EQ(sinks.smartInfo[2].State, Status::Ok);
}

TEST(AttributeRows, RecordedDriveTables) {
  AtaCommandResult data{}, thresholds{};
  for (auto [name, block] :
       {std::pair{"smart-data.bin", &data}, {"smart-thresholds.bin", &thresholds}}) {
    std::ifstream in(std::string(HALVORIC_FIXTURES) + "/qemu-sata/" + name, std::ios::binary);
    in.read(reinterpret_cast<char*>(block->Data), 512);
  }
  RecordingSinks sinks;
  ShowAttributes(sinks, data.Data, thresholds.Data);
  struct Row {
    const char *id, *threshold, *value, *worst, *raw, *status;
  } expected[] = {
      {"01", "6", "100", "100", "0", "OK"},        {"03", "0", "100", "100", "16", "OK"},
      {"04", "20", "100", "100", "100", "OK"},     {"05", "36", "100", "100", "0", "OK"},
      {"09", "0", "100", "100", "1", "OK"},        {"0C", "0", "100", "100", "0", "OK"},
      {"BE", "50", "69", "69", "522125343", "OK"},
  };
  ASSERT_EQ(sinks.smartInfo.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const SmartInfoRow& row = sinks.smartInfo[i];
    EXPECT_EQ(row.Id, expected[i].id);
    EXPECT_EQ(row.Threshold, expected[i].threshold);
    EXPECT_EQ(row.Value, expected[i].value);
    EXPECT_EQ(row.Worst, expected[i].worst);
    EXPECT_EQ(row.Raw, expected[i].raw);
    EXPECT_STREQ(StatusText(row.State), expected[i].status);
  }
  // Without 194, the airflow temperature's low raw byte (1Fh).
  const DriveSummary summary = DecodeDriveSummary(data.Data, thresholds.Data);
  EXPECT_EQ(summary.Temperature, 31);
  EXPECT_EQ(summary.TemperatureFrom, TemperatureSource::Attribute190);
}

}  // namespace
}  // namespace halvoric

namespace halvoric {
namespace {

// The NVMe names and rules belong to tables the NVMe translation built: an
// ATA drive using the same IDs keeps the catalogue's names and ATA's rule.
TEST(TableSourceTest, NvmeNamesAndRulesOnlyForNvmeTables) {
  Tables t;
  t.Set(0, 0x60, 5, 5, 5, {5});        // spare at its threshold
  t.Set(1, 0x61, 100, 100, 0, {100});  // used 100 %
  t.Set(2, 0x64, 100, 100, 0, {0});
  const struct {
    TableSource source;
    const char* names[3];
    Status states[3];
  } cases[] = {
      {TableSource::Ata,
       {"(Unknown attribute)     ", "(Unknown attribute)     ", "(Unknown attribute)     "},
       {Status::Bad, Status::Ok, Status::Ok}},
      {TableSource::Nvme,
       {"Available Spare         ", "Percentage Used         ", "Critical Warning        "},
       {Status::Ok, Status::Bad, Status::Ok}},
  };
  for (const auto& c : cases) {
    RecordingSinks sinks;
    ShowAttributes(sinks, t.attributes, t.thresholds, c.source);
    ASSERT_EQ(sinks.smartInfo.size(), 3u);
    const auto readings = ListAttributes(t.attributes, t.thresholds, c.source);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(sinks.smartInfo[i].Name, c.names[i]) << i;
      EXPECT_EQ(sinks.smartInfo[i].State, c.states[i]) << i;
      EXPECT_EQ(readings[i].State, c.states[i]) << i;
    }
    EXPECT_EQ(DecodeDriveSummary(t.attributes, t.thresholds, c.source).Health, Status::Bad);
  }
}

}  // namespace
}  // namespace halvoric
