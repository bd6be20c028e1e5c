// Power decisions without the platform: when to wake the computer for the
// next window, and how far the clock jumped.
#pragma once
#include <cstdint>

#include "schedule/schedule.h"
#include "scheduler/naming.h"

// Time enough before a window to start the player and find its plug-in.
enum { WAKE_LEAD_SECONDS = 60 };

// Seconds from now at which the computer should be woken for the next
// window that opens after this second (the opening minus the lead, at least
// 1 second ahead), with that entry in *entry; NO_WINDOW_AHEAD (none) when no
// window will open.
int32_t WakeDelaySeconds(ScheduleEntry* list, const LocalTimeFields& now, ScheduleEntry** entry);

// How many seconds the wall clock moved beyond what the monotonic counter
// says elapsed between two readings (positive: set forward).
int64_t ClockShiftSeconds(const LocalTimeFields& before, uint32_t beforeMs, const LocalTimeFields& after,
                          uint32_t afterMs);
