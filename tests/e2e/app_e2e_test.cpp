// Tavelund.exe as a whole process: single instance and where its settings go.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "resources/ids.h"
#include "resources/strings.h"

using namespace e2e;

namespace {

// A copy of Tavelund.exe in its own folder with settings that keep the
// start-up launch harmless: the stored "player" is an existing text file,
// which does not start, so there is no player and no drive search.
std::string PrepareCopy(const std::string& dir, const std::string& extraSettings = "") {
  std::string exe = dir + "Tavelund.exe";
  EXPECT_TRUE(CopyFileA(BuiltProgram("Tavelund.exe").c_str(), exe.c_str(), FALSE));
  std::string notAPlayer = dir + "not-a-player.txt";
  WriteFileBytes(notAPlayer, "x");
  WriteFileBytes(dir + "Tavelund.INI", "[Config]\r\nWINAMP.EXE=" + notAPlayer + "\r\n" + extraSettings);
  return exe;
}

HWND MainWindowOf(DWORD pid) {
  return FindTopLevel([pid](HWND w) { return ClassNameOf(w) == STR_MAIN_CLASS && ProcessIdOf(w) == pid; });
}

// Each test runs on a desktop of its own: the single-instance test looks for
// the main window class, which other tests' programs also register.
TEST(SingleInstance, SecondStartActivatesTheFirstAndEndsWithZero) {
  RunIsolated("single", [](const PrivateDesktop& desktop) {
  std::string dir = NewTempDir("single");
  std::string exe = PrepareCopy(dir);
  ProcessGuard first(desktop.Start(exe, {}, dir));
  HWND window = WaitForWindow([&] { return MainWindowOf(first.pid()); });
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }));

  ProcessGuard second(desktop.Start(exe, {"-x"}, dir));
  DWORD code = 99;
  ASSERT_TRUE(WaitForExit(second.info(), kWaitMs, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(first.running());
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(window) && IsWindowVisible(window); }));
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
  // Still exactly one main window.
  int count = 0;
  for (HWND w : TopLevelWindows()) count += ClassNameOf(w) == STR_MAIN_CLASS ? 1 : 0;
  EXPECT_EQ(count, 1);
  });
}

// Started at sign-in (the switch) or from a shortcut set to run minimised, the
// window comes up minimised behind the user's work; a start at sign-in while
// a copy runs leaves that copy alone; the remembered place is neither lost
// nor written over.
TEST(MinimisedStart, StaysOutOfTheWayAndComesBackAtItsRememberedPlace) {
  RunIsolated("minimised", [](const PrivateDesktop& desktop) {
  std::string dir = NewTempDir("minimised");
  const std::string placed = "120 90 520 440";
  std::string exe = PrepareCopy(dir, "[DlgPos]\r\nTavelund=" + placed + "\r\n");
  auto placement = [&] {
    char value[80] = "";
    GetPrivateProfileStringA(STR_SECTION_DLGPOS, "Tavelund", "", value, sizeof value, (dir + "Tavelund.INI").c_str());
    return std::string(value);
  };
  HWND work = CreateWindowExA(0, "STATIC", "work", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  SetForegroundWindow(work);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == work; }));
  for (bool bySwitch : {true, false}) {
    SCOPED_TRACE(bySwitch ? "started with /min" : "started from a minimised shortcut");
    ProcessGuard first(bySwitch ? desktop.Start(exe, {"-x", "/min"}, dir) : desktop.Start(exe, {}, dir, SW_SHOWMINIMIZED));
    // Minimised, it lives in the notification area: off the taskbar, still iconic.
    HWND window = WaitForWindow([&] {
      HWND w = MainWindowOf(first.pid());
      return w != nullptr && IsIconic(w) ? w : nullptr;
    });
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_NULL, 0, 0);  // its start-up has run once it answers
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }));
    EXPECT_EQ(GetForegroundWindow(), work);
    EXPECT_EQ(placement(), placed);
    if (bySwitch) {
      ProcessGuard second(desktop.Start(exe, {"/MIN"}, dir));
      DWORD code = 99;
      ASSERT_TRUE(WaitForExit(second.info(), kWaitMs, &code));
      EXPECT_EQ(code, 0u);
      EXPECT_TRUE(IsIconic(window));
      EXPECT_EQ(GetForegroundWindow(), work);
    } else {
      ShowWindow(window, SW_RESTORE);
      RECT r;
      EXPECT_TRUE(WaitFor([&] { return GetWindowRect(window, &r) && r.left == 120 && r.top == 90; }));
      EXPECT_EQ(r.right - r.left, 520);
      EXPECT_EQ(r.bottom - r.top, 440);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(WaitForExit(first.info(), kWaitMs, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(placement(), placed);
  }
  DestroyWindow(work);
  });
}

TEST(SettingsFile, LiesBesideTheProgramEvenWithDotsInFolderNames) {
  RunIsolated("settings", [](const PrivateDesktop& desktop) {
  std::string root = NewTempDir("settings");
  std::string dir = root + "kim.lee\\";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  dir += "Tools\\";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  std::string exe = PrepareCopy(dir);
  ProcessGuard app(desktop.Start(exe, {}, root));
  HWND window = WaitForWindow([&] { return MainWindowOf(app.pid()); });
  ASSERT_NE(window, nullptr);
  // Saving writes the schedule section into the program's settings file.
  SendMessageA(window, WM_COMMAND, IDC_MAIN_SAVE, 0);
  std::string ini = ReadFileBytes(dir + "Tavelund.INI");
  EXPECT_NE(ini.find("[MP3Schedule]"), std::string::npos);
  EXPECT_NE(ini.find("WINAMP.EXE="), std::string::npos);
  EXPECT_FALSE(FileExists(root + "kim.INI"));
  });
}

}  // namespace
