#include "timekeeping/sentence_fields.h"

#include <climits>

SentenceFields::SentenceFields(std::string_view body) {
  size_t start = 0;
  for (size_t comma = body.find(','); comma != std::string_view::npos;
       comma = body.find(',', start)) {
    fields_.push_back(body.substr(start, comma - start));
    start = comma + 1;
  }
}

std::optional<std::string_view> SentenceFields::Field(size_t n) const {
  if (n == 0 || n > fields_.size()) return std::nullopt;
  return fields_[n - 1];
}

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int ScanInts(std::string_view text, const char* format, std::initializer_list<int*> targets) {
  const size_t n = text.size();
  size_t i = 0;
  int assigned = 0;
  auto target = targets.begin();
  for (const char* f = format; *f != '\0';) {
    if (IsSpace(*f)) {
      while (IsSpace(*f)) ++f;
      while (i < n && IsSpace(text[i])) ++i;
      continue;
    }
    if (*f != '%') {
      if (i >= n || text[i] != *f) return assigned;
      ++i;
      ++f;
      continue;
    }
    ++f;
    size_t width = 0;
    while (IsDigit(*f)) width = width * 10 + static_cast<size_t>(*f++ - '0');
    if (*f != 'd' || target == targets.end()) return assigned;
    ++f;
    while (i < n && IsSpace(text[i])) ++i;
    const size_t limit = width != 0 && width < n - i ? i + width : n;
    size_t j = i;
    bool negative = false;
    if (j < limit && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
    const size_t digitsStart = j;
    long long value = 0;
    while (j < limit && IsDigit(text[j])) {
      if (value <= static_cast<long long>(INT_MAX)) value = value * 10 + (text[j] - '0');
      ++j;
    }
    if (j == digitsStart) return assigned;
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    **target++ = static_cast<int>(value);
    ++assigned;
    i = j;
  }
  return assigned;
}

void CopyText(std::string& target, std::string_view source, size_t room) {
  target.clear();
  AppendText(target, source, room);
}

void AppendText(std::string& target, std::string_view source, size_t room) {
  if (target.size() >= room) return;
  size_t take = source.size();
  if (take > room - target.size()) {
    take = room - target.size();
    // Do not end inside a UTF-8 sequence: back off over its continuation bytes
    // and its lead byte.
    if ((static_cast<unsigned char>(source[take]) & 0xC0) == 0x80) {
      while (take > 0 && (static_cast<unsigned char>(source[take]) & 0xC0) == 0x80) --take;
    }
  }
  target.append(source.substr(0, take));
}
