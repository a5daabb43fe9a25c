// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_diagnostics.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QString>
#include <QtGlobal>
#include <map>
#include <memory>
#include <string>

#include "base/diagnostics.h"
#include "disks/access_levels.h"
#include "disks/helper_disk_control.h"
#include "disks/sysfs_disk_control.h"
#include "tests/disks/fake_sysfs.h"

namespace halvoric {
namespace {

// Category name to the lines it logged.
std::map<std::string, std::string> logged;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& message) {
  logged[context.category ? context.category : ""] += message.toStdString() + "\n";
}

// What the platform code tells on one pass over a machine without rights:
// a drive read from sysfs, and a helper that is not where it should be.
void OpenDrivesWithoutRights(const test::FakeSysfs& tree) {
  TieredDiskControl limited(nullptr, std::make_unique<SysfsDiskControl>(tree.Sys()));
  const OpenResult opened = limited.Open(DevicePath(0));
  if (opened.Ok()) limited.Close(*opened);
  HelperDiskControl helper({(tree.Root() / "no-such-helper").string()});
  EXPECT_FALSE(helper.Open(DevicePath(0)).Ok());
  Diagnose(DiagnosticArea::Startup, "the splash shown");
}

TEST(QtDiagnostics, AreSilentUntilARuleTurnsThemOn) {
  // The rules of the one running this test must not decide its outcome.
  qunsetenv("QT_LOGGING_RULES");
  test::FakeSysfs tree;
  tree.AddDisk("sda");
  InstallQtDiagnostics();
  const QtMessageHandler previous = qInstallMessageHandler(Capture);

  const struct {
    const char* rules;
    bool access, helper, sysfs, startup;  // which categories log a line
  } cases[] = {
      {"", false, false, false, false},
      {"halvoric.*=true", true, true, true, true},
      {"halvoric.*.debug=true", true, true, true, true},
      {"halvoric.helper.debug=true", false, true, false, false},
      {"halvoric.*=true\nhalvoric.access=false", false, true, true, true},
      {"halvoric.startup=true", false, false, false, true},
      {"*.debug=false", false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rules);
    logged.clear();
    QLoggingCategory::setFilterRules(c.rules);
    OpenDrivesWithoutRights(tree);
    EXPECT_EQ(logged.count("halvoric.access"), c.access ? 1u : 0u);
    EXPECT_EQ(logged.count("halvoric.helper"), c.helper ? 1u : 0u);
    EXPECT_EQ(logged.count("halvoric.sysfs"), c.sysfs ? 1u : 0u);
    EXPECT_EQ(logged.count("halvoric.startup"), c.startup ? 1u : 0u);
    EXPECT_EQ(logged.size(), std::size_t{c.access} + c.helper + c.sysfs + c.startup);
    if (c.access) {
      EXPECT_NE(logged["halvoric.access"].find("drive 0: read from sysfs and hwmon only"),
                std::string::npos)
          << logged["halvoric.access"];
    }
    if (c.helper) {
      EXPECT_NE(logged["halvoric.helper"].find("cannot start "), std::string::npos)
          << logged["halvoric.helper"];
    }
    if (c.startup) {
      // When the phase ended since the program started, and how long it took.
      EXPECT_TRUE(QString::fromStdString(logged["halvoric.startup"])
                      .contains(QRegularExpression("^at [0-9]+\\.[0-9] ms, \\+[0-9]+\\.[0-9] ms: "
                                                   "the splash shown\n$")))
          << logged["halvoric.startup"];
    }
    if (c.sysfs) {
      EXPECT_NE(logged["halvoric.sysfs"].find("drive 0 is sda:"), std::string::npos)
          << logged["halvoric.sysfs"];
    }
  }

  QLoggingCategory::setFilterRules({});
  qInstallMessageHandler(previous);
  SetDiagnosticSink(nullptr);
}

}  // namespace
}  // namespace halvoric
