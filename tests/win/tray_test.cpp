// The notification-area icon of the real main dialog, against a shell of the
// test's own (e2e/tray_support.h) on a desktop of the test's own.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/autostart_win32.h"
#include "app/tray_win32.h"
#include "e2e/desktop_support.h"
#include "e2e/tray_support.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "win/main_dialog_fixture.h"
#include "win/win_support.h"

using namespace winsupport;
using e2e::CodesOf;
using e2e::FakeTrayShell;
using e2e::ShellCall;

namespace {

class Tray : public MainDialogTest {
 protected:
  Tray() : MainDialogTest("tray") {}
  // Opens the dialog with settings on a desktop of its own, with a shell
  // there, and runs body; the dialog is gone after.
  void OnOwnDesktop(const std::string& settings, const std::function<void(FakeTrayShell&)>& body,
                    bool shellRefuses = false) {
    e2e::RunIsolated("tray", [&](const e2e::PrivateDesktop&) {
      FakeTrayShell shell;
      ASSERT_TRUE(shell.ok());
      shell.SetRefusing(shellRefuses);
      OpenWith(settings);
      body(shell);
      if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
      dialog_ = nullptr;
      PumpFor(20);
    });
  }
};

TEST_F(Tray, AnAddRefusedIsTriedUntilTakenThenEachChangeGoesOnceAndTheCloseTakesTheIcon) {
  OnOwnDesktop("", [&](FakeTrayShell& shell) {
    PumpFor(200);
    // A refused add is tried as a change too: a restarted shell may still hold the icon.
    std::vector<ShellCall> calls = shell.calls();
    ASSERT_EQ(CodesOf(calls), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_FALSE(calls[0].answered || calls[1].answered);
    EXPECT_EQ(calls[0].window, dialog_);
    EXPECT_EQ(calls[0].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(calls[0].tip, STR_MAIN_TITLE);
    const UINT id = calls[0].id;
    const std::string waiting = calls[0].iconBits;
    EXPECT_FALSE(waiting.empty());
    // Changes meanwhile wait for the add, which carries them; a window
    // minimised meanwhile stays on the taskbar, with no icon to come back by.
    ShowTrayBalloon("\xB3\xEC\xC0\xBD", "text");
    EXPECT_EQ(shell.calls().size(), 2u);
    SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    PumpFor(100);
    EXPECT_TRUE(IsIconic(dialog_) && IsWindowVisible(dialog_));
    shell.SetRefusing(false);
    EXPECT_TRUE(PumpUntil([&] { return shell.Holds(dialog_, id); }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog_); }, 1000));
    calls = shell.calls(2);
    ASSERT_EQ(CodesOf(calls), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_MODIFY}));
    for (const ShellCall& call : calls) EXPECT_TRUE(call.answered);
    // The tip the main window's next-recording text gave meanwhile; the face "needs you".
    EXPECT_EQ(calls[0].tip.rfind(STR_NEXT_RECORDING_NONE, 0), 0u) << calls[0].tip;
    const std::string needsYou = calls[0].iconBits;
    EXPECT_NE(needsYou, waiting);
    EXPECT_EQ(calls[1].version, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_EQ(calls[2].flags, static_cast<UINT>(NIF_ICON | NIF_INFO));
    EXPECT_EQ(calls[2].infoTitle, "\xB3\xEC\xC0\xBD");
    EXPECT_EQ(calls[2].info, "text");
    EXPECT_EQ(calls[2].infoFlags, static_cast<DWORD>(NIIF_WARNING | NIIF_RESPECT_QUIET_TIME));

    // Each change goes to the shell once; the same state again says nothing.
    // (No messages are pumped in between, so the tick cannot interleave.)
    std::string hangul = "x";
    for (int i = 0; i < 130; ++i) hangul += "\xB0\xA1";  // 가
    size_t mark = shell.calls().size();
    TrayPersonLooked();
    SetTrayTip("abc");
    SetTrayTip("abc");
    SetTrayTip(hangul.c_str());
    ShowTrayRecording(true);
    ShowTrayRecording(true);
    ShowTrayBalloon("t", "x");
    TrayPersonLooked();
    TrayPersonLooked();
    ShowTrayRecording(false);
    calls = shell.calls(mark);
    ASSERT_EQ(calls.size(), 6u);
    for (const ShellCall& call : calls) {
      EXPECT_EQ(call.code, static_cast<DWORD>(NIM_MODIFY));
      EXPECT_TRUE(call.answered);
    }
    EXPECT_EQ(calls[0].iconBits, waiting);
    EXPECT_EQ(calls[1].tip, "abc");
    // The shell keeps 127 characters, converted from code page 949: the cut
    // falls between two of them.
    EXPECT_EQ(calls[2].tip, hangul.substr(0, 253));
    // A problem while recording leaves the recording face, and the look
    // changes nothing until the recording ends.
    const std::string recording = calls[3].iconBits;
    EXPECT_EQ(calls[3].flags, static_cast<UINT>(NIF_ICON));
    EXPECT_NE(recording, waiting);
    EXPECT_NE(recording, needsYou);
    EXPECT_EQ(calls[4].iconBits, recording);
    EXPECT_EQ(calls[5].iconBits, waiting);

    // Closed (the exit button's way), the window takes the icon with it.
    SendMessageA(dialog_, WM_CLOSE, 0, 0);
    PumpFor(100);
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_EQ(shell.calls().back().code, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(shell.Holds(dialog_, id));
  }, true);
}

TEST_F(Tray, TaskbarCreatedPutsTheIconBackAndTheSessionsEndTakesItAway) {
  OnOwnDesktop("", [&](FakeTrayShell& shell) {
    const UINT id = shell.calls().front().id;
    struct Case {
      bool shellKeptIt;
      std::vector<DWORD> heard;
    } cases[] = {
        {true, {NIM_ADD, NIM_MODIFY, NIM_SETVERSION}},
        {false, {NIM_ADD, NIM_SETVERSION}},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.shellKeptIt ? "kept" : "forgot");
      if (!c.shellKeptIt) shell.ForgetIcons();
      size_t mark = shell.calls().size();
      SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
      PumpUntil([&] { return shell.calls().size() >= mark + c.heard.size(); }, 3000);
      PumpFor(100);
      std::vector<ShellCall> calls = shell.calls(mark);
      EXPECT_EQ(CodesOf(calls), c.heard);
      EXPECT_TRUE(calls.size() >= 2 && calls[calls.size() - 2].answered);
      EXPECT_TRUE(shell.Holds(dialog_, id));
    }
    // The session ends without destroying the window: the icon goes at once.
    SendMessageA(dialog_, WM_ENDSESSION, TRUE, 0);
    PumpFor(100);
    EXPECT_TRUE(IsWindow(dialog_));
    EXPECT_EQ(shell.calls().back().code, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(shell.Holds(dialog_, id));
  });
}

TEST_F(Tray, MinimisedTheWindowLeavesTheTaskbarUnlessSetNotTo) {
  struct Case {
    const char* config;
    bool hidden;
  } cases[] = {{"", true}, {"MinimiseToTray=0\r\n", false}};  // behind the seed's [Config]
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    OnOwnDesktop(c.config, [&](FakeTrayShell& shell) {
      SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);  // Escape minimises
      PumpFor(200);
      EXPECT_TRUE(IsIconic(dialog_));
      EXPECT_EQ(IsWindowVisible(dialog_) == FALSE, c.hidden);
      EXPECT_TRUE(shell.Holds(dialog_, shell.calls().front().id));  // the icon stays either way
      // Hidden, the title's clock stands still; shown, it is set at once.
      SetWindowTextA(dialog_, "still");
      PumpFor(1300);
      EXPECT_EQ(WindowText(dialog_) == "still", c.hidden);
      RestoreMainWindow(dialog_);
      EXPECT_NE(WindowText(dialog_), "still");
      EXPECT_FALSE(IsIconic(dialog_));
      EXPECT_TRUE(IsWindowVisible(dialog_));
    });
  }
}

// The menu a right click opens, read while it is open (a thread timer runs
// inside the menu's loop) and then dismissed: one line per item, "*" before
// a checked one.
std::string seenMenu;
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menuWindow = nullptr;
  while ((menuWindow = FindWindowExA(nullptr, menuWindow, "#32768", nullptr)) != nullptr)
    if (GetWindowThreadProcessId(menuWindow, nullptr) == GetCurrentThreadId() && IsWindowVisible(menuWindow)) break;
  if (!menuWindow) return;
  KillTimer(nullptr, timer);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[80] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    seenMenu += std::string((GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) ? "*" : "") + text + "\n";
  }
  EndMenu();
}

// The start with Windows is checked exactly when the Run key starts this
// program, read afresh at each opening.
TEST_F(Tray, ARightClickOffersTheMenuWithTheStartWithWindowsMark) {
  std::string key = "Software\\Tavelund-tests\\TrayRun-" + std::to_string(GetCurrentProcessId());
  runKeyPath = key.c_str();
  OnOwnDesktop("", [&](FakeTrayShell& shell) {
    ShellCall add = shell.Latest(NIM_ADD, 0);
    for (bool on : {false, true}) {
      SCOPED_TRACE(on ? "starts with Windows" : "does not");
      if (on) SetStartWithWindows(true);
      seenMenu.clear();
      UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadOpenMenu);
      SendMessageA(dialog_, add.callbackMessage, MAKEWPARAM(100, 100), MAKELPARAM(WM_CONTEXTMENU, add.id));
      KillTimer(nullptr, timer);
      EXPECT_EQ(seenMenu, std::string(STR_MENU_TRAY_OPEN "\n" STR_MENU_SHOW_HISTORY "\n") + (on ? "*" : "") +
                              STR_MENU_START_WITH_WINDOWS "\n\n" STR_MENU_TRAY_EXIT "\n");
      PumpFor(100);
      EXPECT_TRUE(IsWindow(dialog_));  // dismissed, it changes nothing
    }
  });
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tavelund-tests");
  runKeyPath = STR_RUN_KEY;
}

}  // namespace
