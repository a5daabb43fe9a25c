// SPDX-License-Identifier: GPL-3.0-or-later
// The window with the drives' access levels: the source row and hidden
// made-up figures on the detail pages, and the start-up line about rights.
#include <map>

#include "form_fixture.h"

namespace halvoric::testing {
namespace {

class FakeAccess : public DriveAccess {
 public:
  AccessLevel LevelOf(DriveNumber n) const override {
    const auto found = Levels.find(n);
    return found == Levels.end() ? AccessLevel::Unknown : found->second;
  }
  AccessReport Report() const override { return Answer; }

  std::map<DriveNumber, AccessLevel> Levels;
  AccessReport Answer;
};

class AccessTest : public FormTest {
 protected:
  AccessTest() { access_ = &access; }

  const QTreeWidgetItem* LastDiskInfoRow() const {
    const QTreeWidget& list = *form_->DiskInfo_ListView;
    return list.topLevelItemCount() == 0 ? nullptr
                                         : list.topLevelItem(list.topLevelItemCount() - 1);
  }

  FakeAccess access;
};

struct LevelCase {
  const char* Name;
  AccessLevel Level;
  QString Source;
  QString TemperatureValue;  // the Value column of attribute C2; empty: none
  std::string Scenario = DrivesScenario({0});
};

class LevelTest : public AccessTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelTest, DetailPagesNameTheSourceAndHideMadeUpFigures) {
  const LevelCase& c = GetParam();
  access.Levels[0] = c.Level;
  TTessivar_Form& form = Start(c.Scenario);

  const QTreeWidgetItem* source = LastDiskInfoRow();
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->text(0), "Data source");
  EXPECT_EQ(source->text(1), c.Source);
  const auto temperature = form.SMARTInfo_ListView->findItems("C2", Qt::MatchExactly, 0);
  ASSERT_EQ(temperature.size(), c.TemperatureValue.isEmpty() ? 0 : 1);
  if (!temperature.empty()) {
    EXPECT_EQ(temperature[0]->text(3), c.TemperatureValue);
  }
  // The drive list keeps the summary's status whatever the level.
  EXPECT_EQ(form.HDDs_ListView->topLevelItem(0)->text(3), "OK");
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LevelTest,
    ::testing::Values(LevelCase{"Ata", AccessLevel::Ata,
                                "the drive (ATA commands); temperature from attribute 194", "60"},
                      LevelCase{"AirflowTemperature", AccessLevel::Ata,
                                "the drive (ATA commands); temperature from attribute 190", "",
                                "[drive 0]\nattribute = 190 value=60 worst=50 raw=40\n"},
                      LevelCase{"Limited", AccessLevel::Limited,
                                "sysfs and hwmon (no right to send ATA commands)", "-"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(AccessTest, AbsentDriveZeroLeavesThePagesEmpty) {
  access.Levels[1] = AccessLevel::Limited;
  TTessivar_Form& form = Start(DrivesScenario({1}));
  EXPECT_EQ(form.DiskInfo_ListView->topLevelItemCount(), 0);
  EXPECT_EQ(form.SMARTInfo_ListView->topLevelItemCount(), 0);
}

struct ReportCase {
  const char* Name;
  std::string Message;
  QStringList Journal;
};

class ReportTest : public AccessTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportTest, MissingRightsAreJournalledOnceBeforeTheStartLine) {
  const ReportCase& c = GetParam();
  access.Levels[0] = AccessLevel::Limited;
  access.Answer.Message = c.Message;
  TTessivar_Form& form = Start(DrivesScenario({0}));
  form.HDDs_ListView->setCurrentItem(form.HDDs_ListView->topLevelItem(0));

  EXPECT_EQ(JournalMessages(), c.Journal);
  EXPECT_EQ(log_.Records.size(), static_cast<std::size_t>(c.Journal.size()));
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportTest,
                         ::testing::Values(ReportCase{"AllWell", "", {"Halvoric Started !"}},
                                           ReportCase{
                                               "NoRights",
                                               "No drive could be read; run the install step",
                                               {"No drive could be read; run the install step",
                                                "Halvoric Started !"}}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace halvoric::testing
