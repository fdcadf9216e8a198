#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// One received datagram, as the endpoint hands it to the main thread.
struct UdpDatagram {
  const uint8_t* data = nullptr;
  size_t size = 0;              // the whole datagram (the data holds all of it)
  // The sender in its usual text: dotted IPv4 ("%d.%d.%d.%d", also for an
  // IPv4 peer of a dual-stack socket), or IPv6 ("2001:db8::1", "fe80::1%eth0").
  std::string fromAddress;
  uint16_t fromPort = 0;
  // How long the datagram waited between its arrival (the kernel's receive
  // time stamp) and this delivery, in seconds; 0 when the kernel gave none.
  // A server subtracts it so its receive time stamp is the arrival's.
  double waitedSeconds = 0;
};

// Events of the endpoint, delivered on the main thread one at a time.
class UdpEventSink {
 public:
  virtual ~UdpEventSink() = default;
  virtual void OnDatagram(const UdpDatagram& datagram) = 0;
  // A send to a host name failed because the name could not be looked up;
  // `tag` is the one given to Send.
  virtual void OnHostLookupFailed(const std::string& host, int tag) = 0;
};

// The one UDP endpoint of the program: bound to a local port on all
// addresses for the whole run; it receives in every state and sends to a
// dotted address or a host name.
class UdpEndpoint {
 public:
  enum class BindResult { kOk, kNoRight, kInUse, kFailed };
  virtual ~UdpEndpoint() = default;
  // Binds the port on all addresses, IPv6 and IPv4 (IPv4 alone on a host
  // without IPv6), and starts delivering datagrams to the sink. On
  // failure, reason holds the system's text; sending still works.
  virtual BindResult Bind(uint16_t port, UdpEventSink& sink, std::string& reason) = 0;
  // Sends the bytes to host:port (an IPv4 or IPv6 address, or a host name
  // with an A or AAAA record). A host name is looked up without blocking
  // the main loop; when the lookup fails, the sink hears of it with `tag`.
  // Sends made while datagrams are being delivered may go out together after
  // the delivery, in the order made.
  virtual void Send(const std::string& host, uint16_t port, const uint8_t* data, size_t size,
                    int tag = 0) = 0;
};
