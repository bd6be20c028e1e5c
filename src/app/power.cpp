#include "app/power.h"

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

namespace {
// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}
}  // namespace

int64_t LocalSerialSeconds(const LocalTimeFields& time) {
  return DaysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600LL + time.minute * 60LL +
         time.second;
}

int64_t ClockShiftSeconds(const LocalTimeFields& before, uint32_t beforeMs, const LocalTimeFields& after,
                          uint32_t afterMs) {
  const int64_t wall = LocalSerialSeconds(after) - LocalSerialSeconds(before);
  const int64_t elapsed = static_cast<uint32_t>(afterMs - beforeMs) / 1000;
  return wall - elapsed;
}
