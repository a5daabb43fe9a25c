#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "tests/shell/tray_fakes.h"

namespace halvoric {
namespace {

using testing::RunUntil;

TEST(SingleInstance, ASecondStartShowsTheFirstAndEnds) {
  QTemporaryDir folder;
  const QString address = folder.filePath("halvoric.instance");
  int shown = 0;
  SingleInstance first(address);
  ASSERT_FALSE(first.HandOverToRunningInstance([&] { ++shown; }));

  SingleInstance second(address);
  EXPECT_TRUE(second.HandOverToRunningInstance([] { FAIL() << "the second must not run"; }));
  EXPECT_TRUE(RunUntil([&] { return shown == 1; }));
}

// An instance that crashed leaves its socket file behind; nobody answers
// there, so the next start runs.
TEST(SingleInstance, AnAddressNobodyAnswersAtIsTakenOver) {
  QTemporaryDir folder;
  const QString address = folder.filePath("halvoric.instance");
  std::ofstream(address.toStdString()) << "left behind";
  SingleInstance next(address);
  EXPECT_FALSE(next.HandOverToRunningInstance([] {}));
  SingleInstance third(address);
  EXPECT_TRUE(third.HandOverToRunningInstance([] {}));
}

}  // namespace
}  // namespace halvoric
