// Tavelund.exe and its notification-area icon, with a shell of the test's
// own on the test's desktop (e2e/tray_support.h).
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "e2e/tray_support.h"
#include "resources/ids.h"
#include "resources/strings.h"

using namespace e2e;

namespace {

const char kPlaced[] = "120 90 520 440";

// Shown at the remembered place (read from outside, the style may turn
// before the rectangle does), or in the tray: iconic and off the taskbar.
bool ShownAtItsPlace(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  char seen[80];
  std::snprintf(seen, sizeof seen, "%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return !IsIconic(window) && IsWindowVisible(window) && std::string(seen) == kPlaced;
}
bool InTheTray(HWND window) { return IsIconic(window) && !IsWindowVisible(window); }

// Started at sign-in it goes straight to the notification area, with one
// balloon for the window it missed while it was not running; a click on
// the icon (what the shell sends for it) brings it back at its remembered
// place; minimised again it goes back; a second start brings it back too;
// exit takes the icon away.
TEST(TrayIcon, MinimisedInTheTrayBackByTheIconOrASecondStartGoneAtExit) {
  RunIsolated("tray", [](const PrivateDesktop& desktop) {
    FakeTrayShell shell;
    ASSERT_TRUE(shell.ok());
    std::string dir = NewTempDir("tray");
    std::string exe = dir + "Tavelund.exe";
    ASSERT_TRUE(CopyFileA(BuiltProgram("Tavelund.exe").c_str(), exe.c_str(), FALSE));
    std::string ini = dir + "Tavelund.INI";
    // The program last ran ten minutes ago; a window came and went since.
    ASSERT_TRUE(WriteFileBytes(dir + "Tavelund.log", "an earlier run\r\n"));
    ASSERT_TRUE(AgeFile(dir + "Tavelund.log", 600));
    product::AvoidMidnight();
    const int now = product::NowSeconds();
    ASSERT_TRUE(WriteFileBytes(ini, "[Config]\r\n" + product::QuietPlayerSetting(dir) + STR_KEY_AUTO_START_PLAYER
                                    "=0\r\n[DlgPos]\r\nTavelund=" + kPlaced + "\r\n[MP3Schedule]\r\n" +
                                    product::Line(0, (now + 86100) % 86400, (now + 86160) % 86400, dir + "passed.mp3")));

    ProcessGuard app(desktop.Start(exe, {"/min"}, dir));
    HWND main = WaitForWindow([&] {
      HWND w = FindWindowA(STR_MAIN_CLASS, nullptr);
      return w != nullptr && ProcessIdOf(w) == app.pid() ? w : nullptr;
    });
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return InTheTray(main); }));
    ShellCall add = shell.Latest(NIM_ADD, 0);
    ASSERT_TRUE(add.answered);
    EXPECT_EQ(add.window, main);
    char counted[200];
    std::snprintf(counted, sizeof counted, STR_BALLOON_MISSED_COUNT, 1, STR_REASON_PROGRAM_NOT_RUNNING);
    ASSERT_TRUE(WaitFor([&] { return !shell.Latest(NIM_MODIFY, NIF_INFO).info.empty(); }));
    ShellCall balloon = shell.Latest(NIM_MODIFY, NIF_INFO);
    EXPECT_EQ(balloon.info, counted);
    EXPECT_EQ(balloon.infoTitle, STR_HISTORY_MISSED);

    // A left click, as the shell reports it with the fourth version.
    PostMessageA(main, add.callbackMessage, 0, MAKELPARAM(NIN_SELECT, add.id));
    EXPECT_TRUE(WaitFor([&] { return ShownAtItsPlace(main); }));
    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitFor([&] { return InTheTray(main); }));

    ProcessGuard second(desktop.Start(exe, {}, dir));
    DWORD code = 99;
    ASSERT_TRUE(WaitForExit(second.info(), kWaitMs, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitFor([&] { return ShownAtItsPlace(main); }));

    product::Click(main, IDC_MAIN_EXIT);
    ASSERT_TRUE(WaitForExit(app.info(), kWaitMs, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(shell.calls().back().code, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(shell.Holds(main, add.id));
    char placed[80] = "";
    GetPrivateProfileStringA(STR_SECTION_DLGPOS, "Tavelund", "", placed, sizeof placed, ini.c_str());
    EXPECT_STREQ(placed, kPlaced);
  });
}

}  // namespace
