#include "commands/dialog_input.h"

#include <cctype>
#include <climits>

namespace {

// The character at `i` with the full-width digits and signs an input method
// gives in full-width mode (U+FF10..U+FF19, U+FF0B, U+FF0D) read as their
// ASCII forms; `length` is its size in bytes.
char NarrowAt(std::string_view text, size_t i, size_t& length) {
  length = 1;
  if (text.size() - i >= 3 && static_cast<unsigned char>(text[i]) == 0xEF &&
      static_cast<unsigned char>(text[i + 1]) == 0xBC) {
    const auto last = static_cast<unsigned char>(text[i + 2]);
    if (last >= 0x90 && last <= 0x99) {
      length = 3;
      return static_cast<char>('0' + (last - 0x90));
    }
    if (last == 0x8B || last == 0x8D) {
      length = 3;
      return last == 0x8B ? '+' : '-';
    }
  }
  return text[i];
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<int> ReadDecimal(std::string_view text) {
  size_t i = 0, n = 1;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size()) {
    const char sign = NarrowAt(text, i, n);
    if (sign == '+' || sign == '-') {
      negative = sign == '-';
      i += n;
    }
  }
  if (i >= text.size() || !IsAsciiDigit(NarrowAt(text, i, n))) return std::nullopt;
  // Beyond the range of int the value sticks at its end (as strtol does),
  // so a long number is refused as out of range rather than wrapped.
  long long value = 0;
  for (char c; i < text.size() && IsAsciiDigit(c = NarrowAt(text, i, n)); i += n) {
    if (value <= INT_MAX) value = value * 10 + (c - '0');
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
