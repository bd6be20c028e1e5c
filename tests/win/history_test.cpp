// The recording history on the real file system: lines appended beside the
// settings file, the older file kept at the bound, and a history that cannot
// be written, which must not keep the main dialog from recording; then what
// the main dialog tells of a window's drive and file, ahead of it and while
// it records, in the history, the status line and balloons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_win32.h"
#include "app/check_ahead_win32.h"
#include "app/disk_watch_win32.h"
#include "app/history_events_win32.h"
#include "app/main_dialog_win32.h"
#include "e2e/desktop_support.h"
#include "e2e/product_support.h"
#include "history/history_win32.h"
#include "history/watch.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "schedule/schedule_win32.h"
#include "scheduler/naming_win32.h"
#include "text/files_win32.h"
#include "text/text.h"
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

// ---- The drive of a scheduled recording, its free space given by the test ----

struct FakeDrive {
  int known = 1;
  uint64_t freeBytes = 0;
  std::vector<std::string> asked;  // the folder of each query
} drive;
int AskFakeDrive(const char* folder, uint64_t* freeBytes) {
  drive.asked.push_back(folder);
  *freeBytes = drive.freeBytes;
  return drive.known;
}

// The recording's file, as the test has it: 1 there, 0 missing.
struct FakeFile {
  int found = 0;
  uint64_t bytes = 0;
  std::vector<std::string> asked;
} file;
int AskFakeFile(const char* path, uint64_t* bytes) {
  file.asked.push_back(path);
  *bytes = file.bytes;
  return file.found;
}

// The main dialog with its timers stopped: the test hands the tick's parts
// readings of its own, seconds from the opening of entry 0's window (an hour
// at 192 kbit/s, every day, an hour from now).
class DiskDialog : public MainDialogTest {
 protected:
  DiskDialog() : MainDialogTest("disk-dialog") {}
  void TearDown() override {
    freeSpaceQuery = DriveFreeBytes;
    fileSizeQuery = FileSizeNow;
    MainDialogTest::TearDown();
  }
  static std::string Clock(int64_t seconds) { return e2e::product::Clock(static_cast<int>(seconds % 86400)); }
  TickReading At(int64_t fromStart) {
    TickReading reading{};
    reading.time = LocalTimeAt(start_ + fromStart);
    reading.tickMs = 500000u + static_cast<uint32_t>(fromStart * 1000);
    reading.plugin = PLUGIN_IDLE;
    return reading;
  }
  // A tick at the reading: the windows watched, the entry's state as the
  // action leaves it, what the history tells of it, then the drive and the
  // file as the tick looks at them.
  void Tick(int64_t fromStart, TickAction action = TICK_NOTHING, bool handedOver = false) {
    TickOutcome outcome{};
    outcome.action = action;
    outcome.entry = action != TICK_NOTHING ? entry_ : nullptr;
    snprintf(outcome.fileName, sizeof outcome.fileName, "%s", file_.c_str());
    if (handedOver) outcome.handOver = HandOverNews{entry_, START_PROBLEM_NONE, REQUEST_DONE, ""};
    snprintf(outcome.handOver.fileName, sizeof outcome.handOver.fileName, "%s", file_.c_str());
    WatchWindows(At(fromStart));
    if (action == TICK_CONFIRM || action == TICK_ADOPT) NoteRecording(entry_);
    if (action == TICK_STOP) NoteStopped(entry_);
    HistoryOfTick(At(fromStart), outcome);
    CheckDiskAfterTick(At(fromStart), outcome);
  }
  // The request handed over two seconds ahead, the start on the second, the recording confirmed.
  void OpenAndRecord(int64_t opening) {
    Tick(opening - 2, TICK_NOTHING, true);
    Tick(opening, TICK_START);
    NoteRecording(entry_);
    NoteWindowRecorded(entry_);
  }
  std::string Status() { return ItemText(dialog_, IDC_MAIN_STATUS); }
  size_t Lines(const char* event) { return e2e::product::HistoryOf(dir_, event).size(); }
  // The schedule `lines` shown with the timers stopped, entry 0 the one watched.
  void OpenStill(const std::string& lines) {
    OpenWith(STR_KEY_AUTO_START_PLAYER "=0\r\n[MP3Schedule]\r\n" + lines);
    if (HasFatalFailure()) return;
    KillTimer(dialog_, TIMER_SECOND_TICK);
    KillTimer(dialog_, TIMER_PLUGIN_SEARCH);
    entry_ = scheduleList;
  }
  static std::string Line(int key, int64_t start, int64_t end, const std::string& pattern,
                          const std::string& parameters = "4 1 -1 0") {
    return e2e::product::Line(key, static_cast<int>(start % 86400), static_cast<int>(end % 86400), pattern, parameters);
  }
  static std::string Window(int64_t start, int64_t end) {
    return e2e::product::WindowTimes(start % 86400, end % 86400);
  }
  std::string Window() { return Window(start_, start_ + 3600); }

  int64_t start_ = 0;
  std::string file_;
  ScheduleEntry* entry_ = nullptr;
};

TEST_F(DiskDialog, UnknownIsSilentShortAndFullAreToldOnceAWindowAndTheWarningGivesTheNoticeBack) {
  // The program last ran ten minutes ago, and a window passed meanwhile.
  const int64_t now = LocalSecondsOf(LocalTimeNow());
  start_ = now + 3600;
  file_ = dir_ + "rec\\take.mp3";
  WriteFileText(dir_ + "Tavelund.log", "an earlier run\r\n");
  ASSERT_TRUE(e2e::AgeFile(dir_ + "Tavelund.log", 600));
  OpenWith(STR_KEY_AUTO_START_PLAYER "=0\r\n[MP3Schedule]\r\n0=" + Clock(start_) + " " + Clock(start_ + 3600) + " " +
           file_ + "|5 1 -1 1\r\n1=" + Clock(now - 300) + " " + Clock(now - 240) + " " + dir_ + "passed.mp3|4 1 -1 0\r\n");
  if (HasFatalFailure()) return;
  KillTimer(dialog_, TIMER_SECOND_TICK);
  KillTimer(dialog_, TIMER_PLUGIN_SEARCH);
  entry_ = scheduleList;
  freeSpaceQuery = AskFakeDrive;
  char notice[160];
  snprintf(notice, sizeof notice, STR_NOTICE_MISSED, 1);
  ASSERT_EQ(Status(), notice);

  // Today the drive cannot tell, then has room: nothing is said. Looked at
  // when the request goes ahead, then once a minute by the tick's counter.
  drive.known = 0;
  OpenAndRecord(0);
  Tick(59);
  drive.known = 1;
  drive.freeBytes = 88ull << 20;  // the hour's 87 MB and a little more
  Tick(60);
  EXPECT_EQ(drive.asked, std::vector<std::string>(2, dir_ + "rec\\"));
  NoteStopped(entry_);
  Tick(3600);
  EXPECT_EQ(Lines(STR_HISTORY_DISK_SHORT), 0u);
  EXPECT_EQ(Status(), notice);

  // Tomorrow 50 MB: short before the window, told once with a warning over
  // the notice; full while recording, told once.
  drive.freeBytes = 50ull << 20;
  OpenAndRecord(86400);
  std::vector<std::string> shortLines = e2e::product::HistoryOf(dir_, STR_HISTORY_DISK_SHORT);
  ASSERT_EQ(shortLines.size(), 1u);
  // 필요 87 MB, 남은 공간 50 MB
  EXPECT_EQ(e2e::product::HistoryBody(shortLines[0]),
            STR_HISTORY_DISK_SHORT "  " + e2e::product::WindowTimes(start_ % 86400, (start_ + 3600) % 86400) +
                "  \xC7\xCA\xBF\xE4 87 MB, \xB3\xB2\xC0\xBA \xB0\xF8\xB0\xA3 50 MB (" + dir_ + "rec\\)");
  EXPECT_EQ(Status(), STR_HISTORY_DISK_SHORT ": \xC7\xCA\xBF\xE4 87 MB, \xB3\xB2\xC0\xBA \xB0\xF8\xB0\xA3 50 MB");
  Tick(86400 + 60);
  drive.freeBytes = 512 << 10;
  Tick(86400 + 121);
  Tick(86400 + 181);
  EXPECT_EQ(drive.asked.size(), 6u);
  EXPECT_EQ(Lines(STR_HISTORY_DISK_SHORT), 1u);
  std::vector<std::string> fullLines = e2e::product::HistoryOf(dir_, STR_HISTORY_DISK_FULL);
  ASSERT_EQ(fullLines.size(), 1u);
  // 남은 공간 0 MB
  EXPECT_NE(fullLines[0].find("  \xB3\xB2\xC0\xBA \xB0\xF8\xB0\xA3 0 MB (" + dir_ + "rec\\)"), std::string::npos);
  EXPECT_EQ(Status(), STR_HISTORY_DISK_FULL);
  // The plain status waits under the warning; the window ends and the
  // notice, still unread, is back.
  ShowStatus(dialog_, STR_STATUS_SEARCHING);
  EXPECT_EQ(Status(), STR_HISTORY_DISK_FULL);
  NoteStopped(entry_);
  Tick(86400 + 3600);
  EXPECT_EQ(Status(), notice);
}

// ---- The look at each window before it opens, every drive with room ----

// A drive letter the system does not have, as "Q:\".
std::string AbsentDrive() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
  return std::string();
}

// Readings from the test's start, no plug-in known.
class AheadDialog : public DiskDialog {
 protected:
  void SetUp() override {
    DiskDialog::SetUp();
    drive = FakeDrive{1, 1ull << 40, {}};
    freeSpaceQuery = AskFakeDrive;
  }
  TickReading At(int64_t fromNow) {
    TickReading reading = DiskDialog::At(fromNow);
    reading.plugin = PLUGIN_NONE;
    return reading;
  }
  std::vector<std::string> Ahead() { return e2e::product::HistoryOf(dir_, STR_HISTORY_CHECKED_AHEAD); }
};

// At once at start for a window nearer than the lead, at the lead for the
// others, one history line per window and reason, nothing when all is well,
// and the warning in the status line until the window opens.
TEST_F(AheadDialog, AtOnceAtStartThenAtTheLeadOneLinePerWindowAndReasonWithAWarningUntilItOpens) {
  using namespace e2e::product;
  AvoidMidnight();
  const std::string absent = AbsentDrive();
  ASSERT_FALSE(absent.empty());
  start_ = LocalSecondsOf(LocalTimeNow());
  const int64_t soon = start_ + 300, sooner = start_ + 240, later = start_ + 3600;
  // Two windows nearer than the lead, one on a drive that is not there; one
  // an hour ahead. The player would be started for them (its path is a file).
  OpenWith(STR_KEY_CHECK_AHEAD_MINUTES "=10\r\n[MP3Schedule]\r\n" + Line(0, soon, soon + 60, absent + "rec\\a.mp3") +
           Line(1, later, later + 3600, dir_ + "later\\b.mp3") + Line(2, sooner, sooner + 60, dir_ + "sooner\\c.mp3"));
  if (HasFatalFailure()) return;

  // Both near windows are looked at by the first ticks, one a tick; the
  // sound one's folder is made.
  ASSERT_TRUE(PumpUntil([&] { return !Ahead().empty() && !drive.asked.empty(); }, 4000)) << Joined(Ahead());
  KillTimer(dialog_, TIMER_SECOND_TICK);
  KillTimer(dialog_, TIMER_PLUGIN_SEARCH);
  std::vector<std::string> lines = Ahead();
  ASSERT_EQ(lines.size(), 1u) << Joined(lines);
  EXPECT_EQ(HistoryBody(lines[0]), STR_HISTORY_CHECKED_AHEAD "  " + Window(soon, soon + 60) + "  " +
                                       STR_REASON_NO_DRIVE ": " + absent + "rec\\");
  EXPECT_EQ(drive.asked, std::vector<std::string>{dir_ + "sooner\\"});
  EXPECT_EQ(PathKind((dir_ + "sooner").c_str()), 2);
  // The warning stands over the plain status until its window opens, then the plain status is back.
  const std::string warning = STR_HISTORY_CHECKED_AHEAD "(" + Window(soon, soon + 60) + "): " STR_REASON_NO_DRIVE;
  EXPECT_EQ(Status(), warning);
  ShowStatus(dialog_, STR_STATUS_SEARCHING);
  WatchWindows(At(200));
  EXPECT_EQ(Status(), warning);
  WatchWindows(At(300));
  EXPECT_EQ(Status(), STR_STATUS_SEARCHING);

  // The hour's window: not before the lead, at the lead with nothing to say, once.
  for (int64_t lead : {601, 600, 599}) {
    CheckWindowsAheadAfterTick(At(3600 - lead));
    EXPECT_EQ(PathKind((dir_ + "later").c_str()), lead == 601 ? 0 : 2) << lead;
  }
  EXPECT_EQ(drive.asked.size(), 2u);
  EXPECT_EQ(Ahead().size(), 1u);

  // The next day its drive is short: told once; the entry changed to the
  // absent drive is looked at again and tells only what is new.
  drive.freeBytes = 10ull << 20;
  const int64_t tomorrow = 86400 + 3600 - 600;
  for (int64_t t : {0, 1}) CheckWindowsAheadAfterTick(At(tomorrow + t));
  ScheduleEntry* hour = scheduleList;
  while (hour && std::string(hour->outputPattern).find("later") == std::string::npos) hour = hour->next;
  ASSERT_NE(hour, nullptr);
  CopyText(hour->outputPattern, sizeof hour->outputPattern, (absent + "later\\b.mp3").c_str());
  for (int64_t t : {2, 3}) CheckWindowsAheadAfterTick(At(tomorrow + t));
  EXPECT_EQ(drive.asked.size(), 3u);
  lines = Ahead();
  ASSERT_EQ(lines.size(), 3u) << Joined(lines);
  const std::string window = Window(later, later + 3600);
  // 필요 59 MB, 남은 공간 10 MB: an hour at 128 kbit/s and the margin.
  EXPECT_EQ(HistoryBody(lines[1]), STR_HISTORY_CHECKED_AHEAD "  " + window + "  " STR_HISTORY_DISK_SHORT
                                   ": \xC7\xCA\xBF\xE4 59 MB, \xB3\xB2\xC0\xBA \xB0\xF8\xB0\xA3 10 MB (" +
                                       dir_ + "later\\)");
  EXPECT_EQ(HistoryBody(lines[2]),
            STR_HISTORY_CHECKED_AHEAD "  " + window + "  " STR_REASON_NO_DRIVE ": " + absent + "later\\");
}

// ---- Balloons, through the sink the notification area takes ----

struct Balloon {
  std::string title, text;
  bool operator==(const Balloon& other) const { return title == other.title && text == other.text; }
};
void PrintTo(const Balloon& balloon, std::ostream* out) { *out << balloon.title << " / " << balloon.text; }
std::vector<Balloon> balloons;
void RecordBalloon(const char* title, const char* text) { balloons.push_back({title, text}); }

// Entry 0's window an hour from now, every day; the test hands the history
// readings of its own, as the tick would, and watches what balloons.
class BalloonDialog : public DiskDialog {
 protected:
  void SetUp() override {
    DiskDialog::SetUp();
    balloons.clear();
    balloonSink = RecordBalloon;
  }
  void TearDown() override {
    balloonSink = shellBalloons_;
    DiskDialog::TearDown();
  }
  void Watch(int64_t fromStart, PluginState plugin) {
    TickReading reading = At(fromStart);
    reading.plugin = plugin;
    WatchWindows(reading);
    BalloonsAfterTick(reading);
  }
  // The balloons shown since the last look.
  std::vector<Balloon> Shown() {
    std::vector<Balloon> shown;
    shown.swap(balloons);
    return shown;
  }
  Balloon Told(const char* title, const char* reason) { return {title, Window() + " \xA1\xAA " + reason}; }
  static Balloon Counted(int count, const char* reason) {
    char text[256];
    snprintf(text, sizeof text, STR_BALLOON_MISSED_COUNT, count, reason);
    return {STR_HISTORY_MISSED, text};
  }

  decltype(balloonSink) shellBalloons_ = balloonSink;
};

TEST_F(BalloonDialog, MissedAtStartIsOneCountedBalloonAProblemOneBalloonAndWhatRecoversNone) {
  // The program last ran ten minutes ago; two windows passed meanwhile.
  const int64_t now = LocalSecondsOf(LocalTimeNow());
  start_ = now + 3600;
  WriteFileText(dir_ + "Tavelund.log", "an earlier run\r\n");
  ASSERT_TRUE(e2e::AgeFile(dir_ + "Tavelund.log", 600));
  OpenStill(Line(0, start_, start_ + 3600, dir_ + "take.mp3") + Line(1, now - 300, now - 240, dir_ + "a.mp3") +
            Line(2, now - 200, now - 150, dir_ + "b.mp3"));
  if (HasFatalFailure()) return;
  EXPECT_EQ(Shown(), std::vector<Balloon>{Counted(2, STR_REASON_PROGRAM_NOT_RUNNING)});

  // No plug-in for the whole window: told at once in the history, in a
  // balloon only once the window has had its half minute to recover; the
  // window missed for the same reason balloons no more.
  Watch(0, PLUGIN_NONE);
  Watch(10, PLUGIN_NONE);
  EXPECT_EQ(Lines(STR_HISTORY_NOT_STARTED), 1u);
  EXPECT_TRUE(Shown().empty());
  Watch(31, PLUGIN_NONE);
  Watch(60, PLUGIN_NONE);
  EXPECT_EQ(Shown(), std::vector<Balloon>{Told(STR_HISTORY_NOT_STARTED, STR_REASON_NO_PLUGIN)});
  Watch(3600, PLUGIN_NONE);
  EXPECT_EQ(Lines(STR_HISTORY_MISSED), 3u);
  EXPECT_TRUE(Shown().empty());

  // A day without readings: the two windows it passed are one balloon.
  // Tomorrow the player comes up a few seconds late and the window records:
  // no balloon. The plug-in then goes twice while recording: one balloon.
  Watch(86400, PLUGIN_NONE);
  EXPECT_EQ(Shown(), std::vector<Balloon>{Counted(2, STR_REASON_NOT_CHECKED)});
  NoteRecording(entry_);
  NoteWindowRecorded(entry_);
  Watch(86400 + 5, PLUGIN_RECORDING);
  Watch(86400 + 40, PLUGIN_RECORDING);
  EXPECT_TRUE(Shown().empty());
  for (int lost = 0; lost < 2; ++lost) {
    HistoryPluginLost(entry_, true);
    NoteRecording(entry_);
  }
  EXPECT_EQ(Shown(), std::vector<Balloon>{Told(STR_BALLOON_RECORDING_CUT, STR_REASON_PLUGIN_LOST)});
  NoteStopped(entry_);
  Watch(86400 + 3600, PLUGIN_IDLE);
  EXPECT_TRUE(Shown().empty());
}

// ---- The recording's file, its size given by the test ----

TEST_F(DiskDialog, FileLookedAtEachMinuteAndAtTheEndOneLineAWindowNothingForAnAdoptedRecording) {
  // An hour at 128 kbit/s (16 000 bytes a second) with MP3 parameters, every day, an hour from now.
  start_ = LocalSecondsOf(LocalTimeNow()) + 3600;
  file_ = dir_ + "rec\\take.mp3";
  OpenStill(Line(0, start_, start_ + 3600, file_, "4 1 -1 1"));
  if (HasFatalFailure()) return;
  drive = FakeDrive{0, 0, {}};
  freeSpaceQuery = AskFakeDrive;
  file = FakeFile{};
  fileSizeQuery = AskFakeFile;
  const std::string plain = Status();
  // The event's lines after the window's times.
  auto bodies = [&](const char* event) {
    std::vector<std::string> lines = e2e::product::HistoryOf(dir_, event);
    for (std::string& line : lines) line = e2e::product::HistoryBody(line).substr(strlen(event) + Window().size() + 4);
    return lines;
  };
  auto recordDay = [&](int64_t opening) {
    Tick(opening - 2, TICK_NOTHING, true);
    Tick(opening, TICK_START);
    Tick(opening + 1, TICK_CONFIRM);
  };
  auto endDay = [&](int64_t opening) {
    Tick(opening + 3600, TICK_STOP);
    Tick(opening + 3601);
  };

  // Today it grows, stands still for two minutes, grows again; at the end it
  // holds under half of the hour. Looked at each minute from the start.
  file.found = 1;
  recordDay(0);
  file.bytes = 16000 * 59;
  for (int64_t t : {59, 60, 120, 180}) Tick(t);
  EXPECT_EQ(file.asked, std::vector<std::string>(3, file_));
  EXPECT_EQ(bodies(STR_HISTORY_FILE_NOT_GROWING), std::vector<std::string>{file_ + ", 0.9 MB"});
  EXPECT_EQ(Status(), STR_HISTORY_FILE_NOT_GROWING ": 0.9 MB");
  file.bytes = 16000 * 1000;
  Tick(240);
  EXPECT_EQ(Status(), plain);
  endDay(0);
  // 녹음 시간 끝, 15.3 MB, 약 16분 40초; 파일에 약 16분 40초, 녹음한 시간 59분 59초 (from the report to the stop)
  EXPECT_EQ(bodies(STR_HISTORY_RECORDING_STOPPED),
            std::vector<std::string>{STR_REASON_WINDOW_ENDED ", 15.3 MB, \xBE\xE0 16\xBA\xD0 40\xC3\xCA"});
  EXPECT_EQ(bodies(STR_HISTORY_RECORDING_CUT_SHORT),
            std::vector<std::string>{"\xC6\xC4\xC0\xCF\xBF\xA1 \xBE\xE0 16\xBA\xD0 40\xC3\xCA, \xB3\xEC\xC0\xBD\xC7\xD1 "
                                     "\xBD\xC3\xB0\xA3 59\xBA\xD0 59\xC3\xCA (" + file_ + ")"});

  // Tomorrow no file comes: a line of this window's own, and it is missed for it.
  file.found = 0;
  recordDay(86400);
  Tick(86400 + 60);
  endDay(86400);
  EXPECT_EQ(bodies(STR_HISTORY_FILE_NOT_GROWING).back(), file_ + ", " STR_HISTORY_NO_FILE);
  EXPECT_EQ(bodies(STR_HISTORY_RECORDING_STOPPED).back(), STR_REASON_WINDOW_ENDED);
  EXPECT_EQ(bodies(STR_HISTORY_MISSED), std::vector<std::string>{STR_REASON_FILE_MISSING});

  // The day after, the user's own recording is adopted: no file is known, none is looked at.
  const size_t looks = file.asked.size();
  for (int64_t t : {0, 60, 120}) Tick(2 * 86400 + t, t == 0 ? TICK_ADOPT : TICK_NOTHING);
  endDay(2 * 86400);
  EXPECT_EQ(file.asked.size(), looks);
  EXPECT_EQ(bodies(STR_HISTORY_RECORDING_STOPPED).back(), STR_REASON_WINDOW_ENDED);
  EXPECT_EQ(bodies(STR_HISTORY_FILE_NOT_GROWING).size(), 2u);
  EXPECT_EQ(bodies(STR_HISTORY_MISSED).size(), 1u);
}

}  // namespace
