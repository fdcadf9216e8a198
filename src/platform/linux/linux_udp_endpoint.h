#pragma once
#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/socket_address.h"
#include "platform/udp_endpoint.h"

class QObject;
class QSocketNotifier;

// The UDP endpoint on Linux: one non-blocking dual-stack socket (IPv6 with
// IPv4 through mapped addresses; an IPv4 socket on a host without IPv6),
// read on the Qt main loop through a socket notifier. Received datagrams are taken in
// batches (recvmmsg) with the kernel's arrival stamps; replies made while a
// batch of several is being delivered leave together (sendmmsg) once the
// batch is done; the reply to a datagram that came alone leaves at once.
// Host names are looked up by QHostInfo, off the main loop.
//
// Datagrams longer than kMaxDatagram bytes are dropped on arrival and only
// counted: the sink is promised whole datagrams, and the program has no use
// for anything over 1024 bytes.
//
// Bind needs a QCoreApplication (for the notifier); everything runs on the
// thread that calls Bind and Send, which is the main thread.
class LinuxUdpEndpoint : public UdpEndpoint {
 public:
  static constexpr size_t kMaxDatagram = 2048;
  static constexpr size_t kBatch = 32;

  struct Counts {
    uint64_t received = 0;          // delivered to the sink
    uint64_t droppedOversized = 0;  // longer than kMaxDatagram
    uint64_t receiveBatches = 0;    // recvmmsg calls that returned datagrams
    uint64_t sent = 0;              // handed to the kernel
    uint64_t sendsDropped = 0;      // refused by the kernel (full buffer, bad address)
    uint64_t sendBatches = 0;       // sendmmsg calls
  };

  // `tryIpv6` false: an IPv4 socket only, as on a host without IPv6.
  explicit LinuxUdpEndpoint(bool tryIpv6 = true);
  ~LinuxUdpEndpoint() override;
  LinuxUdpEndpoint(const LinuxUdpEndpoint&) = delete;
  LinuxUdpEndpoint& operator=(const LinuxUdpEndpoint&) = delete;

  BindResult Bind(uint16_t port, UdpEventSink& sink, std::string& reason) override;
  void Send(const std::string& host, uint16_t port, const uint8_t* data, size_t size,
            int tag = 0) override;

  // The local port after a successful Bind (useful after Bind(0)); 0 otherwise.
  uint16_t BoundPort() const { return boundPort_; }
  // AF_INET6 (dual-stack) or AF_INET; 0 before the socket is made.
  int Family() const { return family_; }
  const Counts& counts() const { return counts_; }

 private:
  struct PendingSend {
    SocketAddress to;
    size_t offset;  // into pendingBytes_
    size_t size;
  };
  struct PendingLookupFailure {
    std::string host;
    int tag;
  };

  void CloseSocket();
  bool OpenSocket(int family);
  bool EnsureSocket();
  int BindSocket(uint16_t port);  // 0, or the errno
  void OnReadable();
  void SendTo(const SocketAddress& to, const uint8_t* data, size_t size);
  void FlushPendingSends();
  void ReportLookupFailure(const std::string& host, int tag);

  bool tryIpv6_;
  int fd_ = -1;
  int family_ = 0;
  uint16_t boundPort_ = 0;
  UdpEventSink* sink_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  // Owns the pending host lookups: when it goes, their results are dropped.
  std::unique_ptr<QObject> lookupContext_;

  // True while a receive batch is being handed to the sink: lookup failures
  // wait, so the sink hears of one thing at a time.
  bool delivering_ = false;
  // While delivering a batch of more than one datagram: sends wait for the
  // batch's end and leave by one sendmmsg. A lone datagram's reply leaves at
  // once, before the work that follows it in the sink (logging), which would
  // otherwise delay it after its transmit time was stamped.
  bool batchingSends_ = false;
  bool reading_ = false;  // inside OnReadable, deliveries and flushes included
  std::vector<PendingSend> pendingSends_;
  std::vector<uint8_t> pendingBytes_;
  std::vector<PendingLookupFailure> pendingFailures_;

  std::vector<uint8_t> receiveBuffers_;  // kBatch * kMaxDatagram
  Counts counts_;
};
