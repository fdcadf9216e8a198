#include "platform/qt/status_socket.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdlib>

namespace {

// A request is one short line; more is not a request.
constexpr qint64 kMaxRequest = 64;
// A client that says nothing is dropped after this long.
constexpr int kRequestWaitMs = 2000;

}  // namespace

std::string StatusSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/quor-status";
  return "/tmp/quor-status-" + std::to_string(getuid());
}

StatusSocketServer::StatusSocketServer(Answer answer, QObject* parent)
    : QObject(parent), answer_(std::move(answer)), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &StatusSocketServer::OnConnection);
}

StatusSocketServer::~StatusSocketServer() { server_->close(); }

bool StatusSocketServer::Listen(const std::string& path, std::string& reason) {
  const QString name = QString::fromStdString(path);
  QLocalServer::removeServer(name);
  if (server_->listen(name)) return true;
  reason = server_->errorString().toStdString();
  return false;
}

void StatusSocketServer::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kRequestWaitMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
      if (!socket->canReadLine() && socket->bytesAvailable() < kMaxRequest) return;
      const QByteArray line = socket->readLine(kMaxRequest).trimmed();
      if (line == "status" || line == "status json") {
        socket->write(QByteArray::fromStdString(answer_(line == "status json")));
      }
      socket->disconnectFromServer();
    });
  }
}

bool QueryStatus(const std::string& path, bool json, int timeoutMs, std::string& answer,
                 std::string& reason) {
  if (!QFileInfo::exists(QString::fromStdString(path))) {
    reason = "no socket there";
    return false;
  }
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(path));
  if (!socket.waitForConnected(timeoutMs)) {
    reason = socket.errorString().toStdString();
    return false;
  }
  socket.write(json ? "status json\n" : "status\n");
  socket.flush();
  QByteArray received;
  while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(timeoutMs)) {
    received += socket.readAll();
  }
  received += socket.readAll();
  if (received.isEmpty()) {
    reason = "no answer";
    return false;
  }
  answer = received.toStdString();
  return true;
}
