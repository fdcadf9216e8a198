// The UDP endpoint alone as an SNTP server: every mode-3 request is answered
// at once with a minimal mode-4 reply (originate = the request's transmit
// stamp, receive = its arrival, transmit = now). Measures what the endpoint
// can carry, apart from the program's own handling.
//
//   udp_reflector port [seconds]
//
// Runs for the given time or until SIGTERM or SIGINT, then prints the
// endpoint's counts.
#include <time.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/linux_udp_endpoint.h"

namespace {

std::atomic<bool> stopRequested{false};
void RequestStop(int) { stopRequested = true; }

void PutNtp(uint8_t* at, double seconds) {
  const uint64_t whole = uint64_t(seconds);
  const uint64_t value = (whole << 32) | uint64_t((seconds - double(whole)) * 4294967296.0);
  for (int i = 0; i < 8; ++i) at[i] = uint8_t(value >> (56 - 8 * i));
}

double NtpNow() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return double(t.tv_sec) + 2208988800.0 + double(t.tv_nsec) * 1e-9;
}

struct Reflector : UdpEventSink {
  explicit Reflector(UdpEndpoint& endpoint) : endpoint(endpoint) {}
  void OnDatagram(const UdpDatagram& d) override {
    if (d.size < 48 || (d.data[0] & 7) != 3) return;
    uint8_t reply[48] = {};
    const double now = NtpNow();
    reply[0] = uint8_t((d.data[0] & 0x38) | 4);
    reply[1] = 1;
    std::memcpy(reply + 12, "GPS", 4);
    PutNtp(reply + 16, now);
    std::memcpy(reply + 24, d.data + 40, 8);
    PutNtp(reply + 32, now - d.waitedSeconds);
    PutNtp(reply + 40, now);
    endpoint.Send(d.fromAddress, d.fromPort, reply, sizeof reply);
    if (d.waitedSeconds > maxWaited) maxWaited = d.waitedSeconds;
  }
  void OnHostLookupFailed(const std::string&, int) override {}
  UdpEndpoint& endpoint;
  double maxWaited = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s port [seconds]\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  LinuxUdpEndpoint endpoint;
  Reflector reflector(endpoint);
  std::string reason;
  if (endpoint.Bind(uint16_t(std::atoi(argv[1])), reflector, reason) !=
      UdpEndpoint::BindResult::kOk) {
    std::fprintf(stderr, "udp_reflector: bind: %s\n", reason.c_str());
    return 1;
  }
  if (argc > 2) QTimer::singleShot(int(std::atof(argv[2]) * 1000), &app, &QCoreApplication::quit);
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  QTimer stopCheck;
  QObject::connect(&stopCheck, &QTimer::timeout, &app, [&] {
    if (stopRequested) app.quit();
  });
  stopCheck.start(50);
  app.exec();
  const auto& c = endpoint.counts();
  std::printf("udp_reflector: received %llu in %llu batches (%.1f a batch), sent %llu in %llu "
              "sendmmsg calls, %llu sends dropped, %llu oversized, longest wait %.3f ms\n",
              (unsigned long long)c.received, (unsigned long long)c.receiveBatches,
              c.receiveBatches ? double(c.received) / double(c.receiveBatches) : 0.0,
              (unsigned long long)c.sent, (unsigned long long)c.sendBatches,
              (unsigned long long)c.sendsDropped, (unsigned long long)c.droppedOversized,
              reflector.maxWaited * 1e3);
  return 0;
}
