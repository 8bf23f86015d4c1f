// Numbers as package-tool writes and reads them.
#include "package_tool/tool_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace {

template <typename Number>
std::string shortestText(Number value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string shortest(float value) { return shortestText(value); }
std::string shortest(double value) { return shortestText(value); }
std::string jsonNumber(float value) { return std::isfinite(value) ? shortest(value) : "null"; }
std::string jsonNumber(double value) { return std::isfinite(value) ? shortest(value) : "null"; }

bool parseFloat(const char *text, float *value) {
  errno = 0;
  char *end = nullptr;
  const double parsed = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  *value = static_cast<float>(parsed);
  return std::isfinite(*value);
}

bool parseFloatPair(const char *text, float *x, float *y) {
  const char *comma = std::strchr(text, ',');
  if (!comma) return false;
  const std::string first(text, comma);
  return parseFloat(first.c_str(), x) && parseFloat(comma + 1, y);
}
