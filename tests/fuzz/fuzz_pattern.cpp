// Fuzzes the output naming core: ExpandPatternAt with arbitrary patterns and
// time fields (out-of-range ones included) into buffers of several sizes,
// UniqueNameCandidate with arbitrary paths and counters, and the directory
// level rules DirectoryPartLength, FirstCreatableLevel and NextLevelEnd.
//
// Input layout:
//   byte 0      capacity of the small buffers: 1 + value % 64
//   byte 1      weekday names (value % 4): 0, 3 the program's own list,
//               1 none, 2 a list taken from the data (below)
//   bytes 2-29  seven little-endian int32: year, month, day, dayOfWeek, hour,
//               minute, second
//   bytes 30-33 little-endian int32: the counter of the unique name, and the
//               start of an extra NextLevelEnd probe
//   rest        the pattern up to the first zero byte; behind it the weekday
//               list: strings separated by zero bytes, closed by an empty one
//               (closed here when the data ends first)
// The pattern serves as a path as well, and so does its expansion.
// Output buffers are heap blocks of exactly their capacity, so any write past
// a capacity is caught by the address sanitizer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/cp949.h"
#include "schedule/schedule.h"
#include "scheduler/naming.h"

namespace {

const size_t kHeader = 34;
const size_t kMaxPattern = 2048;
const size_t kMaxNames = 512;

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

using cp949::IsLead;
using cp949::WholePrefix;

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The pattern without the blanks and tabs around it.
std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrTab(text[begin])) ++begin;
  while (end > begin && IsBlankOrTab(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int32_t Int32At(const uint8_t* data) {
  int32_t value;
  memcpy(&value, data, sizeof value);
  return value;
}

struct Expansion {
  int result;
  std::string text;
};

// Expands into a block of exactly capacity bytes and checks its bounds.
Expansion ExpandInto(size_t capacity, const std::string& pattern, const char* names, const LocalTimeFields& time) {
  std::vector<char> out(capacity, 'Q');
  int result = ExpandPatternAt(out.data(), out.size(), pattern.c_str(), names, &time);
  Check(result == 0 || result == 1, "result is 0 or 1");
  Check(memchr(out.data(), '\0', out.size()) != nullptr, "expansion terminated within its capacity");
  Expansion e{result, out.data()};
  Check(e.text.size() <= capacity - 1, "expansion never longer than capacity - 1");
  return e;
}

// A cut expansion is the longest prefix of the whole one that fits without
// splitting a double-byte character: it falls one byte short of the buffer
// only in front of such a character. With weekday names of plain ASCII every
// double-byte character of the expansion comes from the pattern's text, so
// the characters of the whole expansion can be read off from its start.
void CheckCut(const Expansion& cut, const Expansion& whole, size_t capacity, bool asciiNames) {
  Check(cut.result == whole.result, "the result does not depend on the capacity");
  Check(whole.text.compare(0, cut.text.size(), cut.text) == 0, "cut expansion is a prefix of the whole");
  if (cut.text.size() == whole.text.size()) return;
  size_t length = cut.text.size();
  Check(length + 2 >= capacity, "a cut fills the buffer up to a character");
  if (length + 2 == capacity) {
    Check(IsLead(whole.text[length]) && length + 1 < whole.text.size(),
          "one byte short only in front of a double-byte character");
  }
  if (asciiNames) Check(length == WholePrefix(whole.text, capacity - 1), "the cut never splits a character");
}

void FuzzExpansion(const std::string& pattern, const char* names, size_t longestName, bool asciiNames,
                   const LocalTimeFields& time, size_t smallCapacity, std::string* expanded) {
  // Each code is at least two pattern bytes ("%" and its letter) and writes
  // at most a number of eleven characters, "-Err-" or a weekday name.
  size_t percents = 0;
  for (char c : pattern) percents += c == '%';
  size_t bound = pattern.size() + percents * (longestName > 11 ? longestName : 11);
  Expansion whole = ExpandInto(bound + 2, pattern, names, time);
  Check(whole.text.size() <= bound, "the whole expansion is within its bound");
  if (whole.result == 0) Check(whole.text.find("-Err-") != std::string::npos, "a failed expansion shows -Err-");
  std::string trimmed = Trimmed(pattern);
  if (percents == 0) {
    Check(whole.text == trimmed, "a pattern without codes expands to itself without the blanks around it");
    Check(whole.result == 1, "a pattern without codes never fails");
  }

  Expansion full = ExpandInto(PATH_CAPACITY, pattern, names, time);
  CheckCut(full, whole, PATH_CAPACITY, asciiNames);
  if (percents == 0 && trimmed.size() < PATH_CAPACITY) Check(full.text == trimmed, "a plain path copies whole");
  CheckCut(ExpandInto(smallCapacity, pattern, names, time), whole, smallCapacity, asciiNames);
  *expanded = full.text;
}

// The file-name part begins behind the last backslash, or behind the last
// colon when there is none.
size_t NameStart(const std::string& path) {
  size_t cut = path.rfind('\\');
  if (cut == std::string::npos) cut = path.rfind(':');
  return cut == std::string::npos ? 0 : cut + 1;
}

void FuzzUniqueName(const std::string& path, int counter, size_t capacity) {
  size_t nameStart = NameStart(path);
  size_t dot = path.find_last_of('.');
  size_t split = dot != std::string::npos && dot >= nameStart ? dot : path.size();
  std::string folder = path.substr(0, nameStart);
  std::string stem = path.substr(nameStart, split - nameStart);
  std::string extension = path.substr(split);
  char tagText[16];
  snprintf(tagText, sizeof tagText, "(%d)", counter);
  std::string tag = tagText;

  std::vector<char> out(capacity, 'Q');
  out[capacity - 1] = '\0';
  const std::vector<char> before = out;
  int result = UniqueNameCandidate(out.data(), out.size(), path.c_str(), counter);
  size_t fixed = folder.size() + tag.size() + extension.size();
  Check(result == (fixed + 1 <= capacity ? 1 : 0), "a candidate comes exactly when an empty stem fits");
  if (result == 0) {
    Check(out == before, "no candidate leaves the buffer unchanged");
    return;
  }
  Check(memchr(out.data(), '\0', out.size()) != nullptr, "candidate terminated within its capacity");
  std::string candidate = out.data();
  Check(candidate.size() <= capacity - 1, "candidate within capacity");
  Check(candidate.size() >= fixed, "candidate holds folder, counter and extension");
  Check(candidate.compare(0, folder.size(), folder) == 0, "the folder part stays unchanged");
  Check(candidate.compare(candidate.size() - tag.size() - extension.size(), std::string::npos, tag + extension) == 0,
        "counter and whole extension at the end");
  std::string keptStem = candidate.substr(folder.size(), candidate.size() - fixed);
  Check(stem.compare(0, keptStem.size(), keptStem) == 0, "only the stem is shortened, from its end");
  if (keptStem.size() < stem.size()) {
    Check(keptStem.size() == WholePrefix(stem, capacity - 1 - fixed),
          "a shortened stem is the longest run of whole characters that fits");
  } else {
    Check(candidate == folder + stem + tag + extension, "a fitting candidate keeps the whole stem");
  }
}

void FuzzLevels(const std::string& path, uint32_t probe) {
  const char* p = path.c_str();
  int length = static_cast<int>(path.size());

  int directory = DirectoryPartLength(p);
  size_t lastBackslash = path.rfind('\\');
  size_t lastColon = path.rfind(':');
  if (lastBackslash != std::string::npos) {
    Check(directory == static_cast<int>(lastBackslash), "directory part ends at the last backslash");
  } else if (lastColon != std::string::npos) {
    Check(directory == static_cast<int>(lastColon), "directory part ends at the last colon");
  } else {
    Check(directory == -1, "no separator, no directory part");
  }

  int level = FirstCreatableLevel(p);
  if (level >= 0) {
    Check(level >= 3 && level <= length, "the root lies inside the path");
    Check(p[level - 1] == '\\', "the root ends with a backslash");
    bool drive = p[1] == ':' && p[2] == '\\' && level == 3;
    bool share = p[0] == '\\' && p[1] == '\\' && level >= 6;
    Check(drive || share, "first level follows a drive or a share root");
    Check(level == length || p[level] != '\\', "no empty name right after the root");

    // Walk the levels the way directory creation does.
    int from = level;
    int levels = 0;
    for (;;) {
      int end = NextLevelEnd(p, from);
      if (end < 0) {
        Check(path.find('\\', static_cast<size_t>(from)) == std::string::npos, "only the file name is left");
        break;
      }
      Check(end >= from && end < length && p[end] == '\\', "a level ends at a backslash inside the path");
      Check(path.find('\\', static_cast<size_t>(from)) == static_cast<size_t>(end), "at the next backslash");
      from = end + 1;
      Check(++levels <= length, "the walk ends");
    }
    Check((levels == 0) == (path.find('\\', static_cast<size_t>(level)) == std::string::npos),
          "no level to create exactly when the file lies right in the root");
  }

  int from = static_cast<int>(probe % static_cast<uint32_t>(length + 1));
  int end = NextLevelEnd(p, from);
  size_t next = path.find('\\', static_cast<size_t>(from));
  Check(end == (next == std::string::npos ? -1 : static_cast<int>(next)), "NextLevelEnd finds the next backslash");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader) return 0;
  size_t smallCapacity = 1 + data[0] % 64;
  unsigned namesKind = data[1] % 4;
  LocalTimeFields time;
  time.year = Int32At(data + 2);
  time.month = Int32At(data + 6);
  time.day = Int32At(data + 10);
  time.dayOfWeek = Int32At(data + 14);
  time.hour = Int32At(data + 18);
  time.minute = Int32At(data + 22);
  time.second = Int32At(data + 26);
  int32_t counter = Int32At(data + 30);

  const char* rest = reinterpret_cast<const char*>(data + kHeader);
  size_t restSize = size - kHeader;
  size_t patternLength = strnlen(rest, restSize);
  std::string pattern(rest, patternLength < kMaxPattern ? patternLength : kMaxPattern);

  // The weekday list: the program's own, none, or the bytes behind the
  // pattern, always closed by an empty string.
  std::string ownList;
  const char* names = WeekdayNames;
  size_t longestName = 3;
  if (namesKind == 1) {
    names = nullptr;
    longestName = 0;
  } else if (namesKind == 2) {
    if (patternLength < restSize) {
      size_t listSize = restSize - patternLength - 1;
      ownList.assign(rest + patternLength + 1, listSize < kMaxNames ? listSize : kMaxNames);
    }
    ownList.append(2, '\0');
    names = ownList.data();
    longestName = 0;
    for (size_t at = 0; at < ownList.size();) {
      size_t n = strlen(ownList.data() + at);
      if (n > longestName) longestName = n;
      at += n + 1;
    }
  }

  bool asciiNames = true;
  for (char c : ownList) asciiNames = asciiNames && !IsLead(c);
  std::string expanded;
  FuzzExpansion(pattern, names, longestName, asciiNames, time, smallCapacity, &expanded);

  for (const std::string* path : {&pattern, &expanded}) {
    FuzzUniqueName(*path, counter, smallCapacity);
    FuzzUniqueName(*path, counter, PATH_CAPACITY);
    FuzzLevels(*path, static_cast<uint32_t>(counter));
  }
  return 0;
}
