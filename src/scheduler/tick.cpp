#include "scheduler/tick.h"

bool InWindow(const ScheduleEntry* entry, int32_t t) {
  if (entry->startSeconds < entry->endSeconds) return entry->startSeconds <= t && t < entry->endSeconds;
  return t >= entry->startSeconds || t < entry->endSeconds;
}

TickDecision DecideTick(ScheduleEntry* list, int32_t t, int dayOfWeek) {
  for (ScheduleEntry* e = list; e; e = e->next) {
    if (!e->recording) continue;
    if (InWindow(e, t)) return TickDecision{TICK_NOTHING, nullptr};
    return TickDecision{TICK_STOP, e};
  }
  const uint32_t dayBit = (dayOfWeek >= 0 && dayOfWeek < 7) ? (1u << dayOfWeek) : 0u;
  for (ScheduleEntry* e = list; e; e = e->next) {
    if (!e->recording && (static_cast<uint32_t>(e->dayMask) & dayBit) && InWindow(e, t))
      return TickDecision{TICK_START, e};
  }
  return TickDecision{TICK_NOTHING, nullptr};
}
