// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pictures.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include "ui/demo_scenario.h"
#include "ui/start_read_ahead.h"

namespace halvoric {
namespace {

// Every stored picture as the program reads it (JPEG through libjpeg, PNG
// as the build stored its pixels), at its size, with the pixels Qt's own
// reader gives for the artwork; a JPEG whether decoded ahead on the
// start-up's thread or when asked for.
TEST(Pictures, EveryStoredPictureReadsAsItsArtwork) {
  const std::map<QString, QSize> sizes{{"splash.jpg", {448, 291}},
                                       {"banner.jpg", {289, 80}},
                                       {"logo.jpg", {157, 41}},
                                       {"glyph-help.png", {24, 24}}};
  const StartReadAhead ahead;
  for (const char* pass : {"handed over from the thread", "decoded when asked for"}) {
    SCOPED_TRACE(pass);
    int count = 0;
    for (QDirIterator it(":/pictures"); it.hasNext(); ++count) {
      const QString stored = it.next();
      const bool jpeg = stored.endsWith(".jpg");
      const QString name = jpeg ? it.fileName() : it.fileInfo().completeBaseName() + ".png";
      SCOPED_TRACE(name.toStdString());
      const QImage image = Picture(name).toImage();
      ASSERT_FALSE(image.isNull());
      const auto known = sizes.find(name);
      EXPECT_EQ(image.size(), known != sizes.end() ? known->second : QSize(16, 16));
      const QString artwork = jpeg ? stored : QString(HALVORIC_PICTURES_DIR "/") + name;
      // As a pixmap holds it: with its alpha premultiplied.
      const QImage::Format format =
          jpeg ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
      EXPECT_EQ(image.convertToFormat(format),
                QImageReader(artwork).read().convertToFormat(format));
      if (!jpeg) continue;
      EXPECT_EQ(QImageReader::imageFormat(stored), "jpeg");
      // A cut or spoilt picture is no picture, and the program goes on.
      QFile file(stored);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      const QByteArray bytes = file.readAll();
      EXPECT_TRUE(DecodeJpeg(bytes.left(bytes.size() / 2)).isNull() ||
                  DecodeJpeg(bytes.left(bytes.size() / 2)).size() == image.size());
      EXPECT_TRUE(DecodeJpeg(bytes.left(20)).isNull());
      EXPECT_TRUE(DecodeJpeg(QByteArray(64, 'x')).isNull());
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
