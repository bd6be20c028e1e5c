#include "scheduler/tick_win32.h"

#include "recorder/plugin_win32.h"
#include "schedule/schedule_win32.h"
#include "scheduler/naming.h"
#include "scheduler/naming_win32.h"
#include "text/text.h"

namespace {

// The name is expanded from the same clock reading that chose the entry, so
// a start just before a minute turns over is named after the minute it began.
// A folder that cannot be made, or no free name left: no start; the entry is
// tried again after a pause. The name of a file that exists is never handed out.
StartProblem PrepareFileName(const ScheduleEntry* entry, const TickReading& reading, char* name) {
  ExpandFileNamePatternAt(name, entry->outputPattern, WeekdayNames, reading.time);
  if (!EnsureDirectoryPath(name)) return START_NO_FOLDER;
  if (!MakeUniqueFileName(name)) return START_NO_FREE_NAME;
  return START_PROBLEM_NONE;
}

void StartEntry(HWND mainWindow, ScheduleEntry* entry, const TickReading& reading, TickOutcome* outcome) {
  outcome->problem = PrepareFileName(entry, reading, outcome->fileName);
  if (outcome->problem == START_PROBLEM_NONE) {
    outcome->request = SendRecordingRequest(mainWindow, entry, outcome->fileName);
    if (outcome->request != REQUEST_DONE) outcome->problem = START_REQUEST_FAILED;
  }
  // The request may have waited a long time: the clock for the next step
  // starts when it returned.
  if (outcome->problem == START_PROBLEM_NONE) {
    NoteStarting(entry, GetTickCount());
  } else {
    NoteStartFailed(entry, GetTickCount());
  }
}

}  // namespace

TickReading ReadTick() {
  TickReading reading;
  reading.time = LocalTimeNow();
  reading.tickMs = GetTickCount();
  reading.plugin = ReadPluginState();
  return reading;
}

void CheckSchedules(HWND mainWindow, const TickReading& reading, TickOutcome* outcome) {
  TickDecision decision = DecideTick(scheduleList, reading);
  outcome->action = decision.action;
  outcome->entry = decision.entry;
  outcome->problem = START_PROBLEM_NONE;
  outcome->request = REQUEST_DONE;
  outcome->fileName[0] = '\0';
  ScheduleEntry* entry = decision.entry;
  switch (decision.action) {
    case TICK_STOP:
      if (reading.plugin == PLUGIN_RECORDING) StopPluginRecording();
      NoteStopped(entry);
      break;
    case TICK_START: StartEntry(mainWindow, entry, reading, outcome); break;
    case TICK_ADOPT:
    case TICK_CONFIRM: NoteRecording(entry); break;
    case TICK_START_FAILED:
      outcome->problem = START_NOT_CONFIRMED;
      NoteStartFailed(entry, reading.tickMs);
      break;
    case TICK_RECORDING_LOST: NoteStartFailed(entry, reading.tickMs); break;
    case TICK_NOTHING: break;
  }
}
