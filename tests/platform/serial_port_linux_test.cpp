#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/serial_device_path.h"
#include "platform/linux/serial_line_settings.h"
#include "platform/linux/serial_line_speed.h"
#include "platform/linux/serial_port_linux.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Stands in for the main loop: workers post, the test thread runs.
class QueuePoster : public MainThreadPoster {
 public:
  void Post(std::function<void()> fn) override {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(fn));
    }
    ready_.notify_all();
  }
  size_t Pending() {
    std::lock_guard lock(mutex_);
    return queue_.size();
  }
  // Runs posted work until done() holds or the time is up.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3000ms) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
      RunAll();
      if (done()) return true;
      std::unique_lock lock(mutex_);
      if (!ready_.wait_until(lock, deadline, [&] { return !queue_.empty(); })) return done();
    }
  }
  void RunFor(std::chrono::milliseconds span) {
    RunUntil([] { return false; }, span);
  }
  void RunAll() {
    for (;;) {
      std::function<void()> fn;
      {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return;
        fn = std::move(queue_.front());
        queue_.pop_front();
      }
      fn();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> queue_;
};

struct RecordingSink : SerialEventSink {
  std::string bytes;
  std::vector<EdgeCapture> edges;
  int noModemLines = 0;
  int lost = 0;
  int events = 0;
  void OnDsrChange(const EdgeCapture& edge) override {
    edges.push_back(edge);
    ++events;
  }
  void OnBytes(const uint8_t* data, size_t size) override {
    EXPECT_LE(size, 1024u);
    bytes.append(reinterpret_cast<const char*>(data), size);
    ++events;
  }
  void OnNoModemLines() override {
    ++noModemLines;
    ++events;
  }
  void OnPortLost(const std::string&) override {
    ++lost;
    ++events;
  }
};

struct FakeCounter : Counter {
  uint64_t frequency = 10'000'000;  // set per test; the port reads it when it opens
  std::atomic<uint32_t> next{0xFFFFFFF0u};
  uint64_t Frequency() override { return frequency; }
  uint32_t ReadCounter() override { return next++; }
  uint32_t TickCountMs() override { return 4242; }
};

struct FakeClock : PcClock {
  LocalTimeRecord now{2024, 5, 3, 17, 12, 34, 56, 789};
  void UseTimeZone(int) override {}
  LocalTimeRecord GetLocalTime() override { return now; }
  bool SetLocalTime(const LocalTimeRecord&, uint32_t) override { return false; }
};

// Blocks like the modem-line ioctl: in a read of a pipe, which only a byte
// written by the test (one DSR change), a signal (EINTR) or Unplug() (EIO)
// ends. delayBeforeWait widens the gap between the worker's stop check and
// the wait, where a stop signal would be lost.
class PipeModemLineWaiter : public ModemLineWaiter {
 public:
  PipeModemLineWaiter() { EXPECT_EQ(pipe2(fds_, O_CLOEXEC), 0); }
  ~PipeModemLineWaiter() override {
    close(fds_[0]);
    Unplug();
  }
  int WaitForDsrChange(int) override {
    ++waiting;
    std::this_thread::sleep_for(delayBeforeWait);  // resumes after a signal
    char c;
    const ssize_t n = read(fds_[0], &c, 1);
    const int err = errno;
    --waiting;
    if (n == 1) return 0;
    errno = n == 0 ? EIO : err;
    return -1;
  }
  void Change() { ASSERT_EQ(write(fds_[1], "x", 1), 1); }
  void Unplug() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }
  std::atomic<int> waiting{0};
  std::chrono::milliseconds delayBeforeWait{0};

 private:
  int fds_[2] = {-1, -1};
};

// A pseudo-terminal: the test holds the master, the port opens the slave.
struct Pty {
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_GE(master, 0);
    EXPECT_EQ(grantpt(master), 0);
    EXPECT_EQ(unlockpt(master), 0);
    slavePath = ptsname(master);
  }
  ~Pty() { CloseMaster(); }
  void CloseMaster() {
    if (master >= 0) close(master);
    master = -1;
  }
  void Send(const std::string& s) {
    ASSERT_EQ(write(master, s.data(), s.size()), static_cast<ssize_t>(s.size()));
  }
  std::string Receive(size_t want) {
    std::string got;
    const auto deadline = Clock::now() + 2s;
    while (got.size() < want && Clock::now() < deadline) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buf[256];
      const ssize_t n = read(master, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }
  int master = -1;
  std::string slavePath;
};

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

SerialParams Com(int32_t portIndex) {
  SerialParams p;
  p.PortIndex = portIndex;
  return p;
}

// Every COMn points somewhere harmless unless a test says otherwise, so no
// test ever reaches /dev/ttyS*.
class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int n = 1; n <= 4; ++n) {
      const std::string name = "QUOR_COM" + std::to_string(n);
      setenv(name.c_str(), ("/nonexistent/quor-com" + std::to_string(n)).c_str(), 1);
    }
    setenv("QUOR_COM3", pty.slavePath.c_str(), 1);
  }
  Pty pty;
  QueuePoster poster;
  RecordingSink sink;
  FakeCounter counter;
  FakeClock clock;
  std::string errorText;
};

}  // namespace

TEST_F(SerialTest, DevicePathComesFromEnvironmentOrDefault) {
  setenv("QUOR_COM1", "/dev/ttyUSB0", 1);
  EXPECT_EQ(SerialDevicePath(0), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePath(2), pty.slavePath);
  setenv("QUOR_COM4", "", 1);
  EXPECT_EQ(SerialDevicePath(3), "/dev/ttyS3");  // only the name; nothing is opened
  unsetenv("QUOR_COM4");
  EXPECT_EQ(SerialDevicePath(3), "/dev/ttyS3");
  setenv("QUOR_COM4", "/nonexistent/quor-com4", 1);
  EXPECT_EQ(SerialDevicePath(-1), "");
  EXPECT_EQ(SerialDevicePath(4), "");
}

TEST(SerialLineSettings, BaudTableWithDefaultOutsideIt) {
  const uint32_t expected[] = {110,   300,   600,   1200,  2400,   4800,  9600,
                               14400, 19200, 38400, 56000, 128000, 256000};
  for (int32_t i = 0; i < 13; ++i) EXPECT_EQ(SerialBaudForIndex(i), expected[i]) << i;
  EXPECT_EQ(SerialBaudForIndex(-1), 4800u);
  EXPECT_EQ(SerialBaudForIndex(13), 4800u);
  EXPECT_EQ(SerialBaudForIndex(INT32_MIN), 4800u);
}

TEST(SerialLineSettings, ParamsMapToTermiosFlags) {
  struct Case {
    int32_t dataBits;
    uint8_t parity;
    uint8_t stopBits;
    int32_t flow;
    tcflag_t size, parityBits, cstopb, crtscts, xonxoff;
  };
  const tcflag_t kNoParity = 0;
  const Case cases[] = {
      {1, 0, 0, 2, CS8, kNoParity, 0, 0, 0},               // defaults
      {0, 0, 0, 2, CS7, kNoParity, 0, 0, 0},               // 7 bits
      {9, 0, 0, 2, CS8, kNoParity, 0, 0, 0},               // out of range: default 8
      {1, 1, 0, 2, CS8, PARENB, 0, 0, 0},                  // even
      {1, 2, 0, 2, CS8, PARENB | PARODD, 0, 0, 0},         // odd
      {1, 3, 0, 2, CS8, PARENB | PARODD | CMSPAR, 0, 0, 0}, // mark
      {1, 4, 0, 2, CS8, PARENB | CMSPAR, 0, 0, 0},         // space
      {1, 200, 0, 2, CS8, kNoParity, 0, 0, 0},             // out of range: none
      {1, 0, 1, 2, CS8, kNoParity, CSTOPB, 0, 0},          // 1.5 -> 2
      {1, 0, 2, 2, CS8, kNoParity, CSTOPB, 0, 0},          // 2
      {1, 0, 7, 2, CS8, kNoParity, 0, 0, 0},               // out of range: 1
      {1, 0, 0, 0, CS8, kNoParity, 0, CRTSCTS, 0},         // hardware
      {1, 0, 0, 1, CS8, kNoParity, 0, 0, IXON | IXOFF},    // Xon/Xoff
      {1, 0, 0, -4, CS8, kNoParity, 0, 0, 0},              // out of range: none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dataBits " << c.dataBits << " parity " << int(c.parity)
                                    << " stop " << int(c.stopBits) << " flow " << c.flow);
    // Start from a line full of settings that must go.
    termios t{};
    t.c_iflag = IXON | IXOFF | IXANY | ICRNL | ISTRIP | IGNPAR | PARMRK;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS6 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    SerialParams p;
    p.dataBits = c.dataBits;
    p.parityType = c.parity;
    p.stopBits = c.stopBits;
    p.flowCntl = c.flow;
    ApplySerialParams(p, t);

    EXPECT_EQ(t.c_cflag & CSIZE, c.size);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parityBits);
    EXPECT_EQ(t.c_cflag & CSTOPB, c.cstopb);
    EXPECT_EQ(t.c_cflag & CRTSCTS, c.crtscts);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), c.xonxoff);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | ISTRIP | IGNPAR | PARMRK), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    if (c.xonxoff != 0) {
      EXPECT_EQ(t.c_cc[VSTART], 0x11);
      EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    }
  }
}

TEST_F(SerialTest, ConfigureSetsEveryTableSpeedOnAPseudoTerminal) {
  const int fd = open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (int32_t index : {0, 5, 7, 10, 11, 12}) {
    SerialParams p;
    p.boudRate = index;
    ASSERT_EQ(ConfigureSerialLine(fd, p), 0) << index;
    uint32_t in = 0, out = 0;
    ASSERT_TRUE(GetSerialLineSpeed(fd, in, out));
    EXPECT_EQ(in, SerialBaudForIndex(index));
    EXPECT_EQ(out, SerialBaudForIndex(index));
  }
  EXPECT_EQ(SerialBaudForIndex(10), 56000u);
  close(fd);
}

TEST_F(SerialTest, BytesArriveWholeAndInOrderAndWritesGoOut) {
  LinuxSerialPort port(counter, clock, poster);
  SerialParams p = Com(2);
  p.boudRate = 10;
  ASSERT_EQ(port.Open(p, sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  EXPECT_TRUE(port.IsOpen());

  // Lines sent in pieces that cut through them, plus a burst over one pass.
  const std::string lines =
      "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
      "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
  std::string expected;
  for (size_t at = 0; at < lines.size(); at += 17) {
    pty.Send(lines.substr(at, 17));
    std::this_thread::sleep_for(3ms);
  }
  expected += lines;
  std::string burst;
  for (int i = 0; i < 3000; ++i) burst += static_cast<char>('0' + i % 75);
  pty.Send(burst);
  expected += burst;
  ASSERT_TRUE(poster.RunUntil([&] { return sink.bytes.size() >= expected.size(); }));
  EXPECT_EQ(sink.bytes, expected);

  const std::string command = "$PFEC,GPint,GGA01\r\n";
  EXPECT_TRUE(port.Write(reinterpret_cast<const uint8_t*>(command.data()), command.size()));
  EXPECT_EQ(pty.Receive(command.size()), command);
  EXPECT_EQ(sink.lost, 0);
}

TEST_F(SerialTest, PseudoTerminalHasNoModemLinesToldOnceWithoutSpinning) {
  LinuxSerialPort port(counter, clock, poster);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  ASSERT_TRUE(poster.RunUntil([&] { return sink.noModemLines > 0; }));

  const double before = ProcessCpuSeconds();
  poster.RunFor(300ms);
  const double spent = ProcessCpuSeconds() - before;
  std::cout << "[ info ] CPU time over 300 ms with the port open and idle: " << spent * 1000
            << " ms\n";
  EXPECT_LT(spent, 0.1);
  EXPECT_EQ(sink.noModemLines, 1);
  EXPECT_EQ(sink.lost, 0);
  EXPECT_TRUE(sink.edges.empty());
}

TEST_F(SerialTest, OpenIsExclusiveAndFailsOnMissingOrUnsuitableDevices) {
  LinuxSerialPort first(counter, clock, poster);
  LinuxSerialPort second(counter, clock, poster);
  ASSERT_EQ(first.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  EXPECT_EQ(second.Open(Com(2), sink, errorText), SerialPort::OpenResult::OpenFailed);
  EXPECT_FALSE(second.IsOpen());

  EXPECT_EQ(second.Open(Com(1), sink, errorText), SerialPort::OpenResult::OpenFailed);
  EXPECT_EQ(second.Open(Com(7), sink, errorText), SerialPort::OpenResult::OpenFailed);

  // Not a terminal: opens, but the line settings are refused, with the text.
  setenv("QUOR_COM1", "/dev/null", 1);
  EXPECT_EQ(second.Open(Com(0), sink, errorText), SerialPort::OpenResult::ConfigureFailed);
  EXPECT_EQ(errorText, std::strerror(ENOTTY));
  EXPECT_FALSE(second.IsOpen());

  // Once the first lets go, the device can be opened again.
  first.Close();
  EXPECT_FALSE(first.IsOpen());
  EXPECT_EQ(second.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok) << errorText;
}

TEST_F(SerialTest, EdgeCapturesCounterAndClockOrTickCountWithoutCounter) {
  // A counter that wraps more than once a second, or none, gives way to the
  // millisecond tick count.
  const struct {
    uint64_t frequency;
    bool counterTimesEdges;
  } cases[] = {
      {10'000'000, true},
      {0xFFFFFFFFull, true},
      {0x100000000ull, false},
      {3'000'000'000'000ull, false},
      {0, false},
  };
  for (const auto& c : cases) {
    const uint64_t frequency = c.frequency;
    SCOPED_TRACE(frequency);
    EXPECT_EQ(CounterTimesEdges(frequency), c.counterTimesEdges);
    RecordingSink edgeSink;
    PipeModemLineWaiter waiter;
    counter.frequency = frequency;
    counter.next = 0xFFFFFFFEu;
    LinuxSerialPort port(counter, clock, poster, &waiter);
    ASSERT_EQ(port.Open(Com(2), edgeSink, errorText), SerialPort::OpenResult::Ok);
    waiter.Change();
    waiter.Change();
    waiter.Change();
    ASSERT_TRUE(poster.RunUntil([&] { return edgeSink.edges.size() == 3; }));
    const std::vector<uint32_t> want = c.counterTimesEdges
                                           ? std::vector<uint32_t>{0xFFFFFFFEu, 0xFFFFFFFFu, 0u}
                                           : std::vector<uint32_t>{4242, 4242, 4242};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(edgeSink.edges[i].counter, want[i]);
      EXPECT_EQ(edgeSink.edges[i].pcLocal, clock.now);
    }
    EXPECT_EQ(edgeSink.noModemLines, 0);
  }
}

TEST_F(SerialTest, CloseReturnsPromptlyWhileTheDsrWaitBlocks) {
  // Rounds: blocked in the wait; caught between the stop check and the wait
  // (where a single stop signal would be lost); closed at once.
  double worst = 0, worstBlocked = 0;
  for (int round = 0; round < 30; ++round) {
    PipeModemLineWaiter waiter;
    if (round % 3 == 1) waiter.delayBeforeWait = 5ms;
    LinuxSerialPort port(counter, clock, poster, &waiter);
    ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
    if (round % 3 != 2) {  // else close at once, maybe before the worker starts
      const auto deadline = Clock::now() + 1s;
      while (waiter.waiting == 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
      ASSERT_EQ(waiter.waiting, 1);
    }
    const auto start = Clock::now();
    port.Close();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    worst = std::max(worst, seconds);
    if (round % 3 == 0) worstBlocked = std::max(worstBlocked, seconds);
    EXPECT_EQ(waiter.waiting, 0);
    EXPECT_FALSE(port.IsOpen());
  }
  std::cout << "[ info ] slowest Close(): blocked in the DSR wait " << worstBlocked * 1000
            << " ms, any round " << worst * 1000 << " ms\n";
  EXPECT_LT(worst, 1.0);
  poster.RunAll();
  EXPECT_EQ(sink.events, 0);
}

TEST_F(SerialTest, UnpluggedDeviceIsReportedOnceAndBothWorkersEnd) {
  // Only the receive side notices, or both workers notice at once.
  for (const bool dsrSeesItToo : {false, true}) {
    SCOPED_TRACE(dsrSeesItToo);
    Pty device;
    setenv("QUOR_COM3", device.slavePath.c_str(), 1);
    RecordingSink lostSink;
    PipeModemLineWaiter waiter;
    LinuxSerialPort port(counter, clock, poster, &waiter);
    ASSERT_EQ(port.Open(Com(2), lostSink, errorText), SerialPort::OpenResult::Ok);
    device.Send("$GPZDA\r\n");
    ASSERT_TRUE(poster.RunUntil([&] { return lostSink.bytes.size() == 8; }));
    ASSERT_TRUE(poster.RunUntil([&] { return waiter.waiting == 1; }));

    device.CloseMaster();
    if (dsrSeesItToo) waiter.Unplug();
    ASSERT_TRUE(poster.RunUntil([&] { return lostSink.lost > 0; }));
    // The DSR worker has ended too, without Close().
    const auto deadline = Clock::now() + 1s;
    while (waiter.waiting != 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(waiter.waiting, 0);
    poster.RunFor(200ms);
    EXPECT_EQ(lostSink.lost, 1);

    EXPECT_TRUE(port.IsOpen());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    const uint8_t byte = 0;
    EXPECT_FALSE(port.Write(&byte, 1));
  }
}

TEST_F(SerialTest, NoEventReachesTheSinkAfterClose) {
  PipeModemLineWaiter waiter;
  auto port = std::make_unique<LinuxSerialPort>(counter, clock, poster, &waiter);
  ASSERT_EQ(port->Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
  pty.Send("$GPGGA,1\r\n");
  waiter.Change();
  // Events are queued for the main loop but not yet run when the port closes
  // and goes away.
  const auto deadline = Clock::now() + 2s;
  while (poster.Pending() < 2 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_GE(poster.Pending(), 2u);
  port->Close();
  port.reset();
  poster.RunFor(100ms);
  EXPECT_EQ(sink.events, 0);
}

TEST_F(SerialTest, WriteGivesUpAfterASecondWhenTheLineDoesNotDrain) {
  LinuxSerialPort port(counter, clock, poster);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
  // Nobody reads the master: the pseudo-terminal's buffer fills up.
  const std::vector<uint8_t> block(1 << 20, 'x');
  const auto start = Clock::now();
  EXPECT_FALSE(port.Write(block.data(), block.size()));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_GT(seconds, 0.9);
  EXPECT_LT(seconds, 3.0);
}
