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
  // Runs body on a desktop of its own; the dialog made there is gone after.
  void OnOwnDesktop(const std::function<void()>& body) {
    e2e::RunIsolated("tray", [&](const e2e::PrivateDesktop&) {
      body();
      if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
      dialog_ = nullptr;
      PumpFor(20);
    });
  }
  std::vector<ShellCall> CallsSince(const FakeTrayShell& shell, size_t first) {
    std::vector<ShellCall> all = shell.calls();
    return std::vector<ShellCall>(all.begin() + static_cast<long>(first), all.end());
  }
};

// 가 (B0 A1)
const std::string kGa = "\xB0\xA1";

TEST_F(Tray, TheShellHearsTheAddEachChangeOnceAndTheDeleteAtExit) {
  OnOwnDesktop([&] {
    FakeTrayShell shell;
    ASSERT_TRUE(shell.ok());
    OpenWith("");
    std::vector<ShellCall> calls = shell.calls();
    // The add, its version, then the tip the main window's next-recording text gives.
    ASSERT_EQ(CodesOf(calls), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_MODIFY}));
    const ShellCall add = calls[0];
    EXPECT_TRUE(add.answered);
    EXPECT_EQ(add.size, FakeTrayShell::kWine8Size + add.iconBits.size());
    EXPECT_EQ(add.window, dialog_);
    EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_NE(add.callbackMessage, 0u);
    EXPECT_EQ(add.tip, STR_MAIN_TITLE);
    EXPECT_FALSE(add.iconBits.empty());
    EXPECT_EQ(calls[1].version, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_EQ(calls[2].flags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(calls[2].tip.rfind(STR_NEXT_RECORDING_NONE, 0), 0u) << calls[2].tip;

    // Each change goes to the shell once; the same state again says nothing.
    // (No messages are pumped in between, so the tick cannot interleave.)
    size_t mark = shell.calls().size();
    SetTrayTip("abc");
    SetTrayTip("abc");
    SetTrayTip(("x" + std::string(130, 'y')).c_str());
    std::string hangul;
    for (int i = 0; i < 130; ++i) hangul += kGa;
    SetTrayTip(hangul.c_str());
    ShowTrayRecording(true);
    ShowTrayRecording(true);
    ShowTrayBalloon("\xB3\xEC\xC0\xBD", "text");
    TrayPersonLooked();
    TrayPersonLooked();
    ShowTrayRecording(false);
    calls = CallsSince(shell, mark);
    ASSERT_EQ(calls.size(), 6u);
    for (const ShellCall& call : calls) {
      EXPECT_EQ(call.code, static_cast<DWORD>(NIM_MODIFY));
      EXPECT_TRUE(call.answered);
    }
    EXPECT_EQ(calls[0].tip, "abc");
    // The shell keeps 127 characters: the cut falls between two of them.
    EXPECT_EQ(calls[1].tip, "x" + std::string(126, 'y'));
    EXPECT_EQ(calls[2].tip, hangul.substr(0, 254));
    // The faces: a problem while recording leaves the recording face.
    const std::string waiting = add.iconBits;
    const std::string recording = calls[3].iconBits;
    EXPECT_EQ(calls[3].flags, static_cast<UINT>(NIF_ICON));
    EXPECT_NE(recording, waiting);
    EXPECT_EQ(calls[4].flags, static_cast<UINT>(NIF_ICON | NIF_INFO));
    EXPECT_EQ(calls[4].iconBits, recording);
    EXPECT_EQ(calls[4].infoTitle, "\xB3\xEC\xC0\xBD");
    EXPECT_EQ(calls[4].info, "text");
    EXPECT_EQ(calls[4].infoFlags, static_cast<DWORD>(NIIF_WARNING | NIIF_RESPECT_QUIET_TIME));
    // Looked at while recording, the face stays: the next change is the
    // recording's end.
    EXPECT_EQ(calls[5].iconBits, waiting);

    // A problem while waiting shows "needs you" until the person looks.
    mark = shell.calls().size();
    ShowTrayBalloon("t", "x");
    TrayPersonLooked();
    calls = CallsSince(shell, mark);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_NE(calls[0].iconBits, waiting);
    EXPECT_NE(calls[0].iconBits, recording);
    EXPECT_EQ(calls[1].iconBits, waiting);

  });
}

TEST_F(Tray, EveryWayOutTakesTheIconAway) {
  struct Case {
    const char* way;
    UINT message;
    WPARAM wParam;
  } cases[] = {
      {"exit button", WM_COMMAND, IDC_MAIN_EXIT},
      {"close", WM_CLOSE, 0},
      {"end of the session", WM_ENDSESSION, TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.way);
    OnOwnDesktop([&] {
      FakeTrayShell shell;
      ASSERT_TRUE(shell.ok());
      OpenWith("");
      ShellCall add = shell.Latest(NIM_ADD, 0);
      ASSERT_TRUE(shell.Holds(dialog_, add.id));
      SendMessageA(dialog_, c.message, c.wParam, 0);
      PumpFor(100);
      EXPECT_EQ(shell.calls().back().code, static_cast<DWORD>(NIM_DELETE));
      EXPECT_FALSE(shell.Holds(dialog_, add.id));
      // The session's end leaves the window to the system.
      EXPECT_EQ(IsWindow(dialog_) != FALSE, c.message == WM_ENDSESSION);
    });
  }
}

TEST_F(Tray, AnAddTheShellCannotTakeIsTriedAgainUntilItCan) {
  OnOwnDesktop([&] {
    FakeTrayShell shell;
    ASSERT_TRUE(shell.ok());
    shell.SetRefusing(true);
    OpenWith("");
    PumpFor(200);
    std::vector<ShellCall> calls = shell.calls();
    ASSERT_EQ(CodesOf(calls), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_FALSE(calls[0].answered || calls[1].answered);
    // Changes meanwhile wait for the add, which carries them; a window
    // minimised meanwhile stays on the taskbar, with no icon to come back by.
    SetTrayTip("later");
    ShowTrayBalloon("t", "x");
    EXPECT_EQ(shell.calls().size(), 2u);
    SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    PumpFor(100);
    EXPECT_TRUE(IsIconic(dialog_) && IsWindowVisible(dialog_));
    shell.SetRefusing(false);
    EXPECT_TRUE(PumpUntil([&] { return shell.Holds(dialog_, calls[0].id); }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(dialog_); }, 1000));
    ShellCall add = shell.Latest(NIM_ADD, 0);
    EXPECT_TRUE(add.answered);
    EXPECT_EQ(add.tip, "later");
    const std::string waiting = calls[0].iconBits;
    EXPECT_NE(add.iconBits, waiting);  // needs you
    TrayPersonLooked();
    EXPECT_EQ(shell.calls().back().iconBits, waiting);
    EXPECT_TRUE(shell.calls().back().answered);
  });
}

TEST_F(Tray, TaskbarCreatedPutsTheIconBackWhetherTheShellKeptItOrNot) {
  OnOwnDesktop([&] {
    FakeTrayShell shell;
    ASSERT_TRUE(shell.ok());
    OpenWith("");
    UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
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
      SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
      PumpUntil([&] { return shell.calls().size() >= mark + c.heard.size(); }, 3000);
      PumpFor(100);
      std::vector<ShellCall> calls = CallsSince(shell, mark);
      EXPECT_EQ(CodesOf(calls), c.heard);
      EXPECT_TRUE(calls.size() >= 2 && calls[calls.size() - 2].answered);
      EXPECT_TRUE(shell.Holds(dialog_, shell.calls().front().id));
    }
  });
}

TEST_F(Tray, MinimisedTheWindowLeavesTheTaskbarUnlessSetNotTo) {
  struct Case {
    const char* config;
    bool hidden;
  } cases[] = {{"", true}, {"MinimiseToTray=0\r\n", false}};  // behind the seed's [Config]
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    OnOwnDesktop([&] {
      FakeTrayShell shell;
      ASSERT_TRUE(shell.ok());
      OpenWith(c.config);
      std::string before = ReadIni("DlgPos", "Tavelund");
      SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);  // Escape minimises
      PumpFor(200);
      EXPECT_TRUE(IsIconic(dialog_));
      EXPECT_EQ(IsWindowVisible(dialog_) == FALSE, c.hidden);
      // The icon stays either way.
      EXPECT_TRUE(shell.Holds(dialog_, shell.calls().front().id));
      // Hidden, the title's clock stands still; shown, it is set at once.
      SetWindowTextA(dialog_, "still");
      PumpFor(1300);
      EXPECT_EQ(WindowText(dialog_) == "still", c.hidden);
      RestoreMainWindow(dialog_);
      EXPECT_NE(WindowText(dialog_), "still");
      EXPECT_FALSE(IsIconic(dialog_));
      EXPECT_TRUE(IsWindowVisible(dialog_));
      PumpFor(100);
      EXPECT_EQ(ReadIni("DlgPos", "Tavelund"), before);
    });
  }
}

// The menu a right click opens, read while it is open (a thread timer runs
// inside the menu's loop) and then dismissed: its items, and the start with
// Windows checked exactly when the Run key starts this program.
struct MenuItem {
  std::string text;
  UINT id;
  bool checked;
};
std::vector<MenuItem> seenMenu;
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
    seenMenu.push_back(
        MenuItem{text, GetMenuItemID(menu, i), (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) != 0});
  }
  EndMenu();
}

TEST_F(Tray, ARightClickOffersTheMenuWithTheStartWithWindowsMark) {
  std::string key = "Software\\Tavelund-tests\\TrayRun-" + std::to_string(GetCurrentProcessId());
  runKeyPath = key.c_str();
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  for (bool on : {false, true}) {
    SCOPED_TRACE(on ? "starts with Windows" : "does not");
    if (on) SetStartWithWindows(true);
    OnOwnDesktop([&] {
      FakeTrayShell shell;
      ASSERT_TRUE(shell.ok());
      OpenWith("");
      ShellCall add = shell.Latest(NIM_ADD, 0);
      seenMenu.clear();
      UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadOpenMenu);
      SendMessageA(dialog_, add.callbackMessage, MAKEWPARAM(100, 100), MAKELPARAM(WM_CONTEXTMENU, add.id));
      KillTimer(nullptr, timer);
      ASSERT_EQ(seenMenu.size(), 5u);
      EXPECT_EQ(seenMenu[0].text, STR_MENU_TRAY_OPEN);
      EXPECT_EQ(seenMenu[1].text, STR_MENU_SHOW_HISTORY);
      EXPECT_EQ(seenMenu[2].text, STR_MENU_START_WITH_WINDOWS);
      EXPECT_EQ(seenMenu[2].checked, on);
      EXPECT_EQ(seenMenu[3].text, "");  // the separator
      EXPECT_EQ(seenMenu[4].text, STR_MENU_TRAY_EXIT);
      // Dismissed, it changes nothing.
      PumpFor(100);
      EXPECT_TRUE(IsWindow(dialog_));
    });
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tavelund-tests");
  runKeyPath = STR_RUN_KEY;
}

}  // namespace
