// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_database.h"

#include <gtest/gtest.h>
#include <regex.h>

#include <filesystem>
#include <set>

#include "base/text_trim.h"
#include "base/whole_file.h"
#include "drive/attribute_meanings.h"
#include "drive/attributes.h"
#include "drive/collecting_sinks.h"
#include "drive/drive_database_files.h"
#include "drive/drive_reader.h"
#include "drive/drive_record.h"
#include "drive/health_reading.h"
#include "drive/pattern_beginnings.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

// A small database in the field's syntax: comments, joined literals, the
// version and default entries, per-firmware entries, a warning, old and new
// preset spellings, and three entries that must be skipped.
constexpr const char* kDatabase = R"db(/*
 * test database
 */
  { "VERSION: 1.0 test", "-", "-", "Version information", "" },
  { "DEFAULT",
    "-", "-",
    "Default settings",
    "-v 5,raw16(raw16),Reallocated_Sector_Ct "
    "-v 9,raw24(raw8),Power_On_Hours -v 16,raw48,Default_Only_Name "
    //  17-174 Unknown_Attribute
    "-v 177,raw48,Wear_Leveling_Count,SSD "
    "-v 194,tempminmax,Temperature_Celsius "
    "-v 231,raw48,Temperature_Celsius,HDD"
  },
  { "Test SSDs", // a comment after a string
    "TEST SSD " "[0-9]+GB", "", "",
    "-v 231,raw48,SSD_Life_Left "
    "-v 1,raw48:012345,Byte_Order_Test "
    "-v 9,msec24hour32 "
    "-F xerox"
  },
  { "Test HDDs, faulty firmware",
    "TESTHDD-.*", "BAD1|BAD2",
    "This firmware loses data; update it",
    "-v 194,10xCelsius -v 9,minutes"
  },
  { "Test HDDs", "TESTHDD-.*", "", "", "-v 9,halfminutes" },
  { "Broken pattern", "(unclosed", "", "", "" },
  { "Bad preset", "NOPE", "", "", "-v 300,raw48,Nope" },
  { "Three strings", "SHORT", "" },
  { "$Left out on purpose", "TEST SSD 1GB", "", "", "" },
)db";

DriveDatabase Parsed() {
  DriveDatabase database;
  ParseDriveDatabase(kDatabase, "test.h", database);
  return database;
}

// Entry bytes: six raw bytes, then the reserved byte, the value and the worst.
AttributeEntry Entry(std::initializer_list<std::uint8_t> raw, std::uint8_t reserved = 0,
                     std::uint8_t value = 0, std::uint8_t worst = 0) {
  AttributeEntry entry{};
  std::size_t i = 0;
  for (std::uint8_t byte : raw) entry.Raw[i++] = byte;
  entry.Reserved = reserved;
  entry.Value = value;
  entry.Worst = worst;
  return entry;
}

TEST(DriveDatabase, ReadsEntriesAndSkipsBadOnesSayingWhere) {
  const DriveDatabase database = Parsed();
  EXPECT_EQ(database.Entries.size(), 3u);
  EXPECT_EQ(database.Defaults.size(), 6u);
  ASSERT_EQ(database.Skipped.size(), 3u);
  EXPECT_EQ(database.Skipped[0], "test.h:28: the model pattern does not compile: (unclosed");
  EXPECT_EQ(database.Skipped[1], "test.h:29: -v 300,raw48,Nope: the ID is not 1 to 255 or N");
  EXPECT_EQ(database.Skipped[2], "test.h:30: the entry has 3 strings, not 5");

  // Text that ends inside a string or an entry loses that entry, not the program.
  for (const char* broken : {"{ \"a\", \"b", "{ \"a\", \"b\", ", "{ \"a\" x \"b\" }"}) {
    DriveDatabase partial;
    ParseDriveDatabase(broken, "cut.h", partial);
    EXPECT_TRUE(partial.Entries.empty()) << broken;
    EXPECT_EQ(partial.Skipped.size(), 1u) << broken;
  }
}

TEST(DriveDatabase, WholeModelAndFirmwareMatchFirstEntryWins) {
  const DriveDatabase database = Parsed();
  const struct {
    const char* model;
    const char* firmware;
    const char* family;  // null: no entry
  } cases[] = {
      {"TEST SSD 250GB", "X1", "Test SSDs"},
      {"TEST SSD 250GB EXTRA", "X1", nullptr},  // the pattern must match the whole model
      {"MY TEST SSD 250GB", "X1", nullptr},
      {"TESTHDD-2000", "BAD2", "Test HDDs, faulty firmware"},
      {"TESTHDD-2000", "BAD22", "Test HDDs"},  // and the whole firmware
      {"TESTHDD-2000", "GOOD", "Test HDDs"},
      {"-", "-", nullptr},                // the version and default entries name no drive
      {"TEST SSD 1GB", "", "Test SSDs"},  // a "$" entry is never searched
  };
  for (const auto& c : cases) {
    const DriveEntry* entry = database.Match(c.model, c.firmware);
    EXPECT_EQ(entry ? entry->Family : "", c.family ? c.family : "") << c.model << " " << c.firmware;
  }
}

// A pattern is compiled only for a text that begins as its matches must;
// the beginnings are read from its text, and whatever is read must agree
// with the regex library on every text.
TEST(WholeMatch, BeginningsAgreeWithTheRegexLibrary) {
  const struct {
    const char* pattern;
    std::vector<std::string> beginnings;  // empty: judged by compiling
  } patterns[] = {
      {"WDC WD40EFRX-.*", {"WDC WD40"}},  // eight characters tell enough
      {"(WDC )?WD(10|20)EZ", {"WD10EZ", "WD20EZ", "WDC WD10", "WDC WD20"}},
      {"ST[34]000DM00[0-9]", {"ST3000DM", "ST4000DM"}},
      {"HD[0-9]+|Seagate .*", {"HD", "Seagate "}},
      {"(A|B)+C", {"A", "B"}},
      {"X*Y", {""}},
      {"[^A]B", {""}},
      {"M4-CT\\.?1", {"M4-CT.1", "M4-CT1"}},
      {"[]x]Y", {"]Y", "xY"}},
      {"SSD(064|128)E", {"SSD064E", "SSD128E"}},
      // Beyond the plain forms: anchors, intervals, classes, escapes the
      // library reads its own way, empty branches, a dash inside a list.
      {"^ST1", {}},
      {"ST1{2}", {}},
      {"[[:digit:]]x", {}},
      {"\\d", {}},
      {"A|", {}},
      {"()", {}},
      {"[a-c-e]", {}},
      {"[z-a]", {}},
      {"(unclosed", {}},
      {"a**", {}},
  };
  for (const auto& p : patterns) {
    const std::optional<std::vector<std::string>> read = PatternBeginnings(p.pattern);
    EXPECT_EQ(read.value_or(std::vector<std::string>{}), p.beginnings) << p.pattern;
  }
  const char* texts[] = {"",
                         "WDC WD40EFRX-68N32N0",
                         "WD10EZ",
                         "WDC WD20EZ",
                         "ST3000DM001",
                         "ST5000DM001",
                         "HD",
                         "HD1",
                         "Seagate X",
                         "ABAC",
                         "C",
                         "XXY",
                         "Y",
                         "BB",
                         "AB",
                         "M4-CT.1",
                         "M4-CTx1",
                         "]Y",
                         "xY",
                         "ST11",
                         "SSD128E",
                         "SSD064"};
  for (const auto& p : patterns) {
    regex_t reference;
    const std::string whole = std::string("^(") + p.pattern + ")$";
    const bool compiles = regcomp(&reference, whole.c_str(), REG_EXTENDED | REG_NOSUB) == 0;
    const std::optional<WholeMatch> match = WholeMatch::Compile(p.pattern);
    ASSERT_EQ(match.has_value(), compiles) << p.pattern;
    if (!compiles) continue;
    for (const char* text : texts) {
      EXPECT_EQ(match->Matches(text), regexec(&reference, text, 0, nullptr, 0) == 0)
          << p.pattern << " on " << text;
    }
    regfree(&reference);
  }
  // The library copies a piece per repeat: such patterns would take
  // gigabytes to compile, and are refused unread.
  for (const char* costly : {"S++++++++++++++++++++++++++++++++", "((a{99}){99}){99}",
                             "(((((((((((((((((((((((((((((((((((a)))))))))))))))))))))))))))))))))"}) {
    EXPECT_FALSE(WholeMatch::Compile(costly)) << costly;
  }
}

TEST(DriveMeanings, NamesAndFormatsByEntryDefaultsAndKind) {
  const DriveDatabase database = Parsed();
  const struct {
    const DriveDatabase* database;
    const char* model;
    const char* firmware;
    DriveKind kind;
    std::uint8_t id;
    const char* name;   // smartctl's
    const char* shown;  // the window's, trimmed
    AttributeEntry entry;
    const char* raw;
  } cases[] = {
      // The drive's own entry renames 231 for the window too.
      {&database, "TEST SSD 250GB", "X1", DriveKind::Ssd, 231, "SSD_Life_Left", "SSD Life Left",
       Entry({97}), "97"},
      // Without it the catalogue's name stays; smartctl's is kind-bound.
      {&database, "OTHER SSD", "X1", DriveKind::Ssd, 231, "Unknown_SSD_Attribute", "Temperature",
       Entry({97}), "97"},
      {&database, "OTHER HDD", "X1", DriveKind::Hdd, 231, "Temperature_Celsius", "Temperature",
       Entry({30}), "30"},
      {&database, "OTHER HDD", "X1", DriveKind::Hdd, 177, "Unknown_HDD_Attribute",
       "Wear Leveling Count", Entry({1}), "1"},
      // IDs the catalogue lacks read as the field names them, database or not.
      {nullptr, "ANY", "", DriveKind::Any, 187, "Reported_Uncorrect", "Reported Uncorrectable",
       Entry({2}), "2"},
      {nullptr, "ANY", "", DriveKind::Any, 15, "Unknown_Attribute", "(Unknown attribute)",
       Entry({2}), "2"},
      // A default names an ID the window knows no name for.
      {&database, "OTHER HDD", "", DriveKind::Hdd, 16, "Default_Only_Name", "Default Only Name",
       Entry({2}), "2"},
      // A byte order, and a format without a name that keeps the default name.
      {&database, "TEST SSD 250GB", "X1", DriveKind::Ssd, 1, "Byte_Order_Test", "Byte Order Test",
       Entry({1, 2, 3, 4, 5, 6}), "1108152157446"},
      {&database, "TEST SSD 250GB", "X1", DriveKind::Ssd, 9, "Power_On_Hours",
       "Power On Hours Count", Entry({0x10, 0x27, 0, 0, 0x30, 0x75}), "10000h+00m+30.000s"},
      // Per firmware: old spellings of the presets.
      {&database, "TESTHDD-1", "BAD1", DriveKind::Hdd, 9, "Power_On_Minutes", "Power On Minutes",
       Entry({0x3D, 0x02}), "9h+33m"},
      {&database, "TESTHDD-1", "GOOD", DriveKind::Hdd, 9, "Power_On_Half_Minutes",
       "Power On Half Minutes", Entry({0x3D, 0x02}), "4h+46m"},
      {&database, "TESTHDD-1", "BAD1", DriveKind::Hdd, 194, "Temperature_Celsius_x10",
       "Temperature Celsius x10", Entry({0x9F, 0x01}), "41.5"},
      // The defaults' formats.
      {&database, "OTHER HDD", "", DriveKind::Hdd, 194, "Temperature_Celsius", "Temperature",
       Entry({41, 0, 18, 0, 47, 0}), "41 (Min/Max 18/47)"},
      {&database, "OTHER HDD", "", DriveKind::Hdd, 5, "Reallocated_Sector_Ct",
       "Reallocated Sector Count", Entry({8, 0, 1, 0, 2, 0}), "8 (2 1)"},
  };
  for (const auto& c : cases) {
    const DriveMeanings meanings = MeaningsFor(c.database, c.model, c.firmware, c.kind);
    const AttributeMeaning& meaning = meanings.Of(c.id);
    const std::string context =
        std::string(c.model) + " " + c.firmware + " ID " + std::to_string(c.id);
    EXPECT_EQ(meaning.Name, c.name) << context;
    EXPECT_EQ(TrimControls(meaning.Shown), c.shown) << context;
    EXPECT_EQ(RawString(meaning.Layout, c.entry), c.raw) << context;
  }
  const DriveMeanings faulty = MeaningsFor(&database, "TESTHDD-1", "BAD1", DriveKind::Hdd);
  EXPECT_EQ(faulty.Family, "Test HDDs, faulty firmware");
  EXPECT_EQ(faulty.Warning, "This firmware loses data; update it");
}

TEST(RawFormat, EveryFormatAndByteOrder) {
  const struct {
    const char* preset;
    AttributeEntry entry;
    const char* raw;
  } cases[] = {
      {"raw48", Entry({1, 2, 3, 4, 5, 6}), "6618611909121"},
      {"raw8", Entry({1, 2, 3, 4, 5, 6}), "6 5 4 3 2 1"},
      {"raw16", Entry({1, 2, 3, 4, 5, 6}), "1541 1027 513"},
      {"hex48", Entry({0x2A, 0, 0, 0, 0, 0xAB}), "0xab000000002a"},
      {"raw56", Entry({1}, 1), "281474976710657"},
      {"hex56", Entry({1}, 0xFF), "0xff000000000001"},
      {"raw64", Entry({1}, 0, 2, 3), "66306"},
      {"hex64", Entry({1}, 0, 2, 3), "0x0000000000010302"},
      {"raw16(raw16)", Entry({7, 0}), "7"},
      {"raw16(avg16)", Entry({0x11, 0x10, 0x08, 0x10}), "4113 (Average 4104)"},
      {"raw16(avg16)", Entry({0x11, 0x10}), "4113"},
      {"raw24(raw8)", Entry({0x1B, 0x22, 0, 118, 2, 0}), "8731 (0 2 118)"},
      {"raw24(raw8)", Entry({0x1B, 0x22}), "8731"},
      {"raw24/raw24", Entry({100, 0, 0, 90, 0, 0}), "90/100"},
      {"raw24/raw32", Entry({10, 0, 0, 0, 3, 0}), "3/10"},
      {"min2hour", Entry({0x3D, 0x02}), "9h+33m"},
      {"sec2hour", Entry({0x3D, 0x02}), "0h+09m+33s"},
      {"halfmin2hour", Entry({121}), "1h+00m"},
      {"msec24hour32", Entry({5, 0, 0, 0, 0xE8, 0x03}), "5h+00m+01.000s"},
      {"msec24hour32", Entry({159, 0, 0, 0, 0x1E, 0x63}, 0x1A), "159h+28m+49.310s"},
      {"tempminmax", Entry({36}), "36"},
      {"tempminmax", Entry({36, 0, 17, 0, 0, 0}), "36 (0 0 0 17 0)"},
      {"tempminmax", Entry({36, 20, 45}), "36 (Min/Max 20/45)"},
      {"tempminmax", Entry({31, 0, 31, 31, 0, 0}), "31 (Min/Max 31/31)"},
      {"tempminmax", Entry({45, 0, 45, 46, 10, 0}), "45 (Min/Max 45/46 #10)"},
      {"temp10x", Entry({0x9F, 0x01}), "41.5"},
      // Byte orders: big-endian, a zero, the value and worst bytes.
      {"raw48:012345", Entry({1, 0, 0, 0, 0, 0}), "1099511627776"},
      {"raw24/raw24:z54z10", Entry({1, 2, 0, 0, 3, 4}), "1027/513"},
      {"hex48:w01234", Entry({1, 2, 3, 4, 5}, 0, 0, 0xEE), "0xee0102030405"},
      {"raw24/raw32:zvzzzw", Entry({}, 0, 7, 9), "7/9"},
  };
  for (const auto& c : cases) {
    const Result<std::vector<AttributePreset>> presets =
        ParsePresets(std::string("-v 1,") + c.preset);
    ASSERT_TRUE(presets.Ok()) << c.preset << ": " << presets.Message;
    EXPECT_EQ(RawString(presets->front().Layout, c.entry), c.raw) << c.preset;
  }
  for (const char* bad : {"-v 1,raw47", "-v 1,raw48:0123456789", "-v 1,raw48:q", "-v 0,raw48",
                          "-v 1,raw48,Name,TAPE", "-v", "-x 1", "-v 1,raw48,Bad Name"}) {
    EXPECT_FALSE(ParsePresets(bad).Ok()) << bad;
  }
}

// A drive the database knows: its family and warning reach the record, its
// tenths-of-a-degree temperature reads as degrees, its names and raw
// strings reach the SMART Info rows.
TEST(DriveMeanings, ReachTheReadersOfAKnownDrive) {
  sim::SimulatedDisks disks{test::ScenarioFrom(R"(
[drive 0]
model = TESTHDD-1
firmware = BAD1
attribute = 9 value=100 worst=100 threshold=0 raw=573
attribute = 194 value=100 worst=100 threshold=0 raw=415
)")};
  DriveReader reader{disks};
  auto database = std::make_shared<DriveDatabase>(Parsed());
  reader.UseDatabase(database);
  const DriveRecord record = ReadDriveRecord(reader, 0, nullptr);
  EXPECT_EQ(record.Family, "Test HDDs, faulty firmware");
  EXPECT_EQ(record.ModelWarning, "This firmware loses data; update it");
  EXPECT_EQ(record.Temperature, 41);
  ASSERT_EQ(record.Attributes.size(), 2u);
  EXPECT_EQ(record.Attributes[0].SmartctlName, "Power_On_Minutes");
  EXPECT_EQ(record.Attributes[0].RawText, "9h+33m");
  EXPECT_EQ(record.Attributes[1].RawText, "41.5");

  // The detail pages and the health watch find the entry too, though they
  // decode the model's bytes in place.
  CollectingSinks pages;
  reader.ReadDriveDetails(0, pages, pages);
  EXPECT_TRUE(std::any_of(pages.diskInfo.begin(), pages.diskInfo.end(), [](const DiskInfoRow& row) {
    return row.Caption == "Model family" && row.Value == "Test HDDs, faulty firmware";
  }));
  ASSERT_EQ(pages.smartInfo.size(), 2u);
  EXPECT_EQ(pages.smartInfo[0].RawText, "9h+33m");
  const std::optional<HealthReading> health = ReadHealth(reader, 0);
  ASSERT_TRUE(health.has_value());
  EXPECT_EQ(health->Names.at(9), "Power On Minutes");
  EXPECT_EQ(TrimControls(pages.smartInfo[0].Name), "Power On Minutes");

  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  EXPECT_EQ(summary.Temperature, 41);
  EXPECT_EQ(summary.ModelWarning, "This firmware loses data; update it");

  // Without the database, the same drive reads as before.
  reader.UseDatabase(nullptr);
  reader.GetDriveSummary(0, summary);
  EXPECT_EQ(summary.Temperature, 100);  // 415 is no temperature: the value stands in
  EXPECT_TRUE(summary.ModelWarning.empty());
}

TEST(DriveDatabaseFiles, EarlierFilesWinAndMissingOnesAreNoFault) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "drivedb_files";
  std::filesystem::create_directories(dir);
  const std::string local = (dir / "local.h").string();
  FILE* file = std::fopen(local.c_str(), "w");
  std::fputs("{ \"Local\", \"TESTHDD-.*\", \"\", \"\", \"-v 9,sec2hour\" },", file);
  std::fclose(file);
  const std::string packaged = (dir / "packaged.h").string();
  file = std::fopen(packaged.c_str(), "w");
  std::fputs(kDatabase, file);
  std::fclose(file);

  const auto database = LoadDriveDatabase({local, (dir / "missing.h").string(), packaged});
  ASSERT_NE(database, nullptr);
  EXPECT_EQ(database->Match("TESTHDD-1", "BAD1")->Family, "Local");
  EXPECT_EQ(database->Entries.size(), 4u);
  EXPECT_EQ(LoadDriveDatabase({(dir / "missing.h").string()}), nullptr);
}

// What the window keeps between starts: the defaults and the entries its
// drives matched, read back as a database that answers for those drives as
// the whole one does. A drive it was not made for, a spoilt copy or a file
// that changed brings the whole files back.
TEST(DriveDatabaseFiles, KeptEntriesServeTheirDrivesUntilADriveOrAFileIsNew) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "drivedb_kept";
  std::filesystem::create_directories(dir);
  const auto write = [](const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(text.c_str(), file);
    std::fclose(file);
  };
  const std::vector<std::string> paths = {(dir / "local.h").string(),
                                          (dir / "packaged.h").string()};
  const std::string kept = (dir / "kept.h").string();
  write(paths[1], kDatabase);
  const auto whole = LoadDriveDatabase(paths, kept);  // nothing kept yet
  ASSERT_TRUE(whole && !whole->Covers);
  const std::string hdd = "TESTHDD-1\nBAD1";
  ASSERT_TRUE(KeepDriveDatabase(kept, *whole,
                                {{hdd, whole->Match("TESTHDD-1", "BAD1")}, {"OTHER\n1", nullptr}})
                  .Ok());

  const auto again = LoadDriveDatabase(paths, kept);
  ASSERT_TRUE(again && again->Covers);
  EXPECT_EQ(*again->Covers, (std::set<std::string>{hdd, "OTHER\n1"}));
  EXPECT_EQ(again->Entries.size(), 1u);
  EXPECT_EQ(again->Match("TESTHDD-1", "BAD1")->Warning, "This firmware loses data; update it");
  EXPECT_EQ(again->Defaults.size(), whole->Defaults.size());
  EXPECT_FALSE(KeepDriveDatabase(kept, *again, {}).Ok());  // only a whole one is kept

  sim::SimulatedDisks disks{test::ScenarioFrom(R"(
[drive 0]
model = TESTHDD-2
firmware = OK
attribute = 9 value=100 worst=100 threshold=0 raw=573
)")};
  DriveReader reader{disks};
  reader.UseDatabase(again);
  EXPECT_EQ(ReadDriveRecord(reader, 0, nullptr).Family, "Test HDDs");
  ASSERT_TRUE(reader.KeepDatabase(kept).Ok());
  EXPECT_EQ(*LoadDriveDatabase(paths, kept)->Covers, std::set<std::string>{"TESTHDD-2\nOK"});

  const Result<std::string> text = ReadWholeFile(kept);
  ASSERT_TRUE(text.Ok());
  write(kept, text->substr(0, text->size() - 10));
  EXPECT_FALSE(LoadDriveDatabase(paths, kept)->Covers);
  write(kept, *text);
  write(paths[0], "");
  EXPECT_FALSE(LoadDriveDatabase(paths, kept)->Covers);
}

// The field's own file, as installed: every entry understood.
TEST(DriveDatabase, InstalledFileHasNoSkippedEntry) {
  const char* path = "/usr/share/smartmontools/drivedb.h";
  const Result<std::string> text = ReadWholeFile(path);
  if (!text.Ok()) GTEST_SKIP() << path << " is not installed";
  DriveDatabase database;
  ParseDriveDatabase(*text, path, database);
  EXPECT_TRUE(database.Skipped.empty()) << database.Skipped.front();
  EXPECT_GT(database.Entries.size(), 500u);
  EXPECT_GT(database.Defaults.size(), 60u);
  // The emulated disk of the VM test is in no entry, as smartctl finds.
  EXPECT_EQ(database.Match("QEMU HARDDISK", "2.5+"), nullptr);
}

}  // namespace
}  // namespace halvoric
