#include "scheduler/naming.h"

#include <cstring>

#include "text/text.h"

// The literal's own terminator closes the list with the empty string.
extern const char WeekdayNames[] = "SUN\0MON\0TUE\0WED\0THU\0FRI\0SAT\0";

namespace {

// The expansion's output. Once a piece has not fitted whole, nothing more is
// written, so the output stays a prefix of the whole expansion.
struct Output {
  char* text;
  size_t capacity;
  size_t length;
  bool full;
};

void Put(Output* out, const char* piece, size_t count) {
  if (out->full) return;
  size_t fits = WholeCharPrefix(piece, count, out->capacity - 1 - out->length);
  CopyTextN(out->text + out->length, out->capacity - out->length, piece, fits);
  out->length += fits;
  if (fits < count) out->full = true;
}

void Put(Output* out, const char* piece) { Put(out, piece, strlen(piece)); }

// The time field a code letter stands for; 0 when the letter is no number code.
const int* FieldOf(char letter, const LocalTimeFields* time) {
  switch (letter) {
    case 'Y': return &time->year;
    case 'M': return &time->month;
    case 'D': return &time->day;
    case 'h': return &time->hour;
    case 'm': return &time->minute;
    case 's': return &time->second;
    default: return nullptr;
  }
}

void PutNumber(Output* out, int value, int width) {
  // The width is one digit of "%01d"; "%d" when there is none.
  if (width < 0) width = 0;
  if (width > 9) width = 9;
  char format[] = "%01d";
  format[2] = static_cast<char>('0' + width);
  char number[16];
  FormatText(number, sizeof number, width == 0 ? "%d" : format, value);
  Put(out, number);
}

}  // namespace

int ExpandPatternAt(char* output, size_t capacity, const char* pattern, const char* weekdayNames,
                    const LocalTimeFields* time) {
  if (output == nullptr || capacity == 0 || pattern == nullptr || time == nullptr) return 0;
  output[0] = '\0';
  Output out{output, capacity, 0, false};
  int result = 1;
  bool afterPercent = false;
  int width = 0;
  // Blanks and tabs typed around the pattern are no part of the name: the
  // file system cannot make a name that ends in one. Neither is ever the
  // trail byte of a double-byte character, so the ends can be cut bytewise.
  const char* p = pattern;
  while (IsBlank(*p)) ++p;
  const char* end = p + strlen(p);
  while (end > p && IsBlank(end[-1])) --end;
  while (p < end) {
    // A double-byte character moves as one, whether copied or taken as a code.
    size_t step = IsLeadByte(p[0]) && p + 1 < end ? 2 : 1;
    if (afterPercent) {
      afterPercent = false;
      const int* field = FieldOf(*p, time);
      if (*p == 'W') {
        int day = time->dayOfWeek;
        Put(&out, weekdayNames != nullptr && day >= 0 ? NthString(weekdayNames, day) : "");
      } else if (field != nullptr) {
        PutNumber(&out, *field, width);
      } else {
        Put(&out, "-Err-");
        result = 0;
      }
      p += step;
    } else if (*p == '%') {
      afterPercent = true;
      int consumed = 0;
      width = ParseNumber(p + 1, &consumed);
      p += 1 + consumed;
    } else {
      Put(&out, p, step);
      p += step;
    }
  }
  return result;
}

int DirectoryPartLength(const char* path) {
  int cut = LastIndexOfChar(path, '\\');
  if (cut < 0) cut = LastIndexOfChar(path, ':');
  return cut;
}

int FirstCreatableLevel(const char* path) {
  int start;
  if (path[0] == '\\' && path[1] == '\\') {
    // \\server\share\: both names at least one character, each closed by "\".
    int server = 2;
    int serverLength = IndexOfChar(path + server, '\\');
    if (serverLength < 1) return -1;
    int share = server + serverLength + 1;
    int shareLength = IndexOfChar(path + share, '\\');
    if (shareLength < 1) return -1;
    start = share + shareLength + 1;
  } else {
    if (path[0] == '\0' || path[1] != ':' || path[2] != '\\') return -1;
    start = 3;
  }
  // An empty name right after the root names nothing that could be made.
  if (path[start] == '\\') return -1;
  return start;
}

int NextLevelEnd(const char* path, int from) {
  int found = IndexOfChar(path + from, '\\');
  return found < 0 ? -1 : from + found;
}

int UniqueNameCandidate(char* out, size_t capacity, const char* path, int counter) {
  if (out == nullptr || capacity == 0 || path == nullptr) return 0;
  size_t length = strlen(path);
  size_t nameStart = static_cast<size_t>(FileNamePart(path) - path);
  int dot = LastIndexOfChar(path + nameStart, '.');
  size_t split = dot < 0 ? length : nameStart + static_cast<size_t>(dot);
  char tag[16];
  FormatText(tag, sizeof tag, "(%d)", counter);
  // Folders, counter and extension stay whole; only the stem may give way.
  size_t fixed = nameStart + strlen(tag) + (length - split);
  if (fixed + 1 > capacity) return 0;
  size_t stem = WholeCharPrefix(path + nameStart, split - nameStart, capacity - 1 - fixed);
  CopyTextN(out, capacity, path, nameStart + stem);
  AppendText(out, capacity, tag);
  AppendText(out, capacity, path + split);
  return 1;
}
