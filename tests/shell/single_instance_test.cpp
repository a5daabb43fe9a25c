// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

TEST(SingleInstance, OnlyAPrivateFolderOfTheUsersOwnHoldsTheAddress) {
  QTemporaryDir base;
  const auto folder = [&](const char* name, mode_t mode) {
    const QString path = base.filePath(name);
    ::mkdir(QFile::encodeName(path).constData(), mode);
    ::chmod(QFile::encodeName(path).constData(), mode);
    return path;
  };
  EXPECT_TRUE(PrivateFolder(folder("own", 0700)));
  EXPECT_FALSE(PrivateFolder(folder("shared", 0755)));
  EXPECT_FALSE(PrivateFolder(folder("writable", 0777)));
  ASSERT_EQ(::symlink(QFile::encodeName(base.filePath("own")).constData(),
                      QFile::encodeName(base.filePath("link")).constData()),
            0);
  EXPECT_FALSE(PrivateFolder(base.filePath("link")));
  EXPECT_FALSE(PrivateFolder(base.filePath("missing")));

  // A runtime folder others may enter is passed over for one of our own,
  // and a folder of that name made beforehand by anyone else gives none.
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  const QByteArray tmp = qgetenv("TMPDIR");
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base.filePath("shared")));
  qputenv("TMPDIR", QFile::encodeName(folder("tmp", 0777)));
  const QString own = base.filePath("tmp") + QStringLiteral("/halvoric-%1").arg(::getuid());
  EXPECT_EQ(UserInstanceAddress(), own + QStringLiteral("/halvoric-%1.instance").arg(::getuid()));
  EXPECT_TRUE(PrivateFolder(own));
  ::chmod(QFile::encodeName(own).constData(), 0777);
  EXPECT_EQ(UserInstanceAddress(), QString());
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base.filePath("own")));
  EXPECT_EQ(UserInstanceAddress(),
            base.filePath("own") + QStringLiteral("/halvoric-%1.instance").arg(::getuid()));
  qputenv("XDG_RUNTIME_DIR", runtime);
  qputenv("TMPDIR", tmp);
}

// Another user's process at the address: it is neither told to show itself
// nor taken for the running monitor.
TEST(SingleInstance, AnotherUsersSocketIsNoRunningInstance) {
  if (::getuid() != 0) GTEST_SKIP() << "needs root to run a process as another user";
  QTemporaryDir folder;
  ::chmod(QFile::encodeName(folder.path()).constData(), 0777);
  const QString address = folder.filePath("halvoric.instance");
  // Ready before the fork: the child may only make system calls.
  const QByteArray path = QFile::encodeName(address);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t stranger = ::fork();
  if (stranger == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, QFile::encodeName(address).constData(), sizeof where.sun_path - 1);
    ::umask(0);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(listener, 4) != 0) {
      ::_exit(3);
    }
    // The parent sees a lost byte as a child that never got ready.
    [[maybe_unused]] const ssize_t told = ::write(ready[1], "r", 1);
    for (;;) {
      const int caller = ::accept(listener, nullptr, nullptr);
      if (caller >= 0) ::close(caller);
    }
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  SingleInstance mine(address);
  EXPECT_FALSE(mine.HandOverToRunningInstance([] {}));
  ::kill(stranger, SIGKILL);
  ::waitpid(stranger, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
}  // namespace halvoric
