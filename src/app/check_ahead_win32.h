// Each window looked at a while before it opens ([Config] "CheckAheadMinutes"):
// what would keep it from recording is told while it can still be mended.
// The look makes the file's folder (the start would make it anyway) and
// starts nothing; whatever is mended before the window opens is not there
// at its second.
#pragma once
#include "scheduler/tick.h"

// At start, once the schedule is loaded: reads the lead and whether the
// player is started for due windows. A window nearer than the lead is looked
// at from the first tick on.
void StartCheckingAhead();
// After a tick: one window due for its look is looked at (the one opening
// first), so several due at once are spread over as many ticks. Each reason
// found is told once an opening; a changed entry is looked at again, and
// every window when entries were added or deleted.
void CheckWindowsAheadAfterTick(const TickReading& reading);
