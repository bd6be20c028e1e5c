// Scheduled recordings on the real clock: Tavelund.exe with the stand-in,
// the windows put a few seconds after now, assertions from the stand-in's
// journal and the files on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "resources/ids.h"
#include "resources/strings.h"

namespace {

using e2e::PrivateDesktop;
using e2e::Standin;
using namespace e2e::product;

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n % 100);
  return text;
}

struct Scene {
  Standin standin;
  Product product;
  std::string dir;
};

void StartScene(const PrivateDesktop& desktop, const std::string& label, const std::string& schedule,
                Scene* scene) {
  StartConnected(desktop, label, &scene->standin, &scene->product, "[MP3Schedule]\r\n" + schedule);
}

TEST(ScheduledRecording, StartsOnTimeIntoTheExpandedNameAndStopsAtTheEnd) {
  AvoidMidnight();
  RunIsolated("sched", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("sched-out");
    int start = NowSeconds() + kLeadSeconds;
    int end = start + 3;
    std::string pattern = out + "%4Y\\%2h%2m%2s_%W.mp3";
    Scene scene;
    StartScene(desktop, "sched", Line(0, start, end, pattern), &scene);
    if (testing::Test::HasFatalFailure()) return;

    e2e::JournalEvent request, started, stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "request", 1, &request, (kLeadSeconds + 5) * 1000));
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, &started));
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "stop", 1, &stopped, 8000));
    EXPECT_TRUE(RequestInTimeFor(SecondsOfClock(request.clock), start)) << request.line;
    EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;
    EXPECT_EQ(SecondsOfClock(stopped.clock), end) << stopped.line;

    SYSTEMTIME now;
    GetLocalTime(&now);
    const char* days[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    std::string expected = out + std::to_string(now.wYear) + "\\" + TwoDigits(start / 3600) +
                           TwoDigits(start / 60 % 60) + TwoDigits(start % 60) + "_" + days[now.wDayOfWeek] + ".mp3";
    EXPECT_EQ(request.Field("name"), expected);
    EXPECT_EQ(request.Field("params"), "");
    EXPECT_EQ(started.Field("name"), expected);
    EXPECT_EQ(started.Field("existed"), "0");
    EXPECT_GT(e2e::FileSize(expected), 0);
    // The mark follows: recording while the window lasts, idle after it.
    std::vector<e2e::JournalEvent> stops = e2e::EventsOfKind(e2e::ReadJournal(scene.standin.journal), "stop");
    EXPECT_EQ(stops.size(), 1u);
  });
}

// The clock digits of a start second as %2h%2m%2s writes them.
std::string ClockDigits(int seconds) {
  return TwoDigits(seconds / 3600) + TwoDigits(seconds / 60 % 60) + TwoDigits(seconds % 60);
}

// Waits for the one recording of the scene: requested in time for second
// start and started on it, into name, stopped again by the window's end.
void ExpectRecordedInto(const Scene& scene, int start, const std::string& name, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  e2e::JournalEvent request, started;
  ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "request", 1, &request, (kLeadSeconds + 5) * 1000));
  ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, &started));
  EXPECT_TRUE(RequestInTimeFor(SecondsOfClock(request.clock), start)) << request.line;
  EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;
  EXPECT_EQ(request.Field("name"), name);
  EXPECT_EQ(started.Field("name"), name);
  EXPECT_EQ(started.Field("existed"), "0");
  ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "stop", 1, nullptr, 8000));
  EXPECT_GT(e2e::FileSize(name), 0);
}

TEST(ScheduledRecording, FileRightInADriveRootRecords) {
  AvoidMidnight();
  RunIsolated("root", [](const PrivateDesktop& desktop) {
    // The root of drive C:, which every prefix has (the test prefix's own
    // drive_c); the name is this process's own and removed afterwards.
    std::string stem = "C:\\tavelund-root-" + std::to_string(GetCurrentProcessId()) + "-";
    ASSERT_NE(GetFileAttributesA("C:\\"), INVALID_FILE_ATTRIBUTES);
    int start = NowSeconds() + kLeadSeconds;
    Scene scene;
    StartScene(desktop, "root", Line(0, start, start + 2, stem + "%2h%2m%2s.mp3"), &scene);
    if (testing::Test::HasFatalFailure()) return;
    std::string name = stem + ClockDigits(start) + ".mp3";
    ExpectRecordedInto(scene, start, name);
    scene.standin.process.Reset(PROCESS_INFORMATION{});
    DeleteFileA(name.c_str());
  });
}

TEST(ScheduledRecording, PatternTypedWithBlanksAroundItRecordsIntoTheTrimmedName) {
  AvoidMidnight();
  RunIsolated("blanks", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("blanks-out");
    Scene scene;
    StartScene(desktop, "blanks", "", &scene);
    if (testing::Test::HasFatalFailure()) return;
    // Typed into the editor with a blank and a tab in front, two blanks behind.
    int start = NowSeconds() + 5;
    std::string typed = " \t" + out + "take_%2h%2m%2s.mp3  ";
    ASSERT_TRUE(AddThroughEditor(scene.product.main, start, start + 2, typed));
    ExpectRecordedInto(scene, start, out + "take_" + ClockDigits(start) + ".mp3");
  });
}

TEST(ScheduledRecording, ParametersReachThePluginThroughItsQualityDialog) {
  AvoidMidnight();
  RunIsolated("params", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("params-out");
    int start = NowSeconds() + kLeadSeconds;
    Scene scene;
    // Stereo 128 kbit/s at 44100 Hz, then mono 96 kbit/s at 22050 Hz.
    StartScene(desktop, "params",
               Line(0, start, start + 2, out + "stereo.mp3", "4 1 -1 1") +
                   Line(1, start + 3, start + 5, out + "mono.mp3", "3 0 -1 3"),
               &scene);
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 2, nullptr, (kLeadSeconds + 10) * 1000));
    std::vector<e2e::JournalEvent> events = e2e::ReadJournal(scene.standin.journal);
    std::vector<e2e::JournalEvent> requests = e2e::EventsOfKind(events, "request");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Field("params"), "128 44100 2");
    EXPECT_EQ(requests[0].Field("name"), out + "stereo.mp3");
    EXPECT_EQ(requests[1].Field("params"), "96 22050 1");
    EXPECT_EQ(requests[1].Field("name"), out + "mono.mp3");
    // Each request is confirmed in the quality dialog before its start.
    std::vector<std::string> order;
    for (const e2e::JournalEvent& e : events)
      if (e.kind == "request" || e.kind == "quality-accept" || e.kind == "start") order.push_back(e.kind);
    std::vector<std::string> expected = {"request", "quality-accept", "start", "request", "quality-accept", "start"};
    EXPECT_EQ(order, expected);
  });
}

TEST(ScheduledRecording, SameNameTwiceGetsACounterAndNothingIsOverwritten) {
  AvoidMidnight();
  RunIsolated("unique", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("unique-out");
    std::string taken = out + "show.mp3";
    ASSERT_TRUE(e2e::WriteFileBytes(taken, "earlier recording"));
    int start = NowSeconds() + kLeadSeconds;
    Scene scene;
    // Two windows one after the other, both into the same name.
    StartScene(desktop, "unique", Line(0, start, start + 2, out + "show.mp3") + Line(1, start + 3, start + 5, out + "show.mp3"),
               &scene);
    if (testing::Test::HasFatalFailure()) return;
    e2e::JournalEvent second;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "request", 2, &second, (kLeadSeconds + 8) * 1000));
    std::vector<e2e::JournalEvent> requests = e2e::EventsOfKind(e2e::ReadJournal(scene.standin.journal), "request");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Field("name"), out + "show(1).mp3");
    EXPECT_EQ(requests[1].Field("name"), out + "show(2).mp3");
    EXPECT_EQ(e2e::ReadFileBytes(taken), "earlier recording");
    for (const e2e::JournalEvent& start : e2e::EventsOfKind(e2e::ReadJournal(scene.standin.journal), "start"))
      EXPECT_EQ(start.Field("existed"), "0") << start.line;
  });
}

TEST(ScheduledRecording, WindowAlreadyOpenAtStartRecordsOnceThePluginIsFound) {
  AvoidMidnight();
  RunIsolated("open", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("open-out");
    int now = NowSeconds();
    Scene scene;
    StartScene(desktop, "open", Line(0, now - 60, now + 600, out + "now.mp3"), &scene);
    if (testing::Test::HasFatalFailure()) return;
    e2e::JournalEvent started;
    // Found on the first search tick, then the very next second starts it.
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, &started, 3000));
    EXPECT_EQ(started.Field("name"), out + "now.mp3");
    EXPECT_EQ(e2e::ControlText(scene.product.main, IDC_MAIN_STATUS, 260), FoundStatus(scene.standin.plugin));
  });
}

TEST(ScheduledRecording, ManualRecordingIsAdoptedAndStoppedAtTheWindowsEnd) {
  AvoidMidnight();
  RunIsolated("adopt", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("adopt-out");
    int start = NowSeconds() + kLeadSeconds;
    Scene scene;
    StartScene(desktop, "adopt", Line(0, start, start + 3, out + "adopted.mp3"), &scene);
    if (testing::Test::HasFatalFailure()) return;
    Click(scene.product.main, IDC_MAIN_START);
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, nullptr));
    e2e::JournalEvent stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "stop", 1, &stopped, (kLeadSeconds + 8) * 1000));
    EXPECT_EQ(SecondsOfClock(stopped.clock), start + 3) << stopped.line;
    std::vector<e2e::JournalEvent> events = e2e::ReadJournal(scene.standin.journal);
    EXPECT_TRUE(e2e::EventsOfKind(events, "request").empty());
    EXPECT_EQ(e2e::EventsOfKind(events, "start").size(), 1u);
    EXPECT_FALSE(e2e::FileExists(out + "adopted.mp3"));
  });
}

TEST(ScheduledRecording, DeletingTheRecordingEntryLeavesThePluginRecording) {
  AvoidMidnight();
  RunIsolated("delete", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("delete-out");
    int now = NowSeconds();
    Scene scene;
    StartScene(desktop, "delete", Line(0, now - 10, now + 8, out + "kept.mp3"), &scene);
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, nullptr, 3000));
    // Delete asks first; the question box belongs to the scheduler's thread:
    // answered from here.
    ASSERT_TRUE(DeleteEntry(scene.product, out + "kept.mp3"));
    // Past the deleted window's end nothing stops the recording.
    Sleep(11000);
    std::vector<e2e::JournalEvent> events = e2e::ReadJournal(scene.standin.journal);
    EXPECT_TRUE(e2e::EventsOfKind(events, "stop").empty());
    EXPECT_EQ(e2e::ControlText(scene.standin.plugin, 88, 40).substr(0, sizeof STR_STANDIN_RECORDING - 1), STR_STANDIN_RECORDING);
  });
}

TEST(ScheduledRecording, FolderWithABlankTypedInTheEditorRecordsAfterARestart) {
  AvoidMidnight();
  RunIsolated("blank", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("blank-out");
    std::string pattern = out + "My Music\\%2h%2m%2s.mp3";
    std::string dir = e2e::NewTempDir("blank");
    Product first;
    StartProduct(desktop, dir, &first);
    if (testing::Test::HasFatalFailure()) return;
    // Editing, saving and a restart come before the window opens.
    int start = NowSeconds() + 20;
    int end = start + 3;

    PostMessageA(first.main, WM_COMMAND, IDC_MAIN_ADD, 0);
    HWND editor = e2e::WaitForWindow([&] {
      return e2e::FindTopLevel([&](HWND w) {
        return w != first.main && e2e::ClassNameOf(w) == STR_DIALOG_CLASS && e2e::OwnerOf(w) == first.main &&
               IsWindowVisible(w);
      });
    });
    ASSERT_NE(editor, nullptr);
    const int fields[6] = {start / 3600, start / 60 % 60, start % 60, end / 3600, end / 60 % 60, end % 60};
    for (int k = 0; k < 6; ++k) SetDlgItemTextA(editor, IDC_ED_START_HOUR + k, std::to_string(fields[k]).c_str());
    SYSTEMTIME today;
    GetLocalTime(&today);
    SendDlgItemMessageA(editor, IDC_ED_DAY_FIRST + today.wDayOfWeek, BM_SETCHECK, BST_CHECKED, 0);
    SetDlgItemTextA(editor, IDC_ED_OUTPUT, pattern.c_str());
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(editor); }));
    EXPECT_NE(ListLineOf(first.main, pattern), "");
    Click(first.main, IDC_MAIN_SAVE);
    ASSERT_TRUE(e2e::WaitFor([&] { return !Enabled(first.main, IDC_MAIN_SAVE); }, kTickWaitMs));
    // Saved, the program ends without a question.
    PostMessageA(first.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(e2e::WaitForExit(first.process.info(), e2e::kWaitMs));

    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("blank-player"), {}, &standin));
    Product again;
    StartProductWithSettings(desktop, dir, &again, e2e::ReadFileBytes(dir + "Tavelund.INI"));
    if (testing::Test::HasFatalFailure()) return;
    ExpectConnected(again, standin);
    EXPECT_NE(ListLineOf(again.main, pattern), "");

    e2e::JournalEvent request, started;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", 1, &request, (end - NowSeconds() + 5) * 1000));
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &started));
    std::string expected = out + "My Music\\" + TwoDigits(start / 3600) + TwoDigits(start / 60 % 60) +
                           TwoDigits(start % 60) + ".mp3";
    EXPECT_EQ(request.Field("name"), expected);
    EXPECT_TRUE(RequestInTimeFor(SecondsOfClock(request.clock), start)) << request.line;
    EXPECT_GT(e2e::FileSize(expected), 0);
  });
}

// ---- The request handed over ahead of the window's second ----

// The file name the pattern "<folder>%2h%2m%2s.mp3" gives at second t.
std::string ClockName(const std::string& folder, int t, const std::string& suffix = "") {
  return folder + TwoDigits(t / 3600) + TwoDigits(t / 60 % 60) + TwoDigits(t % 60) + suffix + ".mp3";
}

std::vector<e2e::JournalEvent> Events(const Scene& scene, const std::string& kind) {
  return e2e::EventsOfKind(e2e::ReadJournal(scene.standin.journal), kind);
}

// The second window opens the second after the first stops: its request
// goes out shortly after that stop, once the plug-in is idle again.
TEST(RequestAhead, RecordsIntoTheNameAnOnTimeStartGivesAndLeavesOnlyTheStartForTheSecond) {
  AvoidMidnight();
  RunIsolated("ahead", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("ahead-out");
    int start = NowSeconds() + kLeadSeconds, next = start + 3;
    // Names with the second in them, the first one taken already.
    ASSERT_TRUE(e2e::WriteFileBytes(ClockName(out, start), "earlier recording"));
    Scene scene;
    StartScene(desktop, "ahead",
               Line(0, start, start + 2, out + "%2h%2m%2s.mp3", "4 1 -1 1") + Line(1, next, next + 2, out + "%2h%2m%2s.mp3"),
               &scene);
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 2, nullptr, MsUntil(next, 2)));
    std::vector<std::string> kinds;
    for (const e2e::JournalEvent& e : e2e::ReadJournal(scene.standin.journal))
      if (e.kind != "ready" && e.kind != "stop")
        kinds.push_back(e.kind + (e.kind == "start" ? " " + Clock(SecondsOfClock(e.clock)) : ""));
    std::vector<std::string> expected = {"request", "quality-open", "quality-accept", "quality-closed",
                                         "start " + Clock(start), "request", "start " + Clock(next)};
    EXPECT_EQ(kinds, expected);
    std::vector<e2e::JournalEvent> requests = Events(scene, "request"), starts = Events(scene, "start");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_LT(SecondsOfClock(requests[0].clock), start) << requests[0].line;
    EXPECT_LT(SecondsOfClock(requests[1].clock), next) << requests[1].line;
    EXPECT_EQ(starts[0].Field("name"), ClockName(out, start, "(1)"));
    EXPECT_EQ(starts[0].Field("params"), "128 44100 2");
    EXPECT_EQ(starts[1].Field("name"), ClockName(out, next));
    for (const e2e::JournalEvent& e : starts) EXPECT_EQ(e.Field("existed"), "0") << e.line;
  });
}

TEST(RequestAhead, EntryDeletedOrChangedAfterTheHandOverIsNotRecordedUnderItsOldNameAndTheOthersStartOnTime) {
  AvoidMidnight();
  RunIsolated("ahead-edit", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("ahead-edit-out");
    int start = NowSeconds() + kLeadSeconds, later = start + 5;
    std::string deleted = out + "deleted.mp3", sameSecond = out + "same-second.mp3";
    std::string before = out + "before.mp3", after = out + "after.mp3";
    Scene scene;
    // The first two open together: the first in list order goes ahead.
    StartScene(desktop, "ahead-edit",
               Line(0, start, start + 2, deleted) + Line(1, start, start + 2, sameSecond) +
                   Line(2, later, later + 2, before, "4 1 -1 1"),
               &scene);
    if (testing::Test::HasFatalFailure()) return;
    const std::string& journal = scene.standin.journal;
    e2e::JournalEvent request, started;
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "request", 1, &request, MsUntil(start, 0)));
    ASSERT_EQ(request.Field("name"), deleted);
    ASSERT_TRUE(DeleteEntry(scene.product, deleted));
    ASSERT_LT(NowSeconds(), start) << "deleted too late for this test";
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "start", 1, &started, MsUntil(start, 2)));
    EXPECT_EQ(started.Field("name"), sameSecond);
    EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;

    // The third's request goes ahead; then its pattern is changed.
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "request", 3, &request, MsUntil(later, 0)));
    ASSERT_EQ(request.Field("name"), before);
    ASSERT_TRUE(ChangePattern(scene.product, before, after));
    ASSERT_LT(NowSeconds(), later) << "changed too late for this test";
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "start", 2, &started, MsUntil(later, 2)));
    EXPECT_EQ(started.Field("name"), after);
    EXPECT_EQ(started.Field("params"), "128 44100 2");
    EXPECT_EQ(SecondsOfClock(started.clock), later) << started.line;
    Sleep(1500);
    EXPECT_EQ(Events(scene, "start").size(), 2u);
    EXPECT_FALSE(e2e::FileExists(deleted));
    EXPECT_FALSE(e2e::FileExists(before));
  });
}

TEST(RequestAhead, ManualRecordingAfterTheHandOverIsAdoptedAndNoSecondFileIsStarted) {
  AvoidMidnight();
  RunIsolated("ahead-hand", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("ahead-hand-out");
    int start = NowSeconds() + kLeadSeconds;
    Scene scene;
    StartScene(desktop, "ahead-hand", Line(0, start, start + 3, out + "show.mp3"), &scene);
    if (testing::Test::HasFatalFailure()) return;
    const std::string& journal = scene.standin.journal;
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "request", 1, nullptr, MsUntil(start, 0)));
    Click(scene.product.main, IDC_MAIN_START);
    e2e::JournalEvent byHand, stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "start", 1, &byHand));
    EXPECT_LT(SecondsOfClock(byHand.clock), start) << byHand.line;
    // The plug-in had the entry's name for its next recording.
    EXPECT_EQ(byHand.Field("name"), out + "show.mp3");
    ASSERT_TRUE(e2e::WaitForJournalEvent(journal, "stop", 1, &stopped, MsUntil(start + 3, 2)));
    EXPECT_EQ(SecondsOfClock(stopped.clock), start + 3) << stopped.line;
    EXPECT_EQ(Events(scene, "request").size(), 1u);
    EXPECT_EQ(Events(scene, "start").size(), 1u);
    EXPECT_TRUE(Events(scene, "start-ignored").empty());
  });
}

// The plug-in leaves the first quality command unanswered: the hand-over
// ahead gives up on the window's second, the start on that second goes the
// whole way and records within 2 s of it, the main window answers, and the
// failed try is told once for the window.
TEST(RequestAhead, HandOverThatFailedCostsNeitherTheWindowNorAWord) {
  AvoidMidnight();
  RunIsolated("ahead-fail", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("ahead-fail-out"), dir = e2e::NewTempDir("ahead-fail");
    int start = NowSeconds() + kLeadSeconds, end = start + 5;
    Scene scene;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("ahead-fail-player"), {"--quality-opens-after", "1"},
                                     &scene.standin));
    StartProduct(desktop, dir, &scene.product,
                 "[MP3Schedule]\r\n" + Line(0, start, end, out + "%2h%2m%2s.mp3", "4 1 -1 1"));
    if (testing::Test::HasFatalFailure()) return;
    e2e::JournalEvent ahead, started;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "request", 1, &ahead, MsUntil(start, 0)));
    EXPECT_LT(SecondsOfClock(ahead.clock), start) << ahead.line;
    ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, &started, MsUntil(start, 5)));
    EXPECT_TRUE(Responds(scene.product.main, 500));
    const long lateMs = MsOfClock(started.clock) - start * 1000L;
    std::printf("[ figure   ] recording started %ld ms after its second (goal: within 2000 ms)\n", lateMs);
    EXPECT_GE(lateMs, 0) << started.line;
    // The goal is 2 s; a loaded machine is allowed one more.
    EXPECT_LT(lateMs, 3000) << started.line;
    EXPECT_EQ(Events(scene, "request").size(), 2u);
    EXPECT_EQ(Events(scene, "quality-open-ignored").size(), 1u);
    EXPECT_EQ(started.Field("name"), ClockName(out, start));
    EXPECT_EQ(started.Field("params"), "128 44100 2");

    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_RECORDING_STOPPED, 1, MsUntil(end, 3))) << Joined(HistoryLines(dir));
    const std::string window = WindowTimes(start, end);
    std::vector<std::string> notStarted = HistoryOf(dir, STR_HISTORY_NOT_STARTED);
    ASSERT_EQ(notStarted.size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(notStarted[0]), STR_HISTORY_NOT_STARTED "  " + window + "  " STR_REASON_QUALITY_NOT_OPENED);
    std::vector<std::string> recorded = HistoryOf(dir, STR_HISTORY_RECORDING_STARTED);
    ASSERT_EQ(recorded.size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(recorded[0]).find(STR_HISTORY_RECORDING_STARTED "  " + window + "  " + ClockName(out, start)),
              0u)
        << recorded[0];
    EXPECT_TRUE(HistoryOf(dir, STR_HISTORY_MISSED).empty()) << Joined(HistoryLines(dir));
    // Recorded at its parameters' bitrate for as long as it ran: not cut short.
    EXPECT_TRUE(HistoryOf(dir, STR_HISTORY_RECORDING_CUT_SHORT).empty()) << Joined(HistoryLines(dir));
  });
}

}  // namespace
