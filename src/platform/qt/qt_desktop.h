#pragma once
#include "platform/beeper.h"
#include "platform/clipboard.h"

// The desktop's clipboard and beep.
class QtClipboard : public Clipboard {
 public:
  void SetText(const std::string& text) override;
};

class QtBeeper : public Beeper {
 public:
  void Beep() override;
};
