#include "app/main_view.h"

#include <cstring>

#include "history/history.h"
#include "resources/strings.h"
#include "scheduler/tick.h"
#include "text/text.h"

namespace {
const char kEllipsis[] = "...";

const char* const kWeekdays[] = {STR_WEEKDAY_0, STR_WEEKDAY_1, STR_WEEKDAY_2, STR_WEEKDAY_3,
                                 STR_WEEKDAY_4, STR_WEEKDAY_5, STR_WEEKDAY_6};

// The part of a path behind its last separator (a trail byte is never a
// backslash or a slash, so a byte scan is safe).
const char* NameWithoutFolder(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  return name;
}

// The weekday on which a moment `seconds` after now falls.
int WeekdayAfter(const LocalTimeFields& now, int32_t seconds) {
  const int64_t days = (static_cast<int64_t>(SecondsOfDay(now)) + seconds) / SECONDS_PER_DAY;
  return static_cast<int>((now.dayOfWeek % 7 + days) % 7);
}

int FormatRecordingNow(char* text, size_t capacity, const ScheduleEntry* entry, const char* recordingFile) {
  char window[ENTRY_WINDOW_CAPACITY];
  FormatEntryWindow(window, sizeof window, entry);
  const char* file = recordingFile && recordingFile[0] ? recordingFile : entry->outputPattern;
  return FormatText(text, capacity, STR_NEXT_RECORDING_NOW, window, NameWithoutFolder(file));
}

int FormatComingWindow(char* text, size_t capacity, ScheduleEntry* list, const LocalTimeFields& now) {
  int32_t seconds = NO_WINDOW_AHEAD;
  const ScheduleEntry* next = NextEntryToOpen(list, now, &seconds);
  if (!next) return FormatText(text, capacity, "%s", STR_NEXT_RECORDING_NONE);
  char window[ENTRY_WINDOW_CAPACITY];
  FormatEntryWindow(window, sizeof window, next);
  if (seconds == 0) return FormatText(text, capacity, STR_NEXT_RECORDING_DUE, window);
  char wait[40];
  FormatWait(wait, sizeof wait, seconds);
  return FormatText(text, capacity, STR_NEXT_RECORDING, kWeekdays[WeekdayAfter(now, seconds)], window, wait);
}
}  // namespace

int FormatListLine(char* line, size_t capacity, const ScheduleEntry* entry) {
  char window[ENTRY_WINDOW_CAPACITY];
  FormatEntryWindow(window, sizeof window, entry);
  const char* mark = entry->recording ? STR_MARK_RECORDING : STR_MARK_IDLE;
  if (FormatText(line, capacity, "%s %s %s", window, mark, entry->outputPattern))
    return 1;
  if (capacity <= sizeof kEllipsis) return 0;
  size_t keep = WholeCharPrefix(line, strlen(line), capacity - sizeof kEllipsis);
  line[keep] = '\0';
  AppendText(line, capacity, kEllipsis);
  return 0;
}

void UpdateTitleClock(char* title, size_t capacity, int hour, int minute, int second) {
  int dash = IndexOfChar(title, '-');
  if (dash >= 0) {
    title[dash] = '\0';
  } else {
    AppendText(title, capacity, " ");
  }
  AppendFormat(title, capacity, "- %02d:%02d:%02d", hour, minute, second);
}

unsigned DelayToNextSecond(int millisecond) {
  if (millisecond < 0 || millisecond > 999) millisecond = 0;
  return static_cast<unsigned>(1000 - millisecond + TICK_ALIGN_MARGIN_MS);
}

unsigned DelayToNextTick(const LocalTimeFields& ticked, const LocalTimeFields& now) {
  const bool sameSecond = ticked.second == now.second && ticked.minute == now.minute && ticked.hour == now.hour &&
                          ticked.day == now.day && ticked.month == now.month && ticked.year == now.year;
  return sameSecond ? DelayToNextSecond(now.millisecond) : 0u;
}

int FormatWait(char* text, size_t capacity, int32_t seconds) {
  if (seconds < 0) seconds = 0;
  const int days = seconds / SECONDS_PER_DAY, hours = seconds / 3600 % 24, minutes = seconds / 60 % 60;
  if (days > 0) {
    int whole = FormatText(text, capacity, STR_WAIT_DAYS, days);
    return hours > 0 ? whole & AppendFormat(text, capacity, " " STR_WAIT_HOURS, hours) : whole;
  }
  if (hours > 0) {
    int whole = FormatText(text, capacity, STR_WAIT_HOURS, hours);
    return minutes > 0 ? whole & AppendFormat(text, capacity, " " STR_WAIT_MINUTES, minutes) : whole;
  }
  if (minutes > 0) return FormatText(text, capacity, STR_WAIT_MINUTES, minutes);
  return FormatText(text, capacity, STR_WAIT_SECONDS, seconds);
}

int FormatNextRecording(char* text, size_t capacity, ScheduleEntry* list, const LocalTimeFields& now,
                        const char* recordingFile, bool pluginKnown) {
  if (const ScheduleEntry* recording = RecordingEntry(list)) {
    return FormatRecordingNow(text, capacity, recording, recordingFile);
  }
  // A start on its way is not a window that does not record: the plug-in
  // reports it within a tick or two.
  if (const ScheduleEntry* starting = ActiveEntry(list)) {
    char window[ENTRY_WINDOW_CAPACITY];
    FormatEntryWindow(window, sizeof window, starting);
    return FormatText(text, capacity, STR_NEXT_RECORDING_STARTING, window);
  }
  int whole = FormatComingWindow(text, capacity, list, now);
  if (!pluginKnown) whole &= AppendFormat(text, capacity, STR_NEXT_RECORDING_PLUGIN, HistoryReasonText(REASON_NO_PLUGIN));
  return whole;
}

int CutToCharacters(char* text, size_t maxCharacters) {
  // Byte offset of each character boundary, up to the one past the limit.
  size_t at = 0, characters = 0, keep = 0;
  const size_t keepCharacters = maxCharacters > 3 ? maxCharacters - 3 : 0;
  while (text[at] != '\0') {
    if (characters == keepCharacters) keep = at;
    if (characters == maxCharacters) break;
    at += IsLeadByte(text[at]) && text[at + 1] != '\0' ? 2 : 1;
    ++characters;
  }
  if (text[at] == '\0') return 1;
  text[keep] = '\0';
  // keep + 3 bytes never pass the text's own end: at least maxCharacters bytes follow keep's start.
  if (maxCharacters >= 3) memcpy(text + keep, kEllipsis, sizeof kEllipsis);
  return 0;
}
