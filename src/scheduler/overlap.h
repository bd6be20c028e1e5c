// Whether two entries' windows claim the plug-in at the same time: the
// editor asks before it stores an entry that would take a recording from
// another (or lose its own to it).
#pragma once

#include "schedule/schedule.h"

// Some second of the week has both entries recording, each as the tick would
// run it alone: a window starts at a due second (its weekday bit set, the
// weekday that of the moment itself) and, once started, lasts while the
// clock is inside it, whatever the weekday. So an over-midnight window runs
// on its day bits both sides of midnight, and a run begun in the evening goes
// on into the next morning even when that day has no bit. Windows that only
// touch (one ends on the second the other starts) do not overlap. Hand-edited
// oddities follow the same rule: a mask of 0 never runs, a window that covers
// the whole day (start equal to end) never ends once begun, and times outside
// the day leave only the part of the window inside it.
bool WindowsOverlap(const ScheduleEntry* a, const ScheduleEntry* b);

// The first entry of list, in list order and other than self (the entry
// being changed, or none), whose window overlaps candidate's; none when no
// entry does. *count (when given) receives how many entries overlap in all.
const ScheduleEntry* FirstOverlapping(const ScheduleEntry* list, const ScheduleEntry* candidate,
                                      const ScheduleEntry* self, int* count);
