#pragma once
// The real receiver captures kept with the tests (QUOR_CAPTURES_DIR).
#include <fstream>
#include <iterator>
#include <string>

// The receiver's bytes of a capture, without its leading '#' comment lines.
inline std::string ReadCapture(const std::string& name) {
  std::ifstream in(std::string(QUOR_CAPTURES_DIR) + "/" + name, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  while (start < all.size() && all[start] == '#') {
    const size_t end = all.find('\n', start);
    start = end == std::string::npos ? all.size() : end + 1;
  }
  return all.substr(start);
}
