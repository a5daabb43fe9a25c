// The watch as the window shows it: ticked rows only, the popup's countdown
// in the caption, the raised critical temperature in its field.
#include "form_fixture.h"

namespace halvoric::testing {
namespace {

TEST_F(FormTest, WatchReadsTickedRowsAndShowsThePopupsOutcome) {
  WriteFile("config.xml",
            "<Tessivar><Hibernation>-1</Hibernation><TempWarn>-1</TempWarn><Temp>30</Temp>"
            "<PopupNotification>-1</PopupNotification></Tessivar>");
  TTessivar_Form& form = Start(DrivesScenario({0, 1}));
  form.HDDs_ListView->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
  disks_->ClearEvents();
  QString caption;
  messages_.WhileAlertWaits = [&] {
    EXPECT_TRUE(form.Hibernate_Timer->isActive());
    EXPECT_FALSE(form.CheckTemp_Timer->isActive());
    form.Hibernate_Timer->timeout({});
    caption = form.windowTitle();
  };
  form.CheckTemp_Timer->timeout({});
  ASSERT_EQ(messages_.Alerts.size(), 1u);
  EXPECT_EQ(caption, "Hibernate on 59s");
  EXPECT_EQ(form.HibernateCountdown(), 59);
  EXPECT_EQ(form.windowTitle(), "Halvoric");
  EXPECT_FALSE(form.Hibernate_Timer->isActive());
  EXPECT_TRUE(form.CheckTemp_Timer->isActive());
  EXPECT_EQ(form.CritTemp_Edit->text(), "40");
  EXPECT_EQ(form.Settings.Temp, "40");
  for (const auto& event : disks_->Events()) {
    if (event.What == sim::RecordedEvent::Kind::Open) {
      EXPECT_EQ(event.Path, "\\\\.\\PhysicalDrive1");
    }
  }
}

}  // namespace
}  // namespace halvoric::testing
