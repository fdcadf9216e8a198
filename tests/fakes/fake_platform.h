#pragma once
// Deterministic stand-ins for the operating system, driven by virtual time.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <numbers>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "common/time_arithmetic.h"

// True time and a PC clock that is off by `offset` seconds and drifts by
// `drift` (seconds per second). Times are NTP seconds. The clock also models
// the kernel's adjustments: a frequency correction, a wander of its own rate
// (a sine of the given amplitude and period, as temperature makes it), and a
// single-shot slew that the kernel carries out in the seconds after the next
// whole second of the clock, at most 500 us each, a new one replacing what is
// left of the old and a setting ending it.
class VirtualTime {
 public:
  explicit VirtualTime(double startNtp) : now_(startNtp), pcBase_(startNtp), pcBaseTrue_(startNtp) {}
  double Now() const { return now_; }
  void Advance(double seconds) {
    if (slewing_) {
      AdvanceTo(now_ + seconds);
    } else {
      now_ += seconds;
    }
  }
  void AdvanceTo(double t) {
    if (!(t > now_)) return;
    // Slew seconds begin and end at whole seconds of the clock.
    while (slewing_ && nextBoundary_ <= t) {
      now_ = nextBoundary_;
      Rebase();
      SlewBoundary();
    }
    now_ = t;
  }
  double Pc() const {
    double pc = pcBase_ + (now_ - pcBaseTrue_) * (1.0 + drift_ + frequency_ + slewRate_);
    if (wanderAmplitude_ != 0) pc += Wander(now_) - Wander(pcBaseTrue_);
    return pc;
  }
  void SetPc(double pc) {
    pcBase_ = pc;
    pcBaseTrue_ = now_;
    slewing_ = false;
    slewRate_ = 0;
    slewLeft_ = 0;
  }
  void SetPcOffset(double offset) { SetPc(now_ + offset); }
  void SetDrift(double drift) { Rebase(); drift_ = drift; }
  // The PC clock's own rate strays by amplitude x sin(2 pi t / period).
  void SetWander(double amplitude, double period) {
    Rebase();
    wanderAmplitude_ = amplitude;
    wanderPeriod_ = period;
  }
  void SetFrequencyCorrection(double fraction) { Rebase(); frequency_ = fraction; }
  double FrequencyCorrection() const { return frequency_; }
  // The clock's rate error now (drift and wander, before the correction).
  double RateError() const {
    return drift_ + (wanderAmplitude_ != 0 ? wanderAmplitude_ * std::sin(Phase(now_)) : 0);
  }
  void Slew(double seconds) {
    slewLeft_ = seconds;
    if (!slewing_) {
      slewing_ = true;
      nextBoundary_ = NextWholeSecond();
    }
  }

 private:
  static constexpr double kSlewPerSecond = 500e-6;
  double Phase(double t) const { return 2 * std::numbers::pi * t / wanderPeriod_; }
  double Wander(double t) const { return -wanderAmplitude_ * wanderPeriod_ / (2 * std::numbers::pi) * std::cos(Phase(t)); }
  void Rebase() {
    pcBase_ = Pc();
    pcBaseTrue_ = now_;
  }
  double NextWholeSecond() const {
    const double pc = Pc();
    return now_ + (std::floor(pc) + 1 - pc);
  }
  void SlewBoundary() {
    const double chunk = std::clamp(slewLeft_, -kSlewPerSecond, kSlewPerSecond);
    slewLeft_ -= chunk;
    slewRate_ = chunk;
    if (chunk == 0) {
      slewing_ = false;
      return;
    }
    nextBoundary_ = NextWholeSecond();
  }

  double now_, pcBase_, pcBaseTrue_, drift_ = 0;
  double frequency_ = 0;
  double wanderAmplitude_ = 0, wanderPeriod_ = 1;
  bool slewing_ = false;
  double slewRate_ = 0, slewLeft_ = 0, nextBoundary_ = 0;
};

class FakeClock : public PcClock {
 public:
  FakeClock(VirtualTime& t, int zoneHours = 9) : t_(t), zone_(zoneHours) {}
  void UseTimeZone(int hours) override { zone_ = hours; }
  LocalTimeRecord GetLocalTime() override { return NtpSecondsToLocalTime(t_.Pc(), zone_); }
  double ReadNtpSeconds() override { return t_.Pc(); }
  bool SetLocalTime(const LocalTimeRecord& r, uint32_t extraNs) override {
    ++setCount;
    lastSet = r;
    if (refuse) return false;
    t_.SetPc(LocalTimeToNtpSeconds(r, zone_) + extraNs * 1e-9);
    return true;
  }
  bool SetFrequencyPpm(double ppm) override {
    ++frequencySets;
    if (refuse || refuseAdjust) return false;
    frequencyPpm = std::clamp(ppm, -kMaxFrequencyPpm, kMaxFrequencyPpm);
    t_.SetFrequencyCorrection(frequencyPpm * 1e-6);
    return true;
  }
  bool Slew(double seconds) override {
    ++slews;
    if (refuse || refuseAdjust) return false;
    t_.Slew(std::clamp(seconds, -kMaxSlewSeconds, kMaxSlewSeconds));
    return true;
  }
  bool refuse = false;
  bool refuseAdjust = false;  // steps are taken, frequency and slews refused
  int setCount = 0;
  int frequencySets = 0, slews = 0;
  double frequencyPpm = 0;
  LocalTimeRecord lastSet;

 private:
  VirtualTime& t_;
  int zone_;
};

class FakeCounter : public Counter {
 public:
  FakeCounter(VirtualTime& t, uint64_t frequency = 10'000'000, double startCount = 0)
      : t_(t), frequency_(frequency), start_(t.Now()), startCount_(startCount) {}
  // The counter's nominal frequency, its value now, and how much faster than
  // nominal it really runs.
  void Configure(uint64_t frequency, double countNow, double rateError = 0) {
    frequency_ = frequency;
    start_ = t_.Now();
    startCount_ = countNow;
    rate_ = 1.0 + rateError;
  }
  uint64_t Frequency() override { return frequency_; }
  uint32_t ReadCounter() override {
    const double counts =
        startCount_ + (t_.Now() - start_) * static_cast<double>(frequency_) * rate_;
    return static_cast<uint32_t>(static_cast<uint64_t>(counts) & 0xFFFFFFFFu);
  }
  uint32_t TickCountMs() override {
    return static_cast<uint32_t>(static_cast<uint64_t>((t_.Now() - start_) * 1000.0) & 0xFFFFFFFFu);
  }

 private:
  VirtualTime& t_;
  uint64_t frequency_;
  double start_, startCount_;
  double rate_ = 1.0;
};

// Questions wait until the test answers them, oldest first.
class FakeMessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  void ShowSystemError(const std::string& text) override { systemErrors.push_back(text); }
  void Confirm(const std::string& text, std::function<void(bool ok)> answer) override {
    asked.push_back(text);
    pending.push_back(std::move(answer));
  }
  // Answers the oldest open question; false when none is open.
  bool Answer(bool ok) {
    if (pending.empty()) return false;
    std::function<void(bool)> answer = std::move(pending.front());
    pending.pop_front();
    answer(ok);
    return true;
  }
  std::vector<std::string> shown, systemErrors, asked;
  std::deque<std::function<void(bool ok)>> pending;
};

class FakeLogFile : public LogFile {
 public:
  bool Open(const std::string& fileName) override {
    openedName = fileName;
    open = !failOpen;
    if (open && std::none_of(stored.begin(), stored.end(),
                             [&](const Stored& s) { return s.name == fileName; })) {
      int64_t newest = 0;
      for (const Stored& s : stored) newest = std::max(newest, s.modified);
      stored.push_back({fileName, newest + 1});
    }
    return open;
  }
  bool IsOpen() const override { return open; }
  bool WriteLine(const std::string& text) override {
    if (failWrite) return false;
    lines.push_back(text);
    return true;
  }
  void Close() override { open = false; }
  std::vector<Stored> StoredLogs() override { return stored; }
  bool Remove(const std::string& name) override {
    removed.push_back(name);
    std::erase_if(stored, [&](const Stored& s) { return s.name == name; });
    return true;
  }
  // The files in the log directory; an opening adds its own as the newest.
  std::vector<Stored> stored;
  std::vector<std::string> removed;
  bool failOpen = false, open = false;
  bool failWrite = false;  // a full disk
  std::string openedName;
  std::vector<std::string> lines;
};

class FakeSettingsStore : public SettingsStore {
 public:
  bool Exists() override { return exists; }
  std::optional<int32_t> ReadInt(const std::string& name) override {
    auto it = values.find(name);
    if (!exists || it == values.end() || !std::holds_alternative<int32_t>(it->second)) return std::nullopt;
    return std::get<int32_t>(it->second);
  }
  std::optional<std::string> ReadString(const std::string& name) override {
    auto it = values.find(name);
    if (!exists || it == values.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
    return std::get<std::string>(it->second);
  }
  bool WriteAll(const std::vector<Entry>& entries) override {
    if (failWrite) return false;
    for (const auto& e : entries) values[e.name] = e.value;
    exists = true;
    return true;
  }
  DeleteResult Delete() override {
    if (!exists) return DeleteResult::kNothingStored;
    if (failDelete) return DeleteResult::kFailed;
    exists = false;
    values.clear();
    return DeleteResult::kRemoved;
  }
  bool exists = false, failWrite = false, failDelete = false;
  std::map<std::string, Value> values;
};

class FakeDriftFile : public DriftFile {
 public:
  std::optional<double> Read() override {
    ++reads;
    return stored;
  }
  bool Write(double ppm) override {
    writes.push_back(ppm);
    if (failWrite) return false;
    stored = ppm;
    return true;
  }
  std::optional<double> stored;
  bool failWrite = false;
  int reads = 0;
  std::vector<double> writes;
};

class FakeBeeper : public Beeper {
 public:
  void Beep() override { ++count; }
  int count = 0;
};

class FakeClipboard : public Clipboard {
 public:
  void SetText(const std::string& t) override { text = t; }
  std::string text;
};

class FakeNetworkInfo : public NetworkInfo {
 public:
  std::optional<std::string> OwnIpv4Address() override { return address; }
  std::vector<OwnAddress> OwnAddresses() override { return addresses; }
  std::optional<std::string> address = std::string("192.168.1.10");
  std::vector<OwnAddress> addresses = {{"127.0.0.1", 8, true},
                                       {"192.168.1.10", 24, false},
                                       {"::1", 128, true},
                                       {"2001:db8:1::10", 64, false},
                                       {"fe80::10%eth0", 64, false}};
};

// A serial port whose events the test delivers itself.
class FakeSerialPort : public SerialPort {
 public:
  OpenResult Open(const SerialLine& line, SerialEventSink& s, std::string& errorText) override {
    ++openCount;
    lastLine = line;
    if (result != OpenResult::Ok) {
      errorText = "Invalid argument";
      return result;
    }
    sink = &s;
    return OpenResult::Ok;
  }
  bool IsOpen() const override { return sink != nullptr; }
  // Records the bytes; the outcome waits until the test completes the write.
  bool Write(std::vector<uint8_t> bytes, WriteDone done) override {
    if (!IsOpen()) return false;
    written.push_back(bytes);
    pending.push_back({std::move(bytes), std::move(done)});
    return true;
  }
  // Tells the oldest queued write's outcome; false when none waits.
  bool CompleteNext(bool ok = true, unsigned error = 0) {
    if (pending.empty()) return false;
    WriteDone done = std::move(pending.front().done);
    pending.pop_front();
    done(WriteResult{ok, error});
    return true;
  }
  // Completes writes as long as there are any (also those queued meanwhile).
  void CompleteAll() {
    while (CompleteNext()) {
    }
  }
  void Close() override {
    sink = nullptr;
    pending.clear();  // no outcome after Close()
    ++closeCount;
  }

  OpenResult result = OpenResult::Ok;
  SerialEventSink* sink = nullptr;
  SerialLine lastLine;
  int openCount = 0, closeCount = 0;
  std::vector<std::vector<uint8_t>> written;
  struct Pending {
    std::vector<uint8_t> bytes;
    WriteDone done;
  };
  std::deque<Pending> pending;
};

// Timers in virtual time: the test (or the simulated world) runs them when
// their time has come.
class FakeTimers : public Timers {
 public:
  explicit FakeTimers(VirtualTime& t) : t_(t) {}
  Id Start(int ms, std::function<void()> fn) override {
    const Id id = nextId_++;
    due_.emplace(std::make_pair(t_.Now() + ms * 1e-3, id), Entry{std::move(fn), 0});
    return id;
  }
  // Due again `ms` after each due time, so the beat does not drift.
  Id StartRepeating(int ms, std::function<void()> fn) override {
    const Id id = nextId_++;
    const int period = ms < 1 ? 1 : ms;
    due_.emplace(std::make_pair(t_.Now() + period * 1e-3, id), Entry{std::move(fn), period});
    return id;
  }
  void Cancel(Id id) override {
    if (running_ == id) running_ = 0;  // a repeating timer stopped from its own fn
    for (auto it = due_.begin(); it != due_.end(); ++it) {
      if (it->first.second == id) {
        due_.erase(it);
        return;
      }
    }
  }
  // Runs after every fired timer, as the Qt adapter's afterEach does.
  void SetAfterEach(std::function<void()> afterEach) { afterEach_ = std::move(afterEach); }
  // When the next timer falls due, if one is set.
  std::optional<double> NextDue() const {
    if (due_.empty()) return std::nullopt;
    return due_.begin()->first.first;
  }
  // Runs the first timer due by now; false when none is.
  bool RunOneDue() {
    if (due_.empty() || due_.begin()->first.first > t_.Now()) return false;
    const auto [due, id] = due_.begin()->first;
    Entry entry = std::move(due_.begin()->second);
    due_.erase(due_.begin());
    running_ = id;
    entry.fn();
    if (entry.periodMs > 0 && running_ == id) {
      due_.emplace(std::make_pair(due + entry.periodMs * 1e-3, id), std::move(entry));
    }
    running_ = 0;
    if (afterEach_) afterEach_();
    return true;
  }
  // Advances virtual time to each timer due within `seconds` in turn and
  // runs it, then to the end of the span.
  void RunFor(double seconds) {
    const double end = t_.Now() + seconds;
    while (auto next = NextDue()) {
      if (*next > end) break;
      t_.AdvanceTo(*next);
      RunOneDue();
    }
    t_.AdvanceTo(end);
  }
  size_t Pending() const { return due_.size(); }

 private:
  struct Entry {
    std::function<void()> fn;
    int periodMs;  // 0: one-shot
  };
  VirtualTime& t_;
  // Ordered by due time, then by start order.
  std::map<std::pair<double, Id>, Entry> due_;
  std::function<void()> afterEach_;
  Id running_ = 0;  // the timer whose fn runs now
  Id nextId_ = 1;
};

// A datagram over the given bytes, as the endpoint hands it on.
inline UdpDatagram MakeDatagram(const std::vector<uint8_t>& bytes, const std::string& from,
                                uint16_t port, double waited = 0) {
  UdpDatagram d;
  d.data = bytes.data();
  d.size = bytes.size();
  d.fromAddress = from;
  d.fromPort = port;
  d.waitedSeconds = waited;
  return d;
}

// A UDP endpoint that keeps what is sent; the test delivers datagrams itself.
class FakeUdpEndpoint : public UdpEndpoint {
 public:
  struct Sent {
    std::string host;
    uint16_t port;
    std::vector<uint8_t> bytes;
    int tag;
  };
  BindResult Bind(uint16_t port, UdpEventSink& s, std::string& reason) override {
    boundPort = port;
    if (bindResult != BindResult::kOk) {
      reason = "Permission denied";
      return bindResult;
    }
    sink = &s;
    return BindResult::kOk;
  }
  void Send(const std::string& host, uint16_t port, const uint8_t* data, size_t size,
            int tag) override {
    sent.push_back({host, port, std::vector<uint8_t>(data, data + size), tag});
  }
  // Delivers a datagram to the sink as the endpoint would.
  void Deliver(const std::vector<uint8_t>& bytes, const std::string& from, uint16_t port,
               double waited = 0) {
    if (sink) sink->OnDatagram(MakeDatagram(bytes, from, port, waited));
  }
  BindResult bindResult = BindResult::kOk;
  UdpEventSink* sink = nullptr;
  uint16_t boundPort = 0;
  std::vector<Sent> sent;
};

// CP932 for the characters the tests use; any other non-ASCII character
// becomes '?', as a real codec does with one CP932 cannot hold.
class FakeTextCodec : public TextCodec {
 public:
  std::string ToCp932(const std::string& utf8) override {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      const size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      const std::string ch = utf8.substr(i, n);
      i += n;
      if (n == 1) {
        out += ch;
        continue;
      }
      bool found = false;
      for (const auto& [u, c] : kTable) {
        if (ch == u) {
          out += c;
          found = true;
        }
      }
      if (!found) out += '?';
    }
    return out;
  }
  std::string FromCp932(const std::string& cp932) override {
    std::string out;
    for (size_t i = 0; i < cp932.size();) {
      const auto lead = static_cast<unsigned char>(cp932[i]);
      if (lead < 0x80) {
        out += cp932[i++];
        continue;
      }
      const size_t n = (lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0 ? 2 : 1;
      const std::string ch = cp932.substr(i, n);
      i += n;
      bool found = false;
      for (const auto& [u, c] : kTable) {
        if (ch == c) {
          out += u;
          found = true;
        }
      }
      if (!found) out += '?';
    }
    return out;
  }

 private:
  static constexpr std::pair<const char*, const char*> kTable[] = {
      {"受", "\x8e\xf3"}, {"信", "\x90\x4d"}, {"中", "\x92\x86"}, {"測", "\x91\xaa"},
      {"位", "\x88\xca"}, {"日", "\x93\xfa"}, {"本", "\x96\x7b"}, {"地", "\x92\x6e"},
      {"系", "\x8c\x6e"}, {"東", "\x93\x8c"}, {"京", "\x8b\x9e"}, {"ｱ", "\xb1"},
      {"ﾝ", "\xdd"},       {"ﾃ", "\xc3"},       {"ﾅ", "\xc5"},       {"ﾟ", "\xdf"},
      {"\u3000", "\x81\x40"},
  };
};

// Everything bundled, with a virtual time that starts at startNtp.
struct FakePlatform {
  explicit FakePlatform(double startNtp = 3'976'000'000.0 /* 2025-12 */)
      : time(startNtp), clock(time), counter(time), timers(time) {}
  VirtualTime time;
  FakeClock clock;
  FakeCounter counter;
  FakeMessageBoxes boxes;
  FakeLogFile logFile;
  FakeSettingsStore store;
  FakeBeeper beeper;
  FakeClipboard clipboard;
  FakeSerialPort serial;
  FakeNetworkInfo network;
  FakeUdpEndpoint udp;
  FakeTextCodec codec;
  FakeTimers timers;
  FakeDriftFile drift;
  Platform platform{clock, counter, boxes, logFile, store, beeper, clipboard, serial, network, udp,
                    codec, timers, drift};
};
