// Texts the main window shows: the list line of an entry and the title clock.
#pragma once
#include <cstddef>

#include "schedule/schedule.h"
#include "scheduler/naming.h"

// Room for the longest line: two clocks, the mark and a whole 259-byte
// pattern. Lines of hand-edited oddities (huge times) are cut with "...".
enum { LIST_LINE_CAPACITY = 320, TITLE_CAPACITY = 60 };

// "%02d:%02d:%02d - %02d:%02d:%02d %s %s": start, end, mark, pattern.
// Returns 1 when the whole line fitted, 0 when it was cut.
int FormatListLine(char* line, size_t capacity, const ScheduleEntry* entry);

// Puts the clock behind the title: the text up to its first "-" (or the
// title and a blank), then "- HH:MM:SS".
void UpdateTitleClock(char* title, size_t capacity, int hour, int minute, int second);

// Milliseconds from the given millisecond of the current second until a
// little after the next second boundary, so the tick runs just after the clock
// turns over.
unsigned DelayToNextSecond(int millisecond);
enum { TICK_ALIGN_MARGIN_MS = 5 };
// The delay of the next tick after a tick that read the clock at `ticked`,
// the clock now at `now`: just after the next second boundary, or at once (0)
// when the clock has left the second the tick read. A tick that worked past
// its second (a request handed over ahead waits until the window's second)
// must not leave that second to wait for the one after.
unsigned DelayToNextTick(const LocalTimeFields& ticked, const LocalTimeFields& now);
