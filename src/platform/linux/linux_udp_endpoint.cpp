#include "platform/linux/linux_udp_endpoint.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <system_error>

#include "common/ip_address.h"

namespace {

// At most this many batches per wake-up, so that a flood cannot hold the main
// loop: the notifier fires again on the next pass when more is waiting.
constexpr int kMaxBatchesPerWake = 16;

std::string ErrorText(int error) { return std::system_category().message(error); }

double Seconds(const timespec& t) { return double(t.tv_sec) + double(t.tv_nsec) * 1e-9; }

// The SCM_TIMESTAMPNS stamp of a received message, if the kernel gave one.
bool ArrivalStamp(msghdr& message, timespec& stamp) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS &&
        c->cmsg_len >= CMSG_LEN(sizeof(timespec))) {
      std::copy_n(CMSG_DATA(c), sizeof(timespec), reinterpret_cast<unsigned char*>(&stamp));
      return true;
    }
  }
  return false;
}

}  // namespace

LinuxUdpEndpoint::LinuxUdpEndpoint(bool tryIpv6)
    : tryIpv6_(tryIpv6), lookupContext_(std::make_unique<QObject>()) {}

LinuxUdpEndpoint::~LinuxUdpEndpoint() {
  lookupContext_.reset();
  CloseSocket();
}

void LinuxUdpEndpoint::CloseSocket() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  boundPort_ = 0;
}

bool LinuxUdpEndpoint::OpenSocket(int family) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  family_ = family;
  if (family == AF_INET6) {
    // One socket for both: IPv4 peers arrive as mapped addresses.
    const int off = 0;
    if (::setsockopt(fd_, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) != 0) {
      ::close(fd_);
      fd_ = -1;
      return false;
    }
  }
  return true;
}

bool LinuxUdpEndpoint::EnsureSocket() {
  if (fd_ >= 0) return true;
  // A host without IPv6 makes no AF_INET6 socket: IPv4 alone then.
  if (tryIpv6_ && OpenSocket(AF_INET6)) return true;
  return OpenSocket(AF_INET);
}

int LinuxUdpEndpoint::BindSocket(uint16_t port) {
  SocketAddress local;
  if (family_ == AF_INET6) {
    auto& in6 = reinterpret_cast<sockaddr_in6&>(local.storage);
    in6.sin6_family = AF_INET6;
    in6.sin6_addr = in6addr_any;
    in6.sin6_port = htons(port);
    local.length = sizeof in6;
  } else {
    auto& in = reinterpret_cast<sockaddr_in&>(local.storage);
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(INADDR_ANY);
    in.sin_port = htons(port);
    local.length = sizeof in;
  }
  return ::bind(fd_, local.get(), local.length) == 0 ? 0 : errno;
}

UdpEndpoint::BindResult LinuxUdpEndpoint::Bind(uint16_t port, UdpEventSink& sink,
                                               std::string& reason) {
  // The notifier that is reading cannot be replaced under its own feet.
  if (reading_) {
    reason = "bind while datagrams are being delivered";
    return BindResult::kFailed;
  }
  CloseSocket();
  sink_ = &sink;
  if (!EnsureSocket()) {
    reason = ErrorText(errno);
    return BindResult::kFailed;
  }
  int error = BindSocket(port);
  // An IPv6 socket that cannot be bound for want of IPv6 (not of a right,
  // nor because the port is taken) gives way to an IPv4 one.
  if (error != 0 && family_ == AF_INET6 && error != EACCES && error != EPERM &&
      error != EADDRINUSE && OpenSocket(AF_INET)) {
    error = BindSocket(port);
  }
  const int on = 1;
  ::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
  // Room for a burst while the main loop is busy; the kernel caps it.
  const int receiveBuffer = 1 << 20;
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  if (error != 0) {
    reason = ErrorText(error);
    // The socket stays, unbound: a send gives it an ephemeral port.
    switch (error) {
      case EACCES:
      case EPERM:
        return BindResult::kNoRight;
      case EADDRINUSE:
        return BindResult::kInUse;
      default:
        return BindResult::kFailed;
    }
  }
  sockaddr_storage local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
    boundPort_ = local.ss_family == AF_INET6
                     ? ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port)
                     : ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port);
  }
  receiveBuffers_.resize(kBatch * kMaxDatagram);
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { OnReadable(); });
  reason.clear();
  return BindResult::kOk;
}

void LinuxUdpEndpoint::OnReadable() {
  // Off while the sink runs: a nested event loop in a handler must not read
  // into the buffers that are being delivered.
  QSocketNotifier* notifier = notifier_.get();
  notifier->setEnabled(false);
  reading_ = true;

  mmsghdr messages[kBatch];
  iovec parts[kBatch];
  sockaddr_storage senders[kBatch];
  union Control {
    cmsghdr align;
    char bytes[CMSG_SPACE(sizeof(timespec)) + 64];
  } controls[kBatch];

  for (int round = 0; round < kMaxBatchesPerWake; ++round) {
    for (size_t i = 0; i < kBatch; ++i) {
      parts[i] = {receiveBuffers_.data() + i * kMaxDatagram, kMaxDatagram};
      messages[i] = {};
      messages[i].msg_hdr.msg_name = &senders[i];
      messages[i].msg_hdr.msg_namelen = sizeof senders[i];
      messages[i].msg_hdr.msg_iov = &parts[i];
      messages[i].msg_hdr.msg_iovlen = 1;
      messages[i].msg_hdr.msg_control = controls[i].bytes;
      messages[i].msg_hdr.msg_controllen = sizeof controls[i].bytes;
    }
    const int count = ::recvmmsg(fd_, messages, kBatch, MSG_DONTWAIT, nullptr);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    ++counts_.receiveBatches;

    delivering_ = true;
    batchingSends_ = count > 1;
    for (int i = 0; i < count; ++i) {
      msghdr& header = messages[i].msg_hdr;
      if (header.msg_flags & MSG_TRUNC) {
        ++counts_.droppedOversized;
        continue;
      }
      UdpDatagram datagram;
      datagram.data = static_cast<const uint8_t*>(parts[i].iov_base);
      datagram.size = messages[i].msg_len;
      const sockaddr& sender = reinterpret_cast<const sockaddr&>(senders[i]);
      datagram.fromAddress = SocketAddressText(sender);
      if (sender.sa_family == AF_INET6) {
        datagram.fromPort = ntohs(reinterpret_cast<const sockaddr_in6&>(sender).sin6_port);
      } else if (sender.sa_family == AF_INET) {
        datagram.fromPort = ntohs(reinterpret_cast<const sockaddr_in&>(sender).sin_port);
      }
      timespec stamp{};
      if (ArrivalStamp(header, stamp)) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        datagram.waitedSeconds = std::max(0.0, Seconds(now) - Seconds(stamp));
      }
      ++counts_.received;
      sink_->OnDatagram(datagram);
    }
    delivering_ = false;
    batchingSends_ = false;
    FlushPendingSends();
    if (count < int(kBatch)) break;
  }

  reading_ = false;
  notifier->setEnabled(true);
}

void LinuxUdpEndpoint::Send(const std::string& host, uint16_t port, const uint8_t* data,
                            size_t size, int tag) {
  if (!EnsureSocket()) {
    ++counts_.sendsDropped;
    return;
  }
  if (const std::optional<IpAddress> address = ParseIpAddress(host)) {
    if (const std::optional<SocketAddress> to = ToSocketAddress(*address, port, family_)) {
      SendTo(*to, data, size);
    } else {
      ++counts_.sendsDropped;  // IPv6 without an IPv6 socket, or an unknown zone
    }
    return;
  }
  std::vector<uint8_t> bytes(data, data + size);
  QHostInfo::lookupHost(
      QString::fromStdString(host), lookupContext_.get(),
      [this, host, port, tag, bytes = std::move(bytes)](const QHostInfo& info) {
        // The first address the socket can reach, in the resolver's order
        // of preference: a name with only an IPv6 address works too.
        for (const QHostAddress& found : info.addresses()) {
          const std::optional<IpAddress> address = ParseIpAddress(found.toString().toStdString());
          if (!address) continue;
          if (const std::optional<SocketAddress> to = ToSocketAddress(*address, port, family_)) {
            SendTo(*to, bytes.data(), bytes.size());
            return;
          }
        }
        ReportLookupFailure(host, tag);
      });
}

void LinuxUdpEndpoint::SendTo(const SocketAddress& to, const uint8_t* data, size_t size) {
  if (batchingSends_) {
    pendingSends_.push_back({to, pendingBytes_.size(), size});
    pendingBytes_.insert(pendingBytes_.end(), data, data + size);
    return;
  }
  if (!EnsureSocket()) {
    ++counts_.sendsDropped;
    return;
  }
  ssize_t result;
  do {
    result = ::sendto(fd_, data, size, MSG_DONTWAIT, to.get(), to.length);
  } while (result < 0 && errno == EINTR);
  // A full send buffer drops the datagram, as the network might.
  if (result < 0) {
    ++counts_.sendsDropped;
  } else {
    ++counts_.sent;
  }
}

void LinuxUdpEndpoint::FlushPendingSends() {
  if (!pendingSends_.empty() && EnsureSocket()) {
    mmsghdr messages[kBatch];
    iovec parts[kBatch];
    size_t next = 0;
    while (next < pendingSends_.size()) {
      const size_t count = std::min(kBatch, pendingSends_.size() - next);
      for (size_t i = 0; i < count; ++i) {
        PendingSend& send = pendingSends_[next + i];
        parts[i] = {pendingBytes_.data() + send.offset, send.size};
        messages[i] = {};
        messages[i].msg_hdr.msg_name = &send.to.storage;
        messages[i].msg_hdr.msg_namelen = send.to.length;
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
      }
      const int sent = ::sendmmsg(fd_, messages, count, MSG_DONTWAIT);
      if (sent < 0 && errno == EINTR) continue;
      ++counts_.sendBatches;
      if (sent <= 0) {
        // The first of the rest was refused: drop it and go on with the others.
        ++counts_.sendsDropped;
        ++next;
      } else {
        counts_.sent += sent;
        next += sent;
      }
    }
  } else {
    counts_.sendsDropped += pendingSends_.size();
  }
  pendingSends_.clear();
  pendingBytes_.clear();

  // Lookup failures that came in during the delivery, in their order.
  std::vector<PendingLookupFailure> failures;
  failures.swap(pendingFailures_);
  for (const auto& failure : failures) ReportLookupFailure(failure.host, failure.tag);
}

void LinuxUdpEndpoint::ReportLookupFailure(const std::string& host, int tag) {
  if (delivering_) {
    pendingFailures_.push_back({host, tag});
    return;
  }
  if (sink_ != nullptr) sink_->OnHostLookupFailed(host, tag);
}
