#include "platform/linux/iconv_text_codec.h"

#include "platform/linux/cp932_conversion.h"

std::string IconvTextCodec::ToCp932(const std::string& utf8) { return Utf8ToCp932(utf8); }

std::string IconvTextCodec::FromCp932(const std::string& cp932) { return Cp932ToUtf8(cp932); }
