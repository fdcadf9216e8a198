#pragma once
#include <optional>
#include <string>
#include <string_view>

// A decimal number read the way one "%d" conversion reads it: leading blanks
// and a sign allowed, what follows the digits ignored. Full-width digits and
// signs count as their ASCII forms. Nothing when no digits come first; a
// number beyond the range of int gives the range's end.
std::optional<int> ReadDecimal(std::string_view text);

// The outcome of a command dialog's input check: empty `fault` when the
// dialog may close with OK; otherwise the text for its status bar, and
// whether the focus goes to the datum box.
struct InputCheck {
  std::string fault;
  bool focusDatum = false;
  int datum = 0;  // the datum number read, when the command uses one
  bool Passed() const { return fault.empty(); }
};

// The datum check shared by the dialogs: "測地系ｺｰﾄﾞを入力して下さい" without a
// number, "測地系ｺｰﾄﾞが正しくありません" when `accept` refuses it.
InputCheck CheckDatumText(std::string_view text, bool (*accept)(int));

// The base-sentence check: GGA (baseMesg 0) or RMC (1) must stay on.
bool KeepsBaseSentence(int baseMesg, bool gga, bool rmc);

inline constexpr const char* kNoBaseSentence = "基準センテンスなし";
