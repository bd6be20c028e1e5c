// What the once-a-second schedule tick must do, decided from the list, the
// time of day and the weekday alone.
#pragma once
#include <cstdint>

#include "schedule/schedule.h"

// t lies in the entry's window [start, end); a window whose start is not
// before its end runs over midnight (t >= start or t < end).
bool InWindow(const ScheduleEntry* entry, int32_t secondsOfDay);

enum TickAction { TICK_NOTHING = 0, TICK_STOP = 1, TICK_START = 2 };
struct TickDecision {
  TickAction action;
  ScheduleEntry* entry;  // the entry to stop or to start
};

// Ending comes first: the first entry marked as recording is stopped once t
// has left its window (the weekday plays no part), and nothing starts in the
// same tick. Otherwise the first unmarked entry in list order whose weekday
// bit is set and whose window holds t is started.
TickDecision DecideTick(ScheduleEntry* list, int32_t secondsOfDay, int dayOfWeek);
