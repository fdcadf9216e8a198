#pragma once
#include <string>

// Conversions between the program's UTF-8 and CP932 (Shift-JIS) with glibc's
// iconv. A character that cannot be converted becomes one '?'.
std::string Utf8ToCp932(const std::string& utf8);
std::string Cp932ToUtf8(const std::string& cp932);
