// The main dialog created from its real template and driven by messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "app/history_events_win32.h"
#include "app/main_dialog_win32.h"
#include "e2e/product_support.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "win/main_dialog_fixture.h"
#include "win/win_support.h"

using namespace winsupport;

namespace {

// Records the commands posted to the dialog; the ones listed in `swallow` are
// turned into WM_NULL, so opening the editor can be observed without running it.
struct CommandSpy {
  HWND dialog = nullptr;
  std::vector<int> swallow;
  std::vector<int> seen;
  ThreadHook hook;

  CommandSpy(HWND d, std::vector<int> s)
      : dialog(d), swallow(std::move(s)), hook(WH_GETMESSAGE, [this](int code, WPARAM wParam, LPARAM lParam) {
          MSG* msg = reinterpret_cast<MSG*>(lParam);
          if (code == HC_ACTION && wParam == PM_REMOVE && msg->hwnd == dialog && msg->message == WM_COMMAND) {
            int id = LOWORD(msg->wParam);
            seen.push_back(id);
            for (int s : swallow)
              if (s == id) msg->message = WM_NULL;
          }
        }) {}
  bool Saw(int id) const {
    for (int s : seen)
      if (s == id) return true;
    return false;
  }
};

class MainDialog : public MainDialogTest {
 protected:
  MainDialog() : MainDialogTest("main") {}
  void Open(const std::string& schedule = "") { OpenWith("[MP3Schedule]\r\n" + schedule); }

  ScheduleEntry* EntryOfLine(int index) {
    return reinterpret_cast<ScheduleEntry*>(SendDlgItemMessageA(dialog_, IDC_MAIN_LIST, LB_GETITEMDATA, index, 0));
  }
  int LineOf(const char* pattern) {
    std::vector<std::string> lines = ListLines(dialog_, IDC_MAIN_LIST);
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find(pattern) != std::string::npos) return static_cast<int>(i);
    return -1;
  }
  void Select(const char* pattern) {
    SendDlgItemMessageA(dialog_, IDC_MAIN_LIST, LB_SETCURSEL, LineOf(pattern), 0);
  }
  void Command(int id) { SendMessageA(dialog_, WM_COMMAND, id, 0); }
  bool SaveEnabled() { return IsWindowEnabled(GetDlgItem(dialog_, IDC_MAIN_SAVE)) != FALSE; }
};

const char kThree[] =
    "0=21:0:0 22:0:0 D:\\late.mp3|4 1 0 0\r\n"
    "1=6:30:0 7:0:0 D:\\early.mp3|4 1 0 0\r\n"
    "2=12:0:0 13:0:0 D:\\noon.mp3|4 1 0 0\r\n";

TEST_F(MainDialog, ShowsEntriesSortedByStartWithTheirOwnItemData) {
  Open(kThree);
  std::vector<std::string> lines = ListLines(dialog_, IDC_MAIN_LIST);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "06:30:00 - 07:00:00 " STR_MARK_IDLE " D:\\early.mp3");
  EXPECT_EQ(lines[1], "12:00:00 - 13:00:00 " STR_MARK_IDLE " D:\\noon.mp3");
  EXPECT_EQ(lines[2], "21:00:00 - 22:00:00 " STR_MARK_IDLE " D:\\late.mp3");
  for (int i = 0; i < 3; ++i) {
    ScheduleEntry* e = EntryOfLine(i);
    ASSERT_NE(e, nullptr);
    EXPECT_NE(lines[i].find(e->outputPattern), std::string::npos) << i;
  }
  // The list order (load order) is not the display order.
  EXPECT_STREQ(scheduleList->outputPattern, "D:\\late.mp3");
}

TEST_F(MainDialog, MarksTheRecordingEntry) {
  Open(kThree);
  scheduleList->next->next->recording = 1;  // noon
  RefreshScheduleList(dialog_);
  std::vector<std::string> lines = ListLines(dialog_, IDC_MAIN_LIST);
  EXPECT_EQ(lines[1], "12:00:00 - 13:00:00 " STR_MARK_RECORDING " D:\\noon.mp3");
  EXPECT_EQ(lines[0].find(STR_MARK_RECORDING), std::string::npos);
  EXPECT_EQ(lines[2].find(STR_MARK_RECORDING), std::string::npos);
}

TEST_F(MainDialog, TitleClockAndSaveButtonFollowTheTick) {
  Open(kThree);
  ASSERT_TRUE(PumpUntil([&] { return WindowText(dialog_).find(" - ") != std::string::npos; }, 2500));
  std::string title = WindowText(dialog_);
  EXPECT_EQ(title.substr(0, sizeof STR_MAIN_TITLE - 1), STR_MAIN_TITLE);
  EXPECT_EQ(title.size(), sizeof STR_MAIN_TITLE - 1 + 11);  // " - HH:MM:SS"
  // The clock is set as the window shows; the first tick greys the save button.
  EXPECT_TRUE(PumpUntil([&] { return !SaveEnabled(); }, 2500));

  Select("noon");
  MessageBoxAnswerer answers({IDOK});
  Command(IDC_MAIN_DELETE);
  ASSERT_EQ(answers.seen().size(), 1u);
  EXPECT_TRUE(PumpUntil([&] { return SaveEnabled(); }, 1500));

  Command(IDC_MAIN_SAVE);
  EXPECT_TRUE(PumpUntil([&] { return !SaveEnabled(); }, 1500));
  EXPECT_EQ(ReadIni("MP3Schedule", "2"), "");
  EXPECT_NE(ReadIni("MP3Schedule", "1"), "");
}

TEST_F(MainDialog, DeleteAsksAndRemovesExactlyTheSelectedEntry) {
  Open(kThree);
  {
    MessageBoxAnswerer answers({IDOK});
    Command(IDC_MAIN_DELETE);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, STR_SELECT_TO_DELETE);
    EXPECT_EQ(answers.seen()[0].caption, WindowText(dialog_));
  }
  Select("early");
  {
    MessageBoxAnswerer answers({IDCANCEL});
    Command(IDC_MAIN_DELETE);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, STR_CONFIRM_DELETE);
  }
  EXPECT_EQ(ScheduleCount(), 3);
  {
    MessageBoxAnswerer answers({IDOK});
    Command(IDC_MAIN_DELETE);
  }
  EXPECT_EQ(ScheduleCount(), 2);
  EXPECT_EQ(LineOf("early"), -1);
  EXPECT_NE(LineOf("late"), -1);
  EXPECT_NE(LineOf("noon"), -1);
}

TEST_F(MainDialog, DeleteRemovesTheEntryAskedAboutAfterARefillMeanwhile) {
  Open(kThree);
  // The tick refills the list while the question is open, which clears the
  // selection: OK still removes the entry that was selected when asked.
  Select("noon");
  bool selectionCleared = false;
  {
    ModalScript answer([](HWND) { return true; },
                       [&](HWND box) {
                         RefreshScheduleList(dialog_);
                         selectionCleared = SendDlgItemMessageA(dialog_, IDC_MAIN_LIST, LB_GETCURSEL, 0, 0) == LB_ERR;
                         PostMessageA(box, WM_COMMAND, IDOK, 0);
                       });
    Command(IDC_MAIN_DELETE);
    ASSERT_TRUE(answer.ran());
  }
  EXPECT_TRUE(selectionCleared) << "the refill left a selection: the case proves nothing";
  EXPECT_EQ(ScheduleCount(), 2);
  EXPECT_EQ(LineOf("noon"), -1);
  EXPECT_NE(LineOf("early"), -1);
  EXPECT_NE(LineOf("late"), -1);
}

TEST_F(MainDialog, ModifyWithoutSelectionSaysSo) {
  Open(kThree);
  MessageBoxAnswerer answers({IDOK});
  Command(IDC_MAIN_MODIFY);
  ASSERT_EQ(answers.seen().size(), 1u);
  EXPECT_EQ(answers.seen()[0].text, STR_SELECT_TO_MODIFY);
}

TEST_F(MainDialog, ExitWithoutChangesAsksNothing) {
  Open(kThree);
  MessageBoxAnswerer answers({IDCANCEL});
  Command(IDC_MAIN_EXIT);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_TRUE(answers.seen().empty());
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
  EXPECT_EQ(scheduleList, nullptr);
}

class MainDialogExit : public MainDialog {
 protected:
  // Deletes one entry (a change), then asks to exit with the given answer.
  std::vector<MessageBoxRecord> ExitAfterChange(int answer, bool viaClose) {
    Open(kThree);
    Select("noon");
    { MessageBoxAnswerer ok({IDOK}); Command(IDC_MAIN_DELETE); }
    MessageBoxAnswerer answers({answer});
    if (viaClose) {
      PostMessageA(dialog_, WM_CLOSE, 0, 0);
      PumpUntil([&] { return !answers.seen().empty(); }, 2000);
      PumpFor(100);
    } else {
      Command(IDC_MAIN_EXIT);
    }
    return answers.seen();
  }
};

TEST_F(MainDialogExit, CancelKeepsEverything) {
  std::vector<MessageBoxRecord> seen = ExitAfterChange(IDCANCEL, false);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, STR_ASK_SAVE);
  EXPECT_TRUE(IsWindow(dialog_));
  EXPECT_EQ(ScheduleCount(), 2);
  EXPECT_NE(ReadIni("MP3Schedule", "2"), "");  // not saved
}

TEST_F(MainDialogExit, YesSavesThenCloses) {
  ExitAfterChange(IDYES, false);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_EQ(ReadIni("MP3Schedule", "2"), "");
  EXPECT_NE(ReadIni("MP3Schedule", "1").find("D:\\"), std::string::npos);
}

TEST_F(MainDialogExit, NoClosesWithoutSaving) {
  ExitAfterChange(IDNO, false);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_NE(ReadIni("MP3Schedule", "2"), "");
}

TEST_F(MainDialogExit, CloseBoxAsksLikeTheExitButton) {
  std::vector<MessageBoxRecord> seen = ExitAfterChange(IDCANCEL, true);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, STR_ASK_SAVE);
  EXPECT_TRUE(IsWindow(dialog_));
}

TEST_F(MainDialogExit, FailedSavesSaySoKeepTheChangesAndTheWindow) {
  Open(kThree);
  Select("noon");
  { MessageBoxAnswerer ok({IDOK}); Command(IDC_MAIN_DELETE); }
  ASSERT_TRUE(PumpUntil([&] { return SaveEnabled(); }, 1500));
  std::string before = ReadFileText(ini_);
  std::string failed = STR_SAVE_FAILED;
  failed.replace(failed.find("%s"), 2, ini_);
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_READONLY);
  {
    MessageBoxAnswerer answers({IDOK});
    Command(IDC_MAIN_SAVE);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, failed);
    EXPECT_EQ(answers.seen()[0].caption, WindowText(dialog_));
  }
  // A tick later the save button is still there to try again.
  PumpFor(1200);
  EXPECT_TRUE(SaveEnabled());
  {
    // Exit, Yes: the save fails, says so, and the window stays with the edits.
    MessageBoxAnswerer answers({IDYES, IDOK});
    Command(IDC_MAIN_EXIT);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].text, STR_ASK_SAVE);
    EXPECT_EQ(answers.seen()[1].text, failed);
  }
  EXPECT_TRUE(IsWindow(dialog_));
  EXPECT_EQ(ScheduleCount(), 2);
  EXPECT_EQ(ReadFileText(ini_), before);
  // Once the file can be written the same exit saves and closes.
  SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
  {
    MessageBoxAnswerer answers({IDYES});
    Command(IDC_MAIN_EXIT);
    EXPECT_EQ(answers.seen().size(), 1u);
  }
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_EQ(ReadIni("MP3Schedule", "2"), "");
}

std::vector<std::string> tips;
void RecordTip(const char* text) { tips.push_back(text); }

TEST_F(MainDialog, NextRecordingLineFollowsTheListAndIsSetOnlyWhenSeenAndChanged) {
  using e2e::product::Line;
  using e2e::product::WindowTimes;
  tips.clear();
  void (*shellTip)(const char*) = trayTipSink;
  trayTipSink = RecordTip;
  const int now = e2e::product::NowSeconds(), first = now + 3600, second = now + 7200;
  Open(Line(0, first, first + 600, "D:\\first.mp3") + Line(1, second, second + 600, "D:\\second.mp3"));
  // What follows is shown by the list change itself, not by a tick.
  KillTimer(dialog_, TIMER_SECOND_TICK);
  const std::string firstWindow = WindowTimes(first, first + 600), secondWindow = WindowTimes(second, second + 600);
  const std::string shown = ItemText(dialog_, IDC_MAIN_NEXT);
  EXPECT_NE(shown.find(firstWindow), std::string::npos) << shown;
  ASSERT_FALSE(tips.empty());
  EXPECT_EQ(tips.back(), shown);

  // Minimised, the line waits and the tip follows; shown again, the line catches up.
  ShowWindow(dialog_, SW_MINIMIZE);
  PumpFor(50);
  Select("first");
  {
    MessageBoxAnswerer answers({IDOK});
    Command(IDC_MAIN_DELETE);
  }
  ASSERT_EQ(ScheduleCount(), 1);
  EXPECT_EQ(ItemText(dialog_, IDC_MAIN_NEXT), shown);
  EXPECT_NE(tips.back().find(secondWindow), std::string::npos) << tips.back();
  ShowWindow(dialog_, SW_RESTORE);
  PumpFor(50);
  EXPECT_EQ(ItemText(dialog_, IDC_MAIN_NEXT), tips.back());

  // The tick sets the line only when its words change (the wait counts minutes).
  int sets = 0;
  ThreadHook hook(WH_CALLWNDPROC, [&](int code, WPARAM, LPARAM lParam) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_SETTEXT && GetDlgCtrlID(message->hwnd) == IDC_MAIN_NEXT) ++sets;
  });
  SetTimer(dialog_, TIMER_SECOND_TICK, 1000, nullptr);
  PumpFor(3300);
  EXPECT_LE(sets, 1);
  EXPECT_EQ(ItemText(dialog_, IDC_MAIN_NEXT), tips.back());
  trayTipSink = shellTip;
}

TEST_F(MainDialog, EscapeMinimisesInsteadOfClosing) {
  Open(kThree);
  Command(IDCANCEL);
  PumpFor(50);
  EXPECT_TRUE(IsWindow(dialog_));
  EXPECT_TRUE(IsIconic(dialog_));
}

TEST_F(MainDialog, ListKeysAndDoubleClickPostTheirCommands) {
  Open(kThree);
  CommandSpy spy(dialog_, {IDC_MAIN_ADD, IDC_MAIN_DELETE, IDC_MAIN_MODIFY});
  HWND list = GetDlgItem(dialog_, IDC_MAIN_LIST);
  SendMessageA(list, WM_KEYDOWN, VK_INSERT, 0);
  SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
  PumpFor(50);
  EXPECT_TRUE(spy.Saw(IDC_MAIN_ADD));
  EXPECT_TRUE(spy.Saw(IDC_MAIN_DELETE));
  EXPECT_FALSE(spy.Saw(IDC_MAIN_MODIFY));

  // Other keys still reach the list: Down moves the selection.
  Select("early");
  SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LineOf("noon"));

  SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_MAIN_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  PumpFor(50);
  EXPECT_TRUE(spy.Saw(IDC_MAIN_MODIFY));
}

TEST_F(MainDialog, EnterOpensTheEditorOnlyFromTheList) {
  Open(kThree);
  CommandSpy spy(dialog_, {IDC_MAIN_MODIFY});
  SetFocus(GetDlgItem(dialog_, IDC_MAIN_SAVE));
  Command(IDOK);
  PumpFor(50);
  EXPECT_FALSE(spy.Saw(IDC_MAIN_MODIFY));
  SetFocus(GetDlgItem(dialog_, IDC_MAIN_LIST));
  Command(IDOK);
  PumpFor(50);
  EXPECT_TRUE(spy.Saw(IDC_MAIN_MODIFY));
}

TEST_F(MainDialog, StartUpPostsTheLaunchCommandAndRunsBothTimers) {
  WriteFileText(ini_, seed_);
  dialog_ = CreateMainDialog(app.instance);
  ASSERT_NE(dialog_, nullptr);
  CommandSpy spy(dialog_, {IDC_MAIN_LAUNCH});
  PumpFor(50);
  EXPECT_TRUE(spy.Saw(IDC_MAIN_LAUNCH));
  // Timers exist: killing them succeeds only for timers that were set.
  EXPECT_TRUE(KillTimer(dialog_, TIMER_PLUGIN_SEARCH));
  EXPECT_TRUE(KillTimer(dialog_, TIMER_SECOND_TICK));
}

}  // namespace
