#include "link/sentence_buffer.h"

bool SentenceBuffer::Append(std::string_view record) {
  if (text_.size() + record.size() > kCapacity - 1) return false;
  text_.append(record);
  return true;
}
