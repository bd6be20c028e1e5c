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

// A request on its way to the plug-in on the request worker: what the tick
// handed over, kept until the worker's answer comes. Meanwhile the tick
// decides nothing. The caller keeps it (zeroed: nothing on its way).
struct HandOverUnderWay {
  uint8_t active;
  uint8_t onTheSecond;  // a start on its second (else a request ahead of it)
  uint32_t serial;      // the answer's wParam
  ScheduleEntry* entry;
  RequestShape shape;   // the entry as it was handed over
  HWND plugin;
  TickReading reading;  // of the tick (or the look after a stop) that began it
  TickOutcome outcome;  // what that tick did, the rest waiting for the answer
};

// How the worker's answer was taken.
enum HandOverEnd {
  HAND_OVER_NOT_OURS = 0,  // no hand-over is under way with that serial
  HAND_OVER_DROPPED,       // what it was for no longer holds: nothing follows
  HAND_OVER_FINISHED,      // carried on: *outcome is the tick's, to be told
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
// A request that goes to the plug-in (on the second or ahead) goes to the
// request worker and leaves underWay active: the rest of that tick (the
// start command, the entry's notes, what is told) waits for the answer,
// FinishHandOver.
void CheckSchedules(HWND mainWindow, const TickReading& reading, ArmedStart* ahead, HandOverUnderWay* underWay,
                    TickOutcome* outcome);

// Between two ticks (PRE_ARM_AFTER_STOP_MS after a stop): only the hand-over
// ahead, as a tick that starts nothing does it. Nothing is started, stopped
// or confirmed here: that stays with the ticks. The hand-over ends by the
// window's second at the latest; like a tick's it may be left under way.
HandOverNews CheckAhead(HWND mainWindow, const TickReading& reading, ArmedStart* ahead, HandOverUnderWay* underWay);

// The worker's answer (serial, result) to the request under way. When what
// it was for still holds (the entry in the list and unchanged, the same
// plug-in) the tick is carried on as it would have gone on after the
// request: the start command (unless startWanted is false: a stop is waiting),
// the entry's notes, or what was handed over ahead kept for its second.
// *reading and *outcome are then the tick's, to be told. Otherwise the
// answer is dropped (and what was handed over ahead with it): the next tick
// decides afresh.
HandOverEnd FinishHandOver(WPARAM serial, RequestResult result, bool startWanted, ArmedStart* ahead,
                           HandOverUnderWay* underWay, TickReading* reading, TickOutcome* outcome);

// How far ahead of its second a request is handed over. Kept in a file of
// its own: the benchmark builds the program with its own, handing nothing
// over ahead, to measure starts that go the whole way on their second.
int32_t HandOverLeadSeconds();
