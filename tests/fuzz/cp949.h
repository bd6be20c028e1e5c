// The fuzzers' own knowledge of code page 949, written from the code page's
// layout rather than taken from the program: which first bytes open a
// two-byte character, and where a text may be cut.
#pragma once
#include <cstddef>
#include <string>

namespace cp949 {

struct ByteRange {
  unsigned char first, last;
};

// First bytes of two-byte characters, area by area: the extended Hangul
// block alone, then rows that hold extended Hangul in their low trail bytes
// and the standard's characters in their high ones, then the standard's rows
// of Hangul, Hanja and user-defined characters. 0x80 and 0xFF open nothing.
const ByteRange kLeadRanges[] = {{0x81, 0xA0}, {0xA1, 0xC6}, {0xC7, 0xFE}};

inline bool IsLead(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  for (const ByteRange& range : kLeadRanges)
    if (byte >= range.first && byte <= range.last) return true;
  return false;
}

// Length of the longest run of whole characters at the start of text that is
// no longer than limit; a first byte with a byte behind it opens a pair.
inline size_t WholePrefix(const std::string& text, size_t limit) {
  size_t taken = 0;
  while (taken < text.size()) {
    size_t step = IsLead(text[taken]) && taken + 1 < text.size() ? 2 : 1;
    if (taken + step > limit) break;
    taken += step;
  }
  return taken;
}

}  // namespace cp949
