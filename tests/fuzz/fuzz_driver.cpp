// Runs a fuzz harness (LLVMFuzzerTestOneInput) without libFuzzer: first each
// seed as it is, then `--runs` inputs made from the seeds by simple mutations,
// all from a fixed random seed so that a run can be repeated exactly.
//
//   <target> --runs N [--seed S] [--max-len L] corpus_dir_or_file...
//
// Seed files may start with '#' comment lines, which are not part of the
// input. When the harness or a sanitizer stops the program, the input of the
// moment is written to crash-<target>.bin in the current folder; run the
// target with that file and `--runs 0` to repeat it.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Present when built with a sanitizer: called before it ends the program.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

using Input = std::vector<uint8_t>;

const Input* current = nullptr;
char crashFile[256] = "crash.bin";

// Async-signal-safe: open, write and close only.
void Write(int fd, const void* bytes, size_t size) {
  const ssize_t written = write(fd, bytes, size);
  (void)written;
}

void WriteCurrentInput() {
  if (!current) return;
  const int fd = open(crashFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  Write(fd, current->data(), current->size());
  close(fd);
  static const char note[] = "fuzz driver: input written to ";
  Write(STDERR_FILENO, note, sizeof note - 1);
  Write(STDERR_FILENO, crashFile, strnlen(crashFile, sizeof crashFile));
  Write(STDERR_FILENO, "\n", 1);
}

void OnFatalSignal(int signal) {
  WriteCurrentInput();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

Input ReadSeed(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const Input all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  while (start < all.size() && all[start] == '#') {
    const auto end = std::find(all.begin() + static_cast<std::ptrdiff_t>(start), all.end(), '\n');
    start = end == all.end() ? all.size() : static_cast<size_t>(end - all.begin()) + 1;
  }
  return Input(all.begin() + static_cast<std::ptrdiff_t>(start), all.end());
}

std::vector<Input> ReadSeeds(const std::vector<std::string>& places) {
  std::vector<std::filesystem::path> files;
  for (const std::string& place : places) {
    if (std::filesystem::is_directory(place)) {
      std::vector<std::filesystem::path> inFolder;
      for (const auto& entry : std::filesystem::directory_iterator(place))
        if (entry.is_regular_file()) inFolder.push_back(entry.path());
      std::sort(inFolder.begin(), inFolder.end());  // the same order on every run
      files.insert(files.end(), inFolder.begin(), inFolder.end());
    } else {
      files.emplace_back(place);
    }
  }
  std::vector<Input> seeds;
  for (const auto& file : files) seeds.push_back(ReadSeed(file));
  return seeds;
}

class Mutator {
 public:
  Mutator(const std::vector<Input>& seeds, uint64_t seed, size_t maxLength)
      : seeds_(seeds), random_(seed), maxLength_(maxLength) {}

  // A new input: a seed or a piece of one, changed one to four times.
  Input Next() {
    Input input = seeds_.empty() ? Input{} : Piece(Pick(seeds_));
    const size_t changes = 1 + Below(4);
    for (size_t i = 0; i < changes; ++i) Change(input);
    if (input.size() > maxLength_) input.resize(maxLength_);
    return input;
  }

 private:
  size_t Below(size_t bound) { return bound == 0 ? 0 : random_() % bound; }
  uint8_t Byte() { return static_cast<uint8_t>(random_()); }
  const Input& Pick(const std::vector<Input>& from) { return from[Below(from.size())]; }

  // A seed up to the length limit is taken whole, a longer one as a piece.
  Input Piece(const Input& seed) {
    if (seed.size() <= maxLength_ && Below(2) == 0) return seed;
    const size_t length = 1 + Below(std::min(seed.size(), maxLength_));
    const size_t start = Below(seed.size() - length + 1);
    return Input(seed.begin() + static_cast<std::ptrdiff_t>(start),
                 seed.begin() + static_cast<std::ptrdiff_t>(start + length));
  }

  void Change(Input& input) {
    switch (Below(8)) {
      case 0:  // flip a bit
        if (!input.empty()) input[Below(input.size())] ^= static_cast<uint8_t>(1u << Below(8));
        break;
      case 1:  // set a byte
        if (!input.empty()) input[Below(input.size())] = Byte();
        break;
      case 2:  // set one of the first bytes, which harnesses often read as options
        if (!input.empty()) input[Below(std::min<size_t>(input.size(), 4))] = Byte();
        break;
      case 3: {  // insert random bytes
        const size_t count = 1 + Below(8);
        const size_t at = Below(input.size() + 1);
        for (size_t i = 0; i < count; ++i)
          input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), Byte());
        break;
      }
      case 4: {  // delete a range
        if (input.empty()) break;
        const size_t at = Below(input.size());
        const size_t count = 1 + Below(std::min<size_t>(input.size() - at, 64));
        input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                    input.begin() + static_cast<std::ptrdiff_t>(at + count));
        break;
      }
      case 5: {  // repeat a range in place
        if (input.empty()) break;
        const size_t at = Below(input.size());
        const size_t count = 1 + Below(std::min<size_t>(input.size() - at, 64));
        const Input range(input.begin() + static_cast<std::ptrdiff_t>(at),
                          input.begin() + static_cast<std::ptrdiff_t>(at + count));
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), range.begin(), range.end());
        break;
      }
      case 6: {  // splice: this input's head, another seed's tail
        if (seeds_.empty()) break;
        const Input& other = Pick(seeds_);
        input.resize(Below(input.size() + 1));
        const size_t from = Below(other.size() + 1);
        input.insert(input.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
        break;
      }
      default: {  // insert a piece of another seed
        if (seeds_.empty()) break;
        const Input other = Piece(Pick(seeds_));
        const size_t length = std::min<size_t>(other.size(), 1 + Below(256));
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(Below(input.size() + 1)),
                     other.begin(), other.begin() + static_cast<std::ptrdiff_t>(length));
        break;
      }
    }
  }

  const std::vector<Input>& seeds_;
  std::mt19937_64 random_;
  size_t maxLength_;
};

int Usage(const char* program) {
  std::fprintf(stderr, "usage: %s --runs N [--seed S] [--max-len L] corpus_dir_or_file...\n",
               program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long runs = 0, seed = 1, maxLength = 4096;
  bool runsGiven = false;
  std::vector<std::string> places;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--runs" || arg == "--seed" || arg == "--max-len") && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long long value = std::strtoull(argv[++i], &end, 10);
      if (*end != '\0') return Usage(argv[0]);
      if (arg == "--runs") {
        runs = value;
        runsGiven = true;
      } else if (arg == "--seed") {
        seed = value;
      } else {
        maxLength = std::max(1ull, value);
      }
    } else if (arg.rfind("--", 0) == 0) {
      return Usage(argv[0]);
    } else {
      places.push_back(arg);
    }
  }
  if (!runsGiven) return Usage(argv[0]);

  const std::string name = std::filesystem::path(argv[0]).filename().string();
  std::snprintf(crashFile, sizeof crashFile, "crash-%s.bin", name.c_str());
  for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(signal, OnFatalSignal);
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(WriteCurrentInput);

  const std::vector<Input> seeds = ReadSeeds(places);
  const auto start = std::chrono::steady_clock::now();
  size_t longest = 0;
  for (const Input& input : seeds) {
    current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    longest = std::max(longest, input.size());
  }
  Mutator mutator(seeds, seed, maxLength);
  for (unsigned long long run = 0; run < runs; ++run) {
    const Input input = mutator.Next();
    current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    longest = std::max(longest, input.size());
  }
  current = nullptr;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %zu seeds and %llu mutated inputs (seed %llu, up to %llu bytes), "
              "longest %zu bytes, %.1f s, no finding\n",
              name.c_str(), seeds.size(), runs, seed, maxLength, longest, seconds);
  return 0;
}
