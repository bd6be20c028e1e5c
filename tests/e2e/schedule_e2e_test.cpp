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
    EXPECT_EQ(SecondsOfClock(request.clock), start) << request.line;
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

// Waits for the one recording of the scene: requested and started on second
// start into name, stopped again by the window's end.
void ExpectRecordedInto(const Scene& scene, int start, const std::string& name) {
  e2e::JournalEvent request, started;
  ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "request", 1, &request, (kLeadSeconds + 5) * 1000));
  ASSERT_TRUE(e2e::WaitForJournalEvent(scene.standin.journal, "start", 1, &started));
  EXPECT_EQ(SecondsOfClock(request.clock), start) << request.line;
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
    HWND main = scene.product.main;
    SendDlgItemMessageA(main, IDC_MAIN_LIST, LB_SETCURSEL, 0, 0);
    // Delete asks first; the question box belongs to the scheduler's thread:
    // answer it from here by finding it on this desktop.
    PostMessageA(main, WM_COMMAND, IDC_MAIN_DELETE, 0);
    HWND box = e2e::WaitForWindow([&] {
      return e2e::FindTopLevel([&](HWND w) {
        return e2e::ClassNameOf(w) == "#32770" && e2e::ProcessIdOf(w) == scene.product.process.pid();
      });
    });
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return SendDlgItemMessageA(main, IDC_MAIN_LIST, LB_GETCOUNT, 0, 0) == 0; }));
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
    EXPECT_EQ(SecondsOfClock(request.clock), start) << request.line;
    EXPECT_GT(e2e::FileSize(expected), 0);
  });
}

}  // namespace
