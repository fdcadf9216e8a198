#pragma once
#include "platform/text_codec.h"

// CP932 with glibc's iconv.
class IconvTextCodec : public TextCodec {
 public:
  std::string ToCp932(const std::string& utf8) override;
  std::string FromCp932(const std::string& cp932) override;
};
