// Never a silent miss, as whole processes: the player started for a window
// when nobody runs it (and not when that is switched off), and windows that
// passed while the scheduler was not running (a plug-in whose quality dialog
// never comes: robustness_e2e_test.cpp). What happened is read from the
// stand-in's journal, the scheduler's history file and its status line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "recorder/plugin_contract.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "resources/version.h"

namespace {

using e2e::JournalEvent;
using e2e::PrivateDesktop;
using e2e::Standin;
using namespace e2e::product;

// Ends, when the test ends, every process on the test's desktop that owns a
// top-level window of the class: players and viewers the scheduler started.
class WindowOwnersGuard {
 public:
  explicit WindowOwnersGuard(std::vector<std::string> classes) : classes_(std::move(classes)) {}
  ~WindowOwnersGuard() {
    for (const std::string& name : classes_) {
      for (int round = 0; round < 8; ++round) {
        HWND window = FindWindowA(name.c_str(), nullptr);
        if (!window) break;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e2e::ProcessIdOf(window));
        if (!process) break;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
      }
    }
  }

 private:
  std::vector<std::string> classes_;
};

// The stand-in as the scheduler starts it: copied to the name the settings
// store, started bare, so it journals beside itself.
struct PlayerCopy {
  std::string path;
  Standin standin;  // journal only: the scheduler owns the process
};
void MakePlayerCopy(const std::string& label, PlayerCopy* player) {
  std::string dir = e2e::NewTempDir(label + "-player");
  player->path = dir + STR_PLAYER_EXE;
  ASSERT_TRUE(CopyFileA(e2e::BuiltProgram("standin-player.exe").c_str(), player->path.c_str(), FALSE));
  player->standin.journal = dir + "standin-journal.txt";
}

// The scheduler starts the player at start-up (the launch command); the
// test waits for the plug-in to be found and closes the player as a user
// would, so no plug-in is known afterwards.
void StartThenClosePlayer(const PrivateDesktop& desktop, const std::string& dir, const PlayerCopy& player,
                          const std::string& settings, Product* product) {
  StartProductWithSettings(desktop, dir, product, "[Config]\r\n" STR_PLAYER_EXE "=" + player.path + "\r\n" + settings);
  if (testing::Test::HasFatalFailure()) return;
  JournalEvent ready;
  ASSERT_TRUE(e2e::WaitForJournalEvent(player.standin.journal, "ready", 1, &ready));
  ASSERT_TRUE(WaitForStatus(product->main, FoundStatus(ready.Window("plugin")))) << Status(product->main);
  PostMessageA(ready.Window("player"), WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitForJournalEvent(player.standin.journal, "exit", 1, nullptr));
  ASSERT_TRUE(WaitForButtons(product->main, "Lst")) << Buttons(product->main);
}

// The number behind "예정보다 " in a started line's lateness, -1 when none.
long LatenessMs(const std::string& line) {
  const std::string before = "\xBF\xB9\xC1\xA4\xBA\xB8\xB4\xD9 ";  // 예정보다
  size_t at = line.find(before);
  if (at == std::string::npos) return -1;
  return std::strtol(line.c_str() + at + before.size(), nullptr, 10);
}

// The seconds of "약 N초" at the end of a line; -1 when it has none.
long SecondsOfLength(const std::string& line) {
  const std::string about = "\xBE\xE0 ";  // 약
  size_t at = line.rfind(about);
  return at == std::string::npos ? -1 : std::strtol(line.c_str() + at + about.size(), nullptr, 10);
}

// ============================================================================
// The player started for a due window
// ============================================================================

TEST(PlayerForWindow, StartedFromTheSettingsBeforeTheWindowWhichRecordsOnTime) {
  AvoidMidnight();
  RunIsolated("autostart", [](const PrivateDesktop& desktop) {
    WindowOwnersGuard players({STR_PLAYER_CLASS});
    PlayerCopy player;
    MakePlayerCopy("autostart", &player);
    if (testing::Test::HasFatalFailure()) return;
    std::string dir = e2e::NewTempDir("autostart");
    std::string name = e2e::NewTempDir("autostart-out") + "take.mp3";
    // Far enough ahead that the player the user closed is started again by
    // the window, not by the start-up.
    int start = NowSeconds() + 30, end = start + 3;
    Product product;
    StartThenClosePlayer(desktop, dir, player, "[MP3Schedule]\r\n" + Line(0, start, end, name), &product);
    if (testing::Test::HasFatalFailure()) return;
    ASSERT_LT(NowSeconds() + 5, start) << "the machine is too slow for this test's lead";

    JournalEvent again;
    ASSERT_TRUE(e2e::WaitForJournalEvent(player.standin.journal, "ready", 2, &again, MsUntil(start, 0)));
    EXPECT_LT(SecondsOfClock(again.clock), start) << again.line;
    ExpectStartedOnTime(player.standin, 1, start, name, "");
    JournalEvent stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(player.standin.journal, "stop", 1, &stopped, MsUntil(end, 2)));
    EXPECT_EQ(SecondsOfClock(stopped.clock), end) << stopped.line;
    EXPECT_EQ(Events(player.standin, "ready").size(), 2u) << "started once for the window";

    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_RECORDING_STOPPED, 1, 3000)) << Joined(HistoryLines(dir));
    const std::string window = WindowTimes(start, end);
    std::vector<std::string> playerStarted = HistoryOf(dir, STR_HISTORY_PLAYER_STARTED);
    ASSERT_EQ(playerStarted.size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(playerStarted[0]), STR_HISTORY_PLAYER_STARTED "  " + window + "  " + player.path);
    std::vector<std::string> started = HistoryOf(dir, STR_HISTORY_RECORDING_STARTED);
    ASSERT_EQ(started.size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(started[0]).find(STR_HISTORY_RECORDING_STARTED "  " + window + "  " + name + ", " +
                                           STR_HISTORY_NO_PARAMETERS + ", "),
              0u)
        << started[0];
    long lateness = LatenessMs(started[0]);
    EXPECT_GE(lateness, 0) << started[0];
    EXPECT_LT(lateness, 1000) << started[0];
    std::vector<std::string> stops = HistoryOf(dir, STR_HISTORY_RECORDING_STOPPED);
    ASSERT_EQ(stops.size(), 1u);
    // The file's size, and its length reckoned at 128 kbit/s: the window's, within a second or two.
    const std::string ended = STR_HISTORY_RECORDING_STOPPED "  " + window + "  " STR_REASON_WINDOW_ENDED ", 0.1 MB, 128";
    EXPECT_EQ(HistoryBody(stops[0]).compare(0, ended.size(), ended), 0) << stops[0];
    EXPECT_LE(std::labs(SecondsOfLength(stops[0]) - (end - start)), 2) << stops[0];
    EXPECT_TRUE(HistoryOf(dir, STR_HISTORY_NOT_STARTED).empty()) << Joined(HistoryLines(dir));
    EXPECT_TRUE(HistoryOf(dir, STR_HISTORY_MISSED).empty()) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_PLUGIN_LOST).size(), 1u);
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_PLUGIN_FOUND).size(), 2u);
  });
}

TEST(PlayerForWindow, SwitchedOffNothingIsStartedAndTheWindowIsMissedWithItsReason) {
  AvoidMidnight();
  RunIsolated("noautostart", [](const PrivateDesktop& desktop) {
    WindowOwnersGuard players({STR_PLAYER_CLASS});
    PlayerCopy player;
    MakePlayerCopy("noautostart", &player);
    if (testing::Test::HasFatalFailure()) return;
    std::string dir = e2e::NewTempDir("noautostart");
    std::string name = e2e::NewTempDir("noautostart-out") + "take.mp3";
    // Well within the lead once the player is closed.
    int start = NowSeconds() + 20, end = start + 3;
    Product product;
    StartThenClosePlayer(desktop, dir, player,
                         STR_KEY_AUTO_START_PLAYER "=0\r\n[MP3Schedule]\r\n" + Line(0, start, end, name), &product);
    if (testing::Test::HasFatalFailure()) return;

    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_MISSED, 1, MsUntil(end, 3))) << Joined(HistoryLines(dir));
    const std::string window = WindowTimes(start, end);
    std::vector<std::string> missed = HistoryOf(dir, STR_HISTORY_MISSED);
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(HistoryBody(missed[0]), STR_HISTORY_MISSED "  " + window + "  " STR_REASON_NO_PLUGIN);
    // Told when the window ended.
    int told = SecondsOfClock(missed[0].substr(11, 8));
    EXPECT_GE(told, end) << missed[0];
    EXPECT_LE(told, end + 1) << missed[0];
    std::vector<std::string> notStarted = HistoryOf(dir, STR_HISTORY_NOT_STARTED);
    ASSERT_EQ(notStarted.size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(notStarted[0]), STR_HISTORY_NOT_STARTED "  " + window + "  " STR_REASON_NO_PLUGIN);
    EXPECT_TRUE(HistoryOf(dir, STR_HISTORY_PLAYER_STARTED).empty());
    EXPECT_TRUE(HistoryOf(dir, STR_HISTORY_PLAYER_NOT_STARTED).empty());
    EXPECT_EQ(Events(player.standin, "ready").size(), 1u) << "only the start-up's launch";
    EXPECT_FALSE(e2e::FileExists(name));
  });
}

// ============================================================================
// Windows that passed while the scheduler was not running
// ============================================================================

// "YYYY-MM-DD" of the local day the second (since today's midnight, may be
// negative) falls on.
std::string DateOf(int second) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME local;
  SystemTimeToFileTime(&now, &local);
  ULARGE_INTEGER value;
  value.LowPart = local.dwLowDateTime;
  value.HighPart = local.dwHighDateTime;
  value.QuadPart += static_cast<LONGLONG>(second - NowSeconds()) * 10000000LL;
  FILETIME shifted = {value.LowPart, value.HighPart};
  SYSTEMTIME then;
  FileTimeToSystemTime(&shifted, &then);
  char text[16];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", then.wYear, then.wMonth, then.wDay);
  return text;
}

int Wrap(int second) { return (second % 86400 + 86400) % 86400; }

TEST(MissedWhileNotRunning, EachWindowIsToldOnceWithANoticeThatStaysUntilTheHistoryIsOpened) {
  RunIsolated("gap", [](const PrivateDesktop& desktop) {
    WindowOwnersGuard viewers({"Notepad"});
    std::string dir = e2e::NewTempDir("gap");
    std::string out = e2e::NewTempDir("gap-out");
    // The program last ran ten minutes ago.
    ASSERT_TRUE(e2e::WriteFileBytes(dir + "Tavelund.log", "an earlier run\r\n"));
    ASSERT_TRUE(e2e::AgeFile(dir + "Tavelund.log", 600));
    int now = NowSeconds();
    int passedStart = now - 300, passedEnd = now - 240;
    std::string schedule = "[MP3Schedule]\r\n" +
                           // Opened and ended while nobody ran: missed.
                           Line(0, Wrap(passedStart), Wrap(passedEnd), out + "passed.mp3") +
                           // Over before the last run ended: seen then.
                           Line(1, Wrap(now - 900), Wrap(now - 840), out + "before.mp3") +
                           // Opened meanwhile and still open: the tick takes it now.
                           Line(2, Wrap(now - 120), Wrap(now + 600), out + "open.mp3");
    Product product;
    StartProductWithSettings(desktop, dir, &product,
                             "[Config]\r\n" + QuietPlayerSetting(dir) + STR_KEY_AUTO_START_PLAYER "=0\r\n" + schedule);
    if (testing::Test::HasFatalFailure()) return;

    char notice[160];
    std::snprintf(notice, sizeof notice, STR_NOTICE_MISSED, 1);
    EXPECT_EQ(Status(product.main), notice);
    std::vector<std::string> missed = HistoryOf(dir, STR_HISTORY_MISSED);
    ASSERT_EQ(missed.size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryBody(missed[0]), STR_HISTORY_MISSED "  " + WindowTimes(passedStart, passedEnd) +
                                          "  " STR_REASON_PROGRAM_NOT_RUNNING " (" + DateOf(passedStart) + ")");
    // The start is told before what it found.
    std::vector<std::string> lines = HistoryLines(dir);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(HistoryBody(lines[1]), STR_HISTORY_PROGRAM_STARTED "  " TAVELUND_NAME_AND_VERSION);
    EXPECT_EQ(lines[2], missed[0]);

    // The search for the plug-in does not take the notice down.
    Sleep(PLUGIN_SEARCH_PERIOD_MS + 500);
    EXPECT_EQ(Status(product.main), notice);

    // Opening the history from the system menu does: a viewer shows the file.
    PostMessageA(product.main, WM_SYSCOMMAND, IDM_SHOW_HISTORY, 0);
    HWND viewer = e2e::WaitForWindow([] { return FindWindowA("Notepad", nullptr); });
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::WindowTextOf(viewer).find("Tavelund") != std::string::npos; }))
        << e2e::WindowTextOf(viewer);
    EXPECT_TRUE(WaitForStatus(product.main, STR_STATUS_SEARCHING, 2000)) << Status(product.main);

    // Told once: the next start finds nothing new to tell.
    CloseProduct(&product);
    ASSERT_EQ(HistoryBody(HistoryLines(dir).back()), STR_HISTORY_PROGRAM_ENDED);
    Product again;
    again.process.Reset(desktop.Start(dir + "Tavelund.exe", {}, dir));
    DWORD pid = again.process.pid();
    again.main = e2e::WaitForWindow([&] {
      HWND w = FindWindowA(STR_MAIN_CLASS, nullptr);
      return w != nullptr && e2e::ProcessIdOf(w) == pid && IsWindowVisible(w) ? w : nullptr;
    });
    ASSERT_NE(again.main, nullptr);
    EXPECT_TRUE(WaitForStatus(again.main, STR_STATUS_SEARCHING)) << Status(again.main);
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_MISSED).size(), 1u) << Joined(HistoryLines(dir));
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_PROGRAM_STARTED).size(), 2u);
  });
}

// ============================================================================
// A small real drive short of room (a tmpfs mapped as a drive of the prefix
// by scripts/small-drive-run, where the machine allows it)
// ============================================================================

TEST(SmallDrive, ShortOfRoomIsToldBeforeTheWindowWhichStillRecordsWithAWarningWhileItLasts) {
  const char* drive = std::getenv("TAVELUND_SMALL_DRIVE");
  if (!drive || !*drive) {
    const char* why = std::getenv("TAVELUND_SMALL_DRIVE_WHY");
    GTEST_SKIP() << "no small drive: " << (why ? why : "not run through scripts/small-drive-run");
  }
  AvoidMidnight();
  const std::string root = drive;
  ULARGE_INTEGER available;
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr));
  // 2.5 MB left: 2 MB as the text rounds it.
  const ULONGLONG keep = (5ull << 20) / 2;
  ASSERT_GT(available.QuadPart, keep);
  ASSERT_TRUE(e2e::WriteFileBytes(root + "filler.bin", std::string(available.QuadPart - keep, '\0')));
  RunIsolated("smalldrive", [&](const PrivateDesktop& desktop) {
    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("smalldrive-player"), {}, &standin));
    std::string dir = e2e::NewTempDir("smalldrive"), name = root + "rec\\take.mp3";
    // Four seconds at the assumed 128 kbit/s and the margin: 5 MB as the text rounds it.
    int start = NowSeconds() + kLeadSeconds, end = start + 4;
    Product product;
    // Without the look minutes ahead, whose warning would stand over the found status.
    StartProduct(desktop, dir, &product,
                 STR_KEY_CHECK_AHEAD_MINUTES "=0\r\n[MP3Schedule]\r\n" + Line(0, start, end, name));
    if (testing::Test::HasFatalFailure()) return;
    ExpectConnected(product, standin);
    char warning[160];
    std::snprintf(warning, sizeof warning, STR_STATUS_DISK_SHORT, 5u, 2u);

    ExpectStartedOnTime(standin, 1, start, name, "");
    EXPECT_TRUE(WaitForStatus(product.main, warning, 1000)) << Status(product.main);
    std::vector<std::string> shortLines = HistoryOf(dir, STR_HISTORY_DISK_SHORT);
    ASSERT_EQ(shortLines.size(), 1u) << Joined(HistoryLines(dir));
    // 필요 5 MB, 남은 공간 2 MB
    EXPECT_EQ(HistoryBody(shortLines[0]), STR_HISTORY_DISK_SHORT "  " + WindowTimes(start, end) +
                                              "  \xC7\xCA\xBF\xE4 5 MB, \xB3\xB2\xC0\xBA \xB0\xF8\xB0\xA3 2 MB (" + root +
                                              "rec\\)");
    // Told before the window opened.
    EXPECT_LT(SecondsOfClock(shortLines[0].substr(11, 8)), start) << shortLines[0];
    // The window ends: the warning with it.
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, nullptr, MsUntil(end, 2)));
    EXPECT_TRUE(WaitForStatus(product.main, FoundStatus(standin.plugin), 2000)) << Status(product.main);
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_DISK_SHORT).size(), 1u);
  });
  DeleteFileA((root + "filler.bin").c_str());
}

// ============================================================================
// The recording's own file
// ============================================================================

// A plug-in that creates its file and writes nothing into it, while it says
// it records: the look with the disk check a minute after the start tells
// it, with a warning in the status line, and the window ends as not recorded.
TEST(RecordingFile, NothingWrittenIsToldWithinTheFirstMinutesAndTheWindowIsMissed) {
  AvoidMidnight();
  RunIsolated("writes-nothing", [](const PrivateDesktop& desktop) {
    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("writes-nothing-player"), {"--write-nothing"}, &standin));
    std::string dir = e2e::NewTempDir("writes-nothing"), name = e2e::NewTempDir("writes-nothing-out") + "take.mp3";
    int start = NowSeconds() + kLeadSeconds, end = start + 64;
    Product product;
    StartProduct(desktop, dir, &product, "[MP3Schedule]\r\n" + Line(0, start, end, name));
    if (testing::Test::HasFatalFailure()) return;
    ExpectStartedOnTime(standin, 1, start, name, "");
    const std::string window = "  " + WindowTimes(start, end) + "  ";

    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_FILE_NOT_GROWING, 1, MsUntil(start, 62))) << Joined(HistoryLines(dir));
    std::vector<std::string> still = HistoryOf(dir, STR_HISTORY_FILE_NOT_GROWING);
    EXPECT_EQ(HistoryBody(still[0]), STR_HISTORY_FILE_NOT_GROWING + window + name + ", 0.0 MB");
    EXPECT_LE(SecondsOfClock(still[0].substr(11, 8)), start + 62) << still[0];
    EXPECT_TRUE(WaitForStatus(product.main, STR_HISTORY_FILE_NOT_GROWING ": 0.0 MB", 1000)) << Status(product.main);

    ASSERT_TRUE(WaitForHistory(dir, STR_HISTORY_MISSED, 1, MsUntil(end, 3))) << Joined(HistoryLines(dir));
    // 녹음 시간 끝, 0.0 MB, 128 kbit/s로 치면 약 0초; then missed: 녹음 파일이 비어 있음
    EXPECT_EQ(HistoryBody(HistoryOf(dir, STR_HISTORY_RECORDING_STOPPED)[0]),
              STR_HISTORY_RECORDING_STOPPED + window + STR_REASON_WINDOW_ENDED
              ", 0.0 MB, 128 kbit/s\xB7\xCE \xC4\xA1\xB8\xE9 \xBE\xE0 0\xC3\xCA");
    EXPECT_EQ(HistoryBody(HistoryOf(dir, STR_HISTORY_MISSED)[0]), STR_HISTORY_MISSED + window + STR_REASON_FILE_EMPTY);
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_FILE_NOT_GROWING).size(), 1u);
    EXPECT_TRUE(WaitForStatus(product.main, FoundStatus(standin.plugin), 2000)) << Status(product.main);
  });
}

}  // namespace
