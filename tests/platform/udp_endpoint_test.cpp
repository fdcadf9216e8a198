#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <linux/capability.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/linux_udp_endpoint.h"

namespace {

// The endpoint's notifier and lookups need an application object; one per
// process, made on first use and never destroyed: destroying it among the
// exit handlers runs after Qt's own globals are gone, and crashes.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "quor_platform_tests";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Runs the main loop until done() or the time-out; true when done.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// Set when the test binary runs itself again in a network namespace of its
// own (see UdpEndpointNetns below): only there may a lookup go out or port 123
// be bound.
bool InOwnNetworkNamespace() { return std::getenv("QUOR_TEST_OWN_NETNS") != nullptr; }

struct Received {
  std::vector<uint8_t> bytes;
  std::string fromAddress;
  uint16_t fromPort;
  double waitedSeconds;
};

struct RecordingSink : UdpEventSink {
  std::vector<Received> datagrams;
  std::vector<std::pair<std::string, int>> lookupFailures;
  std::function<void(const UdpDatagram&)> onDatagram;
  void OnDatagram(const UdpDatagram& d) override {
    datagrams.push_back({{d.data, d.data + d.size}, d.fromAddress, d.fromPort, d.waitedSeconds});
    if (onDatagram) onDatagram(d);
  }
  void OnHostLookupFailed(const std::string& host, int tag) override {
    lookupFailures.emplace_back(host, tag);
  }
};

// A plain socket on 127.0.0.1 (or ::1) that plays the other end; bound()
// is false where the host lacks the family.
class Peer {
 public:
  explicit Peer(int family = AF_INET) : family_(family) {
    fd_ = ::socket(family_, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_storage local = Loopback(0);
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&local), Size()) == 0;
    socklen_t length = sizeof local;
    if (bound_) ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(family_ == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(local).sin6_port
                                      : reinterpret_cast<sockaddr_in&>(local).sin_port);
    if (family_ == AF_INET) {
      EXPECT_TRUE(bound_);
    }
  }
  ~Peer() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool bound() const { return bound_; }
  uint16_t port() const { return port_; }

  void SendTo(uint16_t port, const std::vector<uint8_t>& bytes) {
    const sockaddr_storage to = Loopback(port);
    ASSERT_EQ(::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                       Size()),
              ssize_t(bytes.size()));
  }
  // The next datagram within the time-out, or nothing.
  std::optional<std::vector<uint8_t>> Receive(int timeoutMs = 2000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) != 1) return std::nullopt;
    std::vector<uint8_t> bytes(65536);
    const ssize_t n = ::recv(fd_, bytes.data(), bytes.size(), 0);
    if (n < 0) return std::nullopt;
    bytes.resize(n);
    return bytes;
  }

 private:
  socklen_t Size() const { return family_ == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in); }
  sockaddr_storage Loopback(uint16_t port) const {
    sockaddr_storage a{};
    if (family_ == AF_INET6) {
      auto& a6 = reinterpret_cast<sockaddr_in6&>(a);
      a6.sin6_family = AF_INET6;
      a6.sin6_addr = in6addr_loopback;
      a6.sin6_port = htons(port);
    } else {
      auto& a4 = reinterpret_cast<sockaddr_in&>(a);
      a4.sin_family = AF_INET;
      a4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a4.sin_port = htons(port);
    }
    return a;
  }

  int family_;
  int fd_ = -1;
  bool bound_ = false;
  uint16_t port_ = 0;
};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(seed + i * 7);
  return bytes;
}

class UdpEndpointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    std::string reason;
    ASSERT_EQ(endpoint.Bind(0, sink, reason), UdpEndpoint::BindResult::kOk) << reason;
    ASSERT_NE(endpoint.BoundPort(), 0);
  }
  LinuxUdpEndpoint endpoint;
  RecordingSink sink;
  Peer peer;
};

// Every datagram the sink is given is whole; longer than the endpoint's buffer
// ones are dropped and counted, and what follows them still arrives.
TEST_F(UdpEndpointTest, DeliversWholeDatagramsWithSenderAndDropsOversized) {
  const struct {
    size_t size;
    bool delivered;
  } cases[] = {{0, true},    {1, true},     {48, true},    {1024, true},
               {1025, true}, {2048, true},  {2049, false}, {9000, false},
               {68, true},   {65507, false}, {52, true}};
  std::vector<std::vector<uint8_t>> expected;
  for (size_t i = 0; i < std::size(cases); ++i) {
    auto bytes = Pattern(cases[i].size, uint8_t(i));
    peer.SendTo(endpoint.BoundPort(), bytes);
    if (cases[i].delivered) expected.push_back(bytes);
  }
  ASSERT_TRUE(RunUntil([&] { return sink.datagrams.size() >= expected.size(); }));
  RunUntil([] { return false; }, 50);  // nothing more trickles in
  ASSERT_EQ(sink.datagrams.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sink.datagrams[i].bytes, expected[i]);
    EXPECT_EQ(sink.datagrams[i].fromAddress, "127.0.0.1");
    EXPECT_EQ(sink.datagrams[i].fromPort, peer.port());
    EXPECT_GE(sink.datagrams[i].waitedSeconds, 0.0);
    EXPECT_LT(sink.datagrams[i].waitedSeconds, 2.0);
  }
  EXPECT_EQ(endpoint.counts().droppedOversized, 3u);
}

// The wait is measured from the kernel's arrival stamp, not from when the
// main loop got to the datagram: it lies between 0 and the time from the send
// to the delivery, and covers a wait the test makes when the machine lets the
// kernel stamp the datagram at once. (How soon the kernel stamps a loopback
// datagram depends on the machine's load, so only the bounds are asserted.)
TEST_F(UdpEndpointTest, WaitedSecondsCountsFromArrival) {
  const auto realtime = [] {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
  };
  double deliveredAt = 0;
  sink.onDatagram = [&](const UdpDatagram&) { deliveredAt = realtime(); };
  const double sentAt = realtime();
  peer.SendTo(endpoint.BoundPort(), Pattern(48, 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(RunUntil([&] { return !sink.datagrams.empty(); }));
  const double waited = sink.datagrams[0].waitedSeconds;
  EXPECT_GT(waited, 0.0);
  EXPECT_LE(waited, deliveredAt - sentAt + 1e-3);
  std::printf("waited %.6f s of %.6f s from send to delivery\n", waited, deliveredAt - sentAt);
}

// A burst larger than one receive batch arrives whole and in order; the
// replies made from the sink leave in the order made, grouped per batch.
TEST_F(UdpEndpointTest, BurstArrivesInOrderAndRepliesFollowInOrder) {
  constexpr int kCount = 100;
  sink.onDatagram = [&](const UdpDatagram& d) {
    std::vector<uint8_t> reply(d.data, d.data + d.size);
    reply.push_back('!');
    endpoint.Send(d.fromAddress, d.fromPort, reply.data(), reply.size());
  };
  for (int i = 0; i < kCount; ++i) peer.SendTo(endpoint.BoundPort(), Pattern(48, uint8_t(i)));
  ASSERT_TRUE(RunUntil([&] { return sink.datagrams.size() >= size_t(kCount); }));
  for (int i = 0; i < kCount; ++i) {
    ASSERT_EQ(sink.datagrams[i].bytes, Pattern(48, uint8_t(i))) << i;
    auto reply = peer.Receive();
    ASSERT_TRUE(reply.has_value()) << "reply " << i;
    auto want = Pattern(48, uint8_t(i));
    want.push_back('!');
    ASSERT_EQ(*reply, want) << "reply " << i;
  }
  EXPECT_GT(endpoint.counts().receiveBatches, 1u);
  EXPECT_GT(endpoint.counts().sendBatches, 0u);
  EXPECT_LT(endpoint.counts().sendBatches, uint64_t(kCount));
  EXPECT_EQ(endpoint.counts().sent, uint64_t(kCount));
}

// The reply to a datagram that came alone has left before the sink returns:
// what the sink does after replying (logging) does not delay it after its
// transmit time was stamped.
TEST_F(UdpEndpointTest, ReplyToALoneDatagramLeavesBeforeTheSinkReturns) {
  bool replyOut = false;
  sink.onDatagram = [&](const UdpDatagram& d) {
    endpoint.Send(d.fromAddress, d.fromPort, d.data, d.size);
    replyOut = peer.Receive(200).has_value();
  };
  peer.SendTo(endpoint.BoundPort(), Pattern(48, 1));
  ASSERT_TRUE(RunUntil([&] { return !sink.datagrams.empty(); }));
  EXPECT_TRUE(replyOut);
}

struct SendCase {
  const char* host;
  bool arrives;
  bool needsOwnNamespace;  // the lookup would ask a name server
};

class UdpEndpointSendTest : public UdpEndpointTest,
                            public ::testing::WithParamInterface<SendCase> {};

TEST_P(UdpEndpointSendTest, SendsToAddressOrNameOrReportsTheName) {
  const SendCase& c = GetParam();
  if (c.needsOwnNamespace && !InOwnNetworkNamespace()) {
    GTEST_SKIP() << "the lookup would leave the machine; UdpEndpointNetns runs it";
  }
  const auto bytes = Pattern(48, 9);
  endpoint.Send(c.host, peer.port(), bytes.data(), bytes.size(), 42);
  // A name is never looked up inside Send: any report comes from the loop.
  EXPECT_TRUE(sink.lookupFailures.empty());
  if (c.arrives) {
    std::optional<std::vector<uint8_t>> got;
    ASSERT_TRUE(RunUntil([&] { return (got = peer.Receive(0)).has_value(); }));
    EXPECT_EQ(*got, bytes);
    EXPECT_TRUE(sink.lookupFailures.empty());
  } else {
    ASSERT_TRUE(RunUntil([&] { return !sink.lookupFailures.empty(); }, 15000));
    EXPECT_EQ(sink.lookupFailures[0], std::make_pair(std::string(c.host), 42));
    EXPECT_FALSE(peer.Receive(0).has_value());
  }
}

INSTANTIATE_TEST_SUITE_P(Hosts, UdpEndpointSendTest,
                         ::testing::Values(SendCase{"127.0.0.1", true, false},
                                           SendCase{"::ffff:127.0.0.1", true, false},
                                           SendCase{"localhost", true, false},
                                           SendCase{"no-such-host.invalid", false, true},
                                           SendCase{"", false, false}));

// One dual-stack socket serves both families: an IPv6 sender is reported as
// "::1" and answered there, an IPv4 one still as dotted IPv4.
TEST_F(UdpEndpointTest, ServesIpv6AndIpv4OnOneSocket) {
  Peer peer6(AF_INET6);
  if (!peer6.bound()) GTEST_SKIP() << "no IPv6 loopback here";
  ASSERT_EQ(endpoint.Family(), AF_INET6);
  sink.onDatagram = [&](const UdpDatagram& d) {
    endpoint.Send(d.fromAddress, d.fromPort, d.data, d.size);
  };
  peer6.SendTo(endpoint.BoundPort(), Pattern(48, 1));
  peer.SendTo(endpoint.BoundPort(), Pattern(48, 2));
  ASSERT_TRUE(RunUntil([&] { return sink.datagrams.size() >= 2; }));
  EXPECT_EQ(sink.datagrams[0].fromAddress, "::1");
  EXPECT_EQ(sink.datagrams[0].fromPort, peer6.port());
  EXPECT_EQ(sink.datagrams[1].fromAddress, "127.0.0.1");
  EXPECT_EQ(peer6.Receive(), Pattern(48, 1));
  EXPECT_EQ(peer.Receive(), Pattern(48, 2));
}

// Without IPv6 the endpoint is IPv4 alone: IPv4 works as before, and a send
// to an IPv6 address is dropped and counted, never a crash.
TEST(UdpEndpointIpv4Only, ServesIpv4AndDropsIpv6Sends) {
  EnsureApplication();
  LinuxUdpEndpoint endpoint(false);
  RecordingSink sink;
  Peer peer;
  std::string reason;
  ASSERT_EQ(endpoint.Bind(0, sink, reason), UdpEndpoint::BindResult::kOk) << reason;
  EXPECT_EQ(endpoint.Family(), AF_INET);
  peer.SendTo(endpoint.BoundPort(), Pattern(48, 3));
  ASSERT_TRUE(RunUntil([&] { return !sink.datagrams.empty(); }));
  EXPECT_EQ(sink.datagrams[0].fromAddress, "127.0.0.1");
  const auto bytes = Pattern(48, 4);
  endpoint.Send("::1", peer.port(), bytes.data(), bytes.size());
  EXPECT_EQ(endpoint.counts().sendsDropped, 1u);
  endpoint.Send("127.0.0.1", peer.port(), bytes.data(), bytes.size());
  EXPECT_EQ(peer.Receive(), bytes);
}

// Clears or restores CAP_NET_BIND_SERVICE in the effective set; true when the
// effective set then matches.
bool SetBindServiceRight(bool on) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  const unsigned bit = 1u << (CAP_NET_BIND_SERVICE % 32);
  auto& word = data[CAP_NET_BIND_SERVICE / 32];
  if (on && !(word.permitted & bit)) return false;
  word.effective = on ? (word.effective | bit) : (word.effective & ~bit);
  syscall(SYS_capset, &header, data);
  if (syscall(SYS_capget, &header, data) != 0) return false;
  return bool(word.effective & bit) == on;
}

int UnprivilegedPortStart() {
  std::ifstream in("/proc/sys/net/ipv4/ip_unprivileged_port_start");
  int start = 1024;
  in >> start;
  return start;
}

TEST_F(UdpEndpointTest, SecondEndpointOnTheSamePortIsInUseAndStillSends) {
  LinuxUdpEndpoint second;
  RecordingSink secondSink;
  std::string reason;
  EXPECT_EQ(second.Bind(endpoint.BoundPort(), secondSink, reason),
            UdpEndpoint::BindResult::kInUse);
  EXPECT_FALSE(reason.empty());
  const auto bytes = Pattern(20, 3);
  second.Send("127.0.0.1", peer.port(), bytes.data(), bytes.size());
  EXPECT_EQ(peer.Receive(), bytes);
}

TEST(UdpEndpointBind, PrivilegedPortWithoutTheRightIsRefused) {
  EnsureApplication();
  if (UnprivilegedPortStart() <= 123) GTEST_SKIP() << "port 123 needs no right here";
  if (!SetBindServiceRight(false)) GTEST_SKIP() << "cannot give up CAP_NET_BIND_SERVICE";
  LinuxUdpEndpoint endpoint;
  RecordingSink sink;
  std::string reason;
  const auto result = endpoint.Bind(123, sink, reason);
  SetBindServiceRight(true);
  EXPECT_EQ(result, UdpEndpoint::BindResult::kNoRight);
  EXPECT_FALSE(reason.empty());
}

// Only in a namespace of the test's own: the real port, bound and answering.
TEST(UdpEndpointBind, PortOfTheServiceInOwnNamespace) {
  if (!InOwnNetworkNamespace()) GTEST_SKIP() << "binds port 123; UdpEndpointNetns runs it";
  EnsureApplication();
  LinuxUdpEndpoint endpoint;
  RecordingSink sink;
  std::string reason;
  ASSERT_EQ(endpoint.Bind(123, sink, reason), UdpEndpoint::BindResult::kOk) << reason;
  Peer peer;
  peer.SendTo(123, Pattern(48, 5));
  ASSERT_TRUE(RunUntil([&] { return !sink.datagrams.empty(); }));
  EXPECT_EQ(sink.datagrams[0].fromPort, peer.port());
}

// Runs the cases above that need isolation in a fresh network namespace with
// only loopback: a failed name lookup goes nowhere there, and port 123 is ours.
TEST(UdpEndpointNetns, IsolatedCasesPassInANamespaceOfTheirOwn) {
  if (InOwnNetworkNamespace()) GTEST_SKIP() << "already inside";
  std::string unshare;
  if (std::system("unshare --net true >/dev/null 2>&1") == 0) {
    unshare = "unshare --net";
  } else if (std::system("unshare --net --map-root-user true >/dev/null 2>&1") == 0) {
    unshare = "unshare --net --map-root-user";
  } else {
    GTEST_SKIP() << "cannot make a network namespace here";
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe");
  const std::string command = "QUOR_TEST_OWN_NETNS=1 " + unshare +
                              " -- sh -c 'ip link set lo up && exec \"" + self +
                              "\" --gtest_filter=\"*UdpEndpoint*-UdpEndpointNetns.*\"' 2>&1";
  std::string output;
  FILE* child = ::popen(command.c_str(), "r");
  ASSERT_NE(child, nullptr);
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, child)) > 0) output.append(chunk, n);
  const int status = ::pclose(child);
  EXPECT_EQ(status, 0) << output;
  // The isolated cases must have run there, not skipped.
  EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
}

}  // namespace
