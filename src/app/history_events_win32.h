// What the main window tells the recording history, the player it starts
// for a window that is due, and the notices it puts in the status line.
#pragma once
#include <windows.h>

#include "history/history.h"
#include "schedule/schedule.h"
#include "scheduler/tick.h"
#include "scheduler/tick_win32.h"

// At start, once the schedule is loaded: the windows that came and went since
// the program last ran are told as missed, then the start itself; a notice
// counts the missed ones. Also reads whether the player is started for due
// windows ([Config] "AutoStartPlayer", on unless 0).
void HistoryAtStart(HWND dialog);
// Before the dialog goes: the end, and a recording that goes on without us.
void HistoryAtEnd();

void HistoryPluginFound(const char* pluginTitle);
// The plug-in went away; active is the entry that was recording or starting
// (none when none was), marked whether its recording was running.
void HistoryPluginLost(const ScheduleEntry* active, bool marked);
// The user stopped the recording of held (none when no entry was active).
void HistoryUserStopped(ScheduleEntry* held, bool marked);
// The system's ANSI code page is not the program's: told after the start line.
void HistoryWrongCodePage(unsigned codePage);
// The user turned the start with Windows on or off.
void HistoryStartWithWindows(bool on);
// The player was just started (by the launch command): give it time to come
// up before starting it again for a window.
void NotePlayerLaunched();

// Every tick, before the schedule is checked and whether or not a plug-in is
// known: windows opening and ending, reasons they do not record, windows
// that passed between two readings, and the player started for a window that
// is due.
void WatchWindows(const TickReading& reading);
// At the end of every tick, out of the way of a start: once a minute the
// history's time is renewed, so the next start knows when this run ended.
void KeepHistoryAliveAfterTick(const TickReading& reading);
// Every tick the schedule was checked: what it did.
void HistoryOfTick(const TickReading& reading, const TickOutcome& outcome);
// A request handed over ahead (by a tick or between two): a failed one is a
// failed try of the window about to open, told once per reason and window.
void HistoryOfHandOver(const TickReading& reading, const HandOverNews& news);

// ---- What the person is told, and where ----
//
// Every event the person may hear of goes through Tell: it writes the
// history line and decides where else the event shows. A warning about a
// window stands in the status line, over a notice too, while that window is
// open or about to open; then the line shows what it would have shown
// meanwhile (the notice, if it still stands). Callers say what happened,
// never where it is shown.
struct Report {
  HistoryEvent kind;
  const ScheduleEntry* entry;  // the window it is about, or none
  HistoryReason reason;        // why, when a reason of the history's applies (REASON_NONE: none)
  // The line's detail; none: the reason's own text.
  const char* detail;
  // The status line's text about the entry's window while it lasts, or none.
  const char* warning;
};
void Tell(const Report& report);
// What a report of that kind warned of about the window no longer holds (a
// file grows again): its warning goes, if it still stands, as it would when
// the window ends. Nothing is written.
void TellOver(HistoryEvent kind, const ScheduleEntry* entry);

// ---- What the notification area is told ----
//
// Tell carries out app/balloons' decision through balloonSink: a warning
// balloon with a title and a text. The tip follows the next-recording text
// through trayTipSink (the main window sets it when the text changes). Both
// go to the notification-area icon; tests put recorders in their place.
extern void (*balloonSink)(const char* title, const char* text);
extern void (*trayTipSink)(const char* text);
// At the end of every tick: a failed try whose window has still not
// recorded after the hold is told in a balloon; one whose window recorded,
// ended or was stopped by the user says nothing.
void BalloonsAfterTick(const TickReading& reading);
// The file the running recording of entry was started with; none when it
// is not known (a recording taken over) or entry is not recording.
const char* FileRecordedBy(const ScheduleEntry* entry);

// The plain status line (the plug-in's connection). A notice (missed windows,
// a history that cannot be written) stays over it until the user opens the
// history, and a window's warning over both.
void ShowStatus(HWND dialog, const char* text);
// The drive search's progress: it stands over the plain status and a notice
// until EndSearchProgress, when the line shows what it would have shown
// meanwhile; a window's warning stands over it.
void ShowSearchProgress(HWND dialog, const char* text);
void EndSearchProgress(HWND dialog);
// Opens the history in the text viewer and takes the notice down.
void ShowHistory();
