#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The comma-terminated fields of one sentence, numbered from 1 (the first
// field after the name). The last stretch of a sentence (the one ended by the
// checksum's asterisk, CR/LF or the end of the text) is not a field.
class SentenceFields {
 public:
  explicit SentenceFields(std::string_view body);

  size_t Count() const { return fields_.size(); }
  // Field n (1-based), or nothing when the sentence has fewer fields.
  std::optional<std::string_view> Field(size_t n) const;

 private:
  std::vector<std::string_view> fields_;
};

// Reads integers from text like sscanf with a format made of "%d", "%<width>d",
// white space and literal characters: each target is assigned as it is
// converted, and reading stops at the first mismatch. Returns the number of
// targets assigned. Values too large for an int are clamped.
int ScanInts(std::string_view text, const char* format, std::initializer_list<int*> targets);

// Texts that hold at most `room` bytes: a longer text is cut (never inside a
// multi-byte character).
void CopyText(std::string& target, std::string_view source, size_t room);
void AppendText(std::string& target, std::string_view source, size_t room);
