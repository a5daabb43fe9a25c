// SPDX-License-Identifier: GPL-3.0-or-later
// One running monitor per user. A second start would put a second icon in
// the tray, raise every alert twice and overwrite the first one's settings
// when it ends; instead it asks the running one to show its window.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>
#include <memory>

namespace halvoric {

class SingleInstance {
 public:
  // `address`: the local socket both instances meet at, in a folder of
  // this user's alone; empty when there is none, and then no instance is
  // looked for.
  explicit SingleInstance(QString address);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another instance answers at the address; it has then been
  // asked to show itself. Otherwise this one takes the address and runs
  // `onShowRequest` whenever a later start asks.
  bool HandOverToRunningInstance(std::function<void()> onShowRequest);

 private:
  QString address_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> onShowRequest_;
};

// The address for this user's monitor: in $XDG_RUNTIME_DIR when that is a
// folder of this user's alone, else in a folder "halvoric-UID" of the
// user's own that is made (mode 0700) in the system's temporary folder.
// Empty when neither can be had: a folder that another user made or can
// write, or a link, would let a stranger stand in for the monitor.
QString UserInstanceAddress();

// Whether `path` is a real folder (no link) owned by this user that nobody
// else may enter.
bool PrivateFolder(const QString& path);

// Whether the process at the other end of a connected local socket runs as
// this user.
bool PeerIsThisUser(qintptr socketDescriptor);

}  // namespace halvoric
