// The once-a-second evaluation of the schedule: one reading of the clock and
// the plug-in, the core's decision, and carrying it out.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"
#include "scheduler/tick.h"

// What one tick did, for the main window to show and tell.
struct TickOutcome {
  TickAction action;
  ScheduleEntry* entry;  // the entry acted on; its list line may have changed
  StartProblem problem;
  RequestResult request;
  char fileName[PATH_CAPACITY];  // the name a start handed over
};

// The clock, the millisecond counter and the plug-in's state, read once.
TickReading ReadTick();

// Decides with the core and carries the decision out: stops at a window's
// end, starts (name, folder, free name, request, start command), adopts,
// confirms, and notes failed starts for a later try.
void CheckSchedules(HWND mainWindow, const TickReading& reading, TickOutcome* outcome);
