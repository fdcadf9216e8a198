#include "platform/linux/serial_writer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <chrono>
#include <system_error>

SerialWriter::~SerialWriter() { Stop(); }

bool SerialWriter::Start(int fd, Report report, std::string& errorText) {
  fd_ = fd;
  report_ = std::move(report);
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    errorText = std::system_category().message(errno);
    return false;
  }
  stopping_ = false;
  owedLineEnd_.clear();  // a new connection owes nothing
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& e) {
    errorText = e.what();
    return false;
  }
  return true;
}

void SerialWriter::Queue(std::vector<uint8_t> bytes, SerialPort::WriteDone done) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(bytes), std::move(done)});
  }
  ready_.notify_one();
}

void SerialWriter::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  ready_.notify_one();
  if (wakeFd_ >= 0) {
    const uint64_t one = 1;
    (void)write(wakeFd_, &one, sizeof one);
  }
  if (thread_.joinable()) thread_.join();
  if (wakeFd_ >= 0) {
    close(wakeFd_);
    wakeFd_ = -1;
  }
}

void SerialWriter::Run() {
  for (;;) {
    Item item;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      item = std::move(queue_.front());
      queue_.pop_front();
    }
    const unsigned error = WriteCommand(item.bytes);
    {
      // A write cut short by Stop() is not reported.
      std::lock_guard lock(mutex_);
      if (stopping_) return;
    }
    report_(std::move(item.done), SerialPort::WriteResult{error == 0, error});
  }
}

unsigned SerialWriter::WriteCommand(const std::vector<uint8_t>& bytes) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
  if (!owedLineEnd_.empty()) {
    size_t ended = 0;
    const unsigned error = Put(owedLineEnd_, ended, deadline);
    owedLineEnd_.erase(owedLineEnd_.begin(), owedLineEnd_.begin() + static_cast<ptrdiff_t>(ended));
    if (error != 0) return error;  // nothing of this command has gone out
  }
  size_t done = 0;
  const unsigned error = Put(bytes, done, deadline);
  const bool textLine = !bytes.empty() && bytes.back() == '\n';
  if (error != 0 && error != ECANCELED && textLine && done > 0 && done < bytes.size()) {
    owedLineEnd_ = {'\r', '\n'};
    size_t ended = 0;
    (void)Put(owedLineEnd_, ended, Clock::now());  // one try, no wait
    owedLineEnd_.erase(owedLineEnd_.begin(), owedLineEnd_.begin() + static_cast<ptrdiff_t>(ended));
  }
  return error;
}

unsigned SerialWriter::Put(const std::vector<uint8_t>& bytes, size_t& done, Deadline deadline) {
  using Clock = std::chrono::steady_clock;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return static_cast<unsigned>(errno);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return ETIMEDOUT;
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return static_cast<unsigned>(errno);
    }
    if (fds[1].revents != 0) return ECANCELED;
    if (ready == 0) return ETIMEDOUT;
    if (fds[0].revents & POLLNVAL) return EBADF;
    if ((fds[0].revents & POLLOUT) == 0) return EIO;  // hang-up or error
  }
  return 0;
}
