// The main dialog while a recording request is on its way, in this process
// against the stand-in player: the ticks that come meanwhile decide nothing,
// the commands wait for the answer or go through, and the bounds of the
// waits still hold. The stand-in runs on a desktop of the test's own.
#include <gtest/gtest.h>

#include <string>

#include "app/app_win32.h"
#include "e2e/desktop_support.h"
#include "e2e/product_support.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "win/main_dialog_fixture.h"
#include "win/win_support.h"

namespace {

using namespace winsupport;
using e2e::product::HistoryOf;
using e2e::product::Line;
using e2e::product::NowSeconds;

class RequestWait : public MainDialogTest {
 protected:
  RequestWait() : MainDialogTest("request-wait") {}

  // A stand-in with the options, and the dialog with one window open now
  // (so its plug-in is looked for every second and the first tick that finds
  // it starts the window on the second); waits for the request to be on its way.
  void OpenOnAWindow(const e2e::PrivateDesktop& desktop, const std::vector<std::string>& options,
                     const std::string& parameters) {
    ASSERT_TRUE(desktop.StartStandin(NewTempDir("request-wait-player"), options, &standin_));
    const int now = NowSeconds();
    OpenWith("[MP3Schedule]\r\n" + Line(0, now - 1, now + 60, NewTempDir("request-wait-out") + "take.mp3", parameters));
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(PumpUntil([] { return app.underWay.active != 0; }, 8000)) << "no request went out";
    begunMs_ = GetTickCount();
  }
  size_t Journaled(const char* kind) { return e2e::EventsOfKind(e2e::ReadJournal(standin_.journal), kind).size(); }
  size_t Told(const char* event) { return HistoryOf(dir_, event).size(); }
  // The ticks that come meanwhile, the timer's own and three sent at once,
  // move the title clock and nothing else: no note of the entry changes and
  // nothing is told.
  void TickMeanwhile() {
    const ScheduleEntry before = *scheduleList;
    const size_t told = e2e::product::HistoryLines(dir_).size();
    for (int k = 0; k < 3; ++k) SendMessageA(dialog_, WM_TIMER, TIMER_SECOND_TICK, 0);
    const std::string title = WindowText(dialog_);
    EXPECT_TRUE(PumpUntil([&] { return WindowText(dialog_) != title; }, 1500)) << "the title clock stood still";
    EXPECT_EQ(Notes(before), Notes(*scheduleList));
    EXPECT_EQ(e2e::product::HistoryLines(dir_).size(), told);
  }

  // What a tick's decision would change of the entry.
  static std::string Notes(const ScheduleEntry& e) {
    return std::to_string(e.recording) + " starting " + std::to_string(e.run.starting) + " held " +
           std::to_string(e.run.held) + " retry " + std::to_string(e.run.retryPending) + "@" +
           std::to_string(e.run.retryFromMs) + " reasons " + std::to_string(e.run.reasonsTold);
  }

  e2e::Standin standin_;
  DWORD begunMs_ = 0;
};

bool IsEditor(HWND window) { return GetDlgItem(window, IDC_ED_OUTPUT) != nullptr; }

// A plug-in that takes 3 s over the request: the ticks meanwhile send no
// second request, a stop waits for the answer and keeps the start from going
// out (the entry is held by it), a clock change is handled after the answer,
// and the end of the session is answered at once.
TEST_F(RequestWait, StopAndClockChangeWaitForTheAnswerTicksDecideNothingTheSessionEndIsAnswered) {
  e2e::RunIsolated("wait-stop", [&](const e2e::PrivateDesktop& desktop) {
    OpenOnAWindow(desktop, {"--delay-ms", "3000"}, "4 1 -1 0");
    if (testing::Test::HasFatalFailure()) return;
    ScheduleEntry* entry = scheduleList;
    SendMessageA(dialog_, WM_COMMAND, IDC_MAIN_STOP, 0);
    PostMessageA(dialog_, WM_TIMECHANGE, 0, 0);
    TickMeanwhile();
    const DWORD asked = GetTickCount();
    EXPECT_NE(SendMessageA(dialog_, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_LT(GetTickCount() - asked, 500u);
    ASSERT_TRUE(app.underWay.active) << "the request's answer came too soon for this test";
    EXPECT_FALSE(entry->run.starting || entry->run.held);
    EXPECT_EQ(Told(STR_HISTORY_CLOCK_CHANGED), 0u);

    ASSERT_TRUE(PumpUntil([] { return app.underWay.active == 0; }, 10000));
    EXPECT_GE(GetTickCount() - begunMs_, 2500u);
    PumpFor(4000);  // a start would reach the slow stand-in within this
    EXPECT_EQ(Journaled("request"), 1u);
    EXPECT_EQ(Journaled("start"), 0u);
    EXPECT_TRUE(entry->run.held);
    EXPECT_EQ(Told(STR_HISTORY_RECORDING_STOPPED), 1u);
    EXPECT_EQ(Told(STR_HISTORY_CLOCK_CHANGED), 1u);
    DestroyWindow(dialog_);
  });
}

// A quality dialog that never opens: 20 s of waiting, during which the
// ticks decide nothing and the editor opens as ever; an exit waits for the
// wait's end and closes the window within a second of it.
TEST_F(RequestWait, EditorGoesThroughTheExitWaitsForTheBoundedWaitsEnd) {
  e2e::RunIsolated("wait-exit", [&](const e2e::PrivateDesktop& desktop) {
    OpenOnAWindow(desktop, {"--quality-never-opens"}, "4 1 -1 1");
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(PumpUntil([&] { return Journaled("quality-open-ignored") == 1; }, 5000));
    TickMeanwhile();

    bool openedMeanwhile = false;
    {
      ModalScript cancel(IsEditor, [&](HWND editor) {
        openedMeanwhile = app.underWay.active != 0;
        PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
      });
      PostMessageA(dialog_, WM_COMMAND, IDC_MAIN_ADD, 0);
      EXPECT_TRUE(PumpUntil([&] { return cancel.ran() && !IsWindow(cancel.window()); }, 5000));
    }
    EXPECT_TRUE(openedMeanwhile);

    DWORD answeredMs = 0;
    ThreadHook answer(WH_GETMESSAGE, [&](int code, WPARAM, LPARAM lParam) {
      const MSG* message = reinterpret_cast<const MSG*>(lParam);
      if (code == HC_ACTION && message->message == MSG_REQUEST_ANSWER && answeredMs == 0) answeredMs = GetTickCount();
    });
    PostMessageA(dialog_, WM_CLOSE, 0, 0);
    PumpFor(1000);
    ASSERT_TRUE(IsWindow(dialog_)) << "closed before the wait was over";
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog_); }, QUALITY_WAIT_LIMIT_MS + 5000));
    const DWORD closedMs = GetTickCount();
    ASSERT_NE(answeredMs, 0u);
    EXPECT_GE(answeredMs - begunMs_, QUALITY_WAIT_LIMIT_MS - 500u) << "the wait ended before its bound";
    EXPECT_LT(closedMs - answeredMs, 1000u);
    EXPECT_EQ(Journaled("request"), 1u);
    EXPECT_EQ(Journaled("quality-open-ignored"), 1u);
  });
}

}  // namespace
