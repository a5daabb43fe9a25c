// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QImageReader>
#include <QTemporaryDir>

#include "ui/demo_scenario.h"

namespace halvoric {
namespace {

// Without Qt's JPEG plugin the splash, banner and logo would be blank.
TEST(Pictures, JpegDecoderIsPresent) {
  ASSERT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"))
      << "Qt's JPEG image plugin (libjpeg) is missing";
}

TEST(Pictures, EveryStoredPictureDecodesAtItsSize) {
  const std::map<QString, QSize> sizes{{"splash.jpg", {448, 291}},
                                       {"banner.jpg", {289, 80}},
                                       {"logo.jpg", {157, 41}},
                                       {"glyph-help.png", {24, 24}}};
  int count = 0;
  for (QDirIterator it(":/pictures"); it.hasNext(); ++count) {
    const QString path = it.next();
    QImageReader reader(path);
    const QImage image = reader.read();
    SCOPED_TRACE(path.toStdString());
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    const auto known = sizes.find(it.fileName());
    EXPECT_EQ(image.size(), known != sizes.end() ? known->second : QSize(16, 16));
    if (path.endsWith(".jpg")) {
      EXPECT_EQ(QImageReader::imageFormat(path), "jpeg");
    }
  }
  EXPECT_EQ(count, 19);
}

TEST(DemoScenario, BesideTheExecutableElseInstalled) {
  const QTemporaryDir tmp;
  const QString dir = tmp.path();
  QDir().mkpath(dir + "/bin");
  EXPECT_EQ(DemoScenarioPath(dir + "/bin"), dir + "/bin/scenarios/demo.scenario");
  QDir().mkpath(dir + "/share/halvoric/scenarios");
  QFile(dir + "/share/halvoric/scenarios/demo.scenario").open(QIODevice::WriteOnly);
  EXPECT_EQ(DemoScenarioPath(dir + "/bin"), dir + "/share/halvoric/scenarios/demo.scenario");
  QDir().mkpath(dir + "/bin/scenarios");
  QFile(dir + "/bin/scenarios/demo.scenario").open(QIODevice::WriteOnly);
  EXPECT_EQ(DemoScenarioPath(dir + "/bin"), dir + "/bin/scenarios/demo.scenario");
}

}  // namespace
}  // namespace halvoric
