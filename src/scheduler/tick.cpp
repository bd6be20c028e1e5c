#include "scheduler/tick.h"

namespace {

bool Elapsed(uint32_t fromMs, uint32_t nowMs, uint32_t limitMs) {
  return static_cast<uint32_t>(nowMs - fromMs) >= limitMs;
}

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
    if (Elapsed(e->run.startedAtMs, reading.tickMs, START_CONFIRM_LIMIT_MS))
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
bool DueAfter(const ScheduleEntry* entry, int32_t nowSeconds, int nowDay, int32_t offset) {
  int64_t absolute = static_cast<int64_t>(nowSeconds) + offset;
  int64_t dayShift = absolute >= 0 ? absolute / SECONDS_PER_DAY : -1;
  int32_t t = static_cast<int32_t>(absolute - dayShift * SECONDS_PER_DAY);
  int day = static_cast<int>(((nowDay + dayShift) % 7 + 7) % 7);
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

TickDecision DecideTick(ScheduleEntry* list, const TickReading& reading) {
  const int32_t t = SecondsOfDay(reading.time);
  ReleaseEndedHolds(list, t);
  if (reading.plugin != PLUGIN_IDLE && reading.plugin != PLUGIN_RECORDING) return TickDecision{TICK_NOTHING, nullptr};
  if (ScheduleEntry* active = ActiveEntry(list)) return DecideForActive(active, reading, t);
  for (ScheduleEntry* e = list; e; e = e->next) {
    if (e->run.held || !EntryDueAt(e, t, reading.time.dayOfWeek)) continue;
    if (!RetryDue(e, reading.tickMs)) continue;
    return TickDecision{reading.plugin == PLUGIN_RECORDING ? TICK_ADOPT : TICK_START, e};
  }
  return TickDecision{TICK_NOTHING, nullptr};
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

ScheduleEntry* ActiveEntry(ScheduleEntry* list) {
  for (ScheduleEntry* e = list; e; e = e->next)
    if (e->recording || e->run.starting) return e;
  return nullptr;
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
    if (e->recording || e->run.starting) NoteStopped(e);
  return active;
}
