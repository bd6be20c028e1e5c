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
std::string PrepareCopy(const std::string& dir) {
  std::string exe = dir + "Tavelund.exe";
  EXPECT_TRUE(CopyFileA(BuiltProgram("Tavelund.exe").c_str(), exe.c_str(), FALSE));
  std::string notAPlayer = dir + "not-a-player.txt";
  WriteFileBytes(notAPlayer, "x");
  WriteFileBytes(dir + "Tavelund.INI", "[Config]\r\nWINAMP.EXE=" + notAPlayer + "\r\n");
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
