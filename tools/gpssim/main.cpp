// gpssim: plays a GPS receiver on a pseudo-terminal. Prints the slave's path,
// then sends the receiver's sentences or frames every second, paced at the
// baud rate, and obeys the commands the other side writes (see
// ObedientReceiver); --verbose prints each one on stderr.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "receiver/burst_pacing.h"
#include "receiver/gpssim_args.h"
#include "receiver/obedient_receiver.h"

namespace {

volatile sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

double Seconds(const timespec& ts) { return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9; }

double ClockNow(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return Seconds(ts);
}

timespec ToTimespec(double seconds) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(std::floor(seconds));
  ts.tv_nsec = static_cast<long>((seconds - std::floor(seconds)) * 1e9);
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  return ts;
}

// The receiver's clock: the PC clock plus the offset at start-up, carried on
// by the monotonic clock. Like a real receiver it keeps its own time when the
// PC clock is set (as the program under test may do).
class ReceiverClock {
 public:
  explicit ReceiverClock(double offset) {
    const double before = ClockNow(CLOCK_MONOTONIC);
    const double real = ClockNow(CLOCK_REALTIME);
    const double after = ClockNow(CLOCK_MONOTONIC);
    base_ = real + offset - (before + after) / 2;
  }
  double Now() const { return ClockNow(CLOCK_MONOTONIC) + base_; }
  double MonotonicOf(double receiverTime) const { return receiverTime - base_; }

 private:
  double base_ = 0;
};

class PseudoTerminal {
 public:
  ~PseudoTerminal() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }

  bool Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return Fail("posix_openpt", error);
    if (grantpt(master_) != 0) return Fail("grantpt", error);
    if (unlockpt(master_) != 0) return Fail("unlockpt", error);
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) return Fail("ptsname_r", error);
    slavePath_ = name;
    // Raw: the bytes pass unchanged both ways, no echo, no flow control.
    termios tio{};
    if (tcgetattr(master_, &tio) != 0) return Fail("tcgetattr", error);
    cfmakeraw(&tio);
    if (tcsetattr(master_, TCSANOW, &tio) != 0) return Fail("tcsetattr", error);
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
      return Fail("fcntl", error);
    // Our own hold on the slave: the line stays up while the program under
    // test closes and reopens the port.
    slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) return Fail(name, error);
    return true;
  }

  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // Writes what fits now; the rest is dropped (nobody is reading).
  void Write(const uint8_t* data, size_t size) {
    while (size > 0) {
      const ssize_t n = write(master_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      data += n;
      size -= static_cast<size_t>(n);
    }
  }

  // A closed serial port loses what the receiver sends. When more than
  // `limit` bytes wait unread on the slave side, nobody has the port open:
  // drop them, so the next opener starts with fresh data.
  void DropStaleInput(int limit) {
    int waiting = 0;
    if (ioctl(slave_, FIONREAD, &waiting) == 0 && waiting > limit) tcflush(slave_, TCIFLUSH);
  }

  // Reads what the other side wrote and hands it to the receiver.
  void Drain(sim::ObedientReceiver& receiver, bool verbose) {
    uint8_t buffer[512];
    for (;;) {
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      for (const std::string& line : receiver.Receive(buffer, static_cast<size_t>(n))) {
        if (verbose) std::fprintf(stderr, "gpssim: received %s\n", line.c_str());
      }
    }
  }

 private:
  static bool Fail(const char* what, std::string& error) {
    error = std::string(what) + ": " + std::strerror(errno);
    return false;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

// Waits until the monotonic time `target`, reading what arrives meanwhile.
// Returns false when a stop signal came.
bool WaitUntil(double target, PseudoTerminal& pty, sim::ObedientReceiver& receiver,
               bool verbose) {
  for (;;) {
    if (gStop) return false;
    const double remaining = target - ClockNow(CLOCK_MONOTONIC);
    if (remaining <= 0) return true;
    if (remaining > 0.003) {
      // Poll in slices so commands are read promptly; the last few
      // milliseconds are slept exactly.
      pollfd p{pty.Master(), POLLIN, 0};
      const int ms = static_cast<int>(std::fmin((remaining - 0.002) * 1000, 200));
      if (poll(&p, 1, ms) > 0) {
        if (p.revents & POLLIN) {
          pty.Drain(receiver, verbose);
        } else {
          // Hang-up or error: nothing to read, so sleep the slice instead of
          // spinning on poll.
          const timespec slice = ToTimespec(ms * 1e-3);
          nanosleep(&slice, nullptr);
        }
      }
    } else {
      const timespec ts = ToTimespec(target);
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    }
  }
}

bool MakeLink(const std::string& link, const std::string& target) {
  struct stat st{};
  if (lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      std::fprintf(stderr, "gpssim: %s exists and is not a symbolic link\n", link.c_str());
      return false;
    }
    unlink(link.c_str());
  }
  if (symlink(target.c_str(), link.c_str()) != 0) {
    std::fprintf(stderr, "gpssim: symlink %s: %s\n", link.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

// Removes the link only while it still points to our terminal.
void RemoveLink(const std::string& link, const std::string& target) {
  char buffer[512];
  const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n < 0) return;
  buffer[n] = '\0';
  if (target == buffer) unlink(link.c_str());
}

void InstallSignals() {
  struct sigaction sa{};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

void Run(const GpssimArgs& args, PseudoTerminal& pty) {
  sim::ObedientReceiver receiver(args.generator);
  const ReceiverClock clock(args.offset);
  const int bytesPerSecond = args.baud / 10;
  int64_t edge = static_cast<int64_t>(std::floor(clock.Now())) + 1;
  for (int done = 0; args.seconds == 0 || done < args.seconds; ++done) {
    const double edgeDue = clock.MonotonicOf(static_cast<double>(edge));
    if (!WaitUntil(edgeDue, pty, receiver, args.verbose)) return;
    pty.DropStaleInput(bytesPerSecond);
    for (const Burst& burst : receiver.BurstsAfterEdge(edge)) {
      for (const PacedPiece& piece : PaceBurst(burst, args.baud)) {
        const double due = clock.MonotonicOf(static_cast<double>(edge) + piece.offset);
        if (!WaitUntil(due, pty, receiver, args.verbose)) return;
        pty.Write(burst.bytes.data() + piece.begin, piece.end - piece.begin);
      }
    }
    // Next second; when far behind (the process was stopped), skip the
    // seconds that are past rather than sending them late.
    ++edge;
    const double now = clock.Now();
    if (now > static_cast<double>(edge) + 0.5) edge = static_cast<int64_t>(std::floor(now)) + 1;
  }
  // The last second runs to its end before the program stops.
  WaitUntil(clock.MonotonicOf(static_cast<double>(edge)), pty, receiver, args.verbose);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> argList(argv + 1, argv + argc);
  std::string error;
  const auto args = ParseGpssimArgs(argList, error);
  if (!args) {
    std::fprintf(stderr, "gpssim: %s\n%s", error.c_str(), GpssimUsage().c_str());
    return 2;
  }
  if (args->help) {
    std::fputs(GpssimUsage().c_str(), stdout);
    return 0;
  }
  if (args->version) {
    std::printf("gpssim %s\n", QUOR_VERSION);
    return 0;
  }
  PseudoTerminal pty;
  if (!pty.Open(error)) {
    std::fprintf(stderr, "gpssim: %s\n", error.c_str());
    return 1;
  }
  if (!args->link.empty() && !MakeLink(args->link, pty.SlavePath())) return 1;
  InstallSignals();
  std::printf("%s\n", pty.SlavePath().c_str());
  std::fflush(stdout);
  Run(*args, pty);
  if (!args->link.empty()) RemoveLink(args->link, pty.SlavePath());
  return 0;
}
