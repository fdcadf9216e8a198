#pragma once

// The simple system beep.
class Beeper {
 public:
  virtual ~Beeper() = default;
  virtual void Beep() = 0;
};
