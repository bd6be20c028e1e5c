// The recording history on the real file system: lines appended beside the
// settings file, the older file kept at the bound, and a history that cannot
// be written, which must not keep the main dialog from recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "app/main_dialog_win32.h"
#include "e2e/desktop_support.h"
#include "e2e/product_support.h"
#include "history/history_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "win/main_dialog_fixture.h"
#include "win/win_support.h"

namespace {

using namespace winsupport;

// "YYYY-MM-DD " of today.
std::string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char date[16];
  snprintf(date, sizeof date, "%04u-%02u-%02u ", now.wYear, now.wMonth, now.wDay);
  return date;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(HistoryFile, LinesGoBesideTheSettingsAndOneOlderFileIsKeptAtTheBound) {
  std::string dir = NewTempDir("history");
  UseFreshSettings(dir);
  const std::string log = dir + "Tavelund.log", older = log + ".1";

  ASSERT_EQ(WriteHistory(HISTORY_PROGRAM_STARTED, nullptr, nullptr), 1);
  ScheduleEntry evening{};
  evening.startSeconds = HmsToSeconds(21, 0, 0);
  evening.endSeconds = HmsToSeconds(22, 0, 0);
  ASSERT_EQ(WriteHistory(HISTORY_MISSED, &evening, STR_REASON_NO_PLUGIN), 1);
  std::vector<std::string> lines = e2e::CrlfLines(ReadFileText(log));
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) EXPECT_EQ(line.compare(0, 11, Today()), 0) << line;
  EXPECT_EQ(lines[0].substr(19), "  " STR_HISTORY_PROGRAM_STARTED);
  EXPECT_EQ(lines[1].substr(19), "  " STR_HISTORY_MISSED "  21:00:00 - 22:00:00  " STR_REASON_NO_PLUGIN);

  // A line that ends exactly at the bound still goes into the file.
  const size_t lostLine = 21 + sizeof STR_HISTORY_PLUGIN_LOST - 1 + 2;
  const std::string first(HISTORY_SIZE_LIMIT - lostLine, 'a');
  WriteFileText(log, first);
  ASSERT_EQ(WriteHistory(HISTORY_PLUGIN_LOST, nullptr, nullptr), 1);
  EXPECT_EQ(e2e::FileSize(log), HISTORY_SIZE_LIMIT);
  EXPECT_FALSE(e2e::FileExists(older));
  // The next one would pass it: the file becomes the older one, the line begins a new one.
  ASSERT_EQ(WriteHistory(HISTORY_PLUGIN_FOUND, nullptr, "plug-in"), 1);
  std::string kept = ReadFileText(older);
  EXPECT_EQ(kept.size(), static_cast<size_t>(HISTORY_SIZE_LIMIT));
  EXPECT_EQ(kept.compare(0, first.size(), first), 0);
  EXPECT_TRUE(EndsWith(kept, "  " STR_HISTORY_PLUGIN_LOST "\r\n"));
  lines = e2e::CrlfLines(ReadFileText(log));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(19), "  " STR_HISTORY_PLUGIN_FOUND "  plug-in");

  // Again: the older file is replaced, never a second one kept.
  const std::string second(HISTORY_SIZE_LIMIT - 10, 'b');
  WriteFileText(log, second);
  ASSERT_EQ(WriteHistory(HISTORY_PROGRAM_ENDED, nullptr, nullptr), 1);
  EXPECT_EQ(ReadFileText(older), second);
  EXPECT_EQ(e2e::CrlfLines(ReadFileText(log)).size(), 1u);
  EXPECT_EQ(FileNamesIn(dir, true), (std::vector<std::string>{"Tavelund.log", "Tavelund.log.1"}));
}

// Counts the times the status line of the dialogs of this thread turns into
// the given text (it may be set to the text it already shows: that is no
// second telling).
struct StatusSpy {
  std::string text;
  int shown = 0;
  ThreadHook hook;

  explicit StatusSpy(std::string watched)
      : text(std::move(watched)), hook(WH_CALLWNDPROC, [this](int code, WPARAM, LPARAM lParam) {
          const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
          if (code == HC_ACTION && message->message == WM_SETTEXT &&
              GetDlgCtrlID(message->hwnd) == IDC_MAIN_STATUS && message->lParam) {
            const char* next = reinterpret_cast<const char*>(message->lParam);
            if (text == next && WindowText(message->hwnd) != next) ++shown;
          }
        }) {}
};

class HistoryDialog : public MainDialogTest {
 protected:
  HistoryDialog() : MainDialogTest("history-dialog") {}
};

TEST_F(HistoryDialog, UnwritableHistoryIsToldOnceAndTheWindowRecordsOnTime) {
  using namespace e2e::product;
  AvoidMidnight();
  e2e::RunIsolated("unwritable", [&](const e2e::PrivateDesktop& desktop) {
    // A folder where the file should be: no line can be written.
    ASSERT_TRUE(CreateDirectoryA((dir_ + "Tavelund.log").c_str(), nullptr));
    e2e::Standin standin;
    ASSERT_TRUE(desktop.StartStandin(NewTempDir("unwritable-player"), {}, &standin));
    std::string name = NewTempDir("unwritable-out") + "take.mp3";
    // The search finds the plug-in within 4 s; the window opens after it.
    int start = NowSeconds() + 7, end = start + 2;
    StatusSpy spy(STR_NOTICE_HISTORY_UNWRITABLE);
    OpenWith("[MP3Schedule]\r\n" + Line(0, start, end, name));
    if (testing::Test::HasFatalFailure()) return;

    e2e::JournalEvent started, stopped;
    ASSERT_TRUE(PumpUntil([&] { return e2e::EventsOfKind(e2e::ReadJournal(standin.journal), "stop").size() == 1; },
                          static_cast<DWORD>((end - NowSeconds() + 5) * 1000)));
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &started, 0));
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, &stopped, 0));
    EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;
    EXPECT_EQ(SecondsOfClock(stopped.clock), end) << stopped.line;
    EXPECT_EQ(started.Field("name"), name);

    // Told once, at the first line, and still standing after all the others.
    EXPECT_EQ(spy.shown, 1);
    EXPECT_EQ(ItemText(dialog_, IDC_MAIN_STATUS), STR_NOTICE_HISTORY_UNWRITABLE);
    EXPECT_EQ(WriteHistory(HISTORY_PLUGIN_LOST, nullptr, nullptr), 0);
    EXPECT_EQ(TakeHistoryFailureNews(), 0);
    DestroyWindow(dialog_);
    EXPECT_EQ(FileNamesIn(dir_ + "Tavelund.log\\", true).size(), 0u);
  });
}

}  // namespace
