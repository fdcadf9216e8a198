#include "commands/cca_commands.h"

#include "link/cca_frame.h"

bool CcaDatumAccepted(int n) { return n >= 0 && n <= 47; }

InputCheck CheckCcaInput(const CcaChoice& c, std::string_view datumText) {
  if (c.item == kCcaDatumOther) return CheckDatumText(datumText, CcaDatumAccepted);
  return {};
}

std::vector<uint8_t> CcaResetMessage() {
  std::vector<uint8_t> m(kCcaMessageLength, 0);
  m[0] = kCcaPositionLead;
  m[19] = 0x01;
  m[20] = kCcaEndByte;
  return m;
}

std::vector<uint8_t> CcaTimeMarkOutputMessage() {
  std::vector<uint8_t> m(kCcaMessageLength, 0);
  m[0] = kCcaTimeMarkLead;
  m[1] = 0x01;
  m[20] = kCcaEndByte;
  return m;
}

std::vector<uint8_t> CcaDatumMessage(int datum) {
  std::vector<uint8_t> m(kCcaMessageLength, 0);
  m[0] = kCcaPositionLead;
  m[1] = 0x02;
  m[2] = 0x05;
  m[4] = 0x01;
  m[5] = 0x01;
  m[6] = static_cast<uint8_t>(datum & 0xFF);
  m[19] = 0x40;
  m[20] = kCcaEndByte;
  return m;
}

CommandSequence SendCcaCommand(const CcaChoice& c) {
  switch (c.item) {
    case kCcaReset:
      return {step::Status("リセット要求中"), step::Write(CcaResetMessage())};
    case kCcaTimeMarkOutput:
      return {step::Status("ＴＭＭ出力要求中"), step::Write(CcaTimeMarkOutputMessage())};
    case kCcaDatumWgs84:
      return {step::Status("WGS-84系変更要求中"), step::Write(CcaDatumMessage(0))};
    case kCcaDatumTokyo:
      return {step::Status("日本測地系変更要求中"), step::Write(CcaDatumMessage(2))};
    case kCcaDatumOther:
      return {step::Status("測地系変更要求中"), step::Write(CcaDatumMessage(c.datum))};
    default:
      return {};
  }
}
