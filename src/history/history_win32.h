// The recording history on disk: lines appended to the file beside the
// settings file, the older file kept when it grows too big, the time the
// program last ran, and the file shown in the system's text viewer.
#pragma once
#include <windows.h>

#include "history/history.h"
#include "schedule/schedule.h"
#include "scheduler/naming.h"

// Appends one line stamped with the local time: the event, the entry's window
// (when there is an entry) and the detail (may be none or empty). The file is
// opened, written and closed for each line, so nothing is held open and a
// reader always sees whole lines. Returns 1 when the line was written; a
// failure costs no more than the failed open and never stops anything else.
int WriteHistory(HistoryEvent kind, const ScheduleEntry* entry, const char* detail);
// 1 exactly once: at the first call after a line could not be written.
int TakeHistoryFailureNews();

// The history's path, derived from settingsPath. 0 when it does not fit.
int HistoryPath(char* path, size_t capacity);

// When the program last ran, as far as the history knows: the time the file
// was last written (every line writes it, and KeepHistoryAlive once a minute).
// 0 when there is no history yet.
int ReadLastRunTime(LocalTimeFields* when);
// Marks the history as written now without adding a line: the program still runs.
void KeepHistoryAlive();

// Shows the history in the system's text viewer (created empty when it does
// not exist yet). Returns 1 when the viewer was started.
int OpenHistoryViewer();
