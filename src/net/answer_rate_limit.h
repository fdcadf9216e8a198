#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

#include "common/ip_address.h"

// How many answers a source may draw. Sources are bucketed by prefix (/24
// for IPv4, /56 for IPv6): a bucket holds `burst` answers and refills at
// `perSecond`. The buckets are kept up to a bound; a new prefix beyond it
// takes the place of the one heard from least recently, so a flood from
// forged sources can neither grow the table nor shut a real client out: the
// prefix of an address it forges to be answered at stays busy and limited.
// Answers larger than their request also draw their bytes from one budget
// for all sources, which bounds what forged sources can make this server
// send in all.
class AnswerRateLimit {
 public:
  struct Limits {
    double perSecond;
    double burst;
    size_t maxPrefixes;
    // Bytes a second, and the most held, of answers larger than their request.
    double largerBytesPerSecond = 0;
    double largerBurstBytes = 0;
  };
  enum class Verdict {
    kAnswer,
    kKiss,  // over its limit, and the bucket has had no kiss in the last second
    kDrop,
  };

  explicit AnswerRateLimit(const Limits& limits) : l_(limits), budget_(limits.largerBurstBytes) {}

  // The verdict on answering `address` at `now` (seconds, any origin) with
  // `answerBytes` for a request of `requestBytes`; an answer is taken from
  // its bucket (and from the budget when larger than the request).
  Verdict Allow(const IpAddress& address, double now, size_t requestBytes = 0,
                size_t answerBytes = 0);

  size_t Prefixes() const { return buckets_.size(); }

 private:
  struct Bucket {
    double tokens;
    double last;
    double lastKiss;
    std::list<uint64_t>::iterator age;  // its place in recent_
  };
  static uint64_t PrefixKey(const IpAddress& a);
  Bucket& BucketFor(uint64_t key, double now);

  Limits l_;
  double budget_;
  double budgetLast_ = 0;
  bool budgetStarted_ = false;
  std::unordered_map<uint64_t, Bucket> buckets_;
  std::list<uint64_t> recent_;  // most recently heard first
};
