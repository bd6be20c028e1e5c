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
  // than this: every try may cost a request that waits out its bounds.
  START_RETRY_GAP_MS = 5000,
};

// Why a start did not happen (the shell finds out; the history tells it).
enum StartProblem {
  START_PROBLEM_NONE = 0,
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

// The same clock `seconds` later (0 or more): the fields carry over into the
// next minute, hour, day, weekday, month and year (leap years included), so
// a name expanded for that moment is the name the tick would give then.
LocalTimeFields SecondsLater(const LocalTimeFields& time, int32_t seconds);

// ---- The request handed over ahead of its second ----
//
// Handing the plug-in its request takes time, and with MP3 parameters its
// quality dialog takes longer still. Done in the seconds before a window
// opens, only the start command is left for the window's second. Whatever no
// longer holds at that second (the entry changed or was deleted, another
// entry comes first, the plug-in records by hand or was lost, the hand-over
// failed) sends the start the whole way on the second as before.

enum PreArmTiming {
  // How many seconds before its window opens a request is handed over. The
  // hand-over with the quality dialog takes tens of milliseconds with a
  // plug-in that answers at once; two seconds leave room for a slow one
  // without holding the tick's decisions back for long before the window's
  // second.
  PRE_ARM_LEAD_SECONDS = 2,
  // A window that opens the second after another one's stop would find the
  // plug-in recording on every tick before it. The plug-in is idle within
  // moments of the stop, so the tick that stops looks again this long after.
  PRE_ARM_AFTER_STOP_MS = 250,
};

// The fields of an entry that shape its request and its file name.
struct RequestShape {
  int32_t startSeconds, endSeconds, dayMask;
  uint32_t flags;
  int32_t sampleRateIndex, bitrateIndex;
  char outputPattern[PATH_CAPACITY];
};
void CaptureRequestShape(const ScheduleEntry* entry, RequestShape* shape);
bool SameRequestShape(const ScheduleEntry* entry, const RequestShape& shape);

// Which entry to hand over ahead now, and for which second.
struct PreArmChoice {
  ScheduleEntry* entry;   // none: nothing to hand over now
  int32_t secondsAhead;   // 1 .. lead
  LocalTimeFields at;     // the second its window opens
  // The millisecond counter at that second (the reading's counter less its
  // millisecond, plus the seconds ahead): the hand-over is through by then,
  // or has failed, so it never pushes the start past its second.
  uint32_t deadlineMs;
};

// Only with an idle plug-in that answered, no entry recording or starting and
// nothing to start now: the entry the tick will start on one of the next
// leadSeconds seconds (the first such second), provided its window opens on
// that second. An entry whose window is open already and waits for its retry
// is not handed over ahead; neither is anything behind it.
PreArmChoice DecidePreArm(ScheduleEntry* list, const TickReading& reading, int32_t leadSeconds);

// What was handed over ahead, kept by the caller from tick to tick.
struct PreArm {
  ScheduleEntry* entry;  // none: nothing is handed over
  RequestShape shape;    // the entry as it was when handed over
  LocalTimeFields at;    // the second it was handed over for
  uint8_t ready;         // name made and request taken: only the start is left
  char fileName[PATH_CAPACITY];
};
// Notes the choice (entry, its shape, the second); the caller then makes the
// name, hands it over and sets ready.
void BeginPreArm(PreArm* armed, const PreArmChoice& choice);
void ClearPreArm(PreArm* armed);

// Whether what was handed over ahead still holds.
enum PreArmFit {
  PRE_ARM_FITS = 0,
  PRE_ARM_NOTHING_ARMED,
  PRE_ARM_ENTRY_GONE,      // the entry was deleted
  PRE_ARM_ENTRY_CHANGED,   // the entry was changed since
  PRE_ARM_PLUGIN_RECORDS,  // the plug-in records (started by hand)
  PRE_ARM_OTHER_ENTRY,     // another entry (or none) is to start
  PRE_ARM_OTHER_SECOND,    // the start falls on another second than armed for
  PRE_ARM_NOT_READY,       // the name, its folder or the hand-over had failed
  // Found by the shell, which sees the windows and files:
  PRE_ARM_OTHER_PLUGIN,    // the plug-in it went to is gone (or another came)
  PRE_ARM_NAME_TAKEN,      // a file has appeared under the prepared name
};

// At a tick that starts nothing now, with the choice DecidePreArm made:
// PRE_ARM_FITS keeps what was handed over (also a hand-over that failed: it
// is not tried again for the same second); anything else gives it up.
PreArmFit ReviewPreArm(const PreArm& armed, ScheduleEntry* list, const TickReading& reading,
                       const PreArmChoice& choice);
// At a tick that decided: PRE_ARM_FITS when it starts the armed entry, as it
// was, on the second it was armed for, and the hand-over had succeeded; then
// only the start command is left.
PreArmFit FitPreArm(const PreArm& armed, ScheduleEntry* list, const TickDecision& decision,
                    const TickReading& reading);

// ---- A hand-over on its way ----
//
// The request and the quality dialog's waits run apart from the tick (they
// may take up to REQUEST_SEND_LIMIT_MS and twice QUALITY_WAIT_LIMIT_MS), and
// the tick decides nothing until their answer has come. By then the person
// may have changed or deleted the entry: the answer only counts for the
// entry it was handed over for, as it was.

enum AnswerFit {
  ANSWER_FITS = 0,
  ANSWER_ENTRY_GONE,     // the entry was deleted meanwhile
  ANSWER_ENTRY_CHANGED,  // the entry was changed meanwhile
  // Found by the shell, which sees the windows:
  ANSWER_OTHER_PLUGIN,   // the plug-in it went to is no longer the one known
};
AnswerFit FitAnswer(ScheduleEntry* list, const ScheduleEntry* entry, const RequestShape& shape);

// ---- Looking for the plug-in ----

enum QuickSearchTiming {
  // A window opening within this many seconds (or open) makes the search run
  // every second while no plug-in is known...
  QUICK_SEARCH_AHEAD_SECONDS = 30,
  // ...and so does a player the program has just started, for this long.
  QUICK_SEARCH_AFTER_LAUNCH_MS = 30000,
};

// When the program last handed the player to the system to start.
struct PlayerLaunch {
  uint8_t launched;
  uint32_t atMs;  // tick count of that launch
};

// Whether the plug-in is to be looked for at this tick rather than only on
// the slow search timer: a window (of an entry not held) opens within
// QUICK_SEARCH_AHEAD_SECONDS or is open, or the player was launched less
// than QUICK_SEARCH_AFTER_LAUNCH_MS ago.
bool SearchEverySecond(ScheduleEntry* list, const TickReading& reading, const PlayerLaunch& launch);

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
// Whether the entry records or its start is under way.
bool EntryActive(const ScheduleEntry* entry);
// The entry that is recording or starting, or none.
ScheduleEntry* ActiveEntry(ScheduleEntry* list);
// The entry whose recording the plug-in has confirmed (the marked one), or none.
ScheduleEntry* RecordingEntry(ScheduleEntry* list);
