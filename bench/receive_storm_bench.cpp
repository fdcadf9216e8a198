// A byte storm into the receiver port while the main thread is slow: a
// pseudo-terminal fed as fast as it takes bytes, a real Qt main loop whose
// sink sleeps on every pass, and a 100 ms timer beside it. Prints the peak
// memory, the longest gap between timer ticks and where the bytes went.
//
//   receive_storm_bench [storm seconds = 4] [sleep per pass, us = 100]
//                       [memory ceiling, MB = 2000]
//
// The storm stops early at the memory ceiling, so that an adapter that queues
// without bound cannot take the machine's memory.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/linux_counter.h"
#include "platform/linux/serial_port_linux.h"
#include "platform/qt/qt_main_thread_poster.h"

namespace {

// VmRSS or VmHWM from /proc/self/status, in MB.
double StatusMb(const std::string& field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024.0;
  }
  return 0;
}

// Reads the clock, never sets it.
struct ReadOnlyClock : PcClock {
  void UseTimeZone(int) override {}
  LocalTimeRecord GetLocalTime() override { return {}; }
  double ReadNtpSeconds() override { return 0; }
  bool SetLocalTime(const LocalTimeRecord&, uint32_t) override { return false; }
};

struct SlowSink : SerialEventSink {
  std::chrono::microseconds perPass{100};
  uint64_t delivered = 0, passes = 0, largestPass = 0;
  uint64_t droppedTold = 0;
  int droppedCalls = 0;
  void OnDsrChange(const EdgeCapture&) override {}
  void OnBytes(const uint8_t*, size_t size, const CounterCapture*) override {
    delivered += size;
    ++passes;
    largestPass = std::max<uint64_t>(largestPass, size);
    std::this_thread::sleep_for(perPass);
  }
  void OnBytesDropped(uint64_t dropped) override {  // the bytes since the previous notice
    ++droppedCalls;
    droppedTold += dropped;
  }
  void OnNoModemLines() override {}
  void OnPortLost(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const double stormSeconds = argc > 1 ? std::atof(argv[1]) : 4.0;
  const int perPassUs = argc > 2 ? std::atoi(argv[2]) : 100;
  const double ceilingMb = argc > 3 ? std::atof(argv[3]) : 2000.0;

  QCoreApplication app(argc, argv);
  QObject target;
  QtMainThreadPoster poster(&target);

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("pseudo-terminal");
    return 1;
  }
  setenv("QUOR_COM1", ptsname(master), 1);

  LinuxCounter counter;
  ReadOnlyClock clock;
  LinuxSerialPort port(counter, clock, poster);
  SlowSink sink;
  sink.perPass = std::chrono::microseconds(perPassUs);
  std::string errorText;
  SerialLine line;
  line.portIndex = 0;
  if (port.Open(line, sink, errorText) != SerialPort::OpenResult::Ok) {
    std::fprintf(stderr, "open: %s\n", errorText.c_str());
    return 1;
  }
  const double rssBefore = StatusMb("VmRSS");

  std::atomic<bool> stormOver{false};
  std::chrono::steady_clock::time_point stormEnd;  // written before stormOver
  std::atomic<uint64_t> written{0};
  std::atomic<bool> hitCeiling{false};
  std::thread writer([&] {
    std::vector<char> block(4096);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('0' + i % 64);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration<double>(stormSeconds);
    int n = 0;
    while (std::chrono::steady_clock::now() < end) {
      if (++n % 64 == 0 && StatusMb("VmRSS") > ceilingMb) {
        hitCeiling = true;
        break;
      }
      const ssize_t w = write(master, block.data(), block.size());
      if (w > 0) written += static_cast<uint64_t>(w);
    }
    stormEnd = std::chrono::steady_clock::now();
    stormOver = true;
  });

  QElapsedTimer sinceTick;
  sinceTick.start();
  qint64 longestGap = 0, longestGapInStorm = 0;
  QTimer tick;
  tick.setInterval(100);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 gap = sinceTick.restart();
    longestGap = std::max(longestGap, gap);
    if (!stormOver) longestGapInStorm = std::max(longestGapInStorm, gap);
  });
  tick.start();

  // After the storm: until every byte is delivered or counted as dropped, or
  // for 10 s at most.
  std::chrono::steady_clock::time_point settled;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!stormOver) return;
    const auto now = std::chrono::steady_clock::now();
    if (sink.delivered + port.DroppedBytes() >= written || now - stormEnd > std::chrono::seconds(10)) {
      settled = now;
      app.quit();
    }
  });
  watch.start();
  app.exec();
  writer.join();
  const uint64_t dropped = port.DroppedBytes();
  const double drainMs = std::chrono::duration<double, std::milli>(settled - stormEnd).count();
  port.Close();
  close(master);

  const double mb = 1024.0 * 1024.0;
  std::printf("receive storm: %.1f s, %d us per pass%s\n", stormSeconds, perPassUs,
              hitCeiling ? " (stopped early at the memory ceiling)" : "");
  std::printf("  written            %10.1f MB\n", written / mb);
  std::printf("  delivered          %10.1f MB in %llu passes, largest %llu bytes\n",
              sink.delivered / mb, static_cast<unsigned long long>(sink.passes),
              static_cast<unsigned long long>(sink.largestPass));
  std::printf("  dropped            %10.1f MB\n", dropped / mb);
  std::printf("  unaccounted        %10.1f MB\n",
              (static_cast<double>(written) - sink.delivered - dropped) / mb);
  std::printf("  loss reported      %d time(s), %llu bytes told\n", sink.droppedCalls,
              static_cast<unsigned long long>(sink.droppedTold));
  std::printf("  RSS before storm   %10.1f MB\n", rssBefore);
  std::printf("  peak RSS           %10.1f MB\n", StatusMb("VmHWM"));
  std::printf("  longest tick gap   %10lld ms in the storm, %lld ms overall (timer 100 ms)\n",
              static_cast<long long>(longestGapInStorm), static_cast<long long>(longestGap));
  std::printf("  after the storm    %10.0f ms until every byte was accounted for\n", drainMs);
  return 0;
}
