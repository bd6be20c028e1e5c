// What the once-a-second schedule tick must do, decided from the list and one
// reading of the clock and the plug-in's state.
#pragma once
#include <cstdint>

#include "recorder/request.h"
#include "schedule/schedule.h"
#include "scheduler/naming.h"

// t lies in the entry's window [start, end); a window whose start is not
// before its end runs over midnight (t >= start or t < end).
bool InWindow(const ScheduleEntry* entry, int32_t secondsOfDay);

// Everything one tick looks at, read once at its start: the title clock, the
// buttons and the schedule all go by the same reading.
struct TickReading {
  LocalTimeFields time;
  uint32_t tickMs;  // the system's millisecond counter at the reading
  PluginState plugin;
};

int32_t SecondsOfDay(const LocalTimeFields& time);

// The entry's window holds t on weekday `day` (0 = Sunday) and its day bit is
// set: at that moment the tick would start it. The weekday is the one of the
// moment itself, so an over-midnight window runs on its bits both sides of
// midnight.
bool EntryDueAt(const ScheduleEntry* entry, int32_t secondsOfDay, int day);

enum { SECONDS_PER_DAY = 86400, NO_WINDOW_AHEAD = -1 };
// Seconds from now until the entry's window next opens: 0 when it is due
// now, NO_WINDOW_AHEAD when no weekday bit lets it open within the next
// eight days (a mask of 0, say). A window opens where a due second follows
// one that is not due: at its start, or at midnight for an over-midnight
// window whose new day has its bit while the old one has not.
int32_t SecondsUntilWindowOpens(const ScheduleEntry* entry, const LocalTimeFields& now);
// The same, not counting a window that is open now: the seconds until its
// next opening after this second.
int32_t SecondsUntilNextOpening(const ScheduleEntry* entry, const LocalTimeFields& now);
// The entry (not held by the user) whose window opens first, with the seconds
// until then in *seconds; none, with NO_WINDOW_AHEAD, when none will open.
// Of several opening on the same second the first in list order is taken.
ScheduleEntry* NextEntryToOpen(ScheduleEntry* list, const LocalTimeFields& now, int32_t* seconds);

enum TickAction {
  TICK_NOTHING = 0,
  TICK_STOP,            // the entry's window has ended: stop it
  TICK_START,           // the entry's window is open and the plug-in idle: start it
  TICK_ADOPT,           // the entry's window is open and the plug-in records already: take that recording
  TICK_CONFIRM,         // the plug-in now reports the recording the entry asked for
  TICK_START_FAILED,    // the plug-in never reported the asked-for recording
  TICK_RECORDING_LOST,  // the entry's recording stopped although its window is open
};
struct TickDecision {
  TickAction action;
  ScheduleEntry* entry;
};

// Timings of the start and its retries.
enum StartTiming {
  // How long the plug-in has to report a recording after the start was posted.
  START_CONFIRM_LIMIT_MS = 5000,
  // A failed attempt is tried again while the window lasts, but not sooner
  // than this: every try may cost a blocked request.
  START_RETRY_GAP_MS = 5000,
};

// Why a start did not happen (the shell finds out; the history tells it).
enum StartProblem {
  START_PROBLEM_NONE = 0,
  START_NO_MEMORY,      // no room for the name
  START_NO_FOLDER,      // the folder could not be made
  START_NO_FREE_NAME,   // no unused name was left
  START_REQUEST_FAILED, // the plug-in did not take the request (see request)
  START_NOT_CONFIRMED,  // the plug-in never reported the recording
};

// The decision of one tick. Nothing is decided without a plug-in that
// answered. An entry that is recording or starting comes first: it is
// stopped once t has left its window (the weekday plays no part), confirmed
// or given up while it starts, and let go when its recording stopped by
// itself; nothing else starts in the same tick. Otherwise the first entry in
// list order that is not held, whose weekday bit is set, whose window holds t
// and whose retry time has come is started, or adopted when the plug-in
// records already. Entries held by the user are released here once their
// window has ended.
TickDecision DecideTick(ScheduleEntry* list, const TickReading& reading);

// The state changes that follow what the shell did. Each clears what no
// longer holds, so an entry is in at most one of these states.
void NoteStarting(ScheduleEntry* entry, uint32_t nowMs);
void NoteStartFailed(ScheduleEntry* entry, uint32_t nowMs);
void NoteRecording(ScheduleEntry* entry);
void NoteStopped(ScheduleEntry* entry);

// The user stopped the recording: the entry that was recording or starting
// (returned, or none) is held until its window ends.
ScheduleEntry* HoldActiveEntry(ScheduleEntry* list);
// The plug-in went away: no recording of any entry can be known to run.
// Returns the entry that was recording or starting, or none.
ScheduleEntry* ForgetRecordings(ScheduleEntry* list);
// The entry that is recording or starting, or none.
ScheduleEntry* ActiveEntry(ScheduleEntry* list);
