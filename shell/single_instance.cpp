#include "shell/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace halvoric {
namespace {

constexpr int kAnswerTimeoutMs = 1000;
constexpr char kShowRequest[] = "show\n";

}  // namespace

SingleInstance::SingleInstance(QString address) : address_(std::move(address)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HandOverToRunningInstance(std::function<void()> onShowRequest) {
  QLocalSocket running;
  running.connectToServer(address_);
  if (running.waitForConnected(kAnswerTimeoutMs)) {
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

QString UserInstanceAddress() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return folder + QStringLiteral("/halvoric-%1.instance").arg(::getuid());
}

}  // namespace halvoric
