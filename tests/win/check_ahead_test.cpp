// The look at each window before it opens, in the real main dialog: at once
// at start for a window nearer than the lead, at the lead for the others,
// one history line per window and reason, nothing when all is well, and the
// warning in the status line until the window opens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/check_ahead_win32.h"
#include "app/history_events_win32.h"
#include "e2e/product_support.h"
#include "history/watch.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "scheduler/naming_win32.h"
#include "text/files_win32.h"
#include "text/text.h"
#include "win/main_dialog_fixture.h"
#include "win/win_support.h"

namespace {

using namespace winsupport;
namespace product = e2e::product;

// A drive letter the system does not have, as "Q:\".
std::string AbsentDrive() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
  return std::string();
}

std::vector<std::string> asked;
uint64_t freeBytes = 0;
int AskFakeDrive(const char* folder, uint64_t* bytes) {
  asked.push_back(folder);
  *bytes = freeBytes;
  return 1;
}

class AheadDialog : public MainDialogTest {
 protected:
  AheadDialog() : MainDialogTest("ahead-dialog") {}
  void SetUp() override {
    MainDialogTest::SetUp();
    asked.clear();
    freeBytes = 1ull << 40;
    freeSpaceQuery = AskFakeDrive;
  }
  void TearDown() override {
    freeSpaceQuery = DriveFreeBytes;
    MainDialogTest::TearDown();
  }
  // A tick's reading `fromNow` seconds after the test's start, no plug-in known.
  TickReading At(int64_t fromNow) {
    TickReading reading{};
    reading.time = LocalTimeAt(now_ + fromNow);
    reading.tickMs = 900000u + static_cast<uint32_t>(fromNow * 1000);
    return reading;
  }
  std::vector<std::string> Ahead() { return product::HistoryOf(dir_, STR_HISTORY_CHECKED_AHEAD); }
  std::string Status() { return ItemText(dialog_, IDC_MAIN_STATUS); }
  static std::string Window(int64_t start, int64_t end) { return product::WindowTimes(start % 86400, end % 86400); }
  std::string Line(int key, int64_t start, int64_t end, const std::string& pattern) {
    return product::Line(key, static_cast<int>(start % 86400), static_cast<int>(end % 86400), pattern);
  }

  int64_t now_ = 0;
};

TEST_F(AheadDialog, AtOnceAtStartThenAtTheLeadOneLinePerWindowAndReasonWithAWarningUntilItOpens) {
  product::AvoidMidnight();
  const std::string absent = AbsentDrive();
  ASSERT_FALSE(absent.empty());
  now_ = LocalSecondsOf(LocalTimeNow());
  const int64_t soon = now_ + 300, sooner = now_ + 240, later = now_ + 3600;
  // Two windows nearer than the lead, one on a drive that is not there; one
  // an hour ahead. The player would be started for them (its path is a file).
  OpenWith(STR_KEY_CHECK_AHEAD_MINUTES "=10\r\n[MP3Schedule]\r\n" + Line(0, soon, soon + 60, absent + "rec\\a.mp3") +
           Line(1, later, later + 3600, dir_ + "later\\b.mp3") + Line(2, sooner, sooner + 60, dir_ + "sooner\\c.mp3"));
  if (HasFatalFailure()) return;

  // Both near windows are looked at by the first ticks, one a tick.
  ASSERT_TRUE(PumpUntil([&] { return !Ahead().empty() && !asked.empty(); }, 4000)) << product::Joined(Ahead());
  KillTimer(dialog_, TIMER_SECOND_TICK);
  KillTimer(dialog_, TIMER_PLUGIN_SEARCH);
  std::vector<std::string> lines = Ahead();
  ASSERT_EQ(lines.size(), 1u) << product::Joined(lines);
  EXPECT_EQ(product::HistoryBody(lines[0]), STR_HISTORY_CHECKED_AHEAD "  " + Window(soon, soon + 60) + "  " +
                                                STR_REASON_NO_DRIVE ": " + absent + "rec\\");
  EXPECT_EQ(Status(), STR_HISTORY_CHECKED_AHEAD "(" + Window(soon, soon + 60) + "): " STR_REASON_NO_DRIVE);
  EXPECT_EQ(asked, std::vector<std::string>{dir_ + "sooner\\"});
  EXPECT_EQ(PathKind((dir_ + "sooner").c_str()), 2);
  // The warning stands over the plain status until its window opens, then the plain status is back.
  ShowStatus(dialog_, STR_STATUS_SEARCHING);
  WatchWindows(At(200));
  EXPECT_EQ(Status(), STR_HISTORY_CHECKED_AHEAD "(" + Window(soon, soon + 60) + "): " STR_REASON_NO_DRIVE);
  WatchWindows(At(300));
  EXPECT_EQ(Status(), STR_STATUS_SEARCHING);

  // The hour's window: not before the lead, at the lead with nothing to say.
  CheckWindowsAheadAfterTick(At(3600 - 601));
  EXPECT_EQ(PathKind((dir_ + "later").c_str()), 0);
  CheckWindowsAheadAfterTick(At(3600 - 600));
  EXPECT_EQ(PathKind((dir_ + "later").c_str()), 2);
  CheckWindowsAheadAfterTick(At(3600 - 599));
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(Ahead().size(), 1u);

  // The next day its drive is short: told once; the entry changed to the
  // absent drive is looked at again and tells only what is new.
  freeBytes = 10ull << 20;
  const int64_t tomorrow = 86400 + 3600 - 600;
  CheckWindowsAheadAfterTick(At(tomorrow));
  CheckWindowsAheadAfterTick(At(tomorrow + 1));
  ScheduleEntry* hour = scheduleList;
  while (hour && std::string(hour->outputPattern).find("later") == std::string::npos) hour = hour->next;
  ASSERT_NE(hour, nullptr);
  CopyText(hour->outputPattern, sizeof hour->outputPattern, (absent + "later\\b.mp3").c_str());
  CheckWindowsAheadAfterTick(At(tomorrow + 2));
  CheckWindowsAheadAfterTick(At(tomorrow + 3));
  EXPECT_EQ(asked.size(), 3u);
  lines = Ahead();
  ASSERT_EQ(lines.size(), 3u) << product::Joined(lines);
  const std::string window = Window(later, later + 3600);
  // 필요 59 MB, 남은 공간 10 MB: an hour at 128 kbit/s and the margin.
  EXPECT_EQ(product::HistoryBody(lines[1]), STR_HISTORY_CHECKED_AHEAD "  " + window + "  " STR_HISTORY_DISK_SHORT
                                            ": \xC7\xCA\xBF\xE4 59 MB, \xB3\xB2\xC0\xBA \xB0\xF8\xB0\xA3 10 MB (" +
                                                dir_ + "later\\)");
  EXPECT_EQ(product::HistoryBody(lines[2]),
            STR_HISTORY_CHECKED_AHEAD "  " + window + "  " STR_REASON_NO_DRIVE ": " + absent + "later\\");
}

}  // namespace
