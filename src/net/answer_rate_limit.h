#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>

// How many answers a source address may draw: a bucket per address that
// holds `burst` answers and refills at `perSecond`. The addresses are
// remembered up to a bound; when it is reached, an address whose bucket has
// refilled is forgotten to make room, and while none has, new addresses get
// no answer, so a flood from forged addresses cannot grow the table.
class AnswerRateLimit {
 public:
  AnswerRateLimit(double perSecond, double burst, size_t maxAddresses)
      : perSecond_(perSecond), burst_(burst), maxAddresses_(maxAddresses) {}

  // True when `address` may be answered at `now` (seconds, any origin);
  // takes one answer from its bucket.
  bool Allow(const std::string& address, double now);

 private:
  struct Bucket {
    double tokens;
    double last;
  };
  double Refilled(const Bucket& b, double now) const;
  bool MakeRoom(double now);

  double perSecond_, burst_;
  size_t maxAddresses_;
  std::unordered_map<std::string, Bucket> buckets_;
};
