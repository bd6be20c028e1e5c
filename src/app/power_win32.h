// The computer's power on the program's behalf: kept awake while a recording
// runs, woken for the next window.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"
#include "scheduler/naming.h"

// The two platform calls, reached through here so tests can watch them.
struct PowerCalls {
  EXECUTION_STATE(WINAPI* setThreadExecutionState)(EXECUTION_STATE flags);
  BOOL(WINAPI* setWaitableTimer)(HANDLE timer, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE routine,
                                 LPVOID argument, BOOL resume);
};
extern PowerCalls powerCalls;

// Asks that the system does not sleep for idleness while recording is true
// (the display may sleep), and releases that when it turns false. Calls the
// platform only when the wish changes.
void KeepAwakeWhileRecording(bool recording);

// Sets the wake timer for the next window's opening minus the lead, from the
// list and the local time; cancels it when no window lies ahead. Returns the
// seconds until the wake (NO_WINDOW_AHEAD when none) and the entry in *entry.
int32_t ArmWakeTimer(ScheduleEntry* list, const LocalTimeFields& now, ScheduleEntry** entry);

// At exit: the awake request is released and the wake timer closed.
void ReleasePower();
