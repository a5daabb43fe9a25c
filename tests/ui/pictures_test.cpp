// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pictures.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include "ui/demo_scenario.h"

namespace halvoric {
namespace {

// Every stored picture as the program decodes it (JPEG through libjpeg,
// PNG by name), at its size; a JPEG with the pixels Qt's own reader gives,
// whether decoded ahead on the start-up's thread or when asked for.
TEST(Pictures, EveryStoredPictureDecodesAtItsSize) {
  DecodePicturesAhead();
  for (const char* pass : {"handed over from the thread", "decoded when asked for"}) {
    SCOPED_TRACE(pass);
    const std::map<QString, QSize> sizes{{"splash.jpg", {448, 291}},
                                         {"banner.jpg", {289, 80}},
                                         {"logo.jpg", {157, 41}},
                                         {"glyph-help.png", {24, 24}}};
    int count = 0;
    for (QDirIterator it(":/pictures"); it.hasNext(); ++count) {
      const QString path = it.next();
      SCOPED_TRACE(path.toStdString());
      const QImage image = Picture(it.fileName()).toImage();
      ASSERT_FALSE(image.isNull());
      const auto known = sizes.find(it.fileName());
      EXPECT_EQ(image.size(), known != sizes.end() ? known->second : QSize(16, 16));
      if (path.endsWith(".jpg")) {
        EXPECT_EQ(QImageReader::imageFormat(path), "jpeg");
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  QImageReader(path).read().convertToFormat(QImage::Format_RGB32));
        // A cut or spoilt picture is no picture, and the program goes on.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(DecodeJpeg(bytes.left(bytes.size() / 2)).isNull() ||
                    DecodeJpeg(bytes.left(bytes.size() / 2)).size() == image.size());
        EXPECT_TRUE(DecodeJpeg(bytes.left(20)).isNull());
        EXPECT_TRUE(DecodeJpeg(QByteArray(64, 'x')).isNull());
      }
    }
    EXPECT_EQ(count, 19);
  }
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
