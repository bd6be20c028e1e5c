// The record scanner that takes settings values apart, and the number parser.
//
// ScanRecord format language, read left to right against the input:
//   %d      optional sign, digits, at most one point with fraction digits;
//           rounded on the first dropped fraction digit (2.5 -> 3, 2.49 -> 2)
//   %.Nd    the same number times 10^N, rounded the same way (1.235 -> 124
//           with N = 2); N is kept modulo 256
//   %c      exactly one input character, a blank too
//   %s      a word up to the next blank, or a text in single or double quotes
//           (quotes not stored); cut to the destination's capacity - 1 bytes,
//           but the whole word is still taken from the input
//   %%      one % in the input
//   %x      (any other letter, or % at the end) matches "%x" as plain text
//   blanks  a run of spaces and tabs matches a run of one or more blanks
//   other   the same byte
// A precision before s or c is read and ignored. No conversion skips blanks.
// Numbers wrap around modulo 2^32; the arithmetic runs in uint32_t so the wrap
// is defined behaviour.
#include "text/text.h"

#include <cstdint>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int32_t ToInt32(uint32_t value) {
  // Two's complement reinterpretation without implementation-defined casts.
  if (value <= 0x7FFFFFFFu) return static_cast<int32_t>(value);
  return -static_cast<int32_t>(~value) - 1;
}

// "%d" and "%.Nd" from text; returns where the number ended.
const char* ScanNumber(const char* p, unsigned precision, int* result) {
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  } else if (*p == '+') {
    ++p;
  }
  uint32_t value = 0;
  unsigned remaining = precision;
  bool inFraction = false;
  bool rounded = false;
  for (;; ++p) {
    char c = *p;
    if (c == '.') {
      if (inFraction) break;  // a second point is no part of the number
      inFraction = true;
    } else if (IsDigit(c)) {
      uint32_t digit = static_cast<uint32_t>(c - '0');
      if (!inFraction) {
        value = value * 10u + digit;
      } else if (remaining > 0) {
        --remaining;
        value = value * 10u + digit;
      } else if (!rounded) {
        // Only the first dropped digit decides; the rest are taken unused.
        rounded = true;
        if (digit >= 5) value += 1u;
      }
    } else {
      break;
    }
  }
  for (; remaining > 0; --remaining) value *= 10u;
  if (negative) value = 0u - value;
  *result = ToInt32(value);
  return p;
}

// "%s": a quoted text or a word. The whole field is taken from the input; at
// most capacity - 1 bytes of it are stored.
const char* ScanWord(const char* p, char* destination, size_t capacity) {
  const char* start;
  const char* end;
  if (*p == '\'' || *p == '"') {
    char quote = *p++;
    start = p;
    while (*p != '\0' && *p != quote) ++p;
    end = p;
    if (*p == quote) ++p;
  } else {
    start = p;
    while (*p != '\0' && !IsBlank(*p)) ++p;
    end = p;
  }
  CopyTextN(destination, capacity, start, static_cast<size_t>(end - start));
  return p;
}

bool Fits(const ScanTarget* target, int kind) {
  if (target->kind != kind || target->destination == nullptr) return false;
  return kind != SCAN_TEXT || target->capacity > 0;
}

}  // namespace

int ScanRecord(const char* input, const char* format, const ScanTarget* targets, int targetCount) {
  if (input == nullptr || format == nullptr) return 0;
  const char* in = input;
  const char* f = format;
  int nextTarget = 0;
  for (;;) {
    char ic = *in++;
    char fc = *f++;
    if (ic == '\0' || fc == '\0') return ic == '\0' && fc == '\0' ? 1 : 0;

    if (fc == '%') {
      const char* afterPercent = f;
      char letter = *f++;
      if (letter != '%') {
        unsigned precision = 0;
        if (letter == '.') {
          while (IsDigit(*f)) precision = (precision * 10u + static_cast<unsigned>(*f++ - '0')) & 0xFFu;
          letter = *f++;
        }
        if (letter == 'd' || letter == 's' || letter == 'c') {
          int kind = letter == 'd' ? SCAN_INT : letter == 's' ? SCAN_TEXT : SCAN_CHAR;
          if (targets == nullptr || nextTarget >= targetCount || !Fits(&targets[nextTarget], kind)) return 0;
          const ScanTarget& target = targets[nextTarget++];
          const char* field = in - 1;  // the conversion starts at ic
          if (kind == SCAN_INT) {
            in = ScanNumber(field, precision, static_cast<int*>(target.destination));
          } else if (kind == SCAN_TEXT) {
            in = ScanWord(field, static_cast<char*>(target.destination), target.capacity);
          } else {
            *static_cast<char*>(target.destination) = ic;
          }
          continue;
        }
        // Not a conversion: the % is plain text and so is all that follows it
        // (this also keeps the cursor off a terminating zero it may have passed).
        f = afterPercent;
      }
    }

    // Plain text: a blank run on either side counts as one space.
    if (IsBlank(ic)) {
      while (IsBlank(*in)) ++in;
      if (*in == '\0') return 0;
      ic = ' ';
    }
    if (IsBlank(fc)) {
      while (IsBlank(*f)) ++f;
      if (*f == '\0') return 0;
      fc = ' ';
    }
    if (ic != fc) return 0;
  }
}

int ParseNumber(const char* text, int* consumed) {
  if (consumed != nullptr) *consumed = 0;
  if (text == nullptr) return 0;
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  bool hex = false;
  if (*p == '+') {
    ++p;
  } else if (*p == '-') {
    negative = true;
    ++p;
  } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    hex = true;
    p += 2;
  }
  uint32_t value = 0;
  bool anyDigit = false;
  for (;; ++p) {
    char c = *p;
    uint32_t digit;
    if (IsDigit(c)) {
      digit = static_cast<uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      break;
    }
    value = value * (hex ? 16u : 10u) + digit;
    anyDigit = true;
  }
  if (consumed != nullptr && anyDigit) *consumed = static_cast<int>(p - text);
  return ToInt32(negative ? 0u - value : value);
}
