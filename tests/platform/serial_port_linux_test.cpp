#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "link/line_assembly.h"
#include "platform/linux/serial_device_path.h"
#include "platform/linux/serial_hand_over.h"
#include "platform/linux/serial_line_settings.h"
#include "platform/linux/serial_line_speed.h"
#include "platform/linux/serial_modem_line_waiter.h"
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
      maxPending_ = std::max(maxPending_, queue_.size());
    }
    ready_.notify_all();
  }
  size_t Pending() {
    std::lock_guard lock(mutex_);
    return queue_.size();
  }
  // The longest the queue has been.
  size_t MaxPending() {
    std::lock_guard lock(mutex_);
    return maxPending_;
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
  // Runs the first posted function, if there is one.
  bool RunOne() {
    std::function<void()> fn;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return false;
      fn = std::move(queue_.front());
      queue_.pop_front();
    }
    fn();
    return true;
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
  size_t maxPending_ = 0;
};

struct RecordingSink : SerialEventSink {
  std::string bytes;
  std::string order;  // the bytes, with '|' for each edge
  std::vector<EdgeCapture> edges;
  int noModemLines = 0;
  int lost = 0;
  std::string lostReason;
  int events = 0;
  int dropReports = 0;
  uint64_t droppedSoFar = 0;
  void OnDsrChange(const EdgeCapture& edge) override {
    edges.push_back(edge);
    order += '|';
    ++events;
  }
  void OnBytes(const uint8_t* data, size_t size, const CounterCapture* arrival) override {
    EXPECT_LE(size, 1024u);
    bytes.append(reinterpret_cast<const char*>(data), size);
    order.append(reinterpret_cast<const char*>(data), size);
    passes.emplace_back(reinterpret_cast<const char*>(data), size);
    arrivals.push_back(arrival != nullptr ? std::optional(*arrival) : std::nullopt);
    ++events;
  }
  std::vector<std::string> passes;
  std::vector<std::optional<CounterCapture>> arrivals;
  void OnBytesDropped(uint64_t dropped) override {
    ++dropReports;
    droppedSoFar = dropped;
    ++events;
  }
  void OnNoModemLines() override {
    ++noModemLines;
    ++events;
  }
  void OnPortLost(const std::string& reason) override {
    lostReason = reason;
    ++lost;
    ++events;
  }
};

struct FakeCounter : Counter {
  uint64_t frequency = 10'000'000;  // set per test; the port reads it when it opens
  std::atomic<uint32_t> next{0xFFFFFFF0u};
  uint64_t Frequency() override { return frequency; }
  uint32_t ReadCounter() override { return next++; }
  uint32_t TickCountMs() override {
    ++ticksRead;
    return 4242;
  }
  std::atomic<int> ticksRead{0};
};

struct FakeClock : PcClock {
  LocalTimeRecord now{2024, 5, 3, 17, 12, 34, 56, 789};
  void UseTimeZone(int) override {}
  LocalTimeRecord GetLocalTime() override { return now; }
  double ReadNtpSeconds() override { return 0; }
  bool SetLocalTime(const LocalTimeRecord&, uint32_t) override { return false; }
};

// Blocks like the modem-line ioctl: in a read of a pipe, which only a byte
// written by the test (one DSR change), a signal (EINTR) or Unplug() (EIO)
// ends. delayBeforeWait widens the gap between the worker's stop check and
// the wait, where a stop signal would be lost. The level and the driver's
// count are what the test set (nullopt: the device cannot tell).
class PipeModemLineWaiter : public ModemLineWaiter {
 public:
  PipeModemLineWaiter() { EXPECT_EQ(pipe2(fds_, O_CLOEXEC), 0); }
  ~PipeModemLineWaiter() override {
    close(fds_[0]);
    Unplug();
  }
  int WaitForDsrChange(int) override {
    ++waits;
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
  bool ReadDsrLevel(int, bool& asserted) override {
    std::lock_guard lock(lineMutex_);
    if (level_) asserted = *level_;
    return level_.has_value();
  }
  bool ReadDsrChangeCount(int, uint32_t& count) override {
    std::lock_guard lock(lineMutex_);
    if (changes_) count = *changes_;
    return changes_.has_value();
  }
  void SetLine(std::optional<bool> newLevel, std::optional<uint32_t> newChanges) {
    std::lock_guard lock(lineMutex_);
    level_ = newLevel;
    changes_ = newChanges;
  }
  void Change() { ASSERT_EQ(write(fds_[1], "x", 1), 1); }
  void Unplug() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }
  // Waits entered so far: once the worker enters the next wait, it has
  // handed over the edge before it.
  std::atomic<int> waits{0};
  std::atomic<int> waiting{0};
  std::chrono::milliseconds delayBeforeWait{0};

 private:
  int fds_[2] = {-1, -1};
  std::mutex lineMutex_;
  std::optional<bool> level_ = false;
  std::optional<uint32_t> changes_ = 0u;
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

// Waits, without running the main loop's work, until cond() holds.
bool WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds limit = 2000ms) {
  const auto deadline = Clock::now() + limit;
  while (!cond()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

SerialLine Com(int32_t portIndex) {
  SerialLine line;
  line.portIndex = portIndex;
  return line;
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

TEST(SerialLineSettings, LineMapsToTermiosFlags) {
  using P = SerialParity;
  using S = SerialStopBits;
  using F = SerialFlowControl;
  struct Case {
    uint8_t dataBits;
    SerialParity parity;
    SerialStopBits stopBits;
    SerialFlowControl flow;
    tcflag_t size, parityBits, cstopb, crtscts, xonxoff;
  };
  const tcflag_t kNoParity = 0;
  const Case cases[] = {
      {8, P::None, S::One, F::None, CS8, kNoParity, 0, 0, 0},                    // defaults
      {7, P::None, S::One, F::None, CS7, kNoParity, 0, 0, 0},                    // 7 bits
      {8, P::Even, S::One, F::None, CS8, PARENB, 0, 0, 0},                       // even
      {8, P::Odd, S::One, F::None, CS8, PARENB | PARODD, 0, 0, 0},               // odd
      {8, P::Mark, S::One, F::None, CS8, PARENB | PARODD | CMSPAR, 0, 0, 0},     // mark
      {8, P::Space, S::One, F::None, CS8, PARENB | CMSPAR, 0, 0, 0},             // space
      {8, P::None, S::OneAndHalf, F::None, CS8, kNoParity, CSTOPB, 0, 0},        // 1.5 -> 2
      {8, P::None, S::Two, F::None, CS8, kNoParity, CSTOPB, 0, 0},               // 2
      {8, P::None, S::One, F::Hardware, CS8, kNoParity, 0, CRTSCTS, 0},          // hardware
      {8, P::None, S::One, F::XonXoff, CS8, kNoParity, 0, 0, IXON | IXOFF},      // Xon/Xoff
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dataBits " << int(c.dataBits) << " parity " << int(c.parity)
                                    << " stop " << int(c.stopBits) << " flow " << int(c.flow));
    // Start from a line full of settings that must go.
    termios t{};
    t.c_iflag = IXON | IXOFF | IXANY | ICRNL | ISTRIP | IGNPAR | PARMRK;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS6 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    SerialLine line;
    line.dataBits = c.dataBits;
    line.parity = c.parity;
    line.stopBits = c.stopBits;
    line.flow = c.flow;
    ApplySerialLine(line, t);

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

TEST_F(SerialTest, ConfigureSetsStandardAndOddSpeedsOnAPseudoTerminal) {
  const int fd = open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (uint32_t baud : {110u, 4800u, 14400u, 56000u, 128000u, 256000u}) {
    SerialLine line;
    line.baud = baud;
    ASSERT_EQ(ConfigureSerialLine(fd, line), 0) << baud;
    uint32_t in = 0, out = 0;
    ASSERT_TRUE(GetSerialLineSpeed(fd, in, out));
    EXPECT_EQ(in, baud);
    EXPECT_EQ(out, baud);
  }
  close(fd);
}

TEST_F(SerialTest, BytesArriveWholeAndInOrderAndWritesGoOut) {
  LinuxSerialPort port(counter, clock, poster);
  SerialLine p = Com(2);
  p.baud = 56000;
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

  // Queued writes go out whole and in order; each outcome comes back on the
  // main loop, in order.
  const std::string first = "$PFEC,GPint,GGA01\r\n", second = "$PFEC,GPsrq\r\n";
  std::vector<std::string> outcomes;
  for (const std::string* command : {&first, &second}) {
    EXPECT_TRUE(port.Write(std::vector<uint8_t>(command->begin(), command->end()),
                           [&outcomes, command](const SerialPort::WriteResult& r) {
                             outcomes.push_back(*command + (r.ok ? "ok" : "failed"));
                           }));
  }
  EXPECT_EQ(pty.Receive(first.size() + second.size()), first + second);
  ASSERT_TRUE(poster.RunUntil([&] { return outcomes.size() == 2; }));
  EXPECT_EQ(outcomes, (std::vector<std::string>{first + "ok", second + "ok"}));
  EXPECT_EQ(sink.lost, 0);
  EXPECT_EQ(sink.dropReports, 0);
  EXPECT_EQ(port.DroppedBytes(), 0u);
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

// After the counter and the clock, each wake-up reads the level and the
// driver's count: the changes since the previous wake-up (more than one when
// some came while the worker was awake), 0 whenever the count cannot be
// compared; a level that cannot be read follows from the count.
TEST_F(SerialTest, EdgeCarriesTheLineLevelAndTheChangesSinceThePreviousWakeUp) {
  struct Wake {
    std::optional<bool> level;
    std::optional<uint32_t> count;
    bool asserted;
    uint32_t changes;
  };
  const Wake wakes[] = {
      {true, 0xFFFFFFFEu, true, 1},   // one change since the open (count 0xFFFFFFFD)
      {false, 1u, false, 3},          // three, two of them while awake; the count wraps
      {true, std::nullopt, true, 0},  // no count
      {false, 9u, false, 0},          // a count again, but nothing to compare it with
      {std::nullopt, 10u, true, 1},   // no level: from the count
      {std::nullopt, 12u, true, 2},
      {std::nullopt, std::nullopt, false, 0},  // neither: changed once
  };
  PipeModemLineWaiter waiter;
  waiter.SetLine(false, 0xFFFFFFFDu);
  LinuxSerialPort port(counter, clock, poster, &waiter);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  int waits = 1;
  for (const Wake& w : wakes) {
    ASSERT_TRUE(WaitFor([&] { return waiter.waits == waits; }));
    waiter.SetLine(w.level, w.count);
    waiter.Change();
    ++waits;
  }
  ASSERT_TRUE(poster.RunUntil([&] { return sink.edges.size() == std::size(wakes); }));
  for (size_t i = 0; i < std::size(wakes); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sink.edges[i].dsrAsserted, wakes[i].asserted);
    EXPECT_EQ(sink.edges[i].dsrChanges, wakes[i].changes);
  }
}

// A pseudo-terminal has no modem lines: the real calls say they cannot tell.
TEST_F(SerialTest, RealModemLineCallsOnAPseudoTerminalCannotTell) {
  const int fd = open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  IoctlModemLineWaiter real;
  bool asserted = true;
  uint32_t count = 77;
  errno = 0;
  EXPECT_FALSE(real.ReadDsrLevel(fd, asserted));
  EXPECT_TRUE(errno == ENOTTY || errno == EINVAL) << std::strerror(errno);
  errno = 0;
  EXPECT_FALSE(real.ReadDsrChangeCount(fd, count));
  EXPECT_TRUE(errno == ENOTTY || errno == EINVAL) << std::strerror(errno);
  EXPECT_EQ(real.WaitForDsrChange(fd), -1);
  EXPECT_TRUE(errno == ENOTTY || errno == EINVAL) << std::strerror(errno);
  EXPECT_TRUE(asserted);
  EXPECT_EQ(count, 77u);

  // Read through the worker's reader: level taken as changed, no count.
  DsrLineReader line(real);
  line.Start(fd);
  EdgeCapture edge;
  line.Read(fd, edge);
  EXPECT_TRUE(edge.dsrAsserted);
  EXPECT_EQ(edge.dsrChanges, 0u);
  close(fd);
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
    ASSERT_TRUE(WaitFor([&] { return waiter.waiting == 1; }));

    device.CloseMaster();
    if (dsrSeesItToo) waiter.Unplug();
    ASSERT_TRUE(poster.RunUntil([&] { return lostSink.lost > 0; }));
    // The DSR worker has ended too, without Close().
    const auto deadline = Clock::now() + 1s;
    while (waiter.waiting != 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(waiter.waiting, 0);
    poster.RunFor(200ms);
    EXPECT_EQ(lostSink.lost, 1);
    // Told in Japanese: a hang-up in words, an error after a Japanese lead-in.
    if (!dsrSeesItToo) {
      EXPECT_EQ(lostSink.lostReason, "回線が切断されました");
    }
    EXPECT_TRUE(lostSink.lostReason.starts_with("回線")) << lostSink.lostReason;

    // A write to the lost device fails, and says so on the main loop.
    SerialPort::WriteResult result{true, 0};
    bool told = false;
    ASSERT_TRUE(port.Write({0}, [&](const SerialPort::WriteResult& r) { result = r, told = true; }));
    ASSERT_TRUE(poster.RunUntil([&] { return told; }));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error, 0u);

    EXPECT_TRUE(port.IsOpen());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Write({0}, [](const SerialPort::WriteResult&) { FAIL(); }));
  }
}

TEST_F(SerialTest, NoEventReachesTheSinkAfterClose) {
  PipeModemLineWaiter waiter;
  auto port = std::make_unique<LinuxSerialPort>(counter, clock, poster, &waiter);
  ASSERT_EQ(port->Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
  ASSERT_TRUE(WaitFor([&] { return waiter.waits == 1; }));
  pty.Send("$GPGGA,1\r\n");
  waiter.Change();
  // Bytes and an edge are handed over and their delivery queued for the main
  // loop, but not yet run, when the port closes and goes away.
  ASSERT_TRUE(WaitFor([&] { return poster.Pending() == 1 && waiter.waits == 2; }));
  port->Close();
  port.reset();
  poster.RunFor(100ms);
  EXPECT_EQ(sink.events, 0);
}

TEST_F(SerialTest, AWriteThatDoesNotDrainFailsAfterASecondWithoutHoldingTheCaller) {
  LinuxSerialPort port(counter, clock, poster);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
  // Nobody reads the master: the pseudo-terminal's buffer fills up.
  std::vector<SerialPort::WriteResult> results;
  auto record = [&results](const SerialPort::WriteResult& r) { results.push_back(r); };
  const auto start = Clock::now();
  ASSERT_TRUE(port.Write(std::vector<uint8_t>(1 << 20, 'x'), record));
  ASSERT_TRUE(port.Write({'y'}, record));
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 0.05);
  ASSERT_TRUE(poster.RunUntil([&] { return !results.empty(); }, 5000ms));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_GT(seconds, 0.9);
  EXPECT_LT(seconds, 3.0);
  EXPECT_FALSE(results[0].ok);
  EXPECT_EQ(results[0].error, static_cast<unsigned>(ETIMEDOUT));
}

// A text command cut short by the time-out is ended with CR LF before the
// next command, so the receiver never sees the two glued into one line.
TEST_F(SerialTest, ACommandCutByTheTimeOutIsEndedBeforeTheNextOne) {
  LinuxSerialPort port(counter, clock, poster);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
  std::vector<SerialPort::WriteResult> results;
  auto record = [&results](const SerialPort::WriteResult& r) { results.push_back(r); };
  std::vector<uint8_t> big(1 << 20, 'x');
  big.push_back('\r');
  big.push_back('\n');
  ASSERT_TRUE(port.Write(big, record));  // nobody reads: it times out part-way
  ASSERT_TRUE(poster.RunUntil([&] { return results.size() == 1; }, 5000ms));
  EXPECT_FALSE(results[0].ok);
  EXPECT_EQ(results[0].error, static_cast<unsigned>(ETIMEDOUT));

  std::string got;
  for (;;) {  // the receiver wakes up and reads what is there
    pollfd p{pty.master, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) break;
    char buf[4096];
    const ssize_t n = read(pty.master, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  const std::string next = "$PNEXT*00\r\n";
  ASSERT_TRUE(port.Write(std::vector<uint8_t>(next.begin(), next.end()), record));
  ASSERT_TRUE(poster.RunUntil([&] { return results.size() == 2; }, 3000ms));
  EXPECT_TRUE(results[1].ok);
  for (int i = 0; i < 20 && !got.ends_with(next); ++i) got += pty.Receive(1);

  const size_t cut = got.find_first_not_of('x');
  ASSERT_NE(cut, std::string::npos);
  EXPECT_GT(cut, 0u);
  EXPECT_LT(cut, big.size() - 2);
  EXPECT_EQ(got.substr(cut), "\r\n" + next);
  port.Close();
}

TEST_F(SerialTest, CloseEndsAWriteInProgressAndNoOutcomeFollows) {
  LinuxSerialPort port(counter, clock, poster);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok);
  int told = 0;
  ASSERT_TRUE(port.Write(std::vector<uint8_t>(1 << 20, 'x'), [&](const auto&) { ++told; }));
  ASSERT_TRUE(port.Write({'y'}, [&](const auto&) { ++told; }));
  std::this_thread::sleep_for(50ms);
  const auto start = Clock::now();
  port.Close();
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 0.5);
  poster.RunFor(100ms);
  EXPECT_EQ(told, 0);
}

TEST_F(SerialTest, AByteStormIntoAStalledMainLoopStaysBoundedAndIsAccountedFor) {
  LinuxSerialPort port(counter, clock, poster);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  // Several MB into the port while the main loop runs nothing.
  const size_t total = size_t{8} << 20;
  ASSERT_EQ(fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK), 0);
  const std::vector<char> block(4096, 'x');
  size_t written = 0;
  const auto deadline = Clock::now() + 20s;
  while (written < total && Clock::now() < deadline) {
    const ssize_t n = write(pty.master, block.data(), std::min(block.size(), total - written));
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    ASSERT_TRUE(n < 0 && (errno == EAGAIN || errno == EINTR)) << std::strerror(errno);
    pollfd p{pty.master, POLLOUT, 0};
    (void)poll(&p, 1, 100);
  }
  ASSERT_EQ(written, total);

  // One delivery waits, whatever came, and it carries no more than the bound,
  // with the loss told in it.
  EXPECT_EQ(poster.MaxPending(), 1u);
  ASSERT_TRUE(poster.RunOne());
  EXPECT_GT(sink.bytes.size(), 0u);
  EXPECT_LE(sink.bytes.size(), SerialHandOver::kMaxWaitingBytes);
  EXPECT_EQ(sink.dropReports, 1);
  EXPECT_GT(sink.droppedSoFar, 0u);

  // Once the loop runs again, every byte is delivered or counted as dropped.
  ASSERT_TRUE(poster.RunUntil([&] { return sink.bytes.size() + port.DroppedBytes() == total; }))
      << "delivered " << sink.bytes.size() << " dropped " << port.DroppedBytes();
  EXPECT_EQ(sink.dropReports, 1);
  EXPECT_LE(sink.droppedSoFar, port.DroppedBytes());
  EXPECT_EQ(sink.bytes.find_first_not_of('x'), std::string::npos);
  EXPECT_EQ(sink.lost, 0);
}

// The receive worker captures the counter (or the tick count) and the clock
// when bytes are there, before it reads them; two reads that wait for a
// lagging main loop reach the sink apart, each with its own capture.
TEST_F(SerialTest, ReadsWaitingForTheMainLoopKeepTheirOwnArrivals) {
  for (const uint64_t frequency : {uint64_t{10'000'000}, uint64_t{0}}) {
    SCOPED_TRACE(frequency);
    RecordingSink readSink;
    counter.frequency = frequency;
    const uint32_t start = counter.next;
    const int ticksBefore = counter.ticksRead;
    const auto captures = [&] {
      return static_cast<int>(counter.next - start) + counter.ticksRead - ticksBefore;
    };
    LinuxSerialPort port(counter, clock, poster);
    ASSERT_EQ(port.Open(Com(2), readSink, errorText), SerialPort::OpenResult::Ok) << errorText;
    const std::string first = "$GPZDA,1*00\r\n", second = "$GPZDA,2*00\r\n";
    for (const std::string* line : {&first, &second}) {
      const int before = captures();
      pty.Send(*line);
      ASSERT_TRUE(WaitFor([&] { return captures() > before; }));
      std::this_thread::sleep_for(20ms);  // read and handed over
    }
    ASSERT_TRUE(poster.RunUntil([&] { return readSink.bytes.size() == first.size() + second.size(); }));
    EXPECT_EQ(readSink.passes, (std::vector<std::string>{first, second}));
    ASSERT_EQ(readSink.arrivals.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      ASSERT_TRUE(readSink.arrivals[i].has_value());
      EXPECT_EQ(readSink.arrivals[i]->counter, frequency != 0 ? start + i : 4242u);
      EXPECT_EQ(readSink.arrivals[i]->pcLocal, clock.now);
    }
    port.Close();
    counter.next = start + 2;
  }
}

// A receiver at 38400 Bd with many sentences while the main loop lags: the
// reads wait, each up to 1024 bytes that cut through the sentences, and line
// assembly must still give every sentence.
TEST_F(SerialTest, ALongStreamIntoALaggingMainLoopLosesNoSentence) {
  LinuxSerialPort port(counter, clock, poster);
  SerialLine p = Com(2);
  p.baud = 38400;
  ASSERT_EQ(port.Open(p, sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  std::vector<std::string> sentences;
  std::string stream;
  for (int i = 0; i < 400; ++i) {
    sentences.push_back("$GPGGA," + std::to_string(100000 + i) +
                        ",3540.7371,N,13946.0280,E,1,08,1.0,40.0,M,37.0,M,,*00\r\n");
    stream += sentences.back();
  }
  ASSERT_LT(stream.size(), SerialHandOver::kMaxWaitingBytes);
  pty.Send(stream);
  std::this_thread::sleep_for(100ms);  // all read and waiting
  ASSERT_TRUE(poster.RunUntil([&] { return sink.bytes.size() == stream.size(); }));
  EXPECT_EQ(port.DroppedBytes(), 0u);

  LineAssembler assembler(kJupiter);
  std::vector<std::string> records;
  for (const std::string& pass : sink.passes) {
    assembler.ChunkReady(reinterpret_cast<const uint8_t*>(pass.data()), pass.size(),
                         [&](std::string_view r) { records.emplace_back(r); });
  }
  EXPECT_EQ(records.size(), sentences.size()) << "in " << sink.passes.size() << " passes";
  EXPECT_TRUE(records == sentences);
}

TEST_F(SerialTest, EdgesAndBytesReachTheSinkInTheOrderTheyHappened) {
  PipeModemLineWaiter waiter;
  LinuxSerialPort port(counter, clock, poster, &waiter);
  ASSERT_EQ(port.Open(Com(2), sink, errorText), SerialPort::OpenResult::Ok) << errorText;
  ASSERT_TRUE(WaitFor([&] { return waiter.waits == 1; }));

  // While the main loop runs nothing: a line, then an edge once the line is
  // handed over (its delivery is queued), then a line once the edge is (the
  // worker waits again).
  const std::string before = "$GPRMC,1*00\r\n", after = "$GPRMC,2*00\r\n";
  pty.Send(before);
  ASSERT_TRUE(WaitFor([&] { return poster.Pending() == 1; }));
  waiter.Change();
  ASSERT_TRUE(WaitFor([&] { return waiter.waits == 2; }));
  pty.Send(after);

  // Both workers hand over through the one queue: a single delivery waits.
  EXPECT_EQ(poster.MaxPending(), 1u);
  ASSERT_TRUE(poster.RunUntil([&] { return sink.bytes.size() == before.size() + after.size(); }));
  EXPECT_EQ(sink.order, before + "|" + after);
  EXPECT_EQ(sink.dropReports, 0);
}

namespace {

// Each call to the sink as a word: a pass of bytes as its size, an edge as E
// and its counter, N for no modem lines, L: and the reason, D and the count.
// The arrival counter of each pass is kept beside them.
struct CallLog : SerialEventSink {
  std::vector<std::string> calls;
  std::vector<uint32_t> arrivals;
  std::string bytes;
  std::function<void()> afterBytes;
  void OnDsrChange(const EdgeCapture& edge) override {
    calls.push_back("E" + std::to_string(edge.counter));
  }
  void OnBytes(const uint8_t* data, size_t size, const CounterCapture* arrival) override {
    calls.push_back(std::to_string(size));
    EXPECT_NE(arrival, nullptr);
    arrivals.push_back(arrival != nullptr ? arrival->counter : 0);
    bytes.append(reinterpret_cast<const char*>(data), size);
    if (afterBytes) afterBytes();
  }
  void OnBytesDropped(uint64_t droppedSoFar) override {
    calls.push_back("D" + std::to_string(droppedSoFar));
  }
  void OnNoModemLines() override { calls.push_back("N"); }
  void OnPortLost(const std::string& reason) override { calls.push_back("L:" + reason); }
};

std::string Pattern(size_t size, char first) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(first + i % 23);
  return s;
}

// One read of the bytes, arrived at counter value `arrival`.
bool Push(SerialHandOver& handOver, const std::string& bytes, uint32_t arrival = 0) {
  CounterCapture capture;
  capture.counter = arrival;
  return handOver.PushBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), capture);
}

EdgeCapture Edge(uint32_t counter) {
  EdgeCapture edge;
  edge.counter = counter;
  return edge;
}

}  // namespace

TEST(SerialHandOver, DeliversEverythingInTheOrderPushedInPassesOf1024) {
  SerialHandOver handOver;
  const std::atomic<bool> alive{true};
  const std::string a = Pattern(3000, 'a'), b = Pattern(10, 'A'), c = Pattern(5, '0');
  // Only the first push since the last delivery asks for one to be posted.
  EXPECT_TRUE(handOver.PushEdge(Edge(0)));
  EXPECT_FALSE(Push(handOver, a));
  EXPECT_FALSE(handOver.PushEdge(Edge(1)));
  EXPECT_FALSE(Push(handOver, b));
  EXPECT_FALSE(handOver.PushNoModemLines());
  EXPECT_FALSE(handOver.PushEdge(Edge(2)));
  EXPECT_FALSE(handOver.PushPortLost("hang-up"));
  EXPECT_FALSE(Push(handOver, c));
  CallLog log;
  handOver.Deliver(log, alive);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"E0", "1024", "1024", "952", "E1", "10", "N",
                                                 "E2", "L:hang-up", "5"}));
  EXPECT_EQ(log.bytes, a + b + c);
  // Taken: the next push asks again.
  EXPECT_TRUE(handOver.PushEdge(Edge(3)));
  EXPECT_FALSE(Push(handOver, b));
}

TEST(SerialHandOver, BytesBeyondTheBoundAreDroppedCountedAndToldAtMostOnceAMinute) {
  constexpr size_t kBound = SerialHandOver::kMaxWaitingBytes;
  SerialHandOver::Clock::time_point now{};
  SerialHandOver handOver([&now] { return now; });
  const std::atomic<bool> alive{true};
  const std::string first = Pattern(kBound - 10, 'a'), over = Pattern(100, 'A');
  Push(handOver, first, 1);
  Push(handOver, over, 2);  // 10 fit, 90 dropped
  handOver.PushEdge(Edge(1));
  Push(handOver, "12345", 3);  // dropped
  EXPECT_EQ(handOver.Dropped(), 95u);
  CallLog log;
  handOver.Deliver(log, alive);
  // The loss is told where it began, with the count when delivered; the edge
  // is never dropped. What was kept of a read comes with its arrival.
  std::vector<std::string> want((kBound - 10) / 1024, "1024");
  want.insert(want.end(), {"1014", "10", "D95", "E1"});
  EXPECT_EQ(log.calls, want);
  EXPECT_EQ(log.bytes, first + over.substr(0, 10));
  EXPECT_EQ(log.arrivals.back(), 2u);

  // Taken, there is room again; a later loss within the minute is counted
  // but not told yet.
  const auto notices = [](const CallLog& log) {
    std::vector<std::string> d;
    for (const std::string& call : log.calls) if (call[0] == 'D') d.push_back(call);
    return d;
  };
  now += 59s;
  EXPECT_TRUE(Push(handOver, Pattern(200, 'a')));
  Push(handOver, Pattern(kBound, 'a'));
  CallLog later;
  handOver.Deliver(later, alive);
  EXPECT_EQ(later.bytes.size(), kBound);
  EXPECT_TRUE(notices(later).empty());
  EXPECT_EQ(handOver.Dropped(), 295u);

  // A minute after the first notice, the next event brings that loss's own
  // count; a loss right after it waits for the next minute.
  now += 1s;
  handOver.PushEdge(Edge(2));
  CallLog minute;
  handOver.Deliver(minute, alive);
  EXPECT_EQ(minute.calls, (std::vector<std::string>{"D200", "E2"}));
  Push(handOver, Pattern(kBound + 7, 'a'));
  CallLog quiet;
  handOver.Deliver(quiet, alive);
  EXPECT_TRUE(notices(quiet).empty());
  now += 60s;
  Push(handOver, "x");
  CallLog next;
  handOver.Deliver(next, alive);
  EXPECT_EQ(notices(next), std::vector<std::string>{"D7"});
  EXPECT_EQ(handOver.Dropped(), 302u);
}

// However many reads wait, each is its own pass (or passes, beyond 1024)
// with the arrival captured for it, so no pass spans two reads.
TEST(SerialHandOver, EachReadIsDeliveredApartWithItsArrival) {
  SerialHandOver handOver;
  const std::atomic<bool> alive{true};
  const std::string big = Pattern(1500, 'a');
  Push(handOver, "abc", 11);
  Push(handOver, "defg", 12);
  handOver.PushEdge(Edge(7));
  Push(handOver, big, 13);
  Push(handOver, "h", 14);
  CallLog log;
  handOver.Deliver(log, alive);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"3", "4", "E7", "1024", "476", "1"}));
  EXPECT_EQ(log.arrivals, (std::vector<uint32_t>{11, 12, 13, 13, 14}));
  EXPECT_EQ(log.bytes, "abcdefg" + big + "h");
}

TEST(SerialHandOver, NothingMoreOnceTheOpenHasEnded) {
  SerialHandOver handOver;
  std::atomic<bool> alive{true};
  Push(handOver, Pattern(3000, 'a'));
  handOver.PushEdge(Edge(1));
  // The sink closes the port on the first pass: the rest of the batch goes.
  CallLog log;
  log.afterBytes = [&] { alive = false; };
  handOver.Deliver(log, alive);
  EXPECT_EQ(log.calls, std::vector<std::string>{"1024"});
  // A delivery of an ended open delivers nothing.
  Push(handOver, "abc");
  CallLog closed;
  handOver.Deliver(closed, alive);
  EXPECT_TRUE(closed.calls.empty());
}
