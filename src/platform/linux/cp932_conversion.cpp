#include "platform/linux/cp932_conversion.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace {

size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

size_t Cp932Length(unsigned char lead) {
  return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
}

// Converts the whole text; where iconv stops at a character it cannot take,
// that character (its length by its lead byte) is skipped as one '?'.
std::string Convert(const char* to, const char* from, const std::string& text,
                    size_t (*characterLength)(unsigned char)) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  out.reserve(text.size() * 3 / 2);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char buf[256];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      const size_t skip = std::min(inLeft, characterLength(static_cast<unsigned char>(*in)));
      in += skip;
      inLeft -= skip;
      out.push_back('?');
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8, Utf8Length); }

std::string Cp932ToUtf8(const std::string& cp932) {
  return Convert("UTF-8", "CP932", cp932, Cp932Length);
}
