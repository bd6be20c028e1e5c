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

// The status line. A notice (missed windows, a history that cannot be
// written) stays in it until the user opens the history; meanwhile other
// status texts are not shown.
void ShowStatus(HWND dialog, const char* text);
// The drive search's progress: it stands over the plain status and a notice
// until EndSearchProgress, when the line shows what it would have shown
// meanwhile; a warning stands over it.
void ShowSearchProgress(HWND dialog, const char* text);
void EndSearchProgress(HWND dialog);
// A warning about the entry's window: it stands in the status line, over a
// notice and the search too, while that window is open or about to open; then the line
// shows what it would have shown meanwhile (the notice, if it still stands).
void ShowWindowWarning(const ScheduleEntry* entry, const char* text);
// One line of the history (the entry's window, the detail); a history that
// cannot be written is told once in the status line.
void TellHistory(HistoryEvent kind, const ScheduleEntry* entry, const char* detail);
// Opens the history in the text viewer and takes the notice down.
void ShowHistory();
