#pragma once
// The network client on the fakes, without the rest of the program, and a
// time server at the other end of a simulated LAN.
#include <array>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "app/controls.h"
#include "net/network_client.h"
#include "net/network_session.h"
#include "net/sntp_server.h"
#include "support/recording_log.h"

struct NetworkClientWorld {
  // 2025-12-29 12:03:00 local (zone +9).
  explicit NetworkClientWorld(double startNtp = ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 3, 0))
      : fake(startNtp) {
    settings.Port = kNetworkPort;
    settings.ServerIpAddr = "192.168.1.5";
    discipline.UseTimeZone(settings.TimeZone);
  }

  FakePlatform fake;
  Settings settings;
  CounterScale counterScale{fake.counter};
  EdgeReference edge;
  RecordingLog log{fake.clock};
  StatusText status;  // the status bar, as the client and the discipline show it
  ClockDiscipline discipline{{settings, fake.clock, counterScale, log, fake.boxes, status}};
  TestDialogModel testDialog;
  ModelRows dialogRows{testDialog};
  std::string editJst;
  std::array<std::string, 8> position;  // the controls a position answer fills
  std::deque<uint32_t> randoms;
  NetworkClient client{NetworkClientDeps{
      settings, {edge, counterScale, fake.clock}, fake.udp, discipline, log, dialogRows, status,
      [this] {
        if (randoms.empty()) return 0x5A5A5u;
        const uint32_t r = randoms.front();
        randoms.pop_front();
        return r;
      }}};
  // The network connection, while there is one.
  std::optional<NetworkSession> session;

  void Connect(bool again = false) {
    session.reset();
    session.emplace(NetworkSessionDeps{settings, client, fake.udp, log, fake.clock, fake.codec,
                                       {status, editJst,
                                        {&position[0], &position[1], &position[2], &position[3],
                                         &position[4], &position[5], &position[6], &position[7]}}},
                    again);
  }
  void Disconnect() { session.reset(); }
  // "同期" as the main window would offer it in network mode now.
  bool SyncEnabled() const {
    ControlFacts f;
    f.connection = ControlFacts::Connection::kNetwork;
    f.ownProtocol = settings.LanOpt == 0;
    f.opened = session && session->Opened();
    f.replyAwaited = client.SntpReplyAwaited();
    return ControlsFor(f).ButtonSyncPCEnabled;
  }

  // The client's own end of the packet handling (the server half of the
  // program turns datagrams into replies).
  StatusText ignoredStatus;
  TestDialogModel serverDialog;  // never shown
  ModelRows serverDialogRows{serverDialog};
  AccessRules access;
  SntpServer handler{SntpServerDeps{{edge, counterScale, fake.clock}, fake.udp, log, ignoredStatus,
                                    serverDialogRows, settings.TimeZone, access,
                                    settings.LogRequests}};

  // The server at the other end: its clock is off from the true time by
  // serverOffset, the way there and back takes oneWay seconds each, and it
  // holds a request for `hold` seconds.
  double serverOffset = 0, oneWay = 0.010, hold = 0.002;
  uint8_t serverStratum = 1;
  char serverId[4] = {'G', 'P', 'S', 0};
  int serverLeap = 0;
  // Changes to the reply after it is built (its time stamps included).
  std::function<void(NtpPacket&)> alterReply;

  // The last datagram the client sent.
  const FakeUdpEndpoint::Sent& LastSent() const { return fake.udp.sent.back(); }
  NtpPacket LastRequest() const {
    return *NtpPacket::Parse(LastSent().bytes.data(), LastSent().bytes.size());
  }

  // The server's answer to the last request, built after the way there and
  // the hold, arriving after the way back.
  std::vector<uint8_t> ServeLastRequest() {
    const NtpPacket request = LastRequest();
    fake.time.Advance(oneWay);
    NtpPacket reply = request;
    reply.LeapIndicator = serverLeap;
    reply.Mode = NtpPacket::kModeServer;
    reply.Stratum = serverStratum;
    std::memcpy(reply.ReferenceId, serverId, 4);
    std::memcpy(reply.Originate, request.Transmit, 8);
    NtpTimestampEncode(fake.time.Now() + serverOffset, reply.Receive);
    fake.time.Advance(hold);
    NtpTimestampEncode(fake.time.Now() + serverOffset, reply.Transmit);
    fake.time.Advance(oneWay);
    if (alterReply) alterReply(reply);
    const auto bytes = reply.Bytes();
    return {bytes.begin(), bytes.end()};
  }

  // A datagram arriving at the client's port as a reply.
  void Deliver(const std::vector<uint8_t>& bytes, ClientRole role = ClientRole::kNetwork,
               const std::string& from = "192.168.1.5", TimeSource source = TimeSource::kPcClock,
               uint16_t port = 123) {
    if (auto reply = handler.HandleNtpPacket(MakeDatagram(bytes, from, port), source, ServiceClaim{})) {
      if (role == ClientRole::kNetwork && session) {
        session->OnSntpReply(*reply);
      } else {
        client.OnSntpReply(*reply, role);
      }
    }
  }

  // Ticks of 100 ms in virtual time.
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      fake.time.Advance(0.1);
      if (session) session->Tick();
    }
  }
};
