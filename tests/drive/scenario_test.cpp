#include <gtest/gtest.h>

#include "drive/attributes.h"
#include "drive/drive_reader.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

TEST(Scenario, MistakesAreReportedWithTheirLine) {
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {"model = x\n", "test:1: a [drive N] section must come first"},
      {"[drive 256]\n", "test:1: expected a section '[drive N]' with N from 0 to 255"},
      {"[drive 1]7]\n", "test:1: expected a section '[drive N]' with N from 0 to 255"},
      {"[drive 1]\n[drive 1]\n", "test:2: drive 1 given twice"},
      {"[drive 0]\ncolour = red\n", "test:2: unknown key 'colour'"},
      {"[drive 0]\nmodel = " + std::string(41, 'x') + "\n", "test:2: longer than 40 characters"},
      {"[drive 0]\nattribute = 194 value=300\n", "test:2: bad attribute field 'value=300'"},
      {"[drive 0]\nattribute = 0\n", "test:2: attribute starts with its ID, 1 to 255"},
      {"[drive 0]\nfail = smoke\n", "test:2: unknown failure 'smoke'"},
      {"[drive 0]\ntemperature = 10:40 5:50\nattribute = 194\n",
       "test:2: temperature points must be in increasing time"},
      {"[drive 0]\ntemperature = 40\n", "test: drive 0 has a temperature but no attribute 194"},
      {"[drive 0]\nsmart-data-file = missing.bin\n", "test:2: cannot open sector file '"},
      {"[drive 0]\njust words\n", "test:2: expected 'key = value'"},
  };
  for (const Case& c : cases) {
    const auto result = sim::ParseScenario(c.text, "test", HALVORIC_FIXTURES);
    EXPECT_FALSE(result.Ok()) << c.text;
    EXPECT_EQ(result.Message.rfind(c.error, 0), 0u) << result.Message;
  }
}

TEST(Scenario, TemperatureFollowsTheScheduleOverTime) {
  double now = 0;
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
# a drive that heats up
[drive 0]
attribute = 194 value=100 worst=100 threshold=0
temperature = 0:40 30:50 60:51
)"),
                            [&now] { return now; });
  DriveReader reader(disks);
  const std::pair<double, int> expected[] = {{0, 40}, {29.9, 40}, {30, 50}, {59, 50},
                                             {60, 51}, {1e6, 51}};
  for (const auto& [at, celsius] : expected) {
    now = at;
    DriveSummary summary;
    reader.GetDriveSummary(0, summary);
    EXPECT_EQ(summary.Temperature, celsius) << "at " << at;
  }
}

TEST(Scenario, RecordedSectorsFeedTheSimulatedDrive) {
  sim::SimulatedDisks disks(test::ScenarioFrom(R"(
[drive 0]
identify-file = qemu-sata/identify.bin
smart-data-file = qemu-sata/smart-data.bin
smart-thresholds-file = "qemu-sata/smart-thresholds.bin"
)"));
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0), "HARNESS SMART TEST DISK" + std::string(17, ' '));
  const auto& data = reader.Blocks().AttributeBlock.Data;
  std::uint8_t sum = 0;
  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  for (std::uint8_t byte : data) sum = static_cast<std::uint8_t>(sum + byte);
  EXPECT_EQ(sum, 0);  // the recorded checksum is kept
  EXPECT_EQ(AttributeAt(data, 6).Id, 190);
}

// A folder would read as an empty scenario, a pipe would block the open and
// a device would never end.
TEST(Scenario, OnlyRegularFilesAreRead) {
  for (const std::string& path : {std::string(HALVORIC_SCENARIOS), std::string("/dev/zero")}) {
    const auto result = sim::LoadScenario(path);
    EXPECT_EQ(result.Message, "cannot open scenario file '" + path + "': not a regular file");
  }
  const auto sector =
      sim::ParseScenario("[drive 0]\nidentify-file = qemu-sata\n", "test", HALVORIC_FIXTURES);
  EXPECT_NE(sector.Message.find("qemu-sata' is not a regular file"), std::string::npos)
      << sector.Message;
}

TEST(Scenario, ShippedExamplesLoad) {
  for (const char* name : {"demo.scenario", "hot-drive.scenario", "troubled.scenario"}) {
    const auto result = sim::LoadScenario(std::string(HALVORIC_SCENARIOS) + "/" + name);
    ASSERT_TRUE(result.Ok()) << result.Message;
    EXPECT_FALSE(result->Drives.empty()) << name;
  }
}

}  // namespace
}  // namespace halvoric
