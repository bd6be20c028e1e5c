#include "scheduler/tick_win32.h"

#include "recorder/plugin_win32.h"
#include "schedule/schedule_win32.h"
#include "scheduler/naming.h"
#include "scheduler/naming_win32.h"
#include "text/files_win32.h"
#include "text/text.h"

namespace {

// The name is expanded for the second the entry starts on: the clock reading
// that chose it, or the coming second a request is handed over ahead for. So
// a start just before a minute turns over is named after the minute it
// began, and a name made ahead is the one the start on its second would get.
// A folder that cannot be made, or no free name left: no start; the entry is
// tried again after a pause. The name of a file that exists is never handed out.
StartProblem PrepareFileName(const ScheduleEntry* entry, const LocalTimeFields& at, char* name) {
  ExpandFileNamePatternAt(name, entry->outputPattern, WeekdayNames, at);
  if (!EnsureDirectoryPath(name)) return START_NO_FOLDER;
  if (!MakeUniqueFileName(name)) return START_NO_FREE_NAME;
  return START_PROBLEM_NONE;
}

// What the core's fit leaves for the shell to see: the same plug-in window,
// and the prepared name still free.
PreArmFit FitOnThisSide(const ArmedStart& ahead, PreArmFit fit) {
  if (fit != PRE_ARM_FITS) return fit;
  if (ahead.plugin != pluginWindow) return PRE_ARM_OTHER_PLUGIN;
  if (FileExists(ahead.armed.fileName)) return PRE_ARM_NAME_TAKEN;
  return PRE_ARM_FITS;
}

// A start with only the start command: the plug-in has the name and, with
// parameters, has confirmed them in its quality dialog already.
void StartArmed(ArmedStart* ahead, TickOutcome* outcome) {
  CopyText(outcome->fileName, sizeof outcome->fileName, ahead->armed.fileName);
  outcome->request = REQUEST_DONE;
  StartPluginRecording();
  ForgetArmedStart(ahead);
}

// The whole way on the second: name, folder, free name, request, start.
void StartOnTheSecond(HWND mainWindow, ScheduleEntry* entry, const TickReading& reading, TickOutcome* outcome) {
  outcome->problem = PrepareFileName(entry, reading.time, outcome->fileName);
  if (outcome->problem == START_PROBLEM_NONE) {
    outcome->request = SendRecordingRequest(mainWindow, entry, outcome->fileName);
    if (outcome->request != REQUEST_DONE) outcome->problem = START_REQUEST_FAILED;
  }
}

void StartEntry(HWND mainWindow, const TickDecision& decision, const TickReading& reading, ArmedStart* ahead,
                TickOutcome* outcome) {
  PreArmFit fit = FitOnThisSide(*ahead, FitPreArm(ahead->armed, scheduleList, decision, reading));
  if (fit == PRE_ARM_FITS) {
    StartArmed(ahead, outcome);
  } else {
    ForgetArmedStart(ahead);
    StartOnTheSecond(mainWindow, decision.entry, reading, outcome);
  }
  // The request may have waited a long time: the clock for the next step
  // starts when it returned.
  if (outcome->problem == START_PROBLEM_NONE) {
    NoteStarting(decision.entry, GetTickCount());
  } else {
    NoteStartFailed(decision.entry, GetTickCount());
  }
}

void ResetOutcome(const TickDecision& decision, TickOutcome* outcome) {
  outcome->action = decision.action;
  outcome->entry = decision.entry;
  outcome->problem = START_PROBLEM_NONE;
  outcome->request = REQUEST_DONE;
  outcome->fileName[0] = '\0';
  outcome->handOver = HandOverNews{};
}

}  // namespace

void ForgetArmedStart(ArmedStart* ahead) {
  ClearPreArm(&ahead->armed);
  ahead->plugin = nullptr;
}

// At a tick that started nothing: keeps what was handed over ahead while it
// holds, else gives it up, and hands over the next window's request when one
// opens within the lead. A hand-over that failed is not tried again for the
// same second: the start on the second goes the whole way instead. Its waits
// end on that second, so the start is never later for it.
HandOverNews CheckAhead(HWND mainWindow, const TickReading& reading, ArmedStart* ahead) {
  HandOverNews news{};
  PreArmChoice choice = DecidePreArm(scheduleList, reading, HandOverLeadSeconds());
  if (ahead->armed.entry) {
    PreArmFit fit = ReviewPreArm(ahead->armed, scheduleList, reading, choice);
    if (fit == PRE_ARM_FITS && ahead->plugin == pluginWindow) return news;
    ForgetArmedStart(ahead);
  }
  if (!choice.entry) return news;
  BeginPreArm(&ahead->armed, choice);
  ahead->plugin = pluginWindow;
  news.entry = choice.entry;
  news.problem = PrepareFileName(choice.entry, choice.at, ahead->armed.fileName);
  if (news.problem == START_PROBLEM_NONE) {
    const RequestDeadline deadline = {1, choice.deadlineMs};
    news.request = HandOverRecordingRequest(mainWindow, choice.entry, ahead->armed.fileName, deadline);
    if (news.request != REQUEST_DONE) news.problem = START_REQUEST_FAILED;
  }
  ahead->armed.ready = news.problem == START_PROBLEM_NONE;
  CopyText(news.fileName, sizeof news.fileName, ahead->armed.fileName);
  return news;
}

TickReading ReadTick() {
  TickReading reading;
  reading.time = LocalTimeNow();
  reading.tickMs = GetTickCount();
  reading.plugin = ReadPluginState();
  return reading;
}

void CheckSchedules(HWND mainWindow, const TickReading& reading, ArmedStart* ahead, TickOutcome* outcome) {
  TickDecision decision = DecideTick(scheduleList, reading);
  ResetOutcome(decision, outcome);
  ScheduleEntry* entry = decision.entry;
  switch (decision.action) {
    case TICK_STOP:
      if (reading.plugin == PLUGIN_RECORDING) StopPluginRecording();
      NoteStopped(entry);
      break;
    case TICK_START: StartEntry(mainWindow, decision, reading, ahead, outcome); break;
    case TICK_ADOPT:
    case TICK_CONFIRM: NoteRecording(entry); break;
    case TICK_START_FAILED:
      outcome->problem = START_NOT_CONFIRMED;
      NoteStartFailed(entry, reading.tickMs);
      break;
    case TICK_RECORDING_LOST: NoteStartFailed(entry, reading.tickMs); break;
    case TICK_NOTHING: outcome->handOver = CheckAhead(mainWindow, reading, ahead); break;
  }
  // Whatever else the tick did, a request handed over ahead no longer holds.
  if (decision.action != TICK_NOTHING) ForgetArmedStart(ahead);
}
