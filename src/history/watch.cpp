#include "history/watch.h"

namespace {

const int32_t kDay = SECONDS_PER_DAY;
// 1970-01-01 was a Thursday.
const int kWeekdayOfDayZero = 4;
// Far enough for any window to open or end (a week and a day).
const int kDaysToLook = 8;

// Day counts fit 32 bits for millions of years; only the one split of a
// second count into its day needs 64-bit division.
int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The day (since 1970-01-01) a local second lies in.
int32_t DayOf(int64_t seconds) {
  return static_cast<int32_t>(seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay));
}

int WeekdayOf(int32_t day) { return ((day + kWeekdayOfDayZero) % 7 + 7) % 7; }

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day) {
  if (month < 1) month = 1;
  if (month > 12) month = 12;
  year -= month <= 2 ? 1 : 0;
  const int32_t era = FloorDiv(year, 400);
  const int32_t yearOfEra = year - era * 400;
  const int32_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The entry is due at that local second: its weekday bit (of that second's
// own day) is set and its window holds the time of day.
bool DueAt(const ScheduleEntry* entry, int64_t seconds) {
  const int32_t day = DayOf(seconds);
  return EntryDueAt(entry, static_cast<int32_t>(seconds - static_cast<int64_t>(day) * kDay), WeekdayOf(day));
}

bool OpensAt(const ScheduleEntry* entry, int64_t seconds) {
  return DueAt(entry, seconds) && !DueAt(entry, seconds - 1);
}

bool InDay(int32_t seconds) { return seconds > 0 && seconds < SECONDS_PER_DAY; }

// A window opens only at its start or at a midnight (a weekday run beginning),
// and ends only at its end or at a midnight: these are the seconds to test.
// The candidates of one day, in ascending order; returns how many.
int Boundaries(const ScheduleEntry* entry, int32_t day, bool ends, int64_t out[2]) {
  int count = 0;
  out[count++] = static_cast<int64_t>(day) * kDay;
  const int32_t own = ends ? entry->endSeconds : entry->startSeconds;
  if (InDay(own)) out[count++] = out[0] + own;
  return count;
}

// The second the window that opened at `opened` ends, or -1 when it does not
// end within the days looked at.
int64_t WindowEnd(const ScheduleEntry* entry, int64_t opened) {
  const int32_t first = DayOf(opened);
  for (int32_t day = first; day <= first + kDaysToLook; ++day) {
    int64_t candidates[2];
    int count = Boundaries(entry, day, true, candidates);
    for (int i = 0; i < count; ++i)
      if (candidates[i] > opened && !DueAt(entry, candidates[i])) return candidates[i];
  }
  return -1;
}


void ClearWindowNotes(ScheduleEntry* entry) {
  entry->run.windowRecorded = 0;
  entry->run.lastReason = REASON_NONE;
  entry->run.reasonsTold = 0;
  entry->run.diskNotes = 0;
  entry->run.reasonsBallooned = 0;
}

bool NotesTakenAheadHold(const ScheduleEntry* entry, uint32_t nowMs) {
  return entry->run.notesAhead && !TicksElapsed(entry->run.notesAheadAtMs, nowMs, NOTES_AHEAD_KEEP_MS);
}

// A window opens with fresh notes, unless they were taken for it just ahead.
void OpenWindowNotes(ScheduleEntry* entry, uint32_t nowMs) {
  if (!NotesTakenAheadHold(entry, nowMs)) ClearWindowNotes(entry);
  entry->run.notesAhead = 0;
}

// What the reading shows about an open window that nothing records.
HistoryReason ObservedReason(ScheduleEntry* list, const ScheduleEntry* entry, PluginState plugin) {
  if (plugin == PLUGIN_NONE) return REASON_NO_PLUGIN;
  if (plugin == PLUGIN_NO_ANSWER) return REASON_PLUGIN_NO_ANSWER;
  const ScheduleEntry* active = ActiveEntry(list);
  return active && active != entry ? REASON_OTHER_RECORDING : REASON_NONE;
}

// Keeps out sorted by opening; a window later than `capacity` earlier ones is
// left out. kept is the number in out so far.
void InsertByOpening(PassedWindow* out, int capacity, int* kept, const PassedWindow& window) {
  int at = *kept;
  while (at > 0 && out[at - 1].opened > window.opened) --at;
  if (at >= capacity) return;
  int last = *kept < capacity ? *kept : capacity - 1;
  for (int i = last; i > at; --i) out[i] = out[i - 1];
  out[at] = window;
  if (*kept < capacity) ++*kept;
}

bool WantsPlayer(const ScheduleEntry* entry, const LocalTimeFields& now) {
  if (entry->run.held || entry->run.playerStarted) return false;
  int32_t until = SecondsUntilWindowOpens(entry, now);
  return until != NO_WINDOW_AHEAD && until <= PLAYER_START_LEAD_SECONDS;
}

}  // namespace

int64_t LocalSecondsOf(const LocalTimeFields& time) {
  return static_cast<int64_t>(DaysFromCivil(time.year, time.month, time.day)) * kDay + time.hour * 3600 +
         time.minute * 60 + time.second;
}

LocalTimeFields LocalTimeAt(int64_t seconds) {
  const int32_t days = DayOf(seconds);
  const int32_t secondOfDay = static_cast<int32_t>(seconds - static_cast<int64_t>(days) * kDay);
  // The inverse of DaysFromCivil.
  const int32_t shifted = days + 719468;
  const int32_t era = FloorDiv(shifted, 146097);
  const int32_t dayOfEra = shifted - era * 146097;
  const int32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int32_t monthIndex = (5 * dayOfYear + 2) / 153;
  LocalTimeFields time = {};
  time.day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  time.month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  time.year = yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0);
  time.dayOfWeek = WeekdayOf(days);
  time.hour = secondOfDay / 3600;
  time.minute = secondOfDay / 60 % 60;
  time.second = secondOfDay % 60;
  return time;
}

int32_t SecondsSinceWindowOpened(const ScheduleEntry* entry, const LocalTimeFields& now) {
  const int64_t at = LocalSecondsOf(now);
  if (!DueAt(entry, at)) return -1;
  // The latest opening not after now is the one of the window that holds now:
  // any later one would have needed the window to close in between.
  const int32_t today = DayOf(at);
  for (int32_t day = today; day >= today - kDaysToLook; --day) {
    int64_t candidates[2];
    for (int i = Boundaries(entry, day, false, candidates) - 1; i >= 0; --i)
      if (candidates[i] <= at && OpensAt(entry, candidates[i])) return static_cast<int32_t>(at - candidates[i]);
  }
  return 0;
}

WindowNews WatchEntry(ScheduleEntry* list, ScheduleEntry* entry, const TickReading& reading) {
  const WindowNews nothing = {HISTORY_NONE, REASON_NONE};
  const bool due = EntryDueAt(entry, SecondsOfDay(reading.time), reading.time.dayOfWeek);
  const bool open = due || EntryActive(entry);
  const bool wasOpen = entry->run.windowOpen != 0;
  entry->run.windowOpen = open ? 1 : 0;
  if (!open) {
    if (!wasOpen) return nothing;
    entry->run.playerStarted = 0;
    if (entry->run.windowRecorded) return nothing;
    HistoryReason last = static_cast<HistoryReason>(entry->run.lastReason);
    return WindowNews{HISTORY_MISSED, last != REASON_NONE ? last : REASON_NOT_CHECKED};
  }
  if (!wasOpen) OpenWindowNotes(entry, reading.tickMs);
  // A start still unconfirmed when the window runs out never recorded.
  if (!due && entry->run.starting && !entry->run.windowRecorded) entry->run.lastReason = REASON_NOT_CONFIRMED;
  if (EntryActive(entry) || entry->run.held || entry->run.windowRecorded) return nothing;
  HistoryReason reason = ObservedReason(list, entry, reading.plugin);
  if (reason != REASON_NONE && NoteReason(entry, reason)) return WindowNews{HISTORY_NOT_STARTED, reason};
  return nothing;
}

bool NoteReason(ScheduleEntry* entry, HistoryReason reason) {
  if (reason <= REASON_NONE || reason >= REASON_COUNT) return false;
  entry->run.lastReason = static_cast<uint8_t>(reason);
  const uint32_t bit = 1u << reason;
  if (entry->run.reasonsTold & bit) return false;
  entry->run.reasonsTold |= bit;
  return true;
}

void NoteWindowRecorded(ScheduleEntry* entry) { entry->run.windowRecorded = 1; }

void NoteWindowNotRecorded(ScheduleEntry* entry, HistoryReason reason) {
  entry->run.windowRecorded = 0;
  NoteReason(entry, reason);
}

namespace {
enum DiskNote { DISK_NOTE_CHECKED = 1, DISK_NOTE_SHORT = 2, DISK_NOTE_FULL = 4, DISK_NOTE_FILE_STILL = 8 };
}  // namespace

bool DiskCheckedThisWindow(const ScheduleEntry* entry) { return (entry->run.diskNotes & DISK_NOTE_CHECKED) != 0; }

void NoteDiskChecked(ScheduleEntry* entry) { entry->run.diskNotes |= DISK_NOTE_CHECKED; }

bool NoteBallooned(ScheduleEntry* entry, HistoryReason reason) {
  if (reason <= REASON_NONE || reason >= REASON_COUNT) return true;
  const uint32_t bit = 1u << reason;
  if (entry->run.reasonsBallooned & bit) return false;
  entry->run.reasonsBallooned |= bit;
  return true;
}

bool NoteDiskVerdict(ScheduleEntry* entry, DiskVerdict verdict) {
  const uint8_t bit = verdict == DISK_SHORT ? DISK_NOTE_SHORT : verdict == DISK_FULL ? DISK_NOTE_FULL : 0;
  if (!bit || (entry->run.diskNotes & bit)) return false;
  entry->run.diskNotes |= bit;
  return true;
}

bool NoteFileNotGrowing(ScheduleEntry* entry) {
  if (entry->run.diskNotes & DISK_NOTE_FILE_STILL) return false;
  entry->run.diskNotes |= DISK_NOTE_FILE_STILL;
  return true;
}

bool WindowOpenOrOpening(const ScheduleEntry* entry, const LocalTimeFields& now) {
  if (entry->run.windowOpen) return true;
  const int32_t until = SecondsUntilWindowOpens(entry, now);
  return until != NO_WINDOW_AHEAD && until <= PRE_ARM_LEAD_SECONDS;
}

void NoteAhead(ScheduleEntry* entry, uint32_t nowMs) {
  if (entry->run.windowOpen) return;
  if (!NotesTakenAheadHold(entry, nowMs)) ClearWindowNotes(entry);
  entry->run.notesAhead = 1;
  entry->run.notesAheadAtMs = nowMs;
}

namespace {
// FNV-1a over the fields that decide what a check ahead finds.
uint32_t Mix(uint32_t hash, const void* bytes, size_t count) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < count; ++i) hash = (hash ^ p[i]) * 16777619u;
  return hash;
}

uint32_t EntryShape(const ScheduleEntry* entry) {
  const int32_t numbers[] = {entry->startSeconds, entry->endSeconds, entry->dayMask, static_cast<int32_t>(entry->flags),
                             entry->sampleRateIndex, entry->bitrateIndex};
  uint32_t hash = Mix(2166136261u, numbers, sizeof numbers);
  size_t length = 0;
  while (length < sizeof entry->outputPattern && entry->outputPattern[length]) ++length;
  return Mix(hash, entry->outputPattern, length);
}
}  // namespace

bool CheckedAheadFor(const ScheduleEntry* entry, int64_t opening) {
  return entry->run.aheadOpening == opening && entry->run.aheadShape == EntryShape(entry);
}

uint32_t NoteCheckedAhead(ScheduleEntry* entry, int64_t opening, uint32_t found) {
  if (entry->run.aheadOpening != opening) entry->run.aheadTold = 0;
  entry->run.aheadOpening = opening;
  entry->run.aheadShape = EntryShape(entry);
  entry->run.aheadFound = found;
  const uint32_t fresh = found & ~entry->run.aheadTold;
  entry->run.aheadTold |= found;
  return fresh;
}

void CheckAheadAgain(ScheduleEntry* list) {
  for (ScheduleEntry* e = list; e; e = e->next) e->run.aheadShape = EntryShape(e) + 1u;
}

bool AheadWarningStands(const ScheduleEntry* entry, const LocalTimeFields& now) {
  return entry->run.aheadFound != 0 && !entry->run.windowOpen && LocalSecondsOf(now) < entry->run.aheadOpening;
}

int WindowsPassedBetween(ScheduleEntry* list, int64_t after, int64_t until, PassedWindow* out, int capacity) {
  if (until <= after) return 0;
  const int64_t from = after > until - PASSED_WINDOW_LOOKBACK_SECONDS ? after : until - PASSED_WINDOW_LOOKBACK_SECONDS;
  int total = 0, kept = 0;
  for (ScheduleEntry* entry = list; entry; entry = entry->next) {
    for (int32_t day = DayOf(from), last = DayOf(until); day <= last; ++day) {
      int64_t candidates[2];
      int count = Boundaries(entry, day, false, candidates);
      for (int i = 0; i < count; ++i) {
        const int64_t opened = candidates[i];
        if (opened <= from || opened > until || !OpensAt(entry, opened)) continue;
        const int64_t ended = WindowEnd(entry, opened);
        if (ended < 0 || ended > until) continue;
        ++total;
        InsertByOpening(out, capacity, &kept, PassedWindow{entry, opened, ended});
      }
    }
  }
  return total;
}

ScheduleEntry* EntryWantingPlayer(ScheduleEntry* list, const LocalTimeFields& now) {
  for (ScheduleEntry* entry = list; entry; entry = entry->next)
    if (WantsPlayer(entry, now)) return entry;
  return nullptr;
}

void NotePlayerStarted(ScheduleEntry* list, const LocalTimeFields& now) {
  for (ScheduleEntry* entry = list; entry; entry = entry->next)
    if (WantsPlayer(entry, now)) entry->run.playerStarted = 1;
}
