#pragma once
#include <QObject>
#include <functional>
#include <string>

class QLocalServer;

// Where a running Quor answers `quor --status`: a Unix socket of the user's
// own, $XDG_RUNTIME_DIR/quor-status, or /tmp/quor-status-<uid> without one.
std::string StatusSocketPath();

// Answers status requests on the socket, on the main loop: a line "status"
// or "status json" gets the text the callback makes, then the connection is
// closed. Only the socket's owner may connect; nothing is ever read from
// the network.
class StatusSocketServer : public QObject {
  Q_OBJECT
 public:
  using Answer = std::function<std::string(bool json)>;
  explicit StatusSocketServer(Answer answer, QObject* parent = nullptr);
  ~StatusSocketServer() override;

  // Takes the socket over (the caller holds the single-instance lock, so a
  // socket left there is stale). False with `reason` when it cannot listen.
  bool Listen(const std::string& path, std::string& reason);

 private:
  void OnConnection();

  Answer answer_;
  QLocalServer* server_;
};

// `quor --status`: asks the running Quor at `path`; true with its answer,
// false with why when none answers within `timeoutMs`.
bool QueryStatus(const std::string& path, bool json, int timeoutMs, std::string& answer,
                 std::string& reason);
