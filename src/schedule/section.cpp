#include "schedule/section.h"

namespace {

int UnitLength(const char16_t* text) {
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

bool SameUnits(const char16_t* a, int aLength, const char16_t* b, int bLength) {
  if (aLength != bLength) return false;
  for (int i = 0; i < aLength; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// Blanks as the platform trims them around lines, names and values: tab to
// carriage return, the DOS end-of-file mark and the space.
bool IsProfileSpace(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

void Trim(const char16_t** start, const char16_t** end) {
  while (*start < *end && IsProfileSpace(**start)) ++*start;
  while (*end > *start && IsProfileSpace((*end)[-1])) --*end;
}

// The number a key name stands for when it is written exactly as the
// schedule writes key numbers, below limit; else -1.
int NumberOfKeyName(const char16_t* name, int length, int limit) {
  if (length == 0 || (length > 1 && name[0] == u'0')) return -1;
  int value = 0;
  for (int i = 0; i < length; ++i) {
    if (name[i] < u'0' || name[i] > u'9') return -1;
    value = value * 10 + (name[i] - u'0');
    if (value >= limit) return -1;
  }
  return value;
}

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

enum NameMatch { NAME_OTHER, NAME_SAME, NAME_UNSURE };

// Section names compare without case. An ASCII name of the same length
// decides by itself; a name of that length with other characters is left
// undecided rather than trusting a case table.
NameMatch CompareSectionName(const char16_t* name, int length, const char* wanted) {
  int wantedLength = 0;
  while (wanted[wantedLength] != '\0') ++wantedLength;
  if (length != wantedLength) return NAME_OTHER;
  for (int i = 0; i < length; ++i) {
    if (name[i] >= 0x80) return NAME_UNSURE;
    if (LowerAscii(name[i]) != LowerAscii(static_cast<char16_t>(wanted[i]))) return NAME_OTHER;
  }
  return NAME_SAME;
}

}  // namespace

int CountSectionEntries(const char16_t* block) {
  int count = 0;
  for (const char16_t* p = block; *p != 0; p += UnitLength(p) + 1) ++count;
  return count;
}

int SplitSectionEntries(const char16_t* block, SectionEntry* entries, int capacity) {
  int count = 0;
  for (const char16_t* p = block; *p != 0 && count < capacity; ++count) {
    int length = UnitLength(p);
    // The name ends at the first "=": the platform splits a line there, so
    // a name never holds one.
    int equals = 0;
    while (equals < length && p[equals] != u'=') ++equals;
    SectionEntry& e = entries[count];
    e.name = p;
    e.nameLength = equals;
    if (equals < length) {
      e.value = p + equals + 1;
      e.valueLength = length - equals - 1;
    } else {
      e.value = nullptr;
      e.valueLength = 0;
    }
    p += length + 1;
  }
  return count;
}

int NumberKeyName(int number, char16_t* name) {
  char16_t reversed[12];
  int n = 0;
  unsigned value = number < 0 ? 0u : static_cast<unsigned>(number);
  do {
    reversed[n++] = static_cast<char16_t>(u'0' + value % 10u);
    value /= 10u;
  } while (value != 0u);
  for (int i = 0; i < n; ++i) name[i] = reversed[n - 1 - i];
  name[n] = 0;
  return n;
}

void IndexNumberedEntries(const SectionEntry* entries, int count, int* firstOf, int keyCount) {
  for (int k = 0; k < keyCount; ++k) firstOf[k] = -1;
  for (int i = 0; i < count; ++i) {
    int k = NumberOfKeyName(entries[i].name, entries[i].nameLength, keyCount);
    if (k >= 0 && firstOf[k] < 0) firstOf[k] = i;
  }
}

int ValueAsRead(const char16_t* value, int valueLength, char16_t* out, int capacity) {
  if (capacity <= 0) return 0;
  bool quoted = false;
  if ((value[0] == u'\'' || value[0] == u'"') && valueLength >= 2 && value[valueLength - 1] == value[0]) {
    quoted = true;
    ++value;
    --valueLength;
  }
  int n = valueLength < capacity - 1 ? valueLength : capacity - 1;
  for (int i = 0; i < n; ++i) out[i] = value[i];
  out[n] = 0;
  if (quoted && capacity >= valueLength && n > 0) out[--n] = 0;
  return n;
}

int ReplayKeyWrites(const SectionEntry* entries, int count, const int* firstOf, const SectionEntry* writes,
                    int writeCount, SectionEntry* merged, unsigned char* changed) {
  for (int i = 0; i < count; ++i) merged[i] = entries[i];
  int mergedCount = count;
  for (int k = 0; k < writeCount; ++k) {
    const SectionEntry& w = writes[k];
    int at = firstOf[k];
    if (at < 0) {
      merged[mergedCount++] = w;
      changed[k] = 1;
      continue;
    }
    SectionEntry& e = merged[at];
    changed[k] = e.value == nullptr || !SameUnits(e.value, e.valueLength, w.value, w.valueLength) ? 1 : 0;
    e.value = w.value;
    e.valueLength = w.valueLength;
  }
  return mergedCount;
}

size_t SectionBlockLength(const SectionEntry* entries, int count) {
  size_t units = 1;
  for (int i = 0; i < count; ++i)
    units += static_cast<size_t>(entries[i].nameLength) + 1u + static_cast<size_t>(entries[i].valueLength) + 1u;
  return units;
}

void WriteSectionBlock(const SectionEntry* entries, int count, char16_t* block) {
  char16_t* p = block;
  for (int i = 0; i < count; ++i) {
    const SectionEntry& e = entries[i];
    for (int j = 0; j < e.nameLength; ++j) *p++ = e.name[j];
    *p++ = u'=';
    for (int j = 0; j < e.valueLength; ++j) *p++ = e.value[j];
    *p++ = 0;
  }
  *p = 0;
}

int SameSectionEntries(const SectionEntry* a, int aCount, const SectionEntry* b, int bCount) {
  if (aCount != bCount) return 0;
  for (int i = 0; i < aCount; ++i) {
    if (!SameUnits(a[i].name, a[i].nameLength, b[i].name, b[i].nameLength)) return 0;
    if ((a[i].value == nullptr) != (b[i].value == nullptr)) return 0;
    if (a[i].value && !SameUnits(a[i].value, a[i].valueLength, b[i].value, b[i].valueLength)) return 0;
  }
  return 1;
}

int SectionWriteKeepsFile(const char16_t* text, size_t length, const char* sectionName) {
  enum { OUTSIDE, FIRST, LATER } where = OUTSIDE;
  bool seen = false;
  const char16_t* end = text + length;
  const char16_t* next = text;
  while (next < end) {
    // Lines end at any run of carriage returns and line feeds, as the
    // platform reads them: a lone carriage return ends a line too.
    const char16_t* start = next;
    while (next < end && *next != u'\n' && *next != u'\r') ++next;
    const char16_t* stop = next;
    while (next < end && (*next == u'\n' || *next == u'\r')) ++next;
    Trim(&start, &stop);
    if (start == stop) continue;

    if (*start == u'[') {
      const char16_t* close = stop;
      while (close > start && close[-1] != u']') --close;
      if (close > start) {
        // The name lies between "[" and the last "]".
        const char16_t* nameStart = start + 1;
        const char16_t* nameEnd = close - 1;
        Trim(&nameStart, &nameEnd);
        NameMatch match = CompareSectionName(nameStart, static_cast<int>(nameEnd - nameStart), sectionName);
        if (match == NAME_UNSURE) return 0;
        if (match == NAME_SAME) {
          where = seen ? LATER : FIRST;
          seen = true;
        } else {
          where = OUTSIDE;
        }
        continue;
      }
      // "[" without "]" is an ordinary line.
    }
    if (where == OUTSIDE) continue;
    // Keys of a second section of this name are kept by key-by-key writes
    // (they only look at the first) but dropped by a section write.
    if (where == LATER) return 0;
    const char16_t* equals = start;
    while (equals < stop && *equals != u'=') ++equals;
    if (equals == stop) return 0;     // a line without "="
    if (*start == u';') return 0;     // a comment line
  }
  return 1;
}
