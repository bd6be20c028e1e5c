#include "schedule/schedule.h"

#include "text/text.h"

const int32_t AudioParamTable[8] = {48, 56, 64, 96, 128, 192, 22050, 44100};

int32_t BitrateOf(const ScheduleEntry* entry) {
  int32_t index = entry->bitrateIndex;
  if (index < 0 || index >= BITRATE_COUNT) index = DEFAULT_BITRATE_INDEX;
  return AudioParamTable[index];
}

int32_t SampleRateOf(const ScheduleEntry* entry) {
  int32_t index = entry->sampleRateIndex;
  if (index < 0 || index >= SAMPLE_RATE_COUNT) index = DEFAULT_SAMPLE_RATE_INDEX;
  return AudioParamTable[BITRATE_COUNT + index];
}

// Hand-edited settings may hold any numbers: wrap like 32-bit arithmetic
// instead of overflowing.
int32_t HmsToSeconds(int32_t hours, int32_t minutes, int32_t seconds) {
  uint32_t total = static_cast<uint32_t>(hours) * 3600u + static_cast<uint32_t>(minutes) * 60u +
                   static_cast<uint32_t>(seconds);
  return static_cast<int32_t>(total);
}

void SecondsToHms(int32_t seconds, int32_t* hours, int32_t* minutes, int32_t* secs) {
  *hours = seconds / 3600;
  *minutes = (seconds / 60) % 60;
  *secs = seconds % 60;
}

void FormatEntryWindow(char* text, size_t capacity, const ScheduleEntry* entry) {
  int32_t h1, m1, s1, h2, m2, s2;
  SecondsToHms(entry->startSeconds, &h1, &m1, &s1);
  SecondsToHms(entry->endSeconds, &h2, &m2, &s2);
  FormatText(text, capacity, "%02d:%02d:%02d - %02d:%02d:%02d", h1, m1, s1, h2, m2, s2);
}

int ParseScheduleLine(char* line, ScheduleTimes* times, ScheduleEntry* entry) {
  char* parameters = SplitAtChar(line, '|');
  int32_t* n = times->numbers;
  const ScanTarget timeTargets[] = {
      ScanInt(&n[0]), ScanInt(&n[1]), ScanInt(&n[2]), ScanInt(&n[3]), ScanInt(&n[4]), ScanInt(&n[5]),
      ScanText(entry->outputPattern, sizeof entry->outputPattern)};
  ScanRecord(line, "%d:%d:%d %d:%d:%d %s", timeTargets, 7);
  entry->startSeconds = HmsToSeconds(n[0], n[1], n[2]);
  entry->endSeconds = HmsToSeconds(n[3], n[4], n[5]);
  if (parameters) {
    const ScanTarget parameterTargets[] = {ScanInt(&entry->bitrateIndex), ScanInt(&entry->sampleRateIndex),
                                           ScanInt(&entry->dayMask),
                                           ScanInt(reinterpret_cast<int32_t*>(&entry->flags))};
    ScanRecord(parameters, "%d %d %d %d", parameterTargets, 4);
  }
  return entry->outputPattern[0] != '\0';
}

namespace {

// A time as the line writes it: hours, minutes and seconds that HmsToSeconds
// turns back into exactly these seconds. For the times the editor makes this
// is SecondsToHms. A negative time (only a hand-edited file has one) is split
// with the minutes and seconds kept at 0..59 and the hours rounded down:
// "-596523:0:1" instead of "-596522:-59:-59", never longer than 13 bytes, and
// the same time once read.
void SplitTimeForLine(int32_t seconds, int32_t* hours, int32_t* minutes, int32_t* secs) {
  int32_t h = seconds / 3600;
  int32_t rest = seconds % 3600;
  if (rest < 0) {
    h -= 1;
    rest += 3600;
  }
  *hours = h;
  *minutes = rest / 60;
  *secs = rest % 60;
}

// The widest line: both times as "-596524:59:59", the longest pattern in
// quotes, and four numbers such as "-2147483648". The reader takes at most
// capacity - 1 bytes, so any entry in memory comes back whole.
enum {
  LINE_TIME_WIDTH = 13,
  LINE_NUMBER_WIDTH = 11,
  WIDEST_SCHEDULE_LINE = LINE_TIME_WIDTH + 1 + LINE_TIME_WIDTH + 1 + (PATH_CAPACITY - 1 + 2) + 1 +
                         4 * LINE_NUMBER_WIDTH + 3,
};
static_assert(WIDEST_SCHEDULE_LINE <= SCHEDULE_LINE_CAPACITY - 1, "every entry must fit the line the reader takes");

}  // namespace

int FormatScheduleLine(const ScheduleEntry* entry, char* line, size_t capacity) {
  int32_t h1, m1, s1, h2, m2, s2;
  SplitTimeForLine(entry->startSeconds, &h1, &m1, &s1);
  SplitTimeForLine(entry->endSeconds, &h2, &m2, &s2);
  // The reader takes the pattern as one word, which ends at a blank: a folder
  // such as "D:\My Music" would come back as "D:\My". In double quotes the
  // word runs to the closing quote. A word that starts with a single quote is
  // read as quoted text too, so "'x'.mp3" needs the double quotes as well.
  // Other patterns keep the plain form; one that holds a double quote itself
  // cannot be quoted and stays plain too.
  const char* pattern = entry->outputPattern;
  bool blank = IndexOfChar(pattern, ' ') >= 0 || IndexOfChar(pattern, '\t') >= 0;
  bool quoted = (blank || pattern[0] == '\'') && IndexOfChar(pattern, '"') < 0;
  const char* format = quoted ? "%d:%d:%d %d:%d:%d \"%s\"|%d %d %d %d" : "%d:%d:%d %d:%d:%d %s|%d %d %d %d";
  return FormatText(line, capacity, format, h1, m1, s1, h2, m2, s2, pattern, entry->bitrateIndex,
                    entry->sampleRateIndex, entry->dayMask, static_cast<int>(entry->flags));
}
