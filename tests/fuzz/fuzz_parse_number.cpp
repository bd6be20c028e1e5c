// Fuzzes ParseNumber: the input bytes, up to the first zero, are the text.
// Checks the consumed length against the text, that the consumed prefix alone
// parses the same, and short numbers against the C library's strtol.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/text.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsDecDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  std::string text(bytes, strnlen(bytes, size));
  const char* s = text.c_str();

  int consumed = -1;
  int value = ParseNumber(s, &consumed);
  Check(ParseNumber(s, nullptr) == value, "same value without a length pointer");
  Check(consumed >= 0 && static_cast<size_t>(consumed) <= text.size(), "consumed inside the text");
  if (consumed == 0) {
    Check(value == 0, "no digits, no value");
    return 0;
  }

  std::string prefix = text.substr(0, static_cast<size_t>(consumed));
  int again = -1;
  Check(ParseNumber(prefix.c_str(), &again) == value && again == consumed, "the consumed prefix parses alike");

  // Numbers short enough not to wrap must agree with strtol.
  const char* p = s;
  while (*p == ' ' || *p == '\t') ++p;
  bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
  const char* digits = hex ? p + 2 : (*p == '+' || *p == '-') ? p + 1 : p;
  size_t count = 0;
  while (hex ? IsHexDigit(digits[count]) : IsDecDigit(digits[count])) ++count;
  Check(s + consumed == digits + count, "consumed ends after the last digit");
  if (count > 0 && count <= (hex ? 7u : 9u)) {
    Check(value == static_cast<int>(strtol(p, nullptr, hex ? 16 : 10)), "agrees with strtol");
  }
  return 0;
}
