#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_codec.h"

// The eight texts a position answer carries, in their order on the wire:
// fix status, map datum, longitude, latitude, antenna height, geoid height,
// satellites, sentences per second (UTF-8).
using PositionFields = std::array<std::string, 8>;

// The answer's datagram: 128 bytes, the text, a zero byte and zero filler.
constexpr size_t kPositionAnswerSize = 128;

// The answer to "Quor Pos": "Quor =X" without receiver data, else
// "Quor =f1=f2=...=f8" in CP932, longitude and latitude without their
// leading blanks, and a blank inside a field sent as a full-width space (a
// blank would end the word at the peer). A text that would pass 127 bytes ends before the first
// field that does not fit whole, so no field and no character is cut.
std::vector<uint8_t> BuildPositionAnswer(const std::optional<PositionFields>& fields,
                                         TextCodec& codec);

// The fields of an answer's second word ("=f1=f2..."), as UTF-8: at most
// eight, the rest ignored. Split on '=' before decoding, so a broken
// character shows as '?' in its own field and never moves the others.
std::vector<std::string> ShowPositionAnswer(const std::string& word, TextCodec& codec);

// Whether the second word says the server has no position to give ("=X", or
// an empty first field).
bool NoPositionInAnswer(const std::string& word);
