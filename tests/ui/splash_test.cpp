// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QEvent>

#include "desktop/steady_clock.h"
#include "form_fixture.h"
#include "ui/program_entry.h"
#include "ui/splash_screen.h"

namespace halvoric::testing {
namespace {

TSplashScreen* VisibleSplash() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* splash = dynamic_cast<TSplashScreen*>(widget); splash && splash->isVisible()) {
      return splash;
    }
  }
  return nullptr;
}

// Counts the paint events a splash window receives.
class SplashPaints : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && dynamic_cast<TSplashScreen*>(watched)) ++Count;
    return false;
  }
  int Count = 0;
};

// Notes, at the first drive probe, what is on screen.
class WatchedDisks : public DiskControl {
 public:
  WatchedDisks(DiskControl& disks, const SplashPaints& paints) : disks_(disks), paints_(paints) {}
  OpenResult Open(const std::string& path) override {
    if (!probed_) {
      probed_ = true;
      if (const TSplashScreen* splash = VisibleSplash()) {
        SplashSizeAtProbe = splash->size();
        PaintsAtProbe = paints_.Count;
      }
    }
    return disks_.Open(path);
  }
  bool Control(DeviceHandle handle, std::uint32_t code, const void* in, std::size_t inSize,
               void* out, std::size_t outSize) override {
    return disks_.Control(handle, code, in, inSize, out, outSize);
  }
  void Close(DeviceHandle handle) override { disks_.Close(handle); }
  unsigned DriveCount() const override { return disks_.DriveCount(); }

  QSize SplashSizeAtProbe;
  int PaintsAtProbe = 0;

 private:
  DiskControl& disks_;
  const SplashPaints& paints_;
  bool probed_ = false;
};

class SplashTest : public FormTest {};

TEST_F(SplashTest, ShownAndPaintedBeforeTheSlowProbeAndGoneAfter) {
  sim::SimulatedDisks slow(ParseOrFail(DrivesScenario({0}) + "delay-ms = 40\n"));
  SplashPaints paints;
  qApp->installEventFilter(&paints);
  WatchedDisks watched(slow, paints);
  const MainWindow window = StartMainWindow(Services(watched));
  TTessivar_Form* form = window.Form.get();
  qApp->removeEventFilter(&paints);

  EXPECT_EQ(watched.SplashSizeAtProbe, QSize(448, 291));
  EXPECT_GT(watched.PaintsAtProbe, 0);
  EXPECT_EQ(VisibleSplash(), nullptr);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->DriveCount(), 1);
}

// Notes the progress text of the splash each time it is painted.
class ProgressPaints : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto* splash = dynamic_cast<TSplashScreen*>(watched->parent());
    if (event->type() == QEvent::Paint && splash && watched == splash->progressText) {
      Texts.push_back(splash->progressText->text().toStdString());
    }
    return false;
  }
  std::vector<std::string> Texts;
};

// A scan that takes longer than half a second says on the splash which
// drive it is reading, while it waits on the drives' thread.
TEST_F(SplashTest, ALongScanShowsItsProgress) {
  const SteadyClock steady;
  time_ = &steady;
  seriesOnOwnThread_ = true;
  sim::SimulatedDisks slow(
      ParseOrFail(DrivesScenario({0}) + "delay-ms = 100\n" + DrivesScenario({1})));
  ProgressPaints paints;
  qApp->installEventFilter(&paints);
  const MainWindow window = StartMainWindow(Services(slow));
  qApp->removeEventFilter(&paints);
  ASSERT_FALSE(paints.Texts.empty());
  EXPECT_EQ(paints.Texts.front(), "Reading drive 1 of 2");
  EXPECT_EQ(window.Form->DriveCount(), 2);
}

// Notes whether the splash was still up when a message box came.
class SplashCheckingMessages : public MessageBoxes {
 public:
  void ShowError(const std::string& text) override { Note(text); }
  void ShowMessage(const std::string& text) override { Note(text); }
  std::vector<std::string> Shown;
  bool CoveredBySplash = false;

 private:
  void Note(const std::string& text) {
    Shown.push_back(text);
    CoveredBySplash = CoveredBySplash || VisibleSplash() != nullptr;
  }
};

// The splash stays on top: a box beneath it would leave the start looking
// hung, so a message during start-up first takes the splash away.
TEST_F(SplashTest, AStartUpMessageIsNotCoveredByTheSplash) {
  WriteFile("config.xml", "<Tessivar><AutoRun>yes</AutoRun></Tessivar>");
  sim::SimulatedDisks disks(ParseOrFail(DrivesScenario({0})));
  SplashCheckingMessages messages;
  const MainWindow window = StartMainWindow(Services(disks, &messages));
  TTessivar_Form* form = window.Form.get();
  ASSERT_EQ(messages.Shown, std::vector<std::string>{"'yes' is not a valid boolean value"});
  EXPECT_FALSE(messages.CoveredBySplash);
  EXPECT_TRUE(form->isVisible());
}

}  // namespace
}  // namespace halvoric::testing
