// SPDX-License-Identifier: GPL-3.0-or-later
// The drive status balloon from a simulated drive to the notification area,
// and the text Qt is given for it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "drive/sim/scenario.h"
#include "drive/sim/simulated_disks.h"
#include "monitor/tray_status.h"
#include "shell/qt_notification_area.h"
#include "shell/tray_icon.h"
#include "tests/shell/tray_fakes.h"

namespace halvoric {
namespace {

using testing::FakeArea;
using testing::FakeInput;

// The window's part in the report: its balloons go to the tray icon.
class BalloonWindow final : public TrayStatusView {
 public:
  explicit BalloonWindow(TTrayIcon& icon) : icon_(icon) {}
  std::vector<DriveNumber> ListedDrives() const override { return {0}; }
  void ShowDriveReading(DriveNumber, const LastReading&) override {}
  void ShowStatusBalloon(const std::string& text, std::uint8_t seconds) override {
    icon_.ShowBalloon("Halvoric", text, BalloonIconKind::Info, seconds);
  }

 private:
  TTrayIcon& icon_;
};

struct SteeringCase {
  const char* name;
  std::string character;
};

void PrintTo(const SteeringCase& c, std::ostream* out) { *out << c.name; }

class BalloonSteeringTest : public ::testing::TestWithParam<SteeringCase> {};

// A model holding a C1 control or a bidirectional control reaches the area
// with '?' in its place, the rest of the balloon as it was.
TEST_P(BalloonSteeringTest, DriveModelReachesTheAreaWithoutIt) {
  const std::string& character = GetParam().character;
  Result<sim::Scenario> scenario = sim::ParseScenario(
      "[drive 0]\nmodel = \"a" + character + "z\"\nattribute = 194 raw=41\n", "test", ".");
  ASSERT_TRUE(scenario.Ok()) << scenario.Message;
  sim::SimulatedDisks disks(std::move(*scenario));
  DriveReader drives(disks);
  FakeArea area;
  FakeInput input;
  TTrayIcon icon({area, input}, nullptr);
  icon.AddToTray();
  BalloonWindow window(icon);
  Settings settings;
  settings.DiskStatus = true;
  LastReadings last;
  TrayStatusReport(window, settings, drives, last).WindowHidden(1);

  const std::string shown = area.Last().record.Info();
  EXPECT_EQ(shown.find(character), std::string::npos);
  // Without the blanks the drive pads its 40 bytes with.
  EXPECT_EQ(shown,
            "a?z\rTemp: 41\xC2\xB0"
            "C, OK\r");
}

INSTANTIATE_TEST_SUITE_P(
    Characters, BalloonSteeringTest,
    ::testing::Values(SteeringCase{"C1Csi", "\xC2\x9B"}, SteeringCase{"C1First", "\xC2\x80"},
                      SteeringCase{"C1Last", "\xC2\x9F"}, SteeringCase{"Lre", "\xE2\x80\xAA"},
                      SteeringCase{"Rle", "\xE2\x80\xAB"}, SteeringCase{"Pdf", "\xE2\x80\xAC"},
                      SteeringCase{"Lro", "\xE2\x80\xAD"}, SteeringCase{"Rlo", "\xE2\x80\xAE"},
                      SteeringCase{"Lri", "\xE2\x81\xA6"}, SteeringCase{"Rli", "\xE2\x81\xA7"},
                      SteeringCase{"Fsi", "\xE2\x81\xA8"}, SteeringCase{"Pdi", "\xE2\x81\xA9"},
                      SteeringCase{"Lrm", "\xE2\x80\x8E"}, SteeringCase{"Rlm", "\xE2\x80\x8F"},
                      SteeringCase{"Alm", "\xD8\x9C"}, SteeringCase{"Escape", "\x1B"}),
    [](const auto& info) { return info.param.name; });

// A notification server reads the body as markup; Qt's own balloon label
// shows plain text, where an entity would show as typed.
TEST(BalloonMessage, EscapesMarkupOnlyForANotificationServer) {
  struct Row {
    std::string info;
    bool markup;
    QString message;
  } rows[] = {
      {"R&D <b>Disk</b> 2>1\rTemp: 41", true, "R&amp;D &lt;b&gt;Disk&lt;/b&gt; 2&gt;1\nTemp: 41"},
      {"R&D <b>Disk</b> 2>1\rTemp: 41", false, "R&D <b>Disk</b> 2>1\nTemp: 41"},
      {"Plain\r", true, "Plain\n"},
  };
  for (const Row& row : rows) {
    NotifyIconRecord record;
    CopyCut(record.info, row.info);
    EXPECT_EQ(BalloonMessage(record, row.markup), row.message) << row.info;
  }
}

}  // namespace
}  // namespace halvoric
