#pragma once
#include <string>
#include <string_view>

// The complete lines waiting for the dispatcher: a 1024-byte text (1023
// characters and the terminator). A record that does not fit is dropped whole,
// so the text always ends on a record boundary.
class SentenceBuffer {
 public:
  static constexpr size_t kCapacity = 1024;
  // Appends the record when it fits; returns false (and keeps the text as it
  // was) when it does not.
  bool Append(std::string_view record);
  const std::string& Text() const { return text_; }
  bool Empty() const { return text_.empty(); }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};
