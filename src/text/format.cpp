// The bounded formatter: the few printf forms the program's own texts use,
// written into a fixed buffer that is always terminated and never overrun.
#include "text/text.h"

#include <cstdint>
#include <cstring>

namespace {

// Width digits beyond this are still read but no longer grow the field; no
// buffer of ours is anywhere near as long.
const int WIDTH_LIMIT = 65536;

struct Output {
  char* dst;
  size_t cap;  // at least 1: the terminator always has its place
  size_t length;
  bool cut;
};

void Put(Output* out, char c) {
  if (out->length + 1 < out->cap) {
    out->dst[out->length++] = c;
  } else {
    out->cut = true;
  }
}

void PutRepeated(Output* out, char c, int count) {
  for (int i = 0; i < count && !out->cut; ++i) Put(out, c);
}

void PutBytes(Output* out, const char* text, size_t count) {
  for (size_t i = 0; i < count && !out->cut; ++i) Put(out, text[i]);
}

struct Conversion {
  bool leftAlign;
  bool zeroPad;
  int width;
};

// Writes a field of count bytes within the conversion's width. sign goes before
// any zero padding ("-0042"), or is 0 for none.
void PutField(Output* out, const Conversion& conversion, char sign, const char* body, size_t count, bool numeric) {
  size_t used = count + (sign != 0 ? 1 : 0);
  size_t width = static_cast<size_t>(conversion.width);
  int pad = width > used ? static_cast<int>(width - used) : 0;
  bool zeros = numeric && conversion.zeroPad && !conversion.leftAlign;
  if (!conversion.leftAlign && !zeros) PutRepeated(out, ' ', pad);
  if (sign != 0) Put(out, sign);
  if (zeros) PutRepeated(out, '0', pad);
  PutBytes(out, body, count);
  if (conversion.leftAlign) PutRepeated(out, ' ', pad);
}

// Decimal digits of value, written to the end of buffer; returns the first.
char* Digits(uint32_t value, char* end) {
  char* p = end;
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return p;
}

}  // namespace

int FormatTextV(char* dst, size_t cap, const char* format, va_list args) {
  if (dst == nullptr || cap == 0) return 0;
  Output out{dst, cap, 0, false};
  const char* f = format != nullptr ? format : "";
  while (*f != '\0' && !out.cut) {
    if (*f != '%') {
      Put(&out, *f++);
      continue;
    }
    const char* percent = f++;
    if (*f == '%') {
      Put(&out, '%');
      ++f;
      continue;
    }
    Conversion conversion{false, false, 0};
    for (;; ++f) {
      if (*f == '-') {
        conversion.leftAlign = true;
      } else if (*f == '0') {
        conversion.zeroPad = true;
      } else {
        break;
      }
    }
    while (*f >= '0' && *f <= '9') {
      conversion.width = conversion.width * 10 + (*f - '0');
      if (conversion.width > WIDTH_LIMIT) conversion.width = WIDTH_LIMIT;
      ++f;
    }
    char digits[12];
    char* end = digits + sizeof digits;
    switch (*f) {
      case 'd': {
        int value = va_arg(args, int);
        // The magnitude in unsigned arithmetic, so INT_MIN needs no special case.
        uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        char* first = Digits(magnitude, end);
        PutField(&out, conversion, value < 0 ? '-' : 0, first, static_cast<size_t>(end - first), true);
        ++f;
        break;
      }
      case 'u': {
        unsigned value = va_arg(args, unsigned);
        char* first = Digits(value, end);
        PutField(&out, conversion, 0, first, static_cast<size_t>(end - first), true);
        ++f;
        break;
      }
      case 'c': {
        char c = static_cast<char>(va_arg(args, int));
        // A zero byte would end the text early; it stands for no character.
        PutField(&out, conversion, 0, &c, c != '\0' ? 1 : 0, false);
        ++f;
        break;
      }
      case 's': {
        const char* text = va_arg(args, const char*);
        if (text == nullptr) text = "";
        PutField(&out, conversion, 0, text, strlen(text), false);
        ++f;
        break;
      }
      default:
        // Not a form of ours (a trailing % included): the % stands for
        // itself and what followed it is read again as plain text.
        Put(&out, '%');
        f = percent + 1;
        break;
    }
  }
  out.dst[out.length] = '\0';
  return out.cut ? 0 : 1;
}

int FormatText(char* dst, size_t cap, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int whole = FormatTextV(dst, cap, format, args);
  va_end(args);
  return whole;
}

int AppendFormat(char* dst, size_t cap, const char* format, ...) {
  if (dst == nullptr || cap == 0) return 0;
  size_t len = 0;
  while (len < cap && dst[len] != '\0') ++len;
  if (len == cap) {
    dst[cap - 1] = '\0';
    return 0;
  }
  va_list args;
  va_start(args, format);
  int whole = FormatTextV(dst + len, cap - len, format, args);
  va_end(args);
  return whole;
}
