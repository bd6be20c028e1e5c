// The notification-area icon of the real main dialog, against a shell of the
// test's own (e2e/tray_support.h) on a desktop of the test's own.
#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

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
  void Exit() { SendMessageA(dialog_, WM_COMMAND, IDC_MAIN_EXIT, 0); }
};

// 가 (B0 A1)
const std::string kGa = "\xB0\xA1";

TEST_F(Tray, TheShellHearsTheAddEachChangeOnceAndTheDeleteAtExit) {
  OnOwnDesktop([&] {
    FakeTrayShell shell;
    ASSERT_TRUE(shell.ok());
    OpenWith("");
    std::vector<ShellCall> calls = shell.calls();
    ASSERT_EQ(CodesOf(calls), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
    const ShellCall add = calls[0];
    EXPECT_TRUE(add.answered);
    EXPECT_EQ(add.size, FakeTrayShell::kWine8Size + add.iconBits.size());
    EXPECT_EQ(add.window, dialog_);
    EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_NE(add.callbackMessage, 0u);
    EXPECT_EQ(add.tip, STR_MAIN_TITLE);
    EXPECT_FALSE(add.iconBits.empty());
    EXPECT_EQ(calls[1].version, static_cast<UINT>(NOTIFYICON_VERSION_4));

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

    Exit();
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_EQ(shell.calls().back().code, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(shell.calls().back().answered);
    EXPECT_FALSE(shell.Holds(add.window, add.id));
  });
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
    // Changes meanwhile wait for the add, which carries them.
    SetTrayTip("later");
    ShowTrayRecording(true);
    EXPECT_EQ(shell.calls().size(), 2u);
    shell.SetRefusing(false);
    EXPECT_TRUE(PumpUntil([&] { return shell.Holds(dialog_, calls[0].id); }, 10000));
    ShellCall add = shell.Latest(NIM_ADD, 0);
    EXPECT_TRUE(add.answered);
    EXPECT_EQ(add.tip, "later");
    ShowTrayRecording(false);
    EXPECT_NE(shell.Latest(NIM_MODIFY, NIF_ICON).iconBits, add.iconBits);
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
  } cases[] = {{"", true}, {"[Config]\r\nMinimiseToTray=0\r\n", false}};
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

}  // namespace

TEST(TrayProbe, WhereIsTheShell) {
  printf("default desktop: %p\n", static_cast<void*>(FindWindowW(L"Shell_TrayWnd", nullptr)));
  e2e::RunIsolated("probe", [](const e2e::PrivateDesktop&) {
    printf("private before a window: %p\n", static_cast<void*>(FindWindowW(L"Shell_TrayWnd", nullptr)));
    HWND w = CreateWindowExA(0, "STATIC", "x", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    PumpFor(1500);
    printf("private after a window: %p\n", static_cast<void*>(FindWindowW(L"Shell_TrayWnd", nullptr)));
    NOTIFYICONDATAW d = {};
    d.cbSize = sizeof d; d.hWnd = w; d.uID = 7; d.uFlags = NIF_TIP;
    BOOL ok = Shell_NotifyIconW(NIM_ADD, &d);
    printf("add on private: %d error %lx\n", ok, GetLastError());
    if (ok) Shell_NotifyIconW(NIM_DELETE, &d);
    DestroyWindow(w);
  });
}
