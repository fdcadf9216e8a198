#include "commands/dialog_input.h"

#include <cctype>
#include <climits>

std::optional<int> ReadDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  // Beyond the range of int the value sticks at its end (as strtol does),
  // so a long number is refused as out of range rather than wrapped.
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

InputCheck CheckDatumText(std::string_view text, bool (*accept)(int)) {
  InputCheck check;
  const std::optional<int> number = ReadDecimal(text);
  if (!number) {
    check.fault = "測地系ｺｰﾄﾞを入力して下さい";
    check.focusDatum = true;
  } else if (!accept(*number)) {
    check.fault = "測地系ｺｰﾄﾞが正しくありません";
    check.focusDatum = true;
  } else {
    check.datum = *number;
  }
  return check;
}

bool KeepsBaseSentence(int baseMesg, bool gga, bool rmc) {
  if (baseMesg == 0) return gga;
  if (baseMesg == 1) return rmc;
  return true;
}
