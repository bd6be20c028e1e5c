// What becomes of each window, for the history: its opening and end seen from
// one reading to the next (whether or not a plug-in is known, so the schedule
// tick need not run), the reasons it did not record told once each, the
// windows that came and went while nobody looked, and the player start for a
// window that is due soon. Portable: the shell reads, this decides.
#pragma once
#include <cstdint>

#include "history/history.h"
#include "schedule/schedule.h"
#include "scheduler/disk_space.h"
#include "scheduler/naming.h"
#include "scheduler/tick.h"

// ---- Local wall-clock time as one number ----

// Seconds since 1970-01-01 00:00:00 of the local clock (no time zone, no
// daylight saving: the schedule is a matter of the wall clock too). The
// millisecond is left out.
int64_t LocalSecondsOf(const LocalTimeFields& time);
// The date, weekday and time of such a number (millisecond 0).
LocalTimeFields LocalTimeAt(int64_t seconds);

// Seconds since the entry's current window opened (at its start, or at
// midnight when its weekday run begins there); -1 when it is not due now. A
// window due every second of the week never opened: 0.
int32_t SecondsSinceWindowOpened(const ScheduleEntry* entry, const LocalTimeFields& now);

// ---- One entry from one reading to the next ----

// What the history must say about an entry after a reading.
struct WindowNews {
  HistoryEvent kind;  // HISTORY_NONE, HISTORY_NOT_STARTED or HISTORY_MISSED
  HistoryReason reason;
};

// Brings the entry's window notes up to the reading, before the schedule tick
// acts on it. A window is open while the entry is due, and beyond that while
// it records or starts (the tick stops it at its end). At its opening the
// notes of the last window are cleared (not those taken for it just ahead,
// NoteAhead); at its end it is missed unless a
// recording of it ran, with the last reason it did not record; the player
// start it had is forgotten. While it is open and neither records, starts
// nor is held by the user, what the reading shows is a reason of its own: no
// plug-in, a plug-in that does not answer, or another entry's recording.
// Each reason is told once per window.
WindowNews WatchEntry(ScheduleEntry* list, ScheduleEntry* entry, const TickReading& reading);

// Notes a reason the entry's current window did not record; true when it is
// the first time this window has it (then it is to be told).
bool NoteReason(ScheduleEntry* entry, HistoryReason reason);

// A try made for a window before it opens (its request handed over ahead):
// what is noted from here on belongs to that window and is kept when it
// opens within NOTES_AHEAD_KEEP_MS, instead of being cleared there, so a
// reason told ahead is not told again inside the window. Notes taken for a
// window that did not open then are dropped at the next opening.
enum { NOTES_AHEAD_KEEP_MS = (PRE_ARM_LEAD_SECONDS + 3) * 1000 };
void NoteAhead(ScheduleEntry* entry, uint32_t nowMs);
// A recording of the entry's current window runs: the window is not missed.
void NoteWindowRecorded(ScheduleEntry* entry);
// A balloon is to tell the reason about the entry's current window: true
// the first time this window has it, so a reason balloons once per window
// (a failed try and the window missed for it are one balloon). An event
// without a reason has its caller's own once per window (the disk checks).
bool NoteBallooned(ScheduleEntry* entry, HistoryReason reason);
// What the recording left shows that the window was not recorded after all
// (its file missing or empty at the end): when the window is over it is
// missed for that reason, like a window that never started.
void NoteWindowNotRecorded(ScheduleEntry* entry, HistoryReason reason);

// ---- The drive of the window's recording ----

// Whether the drive was looked at for the entry's window already (when its
// name was handed over, ahead or on its second).
bool DiskCheckedThisWindow(const ScheduleEntry* entry);
void NoteDiskChecked(ScheduleEntry* entry);
// True when a check's verdict is to be told: the first time in the window
// that it is short, and the first time that it is full.
bool NoteDiskVerdict(ScheduleEntry* entry, DiskVerdict verdict);
// True the first time in the window that its recording's file is found not
// growing: that is told once, however often it stands still again.
bool NoteFileNotGrowing(ScheduleEntry* entry);
// Whether the entry's window is open (at the last reading) or opens within
// PRE_ARM_LEAD_SECONDS: a warning about it stands that long.
bool WindowOpenOrOpening(const ScheduleEntry* entry, const LocalTimeFields& now);

// ---- The check ahead of a window (history/ahead.h) ----

// Whether the entry's window opening at `opening` (local seconds) was
// checked ahead already, with the entry as it is now: an entry changed since
// is checked again.
bool CheckedAheadFor(const ScheduleEntry* entry, int64_t opening);
// A check ahead of that opening found the reasons `found` (bit r: reason r).
// Returns those not told for it yet: each is told once an opening, also when
// a change of the entry brings a second check.
uint32_t NoteCheckedAhead(ScheduleEntry* entry, int64_t opening, uint32_t found);
// Entries were added or deleted: an overlap may have come or gone, so every
// window is looked at again (what was told for it stays told).
void CheckAheadAgain(ScheduleEntry* list);
// Whether a warning told ahead of the entry's window still stands at now:
// the window has not opened yet and its last check still found something.
bool AheadWarningStands(const ScheduleEntry* entry, const LocalTimeFields& now);

// ---- Windows nobody saw ----

struct PassedWindow {
  ScheduleEntry* entry;
  int64_t opened;  // local seconds (LocalSecondsOf)
  int64_t ended;
};
enum { PASSED_WINDOW_LOOKBACK_SECONDS = 7 * SECONDS_PER_DAY };

// The windows that opened after `after` and had ended by `until` (local
// seconds), looking back no further than a week before `until`. The earliest
// `capacity` of them go to out, by opening time and on the same second in
// list order; the result counts them all.
int WindowsPassedBetween(ScheduleEntry* list, int64_t after, int64_t until, PassedWindow* out, int capacity);

// ---- The player started for a due window ----

enum { PLAYER_START_LEAD_SECONDS = 30 };

// The first entry in list order, not held by the user and without a player
// start for its window yet, whose window is open or opens within the lead.
// None when no window needs a player.
ScheduleEntry* EntryWantingPlayer(ScheduleEntry* list, const LocalTimeFields& now);
// The player is being started: every entry that wants it now has had its start.
void NotePlayerStarted(ScheduleEntry* list, const LocalTimeFields& now);
