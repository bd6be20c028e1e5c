#include "app/power_win32.h"

#include "app/power.h"
#include "scheduler/tick.h"

PowerCalls powerCalls = {SetThreadExecutionState, SetWaitableTimer};

namespace {

bool keptAwake = false;
HANDLE wakeTimer = nullptr;

const LONGLONG kFileTimeUnitsPerSecond = 10000000;

}  // namespace

void KeepAwakeWhileRecording(bool recording) {
  if (recording == keptAwake) return;
  keptAwake = recording;
  if (!recording) {
    powerCalls.setThreadExecutionState(ES_CONTINUOUS);
    return;
  }
  // Away mode lets a machine that supports it look asleep while it records;
  // a system that does not take it still keeps running for the recording.
  if (!powerCalls.setThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_AWAYMODE_REQUIRED))
    powerCalls.setThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

int32_t ArmWakeTimer(ScheduleEntry* list, const LocalTimeFields& now, ScheduleEntry** entry) {
  int32_t delay = WakeDelaySeconds(list, now, entry);
  if (!wakeTimer) wakeTimer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
  if (!wakeTimer) return delay;
  if (delay == NO_WINDOW_AHEAD) {
    CancelWaitableTimer(wakeTimer);
    return delay;
  }
  // Relative due times are negative, in 100 ns units. Nothing waits on the
  // timer: its only job is to bring the system out of sleep.
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(delay) * kFileTimeUnitsPerSecond;
  powerCalls.setWaitableTimer(wakeTimer, &due, 0, nullptr, nullptr, TRUE);
  return delay;
}

void ReleasePower() {
  KeepAwakeWhileRecording(false);
  if (wakeTimer) {
    CancelWaitableTimer(wakeTimer);
    CloseHandle(wakeTimer);
    wakeTimer = nullptr;
  }
}
