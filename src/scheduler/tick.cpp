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

TickDecision DecideTick(ScheduleEntry* list, const TickReading& reading) {
  const int32_t t = SecondsOfDay(reading.time);
  ReleaseEndedHolds(list, t);
  if (reading.plugin != PLUGIN_IDLE && reading.plugin != PLUGIN_RECORDING) return TickDecision{TICK_NOTHING, nullptr};
  if (ScheduleEntry* active = ActiveEntry(list)) return DecideForActive(active, reading, t);
  const int day = reading.time.dayOfWeek;
  const uint32_t dayBit = (day >= 0 && day < 7) ? (1u << day) : 0u;
  for (ScheduleEntry* e = list; e; e = e->next) {
    if (e->run.held || !(static_cast<uint32_t>(e->dayMask) & dayBit) || !InWindow(e, t)) continue;
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
