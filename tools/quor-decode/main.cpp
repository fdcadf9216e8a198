// quor-decode: runs recorded receiver bytes through the program's line
// assembly and prints every record it makes, one per line.
//
//   quor-decode [--receiver N|jupiter|gt77|cca370h|garmin|other] [--chunk BYTES] [FILE]
//
// Reads FILE or standard input; leading lines that begin with '#' (capture
// comments) are skipped. The bytes are fed in pieces of --chunk bytes
// (default 64, at most 1024), as receive passes would deliver them.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "link/line_assembly.h"

namespace {

constexpr size_t kDefaultChunk = 64;

void Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: quor-decode [--receiver N|jupiter|gt77|cca370h|garmin|other]"
               " [--chunk BYTES] [FILE]\n"
               "       quor-decode --help | --version\n");
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "quor-decode: %s\n", message.c_str());
  Usage(stderr);
  return 2;
}

bool ParseReceiver(const char* text, int& kind) {
  static const char* const kNames[] = {"jupiter", "gt77", "cca370h", "garmin", "other"};
  for (int i = 0; i < 5; ++i) {
    if (std::strcmp(text, kNames[i]) == 0 || (text[0] == '0' + i && text[1] == '\0')) {
      kind = i;
      return true;
    }
  }
  return false;
}

bool ParseChunk(const char* text, size_t& chunk) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 1024) return false;
  chunk = static_cast<size_t>(value);
  return true;
}

bool ReadAll(std::FILE* in, std::vector<uint8_t>& bytes) {
  uint8_t block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, in)) > 0) bytes.insert(bytes.end(), block, block + n);
  return !std::ferror(in);
}

// Offset of the first byte after the leading '#' comment lines.
size_t SkipComments(const std::vector<uint8_t>& bytes) {
  size_t pos = 0;
  while (pos < bytes.size() && bytes[pos] == '#') {
    while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
    if (pos < bytes.size()) ++pos;
  }
  return pos;
}

void PrintRecord(std::string_view record) {
  while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
    record.remove_suffix(1);
  std::fwrite(record.data(), 1, record.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int kind = 0;
  size_t chunk = kDefaultChunk;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--receiver" && i + 1 < argc) {
      if (!ParseReceiver(argv[++i], kind)) return UsageError("bad receiver: " + std::string(argv[i]));
    } else if (arg == "--chunk" && i + 1 < argc) {
      if (!ParseChunk(argv[++i], chunk)) return UsageError("bad chunk size: " + std::string(argv[i]));
    } else if (arg == "-h" || arg == "--help") {
      Usage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("quor-decode %s\n", QUOR_VERSION);
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return UsageError("unknown option or missing value: " + std::string(arg));
    } else if (path == nullptr) {
      path = argv[i];
    } else {
      return UsageError("more than one file: " + std::string(arg));
    }
  }

  std::FILE* in = stdin;
  if (path != nullptr && std::strcmp(path, "-") != 0) {
    in = std::fopen(path, "rb");
    if (in == nullptr) {
      std::fprintf(stderr, "quor-decode: cannot open %s\n", path);
      return 1;
    }
  } else {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
  }
  std::vector<uint8_t> bytes;
  const bool readOk = ReadAll(in, bytes);
  if (in != stdin) std::fclose(in);
  if (!readOk) {
    std::fprintf(stderr, "quor-decode: read error\n");
    return 1;
  }

  LineAssembler assembler(static_cast<ReceiverKind>(kind));
  for (size_t pos = SkipComments(bytes); pos < bytes.size(); pos += chunk) {
    const size_t size = bytes.size() - pos < chunk ? bytes.size() - pos : chunk;
    assembler.ChunkReady(bytes.data() + pos, size, PrintRecord);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
