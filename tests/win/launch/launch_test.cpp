// Finding and starting the player against a real (Wine) file system,
// registry and status line. The only fixed drives are D: and E:, folders the
// tests fill; the started "player" is fake_player.exe, which logs its own path
// and command line.
#include "recorder/launch_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "app/history_events_win32.h"
#include "app/main_dialog_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "win/launch/launch_env.h"
#include "win/win_support.h"

using namespace launchenv;
using namespace winsupport;

namespace {

// 준비 (what the status line shows before a launch)
const char kBefore[] = "\xC1\xD8\xBA\xF1";
// 드라이브 D:에서 'WINAMP.EXE'를 찾습니다, and the same for E:
const std::string kSearchingD =
    "\xB5\xE5\xB6\xF3\xC0\xCC\xBA\xEA D:\xBF\xA1\xBC\xAD 'WINAMP.EXE'\xB8\xA6 \xC3\xA3\xBD\xC0\xB4\xCF\xB4\xD9";
const std::string kSearchingE =
    "\xB5\xE5\xB6\xF3\xC0\xCC\xBA\xEA E:\xBF\xA1\xBC\xAD 'WINAMP.EXE'\xB8\xA6 \xC3\xA3\xBD\xC0\xB4\xCF\xB4\xD9";
// 'WINAMP.EXE'은 모든 하드디스크 어디에도 없습니다
const std::string kNotFound =
    "'WINAMP.EXE'\xC0\xBA \xB8\xF0\xB5\xE7 \xC7\xCF\xB5\xE5\xB5\xF0\xBD\xBA\xC5\xA9 "
    "\xBE\xEE\xB5\xF0\xBF\xA1\xB5\xB5 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9";
const char kDefaultPlayer[] = "C:\\Program Files\\Winamp\\WINAMP.EXE";
// Where a 32-bit installer puts the player on a 64-bit system.
const char kX86FolderPlayer[] = "C:\\Program Files (x86)\\Winamp\\WINAMP.EXE";
// The test program looks where the product of its own bitness looks.
const bool k64Bit = sizeof(void*) == 8;

// Every text the status line is given, with the number of message boxes seen
// by then.
struct StatusChange {
  std::string text;
  size_t boxesSeen;
};
std::vector<StatusChange> statusChanges;
const MessageBoxAnswerer* boxWatch = nullptr;
WNDPROC statusProc = nullptr;

LRESULT CALLBACK RecordingStatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam != 0)
    statusChanges.push_back(
        StatusChange{reinterpret_cast<const char*>(lParam), boxWatch ? boxWatch->seen().size() : 0});
  return CallWindowProcA(statusProc, window, message, wParam, lParam);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// What the status line shows during a launch that searched both drives, or
// none.
std::vector<std::string> StatusAfter(bool searched) {
  if (searched) return {kSearchingD, kSearchingE, kBefore};
  return {kBefore};
}

std::vector<std::string> StatusTexts() {
  std::vector<std::string> texts;
  for (const StatusChange& change : statusChanges) texts.push_back(change.text);
  return texts;
}

class PlayerLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CheckTestDrives(), "");
    ClearTestTrees();
    RemoveUninstallEntry();
    app.instance = GetModuleHandleA(nullptr);
    dir_ = NewTempDir("launch");
    ASSERT_FALSE(dir_.empty());
    ini_ = UseFreshSettings(dir_);
    log_ = dir_ + "starts.log";
    UseStartLog(log_);
    ASSERT_EQ(RegisterMainClass(app.instance), 1);
    dialog_ = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, PlainDialogProc, 0);
    ASSERT_NE(dialog_, nullptr) << "error " << GetLastError() << ", desktop window " << GetDesktopWindow();
    SetDlgItemTextA(dialog_, IDC_MAIN_STATUS, kBefore);
    statusProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        GetDlgItem(dialog_, IDC_MAIN_STATUS), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingStatusProc)));
    statusChanges.clear();
  }
  void TearDown() override {
    boxWatch = nullptr;
    if (dialog_) DestroyWindow(dialog_);
    // Never touch a machine that is not the test prefix.
    if (!CheckTestDrives().empty()) return;
    ClearTestTrees();
    RemoveUninstallEntry();
  }

  void SeedPlayerPath(const std::string& path) {
    WriteFileText(ini_, "[Config]\r\nWINAMP.EXE=" + path + "\r\n");
  }
  std::string IniText() const { return ReadFileText(ini_); }
  // The command the main window's launch button runs.
  bool LocateAndLaunch(std::string* located = nullptr) {
    char area[260];
    LocatePlayer(area);
    if (located) *located = area;
    return LaunchProgram(dialog_, STR_PLAYER_EXE, 1, nullptr);
  }

  std::string dir_, ini_, log_;
  HWND dialog_ = nullptr;
};

TEST_F(PlayerLaunch, StoredPathOfAnExistingFileStartsItWithoutLookUpSearchOrWrite) {
  ASSERT_TRUE(PlaceFakePlayer("E:\\Player\\WINAMP.EXE"));
  // An uninstall entry leading elsewhere would show if the registry were read.
  ASSERT_TRUE(PlaceFakePlayer("D:\\Other\\WINAMP.EXE"));
  SetUninstallString("D:\\Other\\uninst.exe");
  SeedPlayerPath("E:\\Player\\WINAMP.EXE");
  std::string before = IniText();

  std::string located;
  EXPECT_TRUE(LocateAndLaunch(&located));
  EXPECT_EQ(located, "E:\\Player\\WINAMP.EXE");
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, "E:\\Player\\WINAMP.EXE");
  EXPECT_EQ(starts[0].commandLine, "E:\\Player\\WINAMP.EXE");
  EXPECT_EQ(IniText(), before);
  // No progress text: only the earlier text put back.
  EXPECT_EQ(StatusTexts(), std::vector<std::string>{kBefore});
  EXPECT_EQ(ItemText(dialog_, IDC_MAIN_STATUS), kBefore);
}

// A file that is no program is handed over all the same (that failure goes
// unreported), but no process began: nothing to look for every second after.
TEST_F(PlayerLaunch, TellsWhetherAProcessReallyBegan) {
  bool started = false;
  ASSERT_TRUE(PlaceFakePlayer("E:\\Player\\WINAMP.EXE"));
  SeedPlayerPath("E:\\Player\\WINAMP.EXE");
  EXPECT_TRUE(LaunchProgram(dialog_, STR_PLAYER_EXE, 1, nullptr, &started) && started);
  WriteFileText(dir_ + "not-a-player.txt", "x");
  SeedPlayerPath(dir_ + "not-a-player.txt");
  EXPECT_TRUE(LaunchProgram(dialog_, STR_PLAYER_EXE, 1, nullptr, &started));
  EXPECT_FALSE(started);
}

TEST_F(PlayerLaunch, QuotedUninstallStringLeadsToThePlayerBesideTheUninstaller) {
  ASSERT_TRUE(PlaceFakePlayer("D:\\Program Files\\Winamp\\WINAMP.EXE"));
  ASSERT_TRUE(PlaceFakePlayer("D:\\Program.exe"));
  SetUninstallString("\"D:\\Program Files\\Winamp\\UninstWA.exe\" /S");

  std::string located;
  EXPECT_TRUE(LocateAndLaunch(&located));
  EXPECT_EQ(located, "D:\\Program Files\\Winamp\\WINAMP.EXE");
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "D:\\Program Files\\Winamp\\WINAMP.EXE");
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, "D:\\Program Files\\Winamp\\WINAMP.EXE");
  EXPECT_EQ(StatusTexts(), std::vector<std::string>{kBefore}) << "searched although the path was known";
}

TEST_F(PlayerLaunch, UninstallFolderWithoutThePlayerLeadsToTheProgramFoldersOrTheDriveSearch) {
  SetUninstallString("D:\\Gone\\uninst.exe");
  ASSERT_TRUE(MakeFolders("D:\\Gone\\"));
  // The default folder holds the player, but C: is no fixed drive here: only
  // a look there by name would find it.
  ASSERT_TRUE(PlaceFakePlayer(kDefaultPlayer));
  ASSERT_TRUE(PlaceFakePlayer("E:\\Deep\\Er\\WINAMP.EXE"));

  std::string located;
  EXPECT_TRUE(LocateAndLaunch(&located));
  // The area keeps the first candidate; what is stored is where the player is.
  EXPECT_EQ(located, k64Bit ? kDefaultPlayer : "D:\\Gone\\WINAMP.EXE");
  // The 64-bit program goes on to the program folders; the 32-bit one, whose
  // uninstall entry could be read, goes to the drive search.
  const std::string player = k64Bit ? kDefaultPlayer : "E:\\Deep\\Er\\WINAMP.EXE";
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), player);
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, player);
  EXPECT_EQ(StatusTexts(), StatusAfter(!k64Bit));
}

TEST_F(PlayerLaunch, BothRegistryViewsAreReadThirtyTwoBitFirstWithoutADriveSearch) {
  // As a 32-bit installer writes it on a 64-bit system, and nothing in the
  // 64-bit view.
  ASSERT_TRUE(PlaceFakePlayer("D:\\Player32\\WINAMP.EXE"));
  ASSERT_TRUE(SetUninstallStringInView("D:\\Player32\\uninst.exe", 32));
  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  std::string located;
  EXPECT_TRUE(LocateAndLaunch(&located));
  EXPECT_EQ(located, "D:\\Player32\\WINAMP.EXE");
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "D:\\Player32\\WINAMP.EXE");
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, "D:\\Player32\\WINAMP.EXE");
  EXPECT_EQ(watch.opened(), 0) << "searched although the uninstall entry named the player";
  EXPECT_EQ(StatusTexts(), std::vector<std::string>{kBefore});

  // A player in each view: the 32-bit view's is taken.
  ASSERT_TRUE(PlaceFakePlayer("E:\\Player64\\WINAMP.EXE"));
  ASSERT_TRUE(SetUninstallStringInView("E:\\Player64\\uninst.exe", 64));
  WriteFileText(ini_, "");
  char area[260];
  LocatePlayer(area);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "D:\\Player32\\WINAMP.EXE");

  // The 32-bit view leads nowhere: the 64-bit program takes the 64-bit
  // view's player, still without a search; the 32-bit program reads only
  // its own view and searches.
  ASSERT_TRUE(DeleteFileA("D:\\Player32\\WINAMP.EXE"));
  WriteFileText(ini_, "");
  statusChanges.clear();
  LocateAndLaunch(&located);
  EXPECT_EQ(located, k64Bit ? "E:\\Player64\\WINAMP.EXE" : "D:\\Player32\\WINAMP.EXE");
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "E:\\Player64\\WINAMP.EXE");
  EXPECT_EQ(StatusTexts(), StatusAfter(!k64Bit));
  if (k64Bit) {
    EXPECT_EQ(watch.opened(), 0);
  }
}

TEST_F(PlayerLaunch, ProgramFoldersOnTheWindowsDriveAreTriedX86First) {
  ASSERT_TRUE(PlaceFakePlayer(kX86FolderPlayer));
  ASSERT_TRUE(PlaceFakePlayer(kDefaultPlayer));
  char area[260];
  LocatePlayer(area);
  // The 32-bit program knows only the folder of its own system.
  const std::string first = k64Bit ? kX86FolderPlayer : kDefaultPlayer;
  EXPECT_EQ(std::string(area), first);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), first);

  ASSERT_TRUE(DeleteFileA(kDefaultPlayer));
  WriteFileText(ini_, "");
  LocatePlayer(area);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), k64Bit ? kX86FolderPlayer : "");
}

TEST_F(PlayerLaunch, WithoutUninstallEntryTheDefaultFolderIsTheCandidate) {
  char area[260];
  LocatePlayer(area);
  // Found nowhere, the area holds the first candidate tried.
  EXPECT_STREQ(area, k64Bit ? kX86FolderPlayer : kDefaultPlayer);
  EXPECT_EQ(IniText(), "") << "a candidate that does not exist is not stored";

  ASSERT_TRUE(PlaceFakePlayer(kDefaultPlayer));
  LocatePlayer(area);
  EXPECT_STREQ(area, kDefaultPlayer);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), kDefaultPlayer);
  // A stored path whose file went away is looked up again.
  SeedPlayerPath("D:\\Vanished\\WINAMP.EXE");
  LocatePlayer(area);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), kDefaultPlayer);
}

TEST_F(PlayerLaunch, PlayerOnlyOnTheSecondDriveIsFoundStoredAndStartedWithItsOwnLetterCase) {
  // D: holds a directory named like the player and nothing to start.
  ASSERT_TRUE(MakeFolders("D:\\WINAMP.EXE\\"));
  ASSERT_TRUE(PlaceEmptyFile("D:\\Music\\winamp.ex"));
  // On E: the player is inside a directory of its own name, in lower case.
  ASSERT_TRUE(PlaceFakePlayer("E:\\WINAMP.EXE\\winamp.exe"));
  SeedPlayerPath("D:\\Vanished\\WINAMP.EXE");

  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  EXPECT_TRUE(LocateAndLaunch());
  EXPECT_GT(watch.opened(), 0);
  EXPECT_EQ(watch.stillOpen(), 0);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "E:\\WINAMP.EXE\\winamp.exe");
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, "E:\\WINAMP.EXE\\winamp.exe");
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{kSearchingD, kSearchingE, kBefore}));
  EXPECT_EQ(ItemText(dialog_, IDC_MAIN_STATUS), kBefore);
  // The next launch starts from the stored path without a search.
  statusChanges.clear();
  EXPECT_TRUE(LocateAndLaunch());
  EXPECT_EQ(WaitForStarts(log_, 2).size(), 2u);
  EXPECT_EQ(StatusTexts(), std::vector<std::string>{kBefore});
}

TEST_F(PlayerLaunch, FoundNowhereGivesOneMessageAfterAllDrivesAndChangesNothing) {
  // Only on C:, which is no fixed drive, and under other names.
  ASSERT_TRUE(PlaceFakePlayer(kDefaultPlayer));
  ASSERT_TRUE(MakeFolders("D:\\WINAMP.EXE\\Sub\\"));
  ASSERT_TRUE(PlaceEmptyFile("E:\\A\\WINAMP.EXE.bak"));
  ASSERT_TRUE(PlaceEmptyFile("E:\\B\\XWINAMP.EXE"));
  SeedPlayerPath("D:\\Vanished\\WINAMP.EXE");
  std::string before = IniText();

  MessageBoxAnswerer answerer({IDOK});
  boxWatch = &answerer;
  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  EXPECT_FALSE(LaunchProgram(dialog_, STR_PLAYER_EXE, 1, nullptr));
  EXPECT_GT(watch.opened(), 4);
  EXPECT_EQ(watch.stillOpen(), 0);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].text, kNotFound);
  EXPECT_EQ(answerer.seen()[0].caption, WindowText(dialog_));
  EXPECT_EQ(IniText(), before);
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{kSearchingD, kSearchingE, kBefore}));
  // The message came after both drives, the earlier text after the message.
  ASSERT_EQ(statusChanges.size(), 3u);
  EXPECT_EQ(statusChanges[1].boxesSeen, 0u);
  EXPECT_EQ(statusChanges[2].boxesSeen, 1u);
  EXPECT_TRUE(WaitForStarts(log_, 1, 200).empty());

  // Not asked to report: no message at all.
  EXPECT_FALSE(LaunchProgram(dialog_, STR_PLAYER_EXE, 0, nullptr));
  PumpFor(200);
  EXPECT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(IniText(), before);
}

TEST_F(PlayerLaunch, ProgramAtTheDriveRootIsNotStartedInsteadOfAPlayerPathWithBlanks) {
  ASSERT_TRUE(PlaceFakePlayer("E:\\Program Files\\Winamp\\WINAMP.EXE"));
  ASSERT_TRUE(PlaceFakePlayer("E:\\Program.exe"));
  SeedPlayerPath("E:\\Program Files\\Winamp\\WINAMP.EXE");

  EXPECT_TRUE(LaunchProgram(dialog_, STR_PLAYER_EXE, 1, "/play list.m3u"));
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, "E:\\Program Files\\Winamp\\WINAMP.EXE");
  EXPECT_EQ(starts[0].commandLine, "\"E:\\Program Files\\Winamp\\WINAMP.EXE\" /play list.m3u");

  // Found by the search, too.
  SeedPlayerPath("D:\\Vanished\\WINAMP.EXE");
  EXPECT_TRUE(LaunchProgram(dialog_, STR_PLAYER_EXE, 1, ""));
  starts = WaitForStarts(log_, 2);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[1].module, "E:\\Program Files\\Winamp\\WINAMP.EXE");
  EXPECT_EQ(starts[1].commandLine, "\"E:\\Program Files\\Winamp\\WINAMP.EXE\"");
}

TEST_F(PlayerLaunch, BareNameInTheCurrentDirectoryStartsThatFileWithoutSearchOrWrite) {
  std::string here = dir_ + "current\\";
  ASSERT_TRUE(PlaceFakePlayer(here + "WINAMP.EXE"));
  // The same name elsewhere must not be preferred.
  ASSERT_TRUE(PlaceFakePlayer("D:\\WINAMP.EXE"));
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
  bool launched = LaunchProgram(dialog_, STR_PLAYER_EXE, 1, nullptr);
  SetCurrentDirectoryA(previous);

  EXPECT_TRUE(launched);
  std::vector<Start> starts = WaitForStarts(log_, 1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].module, here + "WINAMP.EXE");
  EXPECT_EQ(IniText(), "");
  EXPECT_EQ(StatusTexts(), std::vector<std::string>{kBefore});
}

TEST_F(PlayerLaunch, MainWindowStartsThePlayerAtStartUpAndFromItsButton) {
  ASSERT_TRUE(PlaceFakePlayer("E:\\Player\\WINAMP.EXE"));
  SeedPlayerPath("E:\\Player\\WINAMP.EXE");
  FreeAllSchedules();
  HWND main = CreateMainDialog(app.instance);
  ASSERT_NE(main, nullptr);
  std::vector<Start> starts = WaitForStarts(log_, 1);
  EXPECT_EQ(starts.size(), 1u) << "no start from the command posted at start-up";
  SendMessageA(main, WM_COMMAND, IDC_MAIN_LAUNCH, 0);
  starts = WaitForStarts(log_, 2);
  EXPECT_EQ(starts.size(), 2u) << "no start from the button";
  for (const Start& start : starts) EXPECT_EQ(start.module, "E:\\Player\\WINAMP.EXE");
  DestroyWindow(main);
  // The main window ends the message loop when destroyed; this one goes on.
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  FreeAllSchedules();
}

// ---- The main window's search, in steps between its messages ----

// Pumps messages until done() holds or timeoutMs passed; whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  for (DWORD began = GetTickCount(); !done(); PumpFor(20))
    if (GetTickCount() - began > timeoutMs) return false;
  return true;
}

class MainWindowSearch : public PlayerLaunch {
 protected:
  void SetUp() override {
    PlayerLaunch::SetUp();
    if (HasFatalFailure()) return;
    // 5^4 + ... + 5 = 780 folders on D:, searched first.
    ASSERT_TRUE(MakeTree("D:\\", 5, 4));
    SeedPlayerPath("D:\\Vanished\\WINAMP.EXE\r\n" STR_KEY_AUTO_START_PLAYER "=0");
    FreeAllSchedules();
  }
  void TearDown() override {
    if (main_ && IsWindow(main_)) DestroyWindow(main_);
    // The main window ends the message loop when destroyed; this one goes on.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    FreeAllSchedules();
    PlayerLaunch::TearDown();
  }
  // The main window, its start-up's launch searching the drives.
  void OpenSearching() {
    main_ = CreateMainDialog(app.instance);
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Status() == kSearchingD; }, 5000)) << Status();
  }
  std::string Status() const { return ItemText(main_, IDC_MAIN_STATUS); }
  HWND main_ = nullptr;
};

TEST_F(MainWindowSearch, SecondLaunchWhileSearchingStartsNoOtherAndOtherStatusTextsWaitUnderIt) {
  ASSERT_TRUE(PlaceFakePlayer("E:\\Player\\WINAMP.EXE"));
  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  OpenSearching();
  if (HasFatalFailure()) return;
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main_, IDC_MAIN_LAUNCH)));
  SendMessageA(main_, WM_COMMAND, IDC_MAIN_LAUNCH, 0);
  // A status text that comes meanwhile waits under the search's.
  ShowStatus(main_, "plain");
  EXPECT_TRUE(Status() == kSearchingD || Status().rfind("'WINAMP.EXE'", 0) == 0) << Status();
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "D:\\Vanished\\WINAMP.EXE");

  ASSERT_EQ(WaitForStarts(log_, 1, 60000).size(), 1u);
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "E:\\Player\\WINAMP.EXE");
  EXPECT_EQ(std::count(watch.patterns().begin(), watch.patterns().end(), "D:\\*.*"), 1) << "searched twice";
  EXPECT_EQ(watch.stillOpen(), 0);
  // The line shows what came meanwhile (the tick may have put its own text since).
  EXPECT_TRUE(Status() == "plain" || Status() == STR_STATUS_SEARCHING) << Status();
  EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(main_, IDC_MAIN_LAUNCH)) != FALSE; }, 2500));
}

TEST_F(MainWindowSearch, ExitDuringTheSearchEndsItWithNothingStoredStartedOrTold) {
  MessageBoxAnswerer answerer({IDOK});
  ListingWatch watch;
  ASSERT_TRUE(watch.active());
  OpenSearching();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(PumpUntil([&] { return watch.opened() > 20; }, 5000));
  SendMessageA(main_, WM_COMMAND, IDC_MAIN_EXIT, 0);
  EXPECT_FALSE(IsWindow(main_));
  EXPECT_EQ(watch.stillOpen(), 0);
  const int opened = watch.opened();
  PumpFor(300);
  EXPECT_EQ(watch.opened(), opened) << "searched on after the exit";
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_EQ(ReadIni("Config", "WINAMP.EXE"), "D:\\Vanished\\WINAMP.EXE");
  EXPECT_TRUE(WaitForStarts(log_, 1, 200).empty());
}

}  // namespace
