// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>

namespace halvoric {
namespace {

constexpr int kAnswerTimeoutMs = 1000;
constexpr char kShowRequest[] = "show\n";

}  // namespace

SingleInstance::SingleInstance(QString address) : address_(std::move(address)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HandOverToRunningInstance(std::function<void()> onShowRequest) {
  if (address_.isEmpty()) return false;
  QLocalSocket running;
  running.connectToServer(address_);
  // Only this user's own monitor counts as running; a stranger's socket is
  // neither told anything nor obeyed.
  if (running.waitForConnected(kAnswerTimeoutMs) && PeerIsThisUser(running.socketDescriptor())) {
    running.write(kShowRequest);
    running.waitForBytesWritten(kAnswerTimeoutMs);
    running.disconnectFromServer();
    return true;
  }
  // Nobody answers: a socket left by an instance that crashed is stale.
  QLocalServer::removeServer(address_);
  onShowRequest_ = std::move(onShowRequest);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* caller = server_->nextPendingConnection()) {
      if (!PeerIsThisUser(caller->socketDescriptor())) {
        caller->abort();
        caller->deleteLater();
        continue;
      }
      QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
      QObject::connect(caller, &QLocalSocket::readyRead, caller, [this, caller] {
        if (caller->readAll().contains("show") && onShowRequest_) onShowRequest_();
      });
    }
  });
  // Without the address the monitor still runs; it just cannot be found.
  server_->listen(address_);
  return false;
}

bool PrivateFolder(const QString& path) {
  struct stat folder {};
  return ::lstat(QFile::encodeName(path).constData(), &folder) == 0 && S_ISDIR(folder.st_mode) &&
         folder.st_uid == ::getuid() && (folder.st_mode & 077) == 0;
}

bool PeerIsThisUser(qintptr socketDescriptor) {
  struct ucred peer {};
  socklen_t size = sizeof peer;
  return socketDescriptor >= 0 &&
         ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
             0 &&
         peer.uid == ::getuid();
}

QString UserInstanceAddress() {
  const QString name = QStringLiteral("/halvoric-%1.instance").arg(::getuid());
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (QDir::isAbsolutePath(runtime) && PrivateFolder(runtime)) return runtime + name;
  const QString own = QDir::tempPath() + QStringLiteral("/halvoric-%1").arg(::getuid());
  // Made here, or made earlier by this user: checked either way, since
  // anyone may have made it first.
  ::mkdir(QFile::encodeName(own).constData(), 0700);
  return PrivateFolder(own) ? own + name : QString();
}

}  // namespace halvoric
