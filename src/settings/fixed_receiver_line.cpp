#include "settings/fixed_receiver_line.h"

#include "common/receiver_kinds.h"

bool ApplyFixedReceiverLine(int32_t kind, int32_t& dSec, SerialParams& serial) {
  const ReceiverKindTraits& traits = TraitsOf(kind);
  if (!traits.fixedLine) return false;
  dSec = traits.fixedSec;
  serial.boudRate = 5;  // 4800
  serial.dataBits = 1;  // 8 bits
  serial.parityType = 0;
  serial.stopBits = traits.fixedStopBits;
  serial.flowCntl = 2;  // none
  return true;
}
