#pragma once
#include <cstdint>
#include <string>

// Lets the compiler check printf-style arguments where it can; other
// compilers take the declaration as it is.
#if defined(__GNUC__) || defined(__clang__)
#define QUOR_PRINTF_FORMAT(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define QUOR_PRINTF_FORMAT(fmt, first)
#endif

// printf-style formatting into a std::string (the display and log formats).
std::string StrPrintf(const char* format, ...) QUOR_PRINTF_FORMAT(1, 2);

// "%02d:%02d:%02d"
std::string Hms(int hour, int minute, int second);

// A log line: "%02d:%02d:%02d", two blanks, the message.
std::string Stamped(int hour, int minute, int second, const std::string& message);

// A double as an unsigned 32-bit count for display: truncated toward zero,
// 0 for anything not above 0 (or not a number), the largest count above it.
uint32_t TruncateToU32(double x);
