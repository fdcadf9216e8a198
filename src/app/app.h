#pragma once
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/controls.h"
#include "app/event_log.h"
#include "app/main_view.h"
#include "app/receiver_session.h"
#include "commands/test_dialog_model.h"
#include "common/log_sink.h"
#include "common/status_sink.h"
#include "link/counter_scale.h"
#include "link/edge_reference.h"
#include "net/access_rules.h"
#include "net/datagram_routing.h"
#include "net/lan_protocol_server.h"
#include "net/network_client.h"
#include "net/network_session.h"
#include "net/ntp_keys.h"
#include "net/service_claim.h"
#include "net/sntp_server.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "timekeeping/burst_delay.h"
#include "timekeeping/clock_discipline.h"
#include "timekeeping/error_history.h"

// The state of the 100 ms tick and of the connection that outlives a
// receiver session.
struct TickState {
  bool ClockSetPending = false;
  LocalTimeRecord SyncPressTime;  // when "同期" was pressed offline
  uint32_t SyncPressCount = 0;    // the counter then
  // After a silent own-protocol server dropped the connection: ticks left
  // until connecting again (0: none pending), and the wait last given.
  int ReconnectTicks = 0;
  int ReconnectWaitTicks = 0;
  // The running tick's repeating timer (0: not running), and the ticks run
  // so far, so hooks after each timer can tell a tick from other timers.
  Timers::Id Timer = 0;
  uint64_t Count = 0;
};

// The composition root: owns the subsystems and the view models, and routes
// events between them. Everything runs on the main thread.
class App : public LogSink,
            public StatusSink,
            public TestDialogRows,
            public SerialEventSink,
            public UdpEventSink,
            DatagramHandlers {
 public:
  explicit App(Platform& platform);
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  Platform& platform;
  Settings settings;
  MainView view;
  EventLog log;
  TickState tick;
  CounterScale counterScale;
  EdgeReference edgeReference;
  BurstDelay burstDelay;
  ClockDiscipline discipline;
  AccessRules access;
  ErrorHistory errorHistory;  // the discipline's measurements, for the error graph
  // The shared keys of the key file `KeyFile`, for the server and the client.
  NtpKeyTable keys;
  SntpServer server;
  LanProtocolServer lanServer;
  NetworkClient network;
  // The connection: none (offline), to a receiver, or to a time server.
  // Connecting creates its session, disconnecting destroys it.
  std::variant<std::monostate, ReceiverSession, NetworkSession> connection;
  bool Connected() const { return connection.index() != 0; }
  ReceiverSession* Receiver() { return std::get_if<ReceiverSession>(&connection); }
  const ReceiverSession* Receiver() const { return std::get_if<ReceiverSession>(&connection); }
  NetworkSession* Network() { return std::get_if<NetworkSession>(&connection); }
  const NetworkSession* Network() const { return std::get_if<NetworkSession>(&connection); }
  void Disconnected() { connection.emplace<std::monostate>(); }

  // The last setting of the PC clock, for the status report.
  std::optional<ClockStep> LastClockStep;

  bool FirstShowPending = false;
  bool NetworkAvailable = false;
  std::string OwnIpAddress = "0.0.0.0";
  // Every address of the PC's interfaces, IPv4 and IPv6.
  std::vector<OwnAddress> OwnAddresses;
  // The PC's own addresses that a server address may not be (loopback
  // aside, as the shown own address is), and whether `server` is one.
  std::vector<std::string> OwnServerAddresses() const;
  bool IsOwnServerAddress(const std::string& server) const;

  // Takes the access settings (and the PC's own networks) into the rules
  // the servers follow.
  void ApplyAccessSettings();

  // LogSink: the log window always, the log file when logging is on.
  void LogLine(const std::string& text) override;
  void LogWithPcTime(const std::string& message) override;

  // The test dialog of the receiver connection; null without one.
  TestDialogModel* TestDialog() { return Receiver() ? &Receiver()->testDialog : nullptr; }
  const TestDialogModel* TestDialog() const { return Receiver() ? &Receiver()->testDialog : nullptr; }
  // TestDialogRows: the rows of that dialog while it is shown.
  bool TestDialogShown() const override { return TestDialog() && TestDialog()->TestDialogShown; }
  void AddTestDialogRow(const std::string& row) override {
    if (TestDialogModel* m = TestDialog()) m->AddRow(row);
  }

  // StatusSink: the main window's status bar.
  void ShowStatus(const std::string& text) override { view.StatusBar = text; }

  // SerialEventSink: the open receiver port's events, on the main thread.
  void OnDsrChange(const EdgeCapture& edge) override;
  void OnBytes(const uint8_t* data, size_t size, const CounterCapture* arrival) override;
  using SerialEventSink::OnBytes;
  void OnBytesDropped(uint64_t dropped) override;
  void OnNoModemLines() override;
  void OnPortLost(const std::string& reason) override;

  // UdpEventSink: the datagrams of port 123, on the main thread.
  void OnDatagram(const UdpDatagram& datagram) override;
  void OnHostLookupFailed(const std::string& host, int tag) override;

  // Where the time served now comes from, and what a reply claims of it.
  TimeSource ServiceSource() const;
  ServiceClaim ServiceClaimNow() const;
  // What the main window's controls offer now, from the subsystems' facts.
  ControlFacts Facts() const;
  MainControls Controls() const { return ControlsFor(Facts()); }

  // What the main window shows of the receiver, for a position answer;
  // nullopt when there is no receiver connection.
  std::optional<PositionFields> ShownPosition() const;

 private:
  // DatagramHandlers: the routes of a received datagram.
  void OnNtpPacket(const UdpDatagram& datagram) override;
  void OnPositionAnswer(const std::string& word, const std::string& from) override;
  void OnPositionRequest(const std::string& from) override;
  void OnConnectAnswer(const std::string& from) override;
  void OnConnectRequest(const std::string& from) override;
};
