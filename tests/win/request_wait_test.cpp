// The main dialog while a recording request is on its way, in this process
// against the stand-in player (on a desktop of the test's own): the ticks
// meanwhile decide nothing, the commands wait for the answer or go through,
// and the waits keep their bound.
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

class RequestWait : public MainDialogTest {
 protected:
  RequestWait() : MainDialogTest("request-wait") {}

  // A window open now, so the first tick that finds the plug-in starts it on
  // the second; returns once its request is on its way.
  void OpenOnAWindow(const e2e::PrivateDesktop& desktop, const std::vector<std::string>& options,
                     const std::string& parameters) {
    ASSERT_TRUE(desktop.StartStandin(NewTempDir("request-wait-player"), options, &standin_));
    const int now = e2e::product::NowSeconds();
    OpenWith("[MP3Schedule]\r\n" +
             e2e::product::Line(0, now - 1, now + 60, NewTempDir("request-wait-out") + "take.mp3", parameters));
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(PumpUntil([] { return app.underWay.active != 0; }, 8000)) << "no request went out";
    begunMs_ = GetTickCount();
  }
  size_t Journaled(const char* kind) { return e2e::EventsOfKind(e2e::ReadJournal(standin_.journal), kind).size(); }
  // What a tick's decision would change of the entry.
  static std::string Notes(const ScheduleEntry& e) {
    return std::to_string(e.recording) + std::to_string(e.run.starting) + std::to_string(e.run.held) +
           std::to_string(e.run.retryPending) + " " + std::to_string(e.run.reasonsTold);
  }
  // The timer's ticks meanwhile, and three sent at once, move the title clock
  // and nothing else: no note of the entry changes, nothing is told.
  void TickMeanwhile() {
    const std::string notes = Notes(*scheduleList), title = WindowText(dialog_);
    const size_t told = e2e::product::HistoryLines(dir_).size();
    for (int k = 0; k < 3; ++k) SendMessageA(dialog_, WM_TIMER, TIMER_SECOND_TICK, 0);
    EXPECT_TRUE(PumpUntil([&] { return WindowText(dialog_) != title; }, 1500)) << "the title clock stood still";
    EXPECT_EQ(Notes(*scheduleList), notes);
    EXPECT_EQ(e2e::product::HistoryLines(dir_).size(), told);
  }

  e2e::Standin standin_;
  DWORD begunMs_ = 0;
};

// A plug-in that takes 3 s over the request: a stop meanwhile waits for the
// answer and keeps the start from going out (the entry is held by it), a
// clock change is handled after the answer, the session's end is answered
// at once.
TEST_F(RequestWait, StopAndClockChangeWaitForTheAnswerTicksDecideNothingTheSessionEndIsAnswered) {
  e2e::RunIsolated("wait-stop", [&](const e2e::PrivateDesktop& desktop) {
    OpenOnAWindow(desktop, {"--delay-ms", "3000"}, "4 1 -1 0");
    if (testing::Test::HasFatalFailure()) return;
    SendMessageA(dialog_, WM_COMMAND, IDC_MAIN_STOP, 0);
    PostMessageA(dialog_, WM_TIMECHANGE, 0, 0);
    TickMeanwhile();
    const DWORD asked = GetTickCount();
    EXPECT_NE(SendMessageA(dialog_, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_LT(GetTickCount() - asked, 500u);
    ASSERT_TRUE(app.underWay.active) << "the answer came too soon for this test";
    EXPECT_EQ(HistoryOf(dir_, STR_HISTORY_CLOCK_CHANGED).size(), 0u);

    ASSERT_TRUE(PumpUntil([] { return app.underWay.active == 0; }, 10000));
    EXPECT_GE(GetTickCount() - begunMs_, 2500u);
    PumpFor(4000);  // a start would reach the slow stand-in within this
    EXPECT_EQ(Journaled("request"), 1u);
    EXPECT_EQ(Journaled("start"), 0u);
    EXPECT_TRUE(scheduleList->run.held);
    EXPECT_EQ(HistoryOf(dir_, STR_HISTORY_RECORDING_STOPPED).size(), 1u);
    EXPECT_EQ(HistoryOf(dir_, STR_HISTORY_CLOCK_CHANGED).size(), 1u);
    DestroyWindow(dialog_);
  });
}

// A quality dialog that never opens: the editor opens during the 20 s wait,
// and an exit waits for the wait's end and closes the window within a second.
TEST_F(RequestWait, EditorGoesThroughTheExitWaitsForTheBoundedWaitsEnd) {
  e2e::RunIsolated("wait-exit", [&](const e2e::PrivateDesktop& desktop) {
    OpenOnAWindow(desktop, {"--quality-never-opens"}, "4 1 -1 1");
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(PumpUntil([&] { return Journaled("quality-open-ignored") == 1; }, 5000));
    TickMeanwhile();
    bool editorMeanwhile = false;
    {
      ModalScript cancel([](HWND w) { return GetDlgItem(w, IDC_ED_OUTPUT) != nullptr; }, [&](HWND editor) {
        editorMeanwhile = app.underWay.active != 0;
        PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
      });
      PostMessageA(dialog_, WM_COMMAND, IDC_MAIN_ADD, 0);
      EXPECT_TRUE(PumpUntil([&] { return cancel.ran() && !IsWindow(cancel.window()); }, 5000));
    }
    EXPECT_TRUE(editorMeanwhile);

    DWORD answeredMs = 0;
    ThreadHook answer(WH_GETMESSAGE, [&](int code, WPARAM, LPARAM lParam) {
      const MSG* message = reinterpret_cast<const MSG*>(lParam);
      if (code == HC_ACTION && message->message == MSG_REQUEST_ANSWER && !answeredMs) answeredMs = GetTickCount();
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
  });
}

}  // namespace
