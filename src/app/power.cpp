#include "app/power.h"

#include "history/watch.h"
#include "scheduler/tick.h"

int32_t WakeDelaySeconds(ScheduleEntry* list, const LocalTimeFields& now, ScheduleEntry** entry) {
  ScheduleEntry* next = nullptr;
  int32_t best = NO_WINDOW_AHEAD;
  for (ScheduleEntry* e = list; e; e = e->next) {
    int32_t until = SecondsUntilNextOpening(e, now);
    if (until == NO_WINDOW_AHEAD || (next && until >= best)) continue;
    next = e;
    best = until;
  }
  if (entry) *entry = next;
  if (!next) return NO_WINDOW_AHEAD;
  return best > WAKE_LEAD_SECONDS ? best - WAKE_LEAD_SECONDS : 1;
}

int64_t ClockShiftSeconds(const LocalTimeFields& before, uint32_t beforeMs, const LocalTimeFields& after,
                          uint32_t afterMs) {
  const int64_t wall = LocalSecondsOf(after) - LocalSecondsOf(before);
  const int64_t elapsed = static_cast<uint32_t>(afterMs - beforeMs) / 1000;
  return wall - elapsed;
}
