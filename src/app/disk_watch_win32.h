// The free space of the drive a scheduled recording goes to: looked at once
// before its window opens and once a minute while it records. A drive short
// of what the window needs is told in the history and in the status line;
// the recording starts all the same (part of a programme beats none). A
// drive whose free space cannot be read says nothing.
#pragma once
#include "schedule/schedule.h"
#include "scheduler/tick.h"
#include "scheduler/tick_win32.h"

// After a tick: a name handed over for a window (ahead of its second by a
// tick that started nothing, or on the second) has its drive looked at, once
// a window, and the recording into it is watched from then on; while that
// recording runs, its drive is looked at once every DISK_CHECK_PERIOD_MS by
// the tick's own counter, and its file with it (file_watch_win32.h). At most
// one query of each a tick, after the start went out.
void CheckDiskAfterTick(const TickReading& reading, const TickOutcome& outcome);
// After a hand-over between two ticks: as a tick's.
void CheckDiskAfterHandOver(const TickReading& reading, const HandOverNews& news);
