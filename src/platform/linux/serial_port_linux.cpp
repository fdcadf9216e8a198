#include "platform/linux/serial_port_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

#include "platform/linux/serial_device_path.h"
#include "platform/linux/serial_line_settings.h"
#include "platform/linux/serial_wait_interrupt.h"

namespace {

constexpr size_t kReadChunk = 1024;
constexpr std::chrono::milliseconds kInterruptRepeat{1};

// The system's text for an errno value (thread-safe, unlike strerror).
std::string ErrorText(int err) { return std::system_category().message(err); }

// Why the device went away, in the program's language: 0 is a hang-up; the
// system's own text (English on most systems) follows a Japanese lead-in.
std::string PortLostReason(int err) {
  if (err == 0) return "回線が切断されました";
  return "回線のエラー: " + ErrorText(err);
}

void SetDtr(int fd, bool raised) {
  int bits = TIOCM_DTR;
  // A device without modem lines refuses this; nothing depends on it then.
  (void)ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &bits);
}

}  // namespace

LinuxSerialPort::LinuxSerialPort(Counter& counter, PcClock& clock, MainThreadPoster& poster,
                                 ModemLineWaiter* waiter)
    : counter_(counter),
      clock_(clock),
      poster_(poster),
      waiter_(waiter != nullptr ? *waiter : ioctlWaiter_) {}

LinuxSerialPort::~LinuxSerialPort() { Close(); }

SerialPort::OpenResult LinuxSerialPort::Open(const SerialLine& line, SerialEventSink& sink,
                                             std::string& errorText) {
  Close();
  errorText.clear();

  const std::string path = SerialDevicePath(line.portIndex);
  if (path.empty()) {
    errorText = ErrorText(ENODEV);
    return OpenResult::OpenFailed;
  }
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    errorText = ErrorText(errno);
    return OpenResult::OpenFailed;
  }
  // TIOCEXCL keeps other users out but not root; the lock covers every
  // program that takes it too.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    errorText = ErrorText(errno);
    close(fd);
    return OpenResult::OpenFailed;
  }
  fd_ = fd;
  // A device that is no terminal fails the configuration below, with its text.
  (void)ioctl(fd_, TIOCEXCL);

  if (const int err = ConfigureSerialLine(fd_, line); err != 0) {
    errorText = ErrorText(err);
    ReleaseDevice();
    return OpenResult::ConfigureFailed;
  }
  SetDtr(fd_, true);
  tcflush(fd_, TCIOFLUSH);

  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    errorText = ErrorText(errno);
    SetDtr(fd_, false);
    ReleaseDevice();
    return OpenResult::OpenFailed;
  }
  session_ = std::make_shared<Session>(sink);
  if (!StartWorkers(errorText)) {
    Close();
    return OpenResult::OpenFailed;
  }
  return OpenResult::Ok;
}

bool LinuxSerialPort::StartWorkers(std::string& errorText) {
  stopping_ = false;
  portLost_ = false;
  InstallWaitInterruptHandler();
  const bool useTickCount = !CounterTimesEdges(counter_.Frequency());
  try {
    dsrLeft_ = false;
    dsrThread_ = std::thread([this, useTickCount] { RunDsrWorker(useTickCount); });
  } catch (const std::system_error& e) {
    dsrLeft_ = true;
    errorText = e.what();
    return false;
  }
  dsrHandle_ = dsrThread_.native_handle();
  try {
    receiveThread_ = std::thread([this, useTickCount] { RunReceiveWorker(useTickCount); });
  } catch (const std::system_error& e) {
    errorText = e.what();
    return false;
  }
  auto report = [this, session = session_](WriteDone done, WriteResult result) {
    poster_.Post([session, done = std::move(done), result] {
      if (session->alive) done(result);
    });
  };
  return writer_.Start(fd_, std::move(report), errorText);
}

bool LinuxSerialPort::IsOpen() const { return fd_ >= 0; }

uint64_t LinuxSerialPort::DroppedBytes() const {
  return session_ ? session_->handOver.Dropped() : 0;
}

void LinuxSerialPort::RunDsrWorker(bool useTickCount) {
  AllowWaitInterrupt();
  DsrLineReader line(waiter_);
  line.Start(fd_);
  while (!stopping_) {
    if (waiter_.WaitForDsrChange(fd_) == 0) {
      // Capture first: everything else, posting included, comes after.
      const CounterCapture now = Capture(useTickCount);
      EdgeCapture edge;
      edge.counter = now.counter;
      edge.pcLocal = now.pcLocal;
      edge.pcNtp = now.pcNtp;
      line.Read(fd_, edge);
      PostDeliveryIf(session_->handOver.PushEdge(edge));
      continue;
    }
    const int err = errno;
    if (err == EINTR) continue;  // Close() asking, or a stray signal
    if (err == ENOTTY || err == EINVAL) {
      // No modem lines (a pseudo-terminal, some adapters): no 1PPS will come.
      PostDeliveryIf(session_->handOver.PushNoModemLines());
      break;
    }
    ReportPortLost(PortLostReason(err));
    break;
  }
  dsrLeft_ = true;
}

CounterCapture LinuxSerialPort::Capture(bool useTickCount) {
  CounterCapture capture;
  capture.counter = useTickCount ? counter_.TickCountMs() : counter_.ReadCounter();
  capture.pcNtp = clock_.ReadNtpSeconds();
  capture.pcLocal = clock_.GetLocalTime();
  return capture;
}

void LinuxSerialPort::RunReceiveWorker(bool useTickCount) {
  uint8_t buffer[kReadChunk];
  pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  while (!stopping_) {
    fds[0].revents = 0;
    fds[1].revents = 0;
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      ReportPortLost(PortLostReason(errno));
      break;
    }
    if (fds[1].revents != 0) break;  // Close() or the other worker
    const short events = fds[0].revents;
    if (events & POLLNVAL) {
      ReportPortLost(PortLostReason(EBADF));
      break;
    }
    if ((events & (POLLIN | POLLHUP | POLLERR)) == 0) continue;

    // The bytes are there: capture before reading them. Read even on a
    // hang-up: what was queued before it still counts.
    const CounterCapture arrival = Capture(useTickCount);
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      PostDeliveryIf(session_->handOver.PushBytes(buffer, static_cast<size_t>(n), arrival));
      continue;
    }
    const int err = n < 0 ? errno : 0;
    const bool hungUp = (events & (POLLHUP | POLLERR)) != 0;
    if ((err == EAGAIN || err == EINTR) && !hungUp) continue;
    // End of file (a hang-up, or the pseudo-terminal's other side closed) or
    // a hard error: the device is gone.
    ReportPortLost(PortLostReason(n == 0 || err == EAGAIN || err == EINTR ? 0 : err));
    break;
  }
  if (portLost_) StopDsrWorker();
}

void LinuxSerialPort::PostDeliveryIf(bool needed) {
  if (!needed) return;
  poster_.Post([session = session_] { session->handOver.Deliver(*session->sink, session->alive); });
}

void LinuxSerialPort::ReportPortLost(const std::string& reason) {
  if (portLost_.exchange(true)) return;
  PostDeliveryIf(session_->handOver.PushPortLost(reason));
  stopping_ = true;
  const uint64_t one = 1;
  (void)write(wakeFd_, &one, sizeof one);
}

void LinuxSerialPort::StopDsrWorker() {
  // The modem-line wait has no time-out and closing the device does not end
  // it; only a signal does. Repeat it, since one that lands just before the
  // thread enters the wait is lost.
  while (!dsrLeft_) {
    InterruptWait(dsrHandle_);
    std::this_thread::sleep_for(kInterruptRepeat);
  }
}

bool LinuxSerialPort::Write(std::vector<uint8_t> bytes, WriteDone done) {
  if (fd_ < 0 || !session_) return false;
  writer_.Queue(std::move(bytes), std::move(done));
  return true;
}

void LinuxSerialPort::Close() {
  if (fd_ < 0) return;
  // Events still queued for the main loop are dropped from here on.
  if (session_) session_->alive = false;
  stopping_ = true;
  if (wakeFd_ >= 0) {
    const uint64_t one = 1;
    (void)write(wakeFd_, &one, sizeof one);
  }
  writer_.Stop();
  StopDsrWorker();
  // The receive worker may itself be signalling the DSR worker: join it first,
  // so no signal goes to a thread that has been joined.
  if (receiveThread_.joinable()) receiveThread_.join();
  if (dsrThread_.joinable()) dsrThread_.join();
  session_.reset();

  SetDtr(fd_, false);
  tcflush(fd_, TCIOFLUSH);
  ReleaseDevice();
}

void LinuxSerialPort::ReleaseDevice() {
  if (wakeFd_ >= 0) {
    close(wakeFd_);
    wakeFd_ = -1;
  }
  if (fd_ >= 0) {
    // A pseudo-terminal outlives our descriptor; leave it reopenable.
    (void)ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
  }
}
