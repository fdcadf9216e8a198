#pragma once

// What Quor believes about the receiver's configuration.
struct ReceiverConfig {
  enum Sentence { kGga, kGsa, kGsv, kRmc, kGll, kZda, kVtg, kSentenceKinds };
  bool NmeaMode = true;  // the receiver talks NMEA text (false: binary frames)
  bool SentenceEnabled[kSentenceKinds] = {};
  bool LearnSentences = false;
  int ReceiverDatumCode = 0;

  void ClearSentenceFlags() {
    for (bool& f : SentenceEnabled) f = false;
  }
};
