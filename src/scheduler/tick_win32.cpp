#include "scheduler/tick_win32.h"

#include "recorder/plugin_win32.h"
#include "recorder/request_worker_win32.h"
#include "resources/ids.h"
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

// Builds the entry's request and gives it to the request worker; the waits
// run there, and underWay holds what the answer will need. A worker that
// cannot take it is a lack of what the system has to give.
RequestResult HandOver(HWND mainWindow, ScheduleEntry* entry, const char* fileName, const RequestDeadline& deadline,
                       const TickReading& reading, HandOverUnderWay* underWay) {
  static uint32_t lastSerial = 0;
  RecordingRequest request;
  RequestResult prepared = PrepareRecordingRequest(mainWindow, entry, fileName, deadline, &request);
  if (prepared != REQUEST_DONE) return prepared;
  const uint32_t serial = ++lastSerial;
  if (!BeginRecordingRequest(request, mainWindow, MSG_REQUEST_ANSWER, serial)) return REQUEST_NO_MEMORY;
  underWay->active = 1;
  // Only a request ahead of its second has a deadline.
  underWay->onTheSecond = deadline.set ? 0 : 1;
  underWay->serial = serial;
  underWay->entry = entry;
  CaptureRequestShape(entry, &underWay->shape);
  underWay->plugin = request.plugin;
  underWay->reading = reading;
  return REQUEST_DONE;
}

// A start with only the start command: the plug-in has the name and, with
// parameters, has confirmed them in its quality dialog already.
void StartArmed(ArmedStart* ahead, TickOutcome* outcome) {
  CopyText(outcome->fileName, sizeof outcome->fileName, ahead->armed.fileName);
  outcome->request = REQUEST_DONE;
  StartPluginRecording();
  ForgetArmedStart(ahead);
}

// The whole way on the second: name, folder, free name, and the request to
// the worker; its answer brings the start (FinishHandOver).
void StartOnTheSecond(HWND mainWindow, ScheduleEntry* entry, const TickReading& reading,
                      HandOverUnderWay* underWay, TickOutcome* outcome) {
  outcome->problem = PrepareFileName(entry, reading.time, outcome->fileName);
  if (outcome->problem != START_PROBLEM_NONE) return;
  outcome->request = HandOver(mainWindow, entry, outcome->fileName, NO_DEADLINE, reading, underWay);
  if (outcome->request != REQUEST_DONE) outcome->problem = START_REQUEST_FAILED;
}

// The start went out, or did not: the entry's notes. The clock for the next
// step starts now, when the request (which may have waited long) is through.
void NoteStartOutcome(ScheduleEntry* entry, const TickOutcome& outcome) {
  if (outcome.problem == START_PROBLEM_NONE) {
    NoteStarting(entry, GetTickCount());
  } else {
    NoteStartFailed(entry, GetTickCount());
  }
}

void StartEntry(HWND mainWindow, const TickDecision& decision, const TickReading& reading, ArmedStart* ahead,
                HandOverUnderWay* underWay, TickOutcome* outcome) {
  PreArmFit fit = FitOnThisSide(*ahead, FitPreArm(ahead->armed, scheduleList, decision, reading));
  if (fit == PRE_ARM_FITS) {
    StartArmed(ahead, outcome);
  } else {
    ForgetArmedStart(ahead);
    StartOnTheSecond(mainWindow, decision.entry, reading, underWay, outcome);
    if (underWay->active) return;
  }
  NoteStartOutcome(decision.entry, *outcome);
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
HandOverNews CheckAhead(HWND mainWindow, const TickReading& reading, ArmedStart* ahead, HandOverUnderWay* underWay) {
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
  CopyText(news.fileName, sizeof news.fileName, ahead->armed.fileName);
  if (news.problem == START_PROBLEM_NONE) {
    const RequestDeadline deadline = {1, choice.deadlineMs};
    news.request = HandOver(mainWindow, choice.entry, ahead->armed.fileName, deadline, reading, underWay);
    if (news.request != REQUEST_DONE) news.problem = START_REQUEST_FAILED;
  }
  // Ready only once the answer says the plug-in took it.
  ahead->armed.ready = 0;
  if (underWay->active) {
    underWay->outcome = TickOutcome{};
    underWay->outcome.action = TICK_NOTHING;
    underWay->outcome.handOver = news;
  }
  return news;
}

TickReading ReadTick() {
  TickReading reading;
  reading.time = LocalTimeNow();
  reading.tickMs = GetTickCount();
  reading.plugin = ReadPluginState();
  return reading;
}

void CheckSchedules(HWND mainWindow, const TickReading& reading, ArmedStart* ahead, HandOverUnderWay* underWay,
                    TickOutcome* outcome) {
  TickDecision decision = DecideTick(scheduleList, reading);
  ResetOutcome(decision, outcome);
  ScheduleEntry* entry = decision.entry;
  switch (decision.action) {
    case TICK_STOP:
      if (reading.plugin == PLUGIN_RECORDING) StopPluginRecording();
      NoteStopped(entry);
      break;
    case TICK_START: StartEntry(mainWindow, decision, reading, ahead, underWay, outcome); break;
    case TICK_ADOPT:
    case TICK_CONFIRM: NoteRecording(entry); break;
    case TICK_START_FAILED:
      outcome->problem = START_NOT_CONFIRMED;
      NoteStartFailed(entry, reading.tickMs);
      break;
    case TICK_RECORDING_LOST: NoteStartFailed(entry, reading.tickMs); break;
    case TICK_NOTHING: outcome->handOver = CheckAhead(mainWindow, reading, ahead, underWay); break;
  }
  // Whatever else the tick did, a request handed over ahead no longer holds.
  if (decision.action != TICK_NOTHING) ForgetArmedStart(ahead);
  if (underWay->active) underWay->outcome = *outcome;
}

HandOverEnd FinishHandOver(WPARAM serial, RequestResult result, bool startWanted, ArmedStart* ahead,
                           HandOverUnderWay* underWay, TickReading* reading, TickOutcome* outcome) {
  if (!underWay->active || serial != underWay->serial) return HAND_OVER_NOT_OURS;
  underWay->active = 0;
  *reading = underWay->reading;
  *outcome = underWay->outcome;
  AnswerFit fit = FitAnswer(scheduleList, underWay->entry, underWay->shape);
  if (fit == ANSWER_FITS && underWay->plugin != pluginWindow) fit = ANSWER_OTHER_PLUGIN;
  // A request ahead counts only while it is still the one armed.
  const bool armedElsewhere = !underWay->onTheSecond && ahead->armed.entry != underWay->entry;
  if (fit != ANSWER_FITS || armedElsewhere) {
    if (!underWay->onTheSecond) ForgetArmedStart(ahead);
    return HAND_OVER_DROPPED;
  }
  const StartProblem problem = result == REQUEST_DONE ? START_PROBLEM_NONE : START_REQUEST_FAILED;
  if (underWay->onTheSecond) {
    outcome->request = result;
    outcome->problem = problem;
    if (problem == START_PROBLEM_NONE && startWanted) StartPluginRecording();
    NoteStartOutcome(underWay->entry, *outcome);
  } else {
    outcome->handOver.request = result;
    outcome->handOver.problem = problem;
    ahead->armed.ready = problem == START_PROBLEM_NONE;
  }
  return HAND_OVER_FINISHED;
}
