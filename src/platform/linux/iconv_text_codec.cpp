#include "platform/linux/iconv_text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/cp932_log_file.h"

namespace {

// Bytes of the CP932 character that begins with `lead`.
size_t Cp932Length(unsigned char lead) {
  return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
}

}  // namespace

std::string IconvTextCodec::ToCp932(const std::string& utf8) { return Utf8ToCp932(utf8); }

std::string IconvTextCodec::FromCp932(const std::string& cp932) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return cp932;
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  char* in = const_cast<char*>(cp932.data());
  size_t inLeft = cp932.size();
  char buf[256];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      const size_t skip = std::min(inLeft, Cp932Length(static_cast<unsigned char>(*in)));
      in += skip;
      inLeft -= skip;
      out.push_back('?');
    }
  }
  iconv_close(cd);
  return out;
}
