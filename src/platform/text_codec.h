#pragma once
#include <string>

// Between the program's UTF-8 and the Shift-JIS (CP932) its LAN peers speak.
// A character the other side cannot hold, or a broken byte sequence, becomes
// '?', one for each character.
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  virtual std::string ToCp932(const std::string& utf8) = 0;
  virtual std::string FromCp932(const std::string& cp932) = 0;
};
