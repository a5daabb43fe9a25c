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
  // this user's alone.
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

// The address for this user's monitor: in $XDG_RUNTIME_DIR, else in the
// system's temporary folder under the user's id.
QString UserInstanceAddress();

}  // namespace halvoric
