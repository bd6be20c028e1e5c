#include "scheduler/tick.h"

#include <cstring>

#include "text/text.h"

namespace {

bool RetryDue(const ScheduleEntry* e, uint32_t nowMs) {
  return !e->run.retryPending || static_cast<int32_t>(nowMs - e->run.retryFromMs) >= 0;
}

void ReleaseEndedHolds(ScheduleEntry* list, int32_t t) {
  for (ScheduleEntry* e = list; e; e = e->next)
    if (e->run.held && !InWindow(e, t)) e->run.held = 0;
}

// The entry that is recording or starting, with the decision its state asks for.
TickDecision DecideForActive(ScheduleEntry* e, const TickReading& reading, int32_t t) {
  if (!InWindow(e, t)) return TickDecision{TICK_STOP, e};
  if (e->run.starting) {
    if (reading.plugin == PLUGIN_RECORDING) return TickDecision{TICK_CONFIRM, e};
    if (TicksElapsed(e->run.startedAtMs, reading.tickMs, START_CONFIRM_LIMIT_MS))
      return TickDecision{TICK_START_FAILED, e};
    return TickDecision{TICK_NOTHING, nullptr};
  }
  if (reading.plugin == PLUGIN_IDLE) return TickDecision{TICK_RECORDING_LOST, e};
  return TickDecision{TICK_NOTHING, nullptr};
}

}  // namespace

bool InWindow(const ScheduleEntry* entry, int32_t t) {
  if (entry->startSeconds < entry->endSeconds) return entry->startSeconds <= t && t < entry->endSeconds;
  return t >= entry->startSeconds || t < entry->endSeconds;
}

int32_t SecondsOfDay(const LocalTimeFields& time) { return HmsToSeconds(time.hour, time.minute, time.second); }

bool EntryDueAt(const ScheduleEntry* entry, int32_t t, int day) {
  const uint32_t dayBit = (day >= 0 && day < 7) ? (1u << day) : 0u;
  return (static_cast<uint32_t>(entry->dayMask) & dayBit) != 0 && InWindow(entry, t);
}

namespace {
// Whether the entry is due `offset` seconds after now (offset may be -1).
// now and offset stay within days of each other, so 32 bits hold them (and
// the x86 build needs no 64-bit division).
bool DueAfter(const ScheduleEntry* entry, int32_t nowSeconds, int nowDay, int32_t offset) {
  int32_t absolute = nowSeconds + offset;
  int32_t dayShift = absolute >= 0 ? absolute / SECONDS_PER_DAY : -1;
  int32_t t = absolute - dayShift * SECONDS_PER_DAY;
  int day = ((nowDay + dayShift) % 7 + 7) % 7;
  return EntryDueAt(entry, t, day);
}
}  // namespace

int32_t SecondsUntilNextOpening(const ScheduleEntry* entry, const LocalTimeFields& now) {
  const int32_t t = SecondsOfDay(now);
  if (t < 0 || t >= SECONDS_PER_DAY) return NO_WINDOW_AHEAD;
  // Candidates: each of the next days at midnight and at the window's start
  // (a hand-edited start outside the day never comes round).
  const bool startInDay = entry->startSeconds >= 0 && entry->startSeconds < SECONDS_PER_DAY;
  int32_t best = NO_WINDOW_AHEAD;
  for (int dayAhead = 0; dayAhead <= 8; ++dayAhead) {
    const int32_t midnight = dayAhead * SECONDS_PER_DAY - t;
    const int32_t candidates[2] = {midnight, startInDay ? midnight + entry->startSeconds : 0};
    for (int32_t offset : candidates) {
      if (offset <= 0 || (best != NO_WINDOW_AHEAD && offset >= best)) continue;
      if (DueAfter(entry, t, now.dayOfWeek, offset) && !DueAfter(entry, t, now.dayOfWeek, offset - 1)) best = offset;
    }
  }
  return best;
}

int32_t SecondsUntilWindowOpens(const ScheduleEntry* entry, const LocalTimeFields& now) {
  const int32_t t = SecondsOfDay(now);
  if (t >= 0 && t < SECONDS_PER_DAY && DueAfter(entry, t, now.dayOfWeek, 0)) return 0;
  return SecondsUntilNextOpening(entry, now);
}

ScheduleEntry* NextEntryToOpen(ScheduleEntry* list, const LocalTimeFields& now, int32_t* seconds) {
  ScheduleEntry* next = nullptr;
  int32_t best = NO_WINDOW_AHEAD;
  for (ScheduleEntry* e = list; e; e = e->next) {
    if (e->run.held) continue;
    int32_t until = SecondsUntilWindowOpens(e, now);
    if (until == NO_WINDOW_AHEAD || (next && until >= best)) continue;
    next = e;
    best = until;
  }
  if (seconds) *seconds = best;
  return next;
}

namespace {
// The entry a tick at t on `day`, with the counter at nowMs, starts when
// nothing records: the first in list order that is not held, is due and
// whose retry time has come.
ScheduleEntry* FirstToStart(ScheduleEntry* list, int32_t t, int day, uint32_t nowMs) {
  for (ScheduleEntry* e = list; e; e = e->next)
    if (!e->run.held && EntryDueAt(e, t, day) && RetryDue(e, nowMs)) return e;
  return nullptr;
}
}  // namespace

TickDecision DecideTick(ScheduleEntry* list, const TickReading& reading) {
  const int32_t t = SecondsOfDay(reading.time);
  ReleaseEndedHolds(list, t);
  if (reading.plugin != PLUGIN_IDLE && reading.plugin != PLUGIN_RECORDING) return TickDecision{TICK_NOTHING, nullptr};
  if (ScheduleEntry* active = ActiveEntry(list)) return DecideForActive(active, reading, t);
  if (ScheduleEntry* e = FirstToStart(list, t, reading.time.dayOfWeek, reading.tickMs))
    return TickDecision{reading.plugin == PLUGIN_RECORDING ? TICK_ADOPT : TICK_START, e};
  return TickDecision{TICK_NOTHING, nullptr};
}

namespace {
bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

void NextDay(LocalTimeFields* time) {
  time->dayOfWeek = ((time->dayOfWeek + 1) % 7 + 7) % 7;
  if (++time->day <= DaysInMonth(time->year, time->month)) return;
  time->day = 1;
  if (++time->month <= 12) return;
  time->month = 1;
  ++time->year;
}

bool SameSecond(const LocalTimeFields& a, const LocalTimeFields& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second;
}

bool InList(const ScheduleEntry* list, const ScheduleEntry* entry) {
  for (const ScheduleEntry* e = list; e; e = e->next)
    if (e == entry) return true;
  return false;
}

// Whether the armed request is the one for starting `entry` on the second
// `at`: the entry is still in the list, unchanged, and it is the same entry
// and second. The plug-in's state and the hand-over's success are the
// callers' part.
PreArmFit MatchPreArm(const PreArm& armed, ScheduleEntry* list, const ScheduleEntry* entry,
                      const LocalTimeFields& at) {
  if (!armed.entry) return PRE_ARM_NOTHING_ARMED;
  if (!InList(list, armed.entry)) return PRE_ARM_ENTRY_GONE;
  if (!SameRequestShape(armed.entry, armed.shape)) return PRE_ARM_ENTRY_CHANGED;
  if (entry != armed.entry) return PRE_ARM_OTHER_ENTRY;
  if (!SameSecond(at, armed.at)) return PRE_ARM_OTHER_SECOND;
  return PRE_ARM_FITS;
}
}  // namespace

LocalTimeFields SecondsLater(const LocalTimeFields& time, int32_t seconds) {
  LocalTimeFields later = time;
  if (seconds <= 0) return later;
  int32_t days = seconds / SECONDS_PER_DAY;
  int32_t t = SecondsOfDay(time) + seconds % SECONDS_PER_DAY;
  if (t >= SECONDS_PER_DAY) {
    t -= SECONDS_PER_DAY;
    ++days;
  }
  later.hour = t / 3600;
  later.minute = t / 60 % 60;
  later.second = t % 60;
  for (int32_t d = 0; d < days; ++d) NextDay(&later);
  return later;
}

void CaptureRequestShape(const ScheduleEntry* entry, RequestShape* shape) {
  shape->startSeconds = entry->startSeconds;
  shape->endSeconds = entry->endSeconds;
  shape->dayMask = entry->dayMask;
  shape->flags = entry->flags;
  shape->sampleRateIndex = entry->sampleRateIndex;
  shape->bitrateIndex = entry->bitrateIndex;
  CopyText(shape->outputPattern, sizeof shape->outputPattern, entry->outputPattern);
}

bool SameRequestShape(const ScheduleEntry* entry, const RequestShape& shape) {
  return entry->startSeconds == shape.startSeconds && entry->endSeconds == shape.endSeconds &&
         entry->dayMask == shape.dayMask && entry->flags == shape.flags &&
         entry->sampleRateIndex == shape.sampleRateIndex && entry->bitrateIndex == shape.bitrateIndex &&
         std::strncmp(entry->outputPattern, shape.outputPattern, sizeof shape.outputPattern) == 0;
}

PreArmChoice DecidePreArm(ScheduleEntry* list, const TickReading& reading, int32_t leadSeconds) {
  const PreArmChoice none{nullptr, 0, reading.time, reading.tickMs};
  if (reading.plugin != PLUGIN_IDLE || ActiveEntry(list)) return none;
  if (FirstToStart(list, SecondsOfDay(reading.time), reading.time.dayOfWeek, reading.tickMs)) return none;
  for (int32_t ahead = 1; ahead <= leadSeconds; ++ahead) {
    const LocalTimeFields at = SecondsLater(reading.time, ahead);
    // The ticks are a second apart, so the counter then is about a second per step on.
    const uint32_t thenMs = reading.tickMs + static_cast<uint32_t>(ahead) * 1000u;
    ScheduleEntry* e = FirstToStart(list, SecondsOfDay(at), at.dayOfWeek, thenMs);
    if (!e) continue;
    if (SecondsUntilWindowOpens(e, reading.time) != ahead) return none;
    const uint32_t secondMs = reading.tickMs - static_cast<uint32_t>(reading.time.millisecond);
    return PreArmChoice{e, ahead, at, secondMs + static_cast<uint32_t>(ahead) * 1000u};
  }
  return none;
}

void BeginPreArm(PreArm* armed, const PreArmChoice& choice) {
  ClearPreArm(armed);
  if (!choice.entry) return;
  armed->entry = choice.entry;
  CaptureRequestShape(choice.entry, &armed->shape);
  armed->at = choice.at;
}

void ClearPreArm(PreArm* armed) {
  armed->entry = nullptr;
  armed->ready = 0;
  armed->fileName[0] = '\0';
}

PreArmFit ReviewPreArm(const PreArm& armed, ScheduleEntry* list, const TickReading& reading,
                       const PreArmChoice& choice) {
  if (!armed.entry) return PRE_ARM_NOTHING_ARMED;
  if (reading.plugin == PLUGIN_RECORDING) return PRE_ARM_PLUGIN_RECORDS;
  return MatchPreArm(armed, list, choice.entry, choice.at);
}

PreArmFit FitPreArm(const PreArm& armed, ScheduleEntry* list, const TickDecision& decision,
                    const TickReading& reading) {
  if (!armed.entry) return PRE_ARM_NOTHING_ARMED;
  if (decision.action == TICK_ADOPT) return PRE_ARM_PLUGIN_RECORDS;
  const ScheduleEntry* starting = decision.action == TICK_START ? decision.entry : nullptr;
  PreArmFit fit = MatchPreArm(armed, list, starting, reading.time);
  if (fit == PRE_ARM_FITS && !armed.ready) return PRE_ARM_NOT_READY;
  return fit;
}

AnswerFit FitAnswer(ScheduleEntry* list, const ScheduleEntry* entry, const RequestShape& shape) {
  if (!entry || !InList(list, entry)) return ANSWER_ENTRY_GONE;
  return SameRequestShape(entry, shape) ? ANSWER_FITS : ANSWER_ENTRY_CHANGED;
}

bool SearchEverySecond(ScheduleEntry* list, const TickReading& reading, const PlayerLaunch& launch) {
  if (launch.launched && !TicksElapsed(launch.atMs, reading.tickMs, QUICK_SEARCH_AFTER_LAUNCH_MS)) return true;
  int32_t seconds = NO_WINDOW_AHEAD;
  NextEntryToOpen(list, reading.time, &seconds);
  return seconds != NO_WINDOW_AHEAD && seconds <= QUICK_SEARCH_AHEAD_SECONDS;
}

void NoteStarting(ScheduleEntry* entry, uint32_t nowMs) {
  entry->recording = 0;
  entry->run.starting = 1;
  entry->run.startedAtMs = nowMs;
  entry->run.retryPending = 0;
}

void NoteStartFailed(ScheduleEntry* entry, uint32_t nowMs) {
  entry->recording = 0;
  entry->run.starting = 0;
  entry->run.retryPending = 1;
  entry->run.retryFromMs = nowMs + START_RETRY_GAP_MS;
}

void NoteRecording(ScheduleEntry* entry) {
  entry->recording = 1;
  entry->run.starting = 0;
  entry->run.retryPending = 0;
}

void NoteStopped(ScheduleEntry* entry) {
  entry->recording = 0;
  entry->run.starting = 0;
  entry->run.retryPending = 0;
}

bool EntryActive(const ScheduleEntry* entry) { return entry->recording || entry->run.starting; }

ScheduleEntry* ActiveEntry(ScheduleEntry* list) {
  for (ScheduleEntry* e = list; e; e = e->next)
    if (EntryActive(e)) return e;
  return nullptr;
}

ScheduleEntry* RecordingEntry(ScheduleEntry* list) {
  ScheduleEntry* active = ActiveEntry(list);
  return active && active->recording ? active : nullptr;
}

ScheduleEntry* HoldActiveEntry(ScheduleEntry* list) {
  ScheduleEntry* active = ActiveEntry(list);
  if (!active) return nullptr;
  NoteStopped(active);
  active->run.held = 1;
  return active;
}

ScheduleEntry* ForgetRecordings(ScheduleEntry* list) {
  ScheduleEntry* active = ActiveEntry(list);
  for (ScheduleEntry* e = list; e; e = e->next)
    if (EntryActive(e)) NoteStopped(e);
  return active;
}
