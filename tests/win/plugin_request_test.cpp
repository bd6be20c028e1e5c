// The recording request and the quality dialog, driven in this process
// against the stand-in player: SendRecordingRequest is called as the schedule
// tick calls it, with pluginWindow set to the stand-in's plug-in window and a
// stand-in main window that records any command posted to it (the request
// posts none: it starts the plug-in itself). What reached the plug-in is read
// from the stand-in's journal.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <memory>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "recorder/plugin_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "win/win_support.h"

namespace {

using e2e::JournalEvent;
using e2e::PrivateDesktop;
using e2e::Standin;

const UINT kMarkerMessage = WM_APP + 7;

// The main window as the request sees it: every command posted to it is recorded.
std::vector<WORD> postedCommands;
bool markerHandled = false;

LRESULT CALLBACK MainDoubleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    postedCommands.push_back(LOWORD(wParam));
    return 0;
  }
  if (message == kMarkerMessage) {
    markerHandled = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMainDouble() {
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainDoubleProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PluginRequestTestMain";
    atom = RegisterClassA(&windowClass);
  }
  postedCommands.clear();
  markerHandled = false;
  return CreateWindowExA(0, "PluginRequestTestMain", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string Hex(HWND window) {
  char text[32];
  snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

ScheduleEntry Entry(uint32_t flags, int32_t bitrateIndex, int32_t sampleRateIndex) {
  ScheduleEntry entry{};
  entry.flags = flags;
  entry.bitrateIndex = bitrateIndex;
  entry.sampleRateIndex = sampleRateIndex;
  return entry;
}

// What one request did.
struct RequestRun {
  HWND main = nullptr;
  std::string journal;
  std::string fileName;  // full path handed over
  DWORD elapsedMs = 0;  // time spent inside SendRecordingRequest
  RequestResult result = REQUEST_DONE;
  std::vector<WORD> commands;
  std::vector<JournalEvent> events;
  std::vector<std::string> kinds;  // the journal's event kinds in order, "ready" left out
};

// Options of the test around the one call.
struct RequestSetup {
  std::vector<std::string> standinArgs;
  ScheduleEntry entry{};
  std::string fileName;                // relative to the test folder
  bool openQualityFirst = false;       // the quality dialog is open before the request
  bool killPlayerOnAcceptIgnored = false;
  DWORD aheadByMs = 0;  // handed over this long ahead of its second (no start), else sent on it
};

// Starts a stand-in, calls SendRecordingRequest once, then gives the posted
// commands time to be carried out.
void RunRequest(const PrivateDesktop& desktop, const RequestSetup& setup, RequestRun* run) {
  std::string dir = winsupport::NewTempDir("request");
  ASSERT_FALSE(dir.empty());
  Standin standin;
  ASSERT_TRUE(desktop.StartStandin(dir, setup.standinArgs, &standin));
  ASSERT_NE(nullptr, standin.plugin);
  run->journal = standin.journal;
  if (setup.openQualityFirst) {
    e2e::PostCommand(standin.plugin, 1003);
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-open", 1, nullptr));
  }
  std::unique_ptr<e2e::ParkedThread> killer;
  if (setup.killPlayerOnAcceptIgnored) {
    HANDLE process = standin.process.info().hProcess;
    std::string journal = standin.journal;
    killer = std::make_unique<e2e::ParkedThread>([process, journal] {
      if (e2e::WaitForJournalEvent(journal, "quality-accept-ignored", 1, nullptr, 30000)) {
        Sleep(500);
        TerminateProcess(process, 9);
      }
    });
  }

  run->main = CreateMainDouble();
  ASSERT_NE(nullptr, run->main);
  // Queued before the call: handled only once the call gives the thread back.
  PostMessageA(run->main, kMarkerMessage, 0, 0);
  pluginWindow = standin.plugin;
  run->fileName = dir + setup.fileName;
  DWORD started = GetTickCount();
  const RequestDeadline deadline = {1, started + setup.aheadByMs};
  run->result = setup.aheadByMs ? HandOverRecordingRequest(run->main, &setup.entry, run->fileName.c_str(), deadline)
                                : SendRecordingRequest(run->main, &setup.entry, run->fileName.c_str());
  run->elapsedMs = GetTickCount() - started;
  if (killer) killer->Wait();

  // A posted start reaches the plug-in soon: wait for it when the request
  // succeeded, else give a stray command time to show.
  winsupport::PumpFor(300);
  if (run->result == REQUEST_DONE) {
    winsupport::PumpUntil(
        [&] { return !e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "start").empty(); }, 5000);
  } else {
    winsupport::PumpFor(1200);
  }
  pluginWindow = nullptr;
  run->commands = postedCommands;
  EXPECT_TRUE(markerHandled);
  DestroyWindow(run->main);
  run->events = e2e::ReadJournal(standin.journal);
  for (const JournalEvent& event : run->events)
    if (event.kind != "ready") run->kinds.push_back(event.kind);
}

void RunIsolated(const RequestSetup& setup, RequestRun* run) {
  PrivateDesktop desktop("request");
  ASSERT_TRUE(desktop.ok());
  ASSERT_TRUE(desktop.Run([&] { RunRequest(desktop, setup, run); }));
}

JournalEvent First(const RequestRun& run, const std::string& kind) {
  std::vector<JournalEvent> found = e2e::EventsOfKind(run.events, kind);
  return found.empty() ? JournalEvent() : found.front();
}

std::string Kinds(const RequestRun& run) {
  std::string text;
  for (const std::string& kind : run.kinds) text += (text.empty() ? "" : " ") + kind;
  return text;
}

// The request reached the plug-in whole, from the main window.
void ExpectRequest(const RequestRun& run, const std::string& params, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  JournalEvent request = First(run, "request");
  ASSERT_EQ("request", request.kind) << Kinds(run);
  EXPECT_EQ(Hex(run.main), request.Field("from"));
  EXPECT_EQ(params, request.Field("params"));
  EXPECT_EQ(run.fileName, request.Field("name"));
}

// The recording started with the request's name and parameters.
void ExpectStarted(const RequestRun& run, const std::string& params, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  EXPECT_EQ(REQUEST_DONE, run.result);
  EXPECT_TRUE(run.commands.empty());
  JournalEvent start = First(run, "start");
  ASSERT_EQ("start", start.kind) << Kinds(run);
  EXPECT_EQ("0", start.Field("default"));
  EXPECT_EQ(params, start.Field("params"));
  EXPECT_EQ(run.fileName, start.Field("name"));
  EXPECT_TRUE(e2e::FileExists(run.fileName));
}

// ---- The request block and the way to the start ----

TEST(RecordingRequest, StereoParametersAreConfirmedThenTheRecordingStarts) {
  RequestSetup setup;
  setup.entry = Entry(FLAG_MP3_PARAMS, 4, 1);
  setup.fileName = "stereo 128.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  ExpectRequest(run, "128 44100 2");
  EXPECT_EQ("request quality-open quality-accept quality-closed start", Kinds(run));
  ExpectStarted(run, "128 44100 2");
}

TEST(RecordingRequest, MonoParametersAndAKoreanName) {
  RequestSetup setup;
  setup.entry = Entry(FLAG_MP3_PARAMS | FLAG_MONO, 3, 0);
  // 라디오 월요일.mp3 in code page 949
  setup.fileName = "\xB6\xF3\xB5\xF0\xBF\xC0 \xBF\xF9\xBF\xE4\xC0\xCF.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  ExpectRequest(run, "96 22050 1");
  EXPECT_EQ("request quality-open quality-accept quality-closed start", Kinds(run));
  ExpectStarted(run, "96 22050 1");
}

TEST(RecordingRequest, WithoutParametersGoesStraightToTheStart) {
  RequestSetup setup;
  setup.entry = Entry(FLAG_MONO, 5, 0);  // mono alone hands nothing over
  setup.fileName = "plain.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  ExpectRequest(run, "");
  EXPECT_EQ("request start", Kinds(run));
  ExpectStarted(run, "");
}

TEST(RecordingRequest, IndexesOutsideTheTableSendTheEditorDefaults) {
  RequestSetup setup;
  setup.entry = Entry(FLAG_MP3_PARAMS, 9, -1);
  setup.fileName = "defaults.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  ExpectRequest(run, "128 44100 2");
  ExpectStarted(run, "128 44100 2");
}

// ---- The quality dialog ----

TEST(QualityDialog, AlreadyOpenIsAcceptedWithoutAskingAgain) {
  RequestSetup setup;
  setup.entry = Entry(FLAG_MP3_PARAMS, 5, 1);
  setup.fileName = "open.mp3";
  setup.openQualityFirst = true;
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_EQ("quality-open request quality-accept quality-closed start", Kinds(run));
  ExpectStarted(run, "192 44100 2");
}

TEST(QualityDialog, SlowPluginStillGetsItsRecording) {
  RequestSetup setup;
  setup.standinArgs = {"--delay-ms", "1200"};
  setup.entry = Entry(FLAG_MP3_PARAMS, 2, 1);
  setup.fileName = "slow.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_EQ("request quality-open quality-accept quality-closed start", Kinds(run));
  ExpectStarted(run, "64 44100 2");
}

// A plug-in that does not take the request within the limit gets no start:
// the program has its thread back and records nothing under an old name.
TEST(RecordingRequest, PluginThatDoesNotAnswerIsGivenUpAndNothingStarts) {
  RequestSetup setup;
  setup.standinArgs = {"--delay-ms", "23000"};
  setup.entry = Entry(0, 4, 1);
  setup.fileName = "unanswered.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_GE(run.elapsedMs, 19500u);
  EXPECT_LT(run.elapsedMs, 30000u);
  EXPECT_EQ(REQUEST_NOT_TAKEN, run.result);
  EXPECT_TRUE(run.commands.empty());
  EXPECT_TRUE(e2e::EventsOfKind(run.events, "start").empty());
}

TEST(QualityDialog, NeverOpeningCostsTwentySecondsAndStartsNothing) {
  RequestSetup setup;
  setup.standinArgs = {"--quality-never-opens"};
  setup.entry = Entry(FLAG_MP3_PARAMS, 4, 1);
  setup.fileName = "never-opens.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_EQ("request quality-open-ignored", Kinds(run));
  EXPECT_GE(run.elapsedMs, 19500u);
  EXPECT_LT(run.elapsedMs, 35000u);
  EXPECT_EQ(REQUEST_QUALITY_NOT_OPENED, run.result);
  EXPECT_TRUE(run.commands.empty());
  EXPECT_FALSE(e2e::FileExists(run.fileName));
}

// Waiting for the dialog to close is bounded like waiting for it to open: the
// program gets its thread back and the recording is not started.
TEST(QualityDialog, NeverClosingIsGivenUpAfterTwentySeconds) {
  RequestSetup setup;
  setup.standinArgs = {"--quality-never-closes"};
  setup.entry = Entry(FLAG_MP3_PARAMS, 4, 1);
  setup.fileName = "never-closes.mp3";
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_EQ("request quality-open quality-accept-ignored", Kinds(run));
  EXPECT_GE(run.elapsedMs, 19500u);
  EXPECT_LT(run.elapsedMs, 45000u);
  EXPECT_EQ(REQUEST_QUALITY_NOT_CLOSED, run.result);
  EXPECT_TRUE(run.commands.empty());
  EXPECT_FALSE(e2e::FileExists(run.fileName));
}

// Handed over ahead, no wait outlasts the window's second: here the one for
// the dialog to close (the whole-process tests see the one for it to open).
TEST(QualityDialog, HandedOverAheadTheWaitEndsOnTheWindowsSecond) {
  RequestSetup setup;
  setup.standinArgs = {"--quality-never-closes"};
  setup.entry = Entry(FLAG_MP3_PARAMS, 4, 1);
  setup.fileName = "ahead.mp3";
  setup.aheadByMs = 1500;
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_EQ("request quality-open quality-accept-ignored", Kinds(run));
  EXPECT_GE(run.elapsedMs, 1450u);
  EXPECT_LT(run.elapsedMs, 4000u);
  EXPECT_EQ(REQUEST_QUALITY_NOT_CLOSED, run.result);
}

TEST(QualityDialog, PlayerGoneWhileWaitingForTheCloseEndsTheWait) {
  RequestSetup setup;
  setup.standinArgs = {"--quality-never-closes"};
  setup.entry = Entry(FLAG_MP3_PARAMS, 4, 1);
  setup.fileName = "gone.mp3";
  setup.killPlayerOnAcceptIgnored = true;
  RequestRun run;
  RunIsolated(setup, &run);
  if (HasFatalFailure()) return;
  EXPECT_EQ("request quality-open quality-accept-ignored", Kinds(run));
  EXPECT_LT(run.elapsedMs, 15000u);
  EXPECT_EQ(REQUEST_PLUGIN_GONE, run.result);
  EXPECT_TRUE(run.commands.empty());
}

}  // namespace
