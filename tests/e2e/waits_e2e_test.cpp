// A plug-in whose quality dialog never opens, or never closes, as whole
// processes: each try waits out its bound (20 s) and the tries go on inside
// the window, and all the while the main window answers and its title clock
// runs. Nothing records, the history tells the window as before, and an exit
// asked for during a wait ends the program once that wait is over.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "recorder/plugin_contract.h"
#include "resources/strings.h"

namespace {

using e2e::JournalEvent;
using e2e::PrivateDesktop;
using e2e::Standin;
using namespace e2e::product;

const int kWindowSeconds = 40;

// "HH:MM:SS" of the second, as the title clock shows it.
std::string TitleClock(int second) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600 % 24, second / 60 % 60, second % 60);
  return text;
}

long NowMs() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return NowSeconds() * 1000L + now.wMilliseconds;
}

// Every half second until the clock reaches `until`: the window answers a
// message from this process within a second, and its title shows the clock
// (the second of the sample, or the one before: the tick runs just after
// the second turns). The samples that failed, one line each.
std::vector<std::string> SampleAnswersAndClock(HWND main, int until, int* taken) {
  std::vector<std::string> failed;
  *taken = 0;
  while (NowSeconds() < until) {
    const DWORD sent = GetTickCount();
    const int before = NowSeconds();
    const bool answered = Responds(main, 1000);
    const std::string title = e2e::WindowTextOf(main);
    const int after = NowSeconds();
    bool current = false;
    for (int second = before - 1; second <= after; ++second)
      current = current || title.find(TitleClock(second)) != std::string::npos;
    ++*taken;
    if (!answered || !current)
      failed.push_back(TitleClock(before) + (answered ? " answered, title " : " no answer, title ") + title);
    const DWORD spent = GetTickCount() - sent;
    if (spent < 500) Sleep(500 - spent);
  }
  return failed;
}

// The scheduler with one window of kWindowSeconds handing MP3 parameters to a
// stand-in started with `fault`, sampled through the whole window (from just
// before the request goes ahead of its second).
struct Scene {
  Standin standin;
  Product product;
  std::string dir;
  int start = 0, end = 0;
};
void RunThroughTheWindow(const PrivateDesktop& desktop, const std::string& label, const std::string& fault, Scene* scene,
                         e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir(label + "-player"), {fault}, &scene->standin));
  scene->dir = e2e::NewTempDir(label);
  const std::string name = e2e::NewTempDir(label + "-out") + "take.mp3";
  scene->start = NowSeconds() + kLeadSeconds;
  scene->end = scene->start + kWindowSeconds;
  StartProduct(desktop, scene->dir, &scene->product, "[MP3Schedule]\r\n" + Line(0, scene->start, scene->end, name, "4 1 -1 1"));
  if (testing::Test::HasFatalFailure()) return;
  ExpectConnected(scene->product, scene->standin);

  SleepUntil(scene->start - PRE_ARM_LEAD_SECONDS - 1);
  int taken = 0;
  std::vector<std::string> failed = SampleAnswersAndClock(scene->product.main, scene->end, &taken);
  EXPECT_GE(taken, (kWindowSeconds + PRE_ARM_LEAD_SECONDS) * 2 - 4);
  EXPECT_TRUE(failed.empty()) << failed.size() << " of " << taken << " samples failed:\n" << Joined(failed);
  // Tried ahead, on the second and again inside the window; never started.
  EXPECT_GE(Events(scene->standin, "request").size(), 3u);
  EXPECT_TRUE(Events(scene->standin, "start").empty());
  EXPECT_FALSE(e2e::FileExists(name));
}

// The history's lines of the window's not-started tries: the reason told
// once; a state read that a loaded machine lets run past its limit between
// two tries is told too, with its own reason.
void ExpectToldOnce(const Scene& scene, const char* reason, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  const std::string window = WindowTimes(scene.start, scene.end);
  const std::string told = STR_HISTORY_NOT_STARTED "  " + window + "  " + reason;
  const std::string noAnswer = STR_HISTORY_NOT_STARTED "  " + window + "  " STR_REASON_PLUGIN_NO_ANSWER;
  size_t count = 0;
  for (const std::string& line : HistoryOf(scene.dir, STR_HISTORY_NOT_STARTED)) {
    if (HistoryBody(line) == told) {
      ++count;
    } else {
      EXPECT_EQ(HistoryBody(line), noAnswer) << Joined(HistoryLines(scene.dir));
    }
  }
  EXPECT_EQ(count, 1u) << Joined(HistoryLines(scene.dir));
  EXPECT_TRUE(HistoryOf(scene.dir, STR_HISTORY_RECORDING_STARTED).empty()) << Joined(HistoryLines(scene.dir));
}

TEST(UnansweredQualityDialog, NeverOpeningTheWindowAnswersThroughoutAndTheMissIsToldWithItsReason) {
  AvoidMidnight();
  e2e::RunIsolated("wait-opens", [](const PrivateDesktop& desktop) {
    Scene scene;
    RunThroughTheWindow(desktop, "wait-opens", "--quality-never-opens", &scene);
    if (testing::Test::HasFatalFailure()) return;
    // The try inside the window outlasts it: the miss is told once it is over.
    ASSERT_TRUE(WaitForHistory(scene.dir, STR_HISTORY_MISSED, 1, MsUntil(scene.end, 25)))
        << Joined(HistoryLines(scene.dir));
    ExpectToldOnce(scene, STR_REASON_QUALITY_NOT_OPENED);
    std::vector<std::string> missed = HistoryOf(scene.dir, STR_HISTORY_MISSED);
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(HistoryBody(missed[0]),
              STR_HISTORY_MISSED "  " + WindowTimes(scene.start, scene.end) + "  " STR_REASON_QUALITY_NOT_OPENED);
    EXPECT_GE(Events(scene.standin, "quality-open-ignored").size(), 3u);
    CloseProduct(&scene.product);
  });
}

TEST(UnansweredQualityDialog, NeverClosingTheWindowAnswersThroughoutAndAnExitWaitsForTheWaitsEnd) {
  AvoidMidnight();
  e2e::RunIsolated("wait-closes", [](const PrivateDesktop& desktop) {
    Scene scene;
    RunThroughTheWindow(desktop, "wait-closes", "--quality-never-closes", &scene);
    if (testing::Test::HasFatalFailure()) return;
    // The last try still waits for its dialog to close: the exit is asked
    // for now and comes once that wait has run its 20 s.
    std::vector<JournalEvent> accepts = Events(scene.standin, "quality-accept-ignored");
    ASSERT_GE(accepts.size(), 3u);
    const long waitEndsMs = MsOfClock(accepts.back().clock) + QUALITY_WAIT_LIMIT_MS;
    ASSERT_LT(NowMs() + 3000, waitEndsMs) << "the last wait is over already: " << accepts.back().line;
    PostMessageA(scene.product.main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(e2e::WaitForExit(scene.product.process.info(), e2e::kWaitMs, &code));
    const long exitedMs = NowMs();
    EXPECT_EQ(code, 0u);
    EXPECT_GE(exitedMs, waitEndsMs - 500) << "ended before the wait was over";
    EXPECT_LE(exitedMs, waitEndsMs + 2000) << "ended " << exitedMs - waitEndsMs << " ms after the wait";
    EXPECT_EQ(Events(scene.standin, "request").size(), accepts.size()) << "no try after the exit was asked for";
    ExpectToldOnce(scene, STR_REASON_QUALITY_NOT_CLOSED);
    EXPECT_EQ(HistoryOf(scene.dir, STR_HISTORY_PROGRAM_ENDED).size(), 1u) << Joined(HistoryLines(scene.dir));
  });
}

}  // namespace
