// The once-a-second evaluation of the schedule: one reading of the clock and
// the plug-in, the core's decision, and carrying it out.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"
#include "scheduler/tick.h"

// A request handed over ahead of its second: the core's record and the
// plug-in window it went to. The caller keeps it from tick to tick and
// clears it when the plug-in is lost.
struct ArmedStart {
  PreArm armed;
  HWND plugin;
};
void ForgetArmedStart(ArmedStart* ahead);

// What a hand-over ahead did: the entry it was tried for (none when nothing
// was tried) and, when it failed, why. Zeroed it says nothing was tried
// (START_PROBLEM_NONE and REQUEST_DONE are 0).
struct HandOverNews {
  ScheduleEntry* entry;
  StartProblem problem;
  RequestResult request;
  char fileName[PATH_CAPACITY];  // the name made for it ("" when none was)
};

// What one tick did, for the main window to show and tell.
struct TickOutcome {
  TickAction action;
  ScheduleEntry* entry;  // the entry acted on; its list line may have changed
  StartProblem problem;
  RequestResult request;
  // The name a start handed over. A start behind a request handed over ahead
  // is a start like any other: entry, fileName and request say what went to
  // the plug-in.
  char fileName[PATH_CAPACITY];
  // A tick that started nothing may have handed the next request over.
  HandOverNews handOver;
};

// The clock, the millisecond counter and the plug-in's state, read once.
TickReading ReadTick();

// Decides with the core and carries the decision out: stops at a window's
// end, starts (name, folder, free name, request, start command; or only the
// start command behind a request handed over ahead), adopts, confirms, and
// notes failed starts for a later try. A tick that starts nothing hands the
// next window's request over when it opens within PRE_ARM_LEAD_SECONDS.
// After a stop the caller looks once more, PRE_ARM_AFTER_STOP_MS later
// (CheckAhead).
void CheckSchedules(HWND mainWindow, const TickReading& reading, ArmedStart* ahead, TickOutcome* outcome);

// Between two ticks (PRE_ARM_AFTER_STOP_MS after a stop): only the hand-over
// ahead, as a tick that starts nothing does it. Nothing is started, stopped
// or confirmed here: that stays with the ticks. The hand-over ends by the
// window's second at the latest.
HandOverNews CheckAhead(HWND mainWindow, const TickReading& reading, ArmedStart* ahead);

// How far ahead of its second a request is handed over. Kept in a file of
// its own: the benchmark builds the program with its own, handing nothing
// over ahead, to measure starts that go the whole way on their second.
int32_t HandOverLeadSeconds();
