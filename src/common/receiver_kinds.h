#pragma once
#include <cstdint>

// The receiver kinds of the setting `Receiver`.
enum ReceiverKind : int32_t {
  kJupiter = 0, kGt77 = 1, kCca370h = 2, kGarminStd = 3, kOtherReceiver = 4
};

// The command dialog a kind gets, and what is sent to it at the first fix.
enum class CommandSet { kNone, kJupiter, kGt77, kCca370h };
enum class StartupCommands { kNone, kGt77, kCca370h };

// Everything that differs by receiver kind, in one entry per kind.
struct ReceiverKindTraits {
  ReceiverKind kind;
  // Frame starts: FF 81 opens a Jupiter frame; the lead bytes C0 and C6
  // open CCA-370H frames.
  bool jupiterFrames;
  bool ccaFrames;
  // 1PPS arming: the time sentence (GGA or RMC by `BaseMesg`, or "#1000")
  // arms the next edge and a fix in it makes the time valid. A receiver
  // without this arms and validates only through its own 1PPS status
  // sentence ("$PFEC,GPtps").
  bool timeSentenceArmsPps;
  // Fix quality: a fix counts as time-synchronised only with a 1PPS status
  // sentence saying "3".
  bool fixNeedsPpsStatus;
  // Datum report: field 7 of "#1000" carries the receiver's datum code.
  bool binaryDatumCode;
  CommandSet commands;
  StartupCommands startup;
  // Fixed by the kind: the second correction `fixedSec` and a 4800 baud,
  // 8 data bits line without parity or flow control, whose stop bits are
  // the index `fixedStopBits` (0 = 1, 2 = 2). A kind without this keeps
  // whatever the user set.
  bool fixedLine;
  int32_t fixedSec;
  uint8_t fixedStopBits;
  // Sentence timing, for keeping time without 1PPS: seconds from the
  // pulse of a second to the first byte of the burst that carries the
  // time sentence, and how far that strays between seconds and receivers
  // of the kind (one standard deviation), in NMEA and in binary mode.
  double nmeaBurstDelay;
  double nmeaBurstSpread;
  double binaryBurstDelay;
  double binaryBurstSpread;
};

// The entry of a kind; a value outside the table gets the entry of "その他".
const ReceiverKindTraits& TraitsOf(int32_t kind);
