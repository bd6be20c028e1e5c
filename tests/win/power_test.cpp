// The computer's power: the awake request follows a scheduled recording, and
// the wake timer follows the list. The two platform calls are watched through
// the shell's seam; the main dialog and the stand-in are the real ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_win32.h"
#include "app/main_dialog_win32.h"
#include "app/power.h"
#include "app/power_win32.h"
#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "recorder/plugin_win32.h"
#include "resources/ids.h"
#include "schedule/schedule_win32.h"
#include "win/win_support.h"

using namespace winsupport;

namespace {

// What reached the platform through the seam.
std::vector<EXECUTION_STATE> executionStates;
std::vector<LONGLONG> wakeDues;  // 100 ns units, negative: relative
bool awayModeTaken = true;

EXECUTION_STATE WINAPI WatchExecutionState(EXECUTION_STATE flags) {
  executionStates.push_back(flags);
  if ((flags & ES_AWAYMODE_REQUIRED) && !awayModeTaken) return 0;
  return ES_CONTINUOUS;
}

BOOL WINAPI WatchWaitableTimer(HANDLE, const LARGE_INTEGER* due, LONG, PTIMERAPCROUTINE, LPVOID, BOOL resume) {
  if (resume) wakeDues.push_back(due->QuadPart);
  return TRUE;
}

class Power : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = powerCalls;
    powerCalls = PowerCalls{WatchExecutionState, WatchWaitableTimer};
    executionStates.clear();
    wakeDues.clear();
    awayModeTaken = true;
    KeepAwakeWhileRecording(false);
    executionStates.clear();
  }
  void TearDown() override {
    ReleasePower();
    powerCalls = saved_;
    FreeAllSchedules();
  }
  PowerCalls saved_;
};

const EXECUTION_STATE kAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;

TEST_F(Power, AwakeRequestOnlyOnChangeWithAwayModeWhereTheSystemTakesIt) {
  KeepAwakeWhileRecording(true);
  KeepAwakeWhileRecording(true);
  KeepAwakeWhileRecording(false);
  KeepAwakeWhileRecording(false);
  EXPECT_EQ(executionStates, (std::vector<EXECUTION_STATE>{kAwake | ES_AWAYMODE_REQUIRED, ES_CONTINUOUS}));

  executionStates.clear();
  awayModeTaken = false;
  KeepAwakeWhileRecording(true);
  EXPECT_EQ(executionStates, (std::vector<EXECUTION_STATE>{kAwake | ES_AWAYMODE_REQUIRED, kAwake}));
}

// "H:M:S" of the local clock `offset` seconds from now.
std::string ClockIn(int offset) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  int t = ((now.wHour * 3600 + now.wMinute * 60 + now.wSecond + offset) % 86400 + 86400) % 86400;
  return std::to_string(t / 3600) + ":" + std::to_string(t / 60 % 60) + ":" + std::to_string(t % 60);
}

std::string EveryDay(int key, int startIn, int length, const std::string& pattern) {
  return std::to_string(key) + "=" + ClockIn(startIn) + " " + ClockIn(startIn + length) + " " + pattern +
         "|4 1 -1 0\r\n";
}

// Seconds of the last wake armed.
long long LastWakeSeconds() { return wakeDues.empty() ? 0 : -wakeDues.back() / 10000000; }

TEST_F(Power, WakeTimerFollowsTheListToTheNextWindowLessTheLead) {
  std::string dir = NewTempDir("wake");
  std::string ini = UseFreshSettings(dir);
  WriteFileText(ini, QuietPlayerConfig(dir) + "[MP3Schedule]\r\n" +
                         EveryDay(0, 2 * 3600, 600, "D:\\sooner.mp3") + EveryDay(1, 3 * 3600, 600, "D:\\later.mp3"));
  RegisterMainClass(app.instance);
  HWND dialog = CreateMainDialog(app.instance);
  ASSERT_NE(dialog, nullptr);
  PumpFor(50);
  ASSERT_FALSE(wakeDues.empty()) << "armed when the list was loaded";
  EXPECT_NEAR(LastWakeSeconds(), 2 * 3600 - WAKE_LEAD_SECONDS, 2);

  // Deleting the sooner entry moves the wake to the later one.
  SendDlgItemMessageA(dialog, IDC_MAIN_LIST, LB_SETCURSEL, 0, 0);
  {
    MessageBoxAnswerer answerer({IDOK});
    SendMessageA(dialog, WM_COMMAND, IDC_MAIN_DELETE, 0);
  }
  EXPECT_NEAR(LastWakeSeconds(), 3 * 3600 - WAKE_LEAD_SECONDS, 2);

  // No window left: nothing is armed any more.
  size_t armed = wakeDues.size();
  SendDlgItemMessageA(dialog, IDC_MAIN_LIST, LB_SETCURSEL, 0, 0);
  {
    MessageBoxAnswerer answerer({IDOK});
    SendMessageA(dialog, WM_COMMAND, IDC_MAIN_DELETE, 0);
  }
  EXPECT_EQ(wakeDues.size(), armed);
  DestroyWindow(dialog);
  PumpFor(20);
}

// A scheduled recording keeps the system awake from when the plug-in reports
// it until its window ends.
TEST_F(Power, AwakeWhileAScheduledRecordingRunsAndReleasedAfter) {
  e2e::PrivateDesktop desktop("power");
  ASSERT_TRUE(desktop.ok());
  ASSERT_TRUE(desktop.Run([&] {
    std::string dir = NewTempDir("awake");
    std::string ini = UseFreshSettings(dir);
    WriteFileText(ini, QuietPlayerConfig(dir) + "[MP3Schedule]\r\n" +
                           EveryDay(0, 3, 3, dir + "awake.mp3"));
    e2e::Standin standin;
    ASSERT_TRUE(desktop.StartStandin(NewTempDir("awake-player"), {}, &standin));
    RegisterMainClass(app.instance);
    HWND dialog = CreateMainDialog(app.instance);
    ASSERT_NE(dialog, nullptr);
    pluginWindow = standin.plugin;
    SendMessageA(dialog, WM_TIMER, TIMER_PLUGIN_SEARCH, 0);
    ASSERT_TRUE(PumpUntil([&] { return !executionStates.empty(); }, 8000)) << "no awake request";
    EXPECT_EQ(executionStates.front() & kAwake, kAwake);
    EXPECT_FALSE(e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "start").empty());
    ASSERT_TRUE(PumpUntil([&] { return executionStates.size() >= 2; }, 6000)) << "not released";
    EXPECT_EQ(executionStates[1], static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
    // The release comes with the stop command; the stand-in notes it a moment later.
    EXPECT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, nullptr));
    DestroyWindow(dialog);
    pluginWindow = nullptr;
    PumpFor(20);
  }));
}

}  // namespace
