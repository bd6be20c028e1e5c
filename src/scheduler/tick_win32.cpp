#include "scheduler/tick_win32.h"

#include "app/main_dialog_win32.h"
#include "app/ui_win32.h"
#include "recorder/plugin_win32.h"
#include "resources/ids.h"
#include "schedule/schedule_win32.h"
#include "scheduler/naming.h"
#include "scheduler/naming_win32.h"
#include "scheduler/tick.h"

namespace {
void StopEntry(HWND mainWindow, ScheduleEntry* entry) {
  SetForegroundWindow(pluginWindow);
  PostCommand(mainWindow, IDC_MAIN_STOP);
  entry->recording = 0;
  RefreshScheduleList(mainWindow);
}

// The name is expanded from the same clock reading that chose the entry, so
// a start just before a minute turns over is named after the minute it began.
void StartEntry(HWND mainWindow, ScheduleEntry* entry, const SYSTEMTIME& now) {
  char* name = static_cast<char*>(LocalAlloc(LMEM_FIXED, PATH_CAPACITY));
  if (!name) return;
  ExpandFileNamePatternAt(name, entry->outputPattern, WeekdayNames, now);
  // A folder that cannot be made, or no free name left: try again next tick;
  // never hand out the name of a file that exists.
  if (EnsureDirectoryPath(name) && MakeUniqueFileName(name)) {
    entry->recording = 1;
    RefreshScheduleList(mainWindow);
    if (!IsRecording()) SendRecordingRequest(mainWindow, entry, name);
  }
  LocalFree(name);
}
}  // namespace

void CheckSchedules(HWND mainWindow) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int32_t t = HmsToSeconds(now.wHour, now.wMinute, now.wSecond);
  TickDecision decision = DecideTick(scheduleList, t, now.wDayOfWeek);
  if (decision.action == TICK_STOP) StopEntry(mainWindow, decision.entry);
  if (decision.action == TICK_START) StartEntry(mainWindow, decision.entry, now);
}
