#include "net/position_answer.h"

namespace {

constexpr size_t kMaxText = kPositionAnswerSize - 1;
constexpr size_t kLongitude = 2, kLatitude = 3;

std::string WithoutLeadingBlanks(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : s.substr(first);
}

// A blank would end the second word at the peer and lose the fields after
// it; a full-width space keeps the field's look and the words whole.
std::string BlanksKept(const std::string& s) {
  std::string out;
  for (const char c : s) {
    if (c == ' ' || (c >= '\t' && c <= '\r')) {
      out += "\u3000";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<uint8_t> BuildPositionAnswer(const std::optional<PositionFields>& fields,
                                         TextCodec& codec) {
  std::string text = "Quor =";
  if (!fields) {
    text += "X";
  } else {
    for (size_t i = 0; i < fields->size(); ++i) {
      const std::string& field = (*fields)[i];
      std::string bytes = codec.ToCp932(
          BlanksKept(i == kLongitude || i == kLatitude ? WithoutLeadingBlanks(field) : field));
      if (i > 0) bytes.insert(bytes.begin(), '=');
      if (text.size() + bytes.size() > kMaxText) break;
      text += bytes;
    }
  }
  std::vector<uint8_t> datagram(kPositionAnswerSize, 0);
  std::copy(text.begin(), text.end(), datagram.begin());
  return datagram;
}

// Split on the raw bytes before decoding: '=' is never a CP932 trail byte,
// so a field ends at its '=' even when a broken character comes before it,
// and each field decodes on its own.
std::vector<std::string> ShowPositionAnswer(const std::string& word, TextCodec& codec) {
  std::vector<std::string> fields;
  const std::string bytes = word.empty() ? word : word.substr(1);
  size_t start = 0;
  while (fields.size() < 8) {
    const size_t end = bytes.find('=', start);
    fields.push_back(
        codec.FromCp932(bytes.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

bool NoPositionInAnswer(const std::string& word) {
  return word.size() < 2 || word[1] == 'X' || word[1] == '=';
}
