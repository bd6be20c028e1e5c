// Tavelund.exe against hostile input and a misbehaving world: a settings file
// full of damage, a plug-in that vanishes in the middle of a recording
// request, a quality dialog that never opens or never closes, a player that
// dies mid-recording and comes back, and output folders that cannot be made.
// Each case runs whole processes on a desktop of its own; what happened is
// read from the stand-in's journal, the files on disk and the scheduler's own
// window.
//
// Common expectations: the program never crashes or hangs, the next window
// after a fault starts on the second it is due, and no recording is ever
// started into a file that existed (every "start" line says existed=0).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "e2e/product_support.h"
#include "recorder/plugin_contract.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "scheduler/tick.h"
#include "tools/standin/standin.h"

namespace {

using e2e::JournalEvent;
using e2e::PrivateDesktop;
using e2e::Standin;
using namespace e2e::product;

// ---- Settings files ----

// Every key and value of a section as the settings API reads it, in file
// order ("key=value" or a bare line), NUL-separated like the API returns.
std::string SectionAsRead(const std::string& iniPath, const std::string& section) {
  std::vector<char> buffer(4 << 20);
  DWORD length = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                           iniPath.c_str());
  return std::string(buffer.data(), length);
}

// One value as the scheduler reads it (at most capacity - 1 characters).
std::string ValueAsRead(const std::string& iniPath, const std::string& section, const std::string& key,
                        size_t capacity = 4096) {
  std::vector<char> buffer(capacity);
  DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                          static_cast<DWORD>(buffer.size()), iniPath.c_str());
  return std::string(buffer.data(), length);
}

// The bytes of one section in a settings file: from its "[name]" line to the
// next line starting with "[" (or the end).
std::string SectionBytes(const std::string& file, const std::string& section) {
  size_t start = file.find("[" + section + "]\r\n");
  if (start == std::string::npos) return std::string();
  size_t end = file.find("\r\n[", start);
  return file.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

std::string Repeat(const std::string& piece, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// ---- Windows ----

// The rectangle lies at least partly on the virtual screen.
bool OnVirtualScreen(const RECT& r) {
  RECT screen;
  screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT common;
  return IntersectRect(&common, &r, &screen) != FALSE;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// Ends a stand-in through its player window, as a user closing the player.
void ClosePlayer(Standin* standin) {
  PostMessageA(standin->player, WM_CLOSE, 0, 0);
  EXPECT_TRUE(e2e::WaitForExit(standin->process.info(), e2e::kWaitMs));
}

// ---- The journal ----

// No recording may go into a file that was there before.
void ExpectNoOverwrite(const Standin& standin, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  for (const JournalEvent& start : Events(standin, "start")) EXPECT_EQ(start.Field("existed"), "0") << start.line;
}

// ============================================================================
// A hostile settings file
// ============================================================================

// Bytes 0x01..0x1F without the line ends and the tab (a tab would end the
// pattern word), then 0x80..0xFF.
std::string BinaryBytes() {
  std::string bytes;
  for (int c = 0x01; c < 0x20; ++c)
    if (c != '\r' && c != '\n' && c != '\t') bytes += static_cast<char>(c);
  for (int c = 0x80; c <= 0xFF; ++c) bytes += static_cast<char>(c);
  return bytes;
}

const char kHuge[] = "99999999999";
const char kHugeNegative[] = "-99999999999";

// Sections the program does not own, before and after its own. They are in
// the form the settings API writes itself (no blank lines, "key=value"), so
// a rewrite must leave their bytes as they are.
std::string ForeignSectionBefore() {
  return "[Alpha]\r\n"
         "plain=value one\r\n"
         "long=" + Repeat("0123456789", 200) + "\r\n"
         "word=" + Repeat("w", 400) + " tail\r\n"
         "korean=" STR_ASK_SAVE "\r\n"
         "big=" + std::string(kHuge) + " " + kHugeNegative + "\r\n";
}

std::string ForeignSectionAfter() {
  std::string section = "[Zulu]\r\n;a comment line\r\nno equals sign here\r\n";
  for (int i = 0; i < 20; ++i) section += "k" + std::to_string(i) + "=value " + std::to_string(i * 7) + "\r\n";
  return section + "last=" + Repeat("z", 2000) + "\r\n";
}

TEST(RobustSettings, HostileFileShowsWhatItCanReadSavesCleanlyAndFallsBackOnBadIndexes) {
  AvoidMidnight();
  RunIsolated("hostile", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("hostile-out");
    std::string dir = e2e::NewTempDir("hostile");
    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("hostile-player"), {}, &standin));

    int start = NowSeconds() + kLeadSeconds;
    std::string badIndex = out + "index9.mp3";
    std::string negativeIndex = out + "index-1.mp3";
    std::string schedule =
        "[MP3Schedule]\r\n"
        // A 400-character word: the 340-byte line read cuts it, and the
        // parameters behind it with it (so no weekday: never fires).
        "0=1:0:0 2:0:0 C:\\" + Repeat("x", 400) + ".mp3|4 1 0 0\r\n"
        // A 2000-character line: what fits is read.
        "1=3:0:0 4:0:0 D:\\long.mp3|4 1 0 0 " + Repeat("junk ", 400) + "\r\n"
        // Binary bytes with no number in front: nothing to scan, dropped.
        "2=" + BinaryBytes() + "\r\n"
        // Binary bytes in the pattern: kept as they come.
        "3=5:0:0 6:0:0 E:\\bin" + BinaryBytes() + ".mp3|4 1 0 0\r\n"
        // A lone CR and a lone LF end their lines; what follows is no
        // schedule key.
        "4=7:0:0 8:0:0 F:\\cr.mp3|4 1 0 0\r after a lone CR\r\n"
        "5=9:0:0 10:0:0 G:\\lf.mp3|4 1 0 0\nstray=after a lone LF\r\n"
        // Numbers beyond 32 bits everywhere but the weekdays.
        + std::string("6=") + kHuge + ":" + kHuge + ":" + kHugeNegative + " " + kHugeNegative + ":0:" + kHuge +
        " H:\\big.mp3|" + kHuge + " " + kHugeNegative + " 0 " + kHugeNegative + "\r\n"
        // Out-of-range indexes with MP3 parameters on, in windows that fire.
        + Line(7, start, start + 2, badIndex, "9 9 -1 1") +
        Line(8, start + 3, start + 5, negativeIndex, "-1 -1 -1 3") +
        // The first empty value ends the list; later keys are never read.
        "9=\r\n"
        "10=11:0:0 12:0:0 I:\\never.mp3|4 1 -1 0\r\n";
    std::string settings = ForeignSectionBefore() +
                           "[Binary]\r\nbin=" + BinaryBytes() + "\r\nnext=still here\r\n"
                           "[Config]\r\n" + QuietPlayerSetting(dir) +
                           "DefaultSet=9 -1 " + kHuge + " " + kHugeNegative + "\r\n"
                           "OutFileName=" + Repeat("O", 2000) + "\r\n"
                           "[DlgPos]\r\n"
                           "Tavelund=" + kHugeNegative + " " + kHugeNegative + " " + kHuge + " " + kHuge + "\r\n"
                           "ScheduleInput=" + kHuge + " -5\r\n" +
                           schedule + ForeignSectionAfter();
    // The same file elsewhere, to compare with what the settings API reads.
    std::string pristine = out + "pristine.ini";
    ASSERT_TRUE(e2e::WriteFileBytes(pristine, settings));

    Product product;
    StartProductWithSettings(desktop, dir, &product, settings);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;
    ExpectConnected(product, standin);

    // Keys 0, 1, 3, 4, 5, 6, 7 and 8 make entries; 2 has no pattern; 9 ends it.
    std::vector<std::string> lines = ListLines(main);
    EXPECT_EQ(lines.size(), 8u);
    for (const char* pattern : {"D:\\long.mp3", "F:\\cr.mp3", "G:\\lf.mp3", "H:\\big.mp3"})
      EXPECT_NE(ListLineOf(main, pattern), "") << pattern;
    EXPECT_NE(ListLineOf(main, badIndex), "");
    EXPECT_EQ(ListLineOf(main, "I:\\never.mp3"), "");

    // The stored position is far off every screen; the window is not.
    RECT placed;
    ASSERT_TRUE(GetWindowRect(main, &placed));
    EXPECT_TRUE(OnVirtualScreen(placed)) << RectText(placed);

    // An index outside the table falls back to 128 kbit/s and 44100 Hz.
    ExpectStartedOnTime(standin, 1, start, badIndex, "128 44100 2");
    ExpectStartedOnTime(standin, 2, start + 3, negativeIndex, "128 44100 1");
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 2, nullptr, 4000));
    ExpectNoOverwrite(standin);

    // The editor opens with the damaged defaults and is cancelled.
    PostMessageA(main, WM_COMMAND, IDC_MAIN_ADD, 0);
    HWND editor = e2e::WaitForWindow([&] { return OwnedDialogOf(product); });
    ASSERT_NE(editor, nullptr);
    RECT editorRect;
    ASSERT_TRUE(GetWindowRect(editor, &editorRect));
    EXPECT_TRUE(OnVirtualScreen(editorRect)) << RectText(editorRect);
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(editor); }));

    SendMessageA(main, WM_COMMAND, IDC_MAIN_SAVE, 0);
    EXPECT_TRUE(Responds(main));
    std::string ini = dir + "Tavelund.INI";
    std::string saved = e2e::ReadFileBytes(ini);

    // The sections that are not the program's: the plain ones byte for
    // byte, all of them key for key as the settings API reads them.
    EXPECT_EQ(SectionBytes(saved, "Alpha"), ForeignSectionBefore());
    EXPECT_EQ(SectionBytes(saved, "Zulu"), ForeignSectionAfter());
    for (const char* section : {"Alpha", "Binary", "Config", "Zulu"})
      EXPECT_EQ(SectionAsRead(ini, section), SectionAsRead(pristine, section)) << section;

    // The schedule: the eight entries under keys 0..7, the empty key 8 ending
    // them; the indexes are kept as they were read.
    for (int key = 0; key < 8; ++key) EXPECT_NE(ValueAsRead(ini, "MP3Schedule", std::to_string(key)), "") << key;
    EXPECT_EQ(ValueAsRead(ini, "MP3Schedule", "8"), "");
    EXPECT_EQ(ValueAsRead(ini, "MP3Schedule", "6"), Clock(start) + " " + Clock(start + 2) + " " + badIndex + "|9 9 -1 1");
    EXPECT_EQ(ValueAsRead(ini, "MP3Schedule", "7"),
              Clock(start + 3) + " " + Clock(start + 5) + " " + negativeIndex + "|-1 -1 -1 3");
    EXPECT_EQ(ValueAsRead(ini, "MP3Schedule", "10"), "11:0:0 12:0:0 I:\\never.mp3|4 1 -1 0");
    // The damaged position was replaced by the one the window really has.
    RECT now;
    ASSERT_TRUE(GetWindowRect(main, &now));
    EXPECT_EQ(ValueAsRead(ini, "DlgPos", "Tavelund"),
              std::to_string(now.left) + " " + std::to_string(now.top) + " " + std::to_string(now.right - now.left) +
                  " " + std::to_string(now.bottom - now.top));

    EXPECT_TRUE(product.process.running());
    CloseProduct(&product);

    // What was saved loads again into the same list.
    Product again;
    std::string dirAgain = e2e::NewTempDir("hostile-again");
    StartProductWithSettings(desktop, dirAgain, &again, saved);
    if (testing::Test::HasFatalFailure()) return;
    EXPECT_EQ(ListLines(again.main), lines);
    CloseProduct(&again);
  });
}

// Entry i of the big list, exactly as the program writes it, with no
// weekday: none fires.
std::string ManyValue(int i) {
  int from = (i * 37) % 86400;
  return Clock(from) + " " + Clock(from + 60) + " C:\\rec\\entry" + std::to_string(i) + ".mp3|4 1 0 0";
}

TEST(RobustSettings, TenThousandEntriesLoadListAndSave) {
  RunIsolated("many", [](const PrivateDesktop& desktop) {
    const int kEntries = 10000;
    std::string dir = e2e::NewTempDir("many");
    std::string schedule = "[MP3Schedule]\r\n";
    for (int i = 0; i < kEntries; ++i) schedule += std::to_string(i) + "=" + ManyValue(i) + "\r\n";
    std::string settings = "[Config]\r\n" + QuietPlayerSetting(dir) + schedule + ForeignSectionAfter();

    DWORD began = GetTickCount();
    Product product;
    StartProductWithSettings(desktop, dir, &product, settings, 60000);
    if (testing::Test::HasFatalFailure()) return;
    DWORD shown = GetTickCount();
    ASSERT_TRUE(Responds(product.main, 60000));
    ASSERT_EQ(ListCount(product.main), kEntries);
    // Sorted by time: entry 0 (0:00:00) comes first.
    EXPECT_EQ(ListLine(product.main, 0), std::string("00:00:00 - 00:01:00 ") + STR_MARK_IDLE + " C:\\rec\\entry0.mp3");

    DWORD_PTR result = 0;
    DWORD saveBegan = GetTickCount();
    ASSERT_TRUE(SendMessageTimeoutA(product.main, WM_COMMAND, IDC_MAIN_SAVE, 0, SMTO_NORMAL, 120000, &result));
    DWORD saved = GetTickCount();
    std::printf("[ figures  ] %d entries: start to shown window %lu ms, save %lu ms\n", kEntries,
                static_cast<unsigned long>(shown - began), static_cast<unsigned long>(saved - saveBegan));

    std::string ini = dir + "Tavelund.INI";
    EXPECT_EQ(ValueAsRead(ini, "MP3Schedule", "9999"), ManyValue(9999));
    EXPECT_EQ(ValueAsRead(ini, "MP3Schedule", "10000", 16), "");
    EXPECT_EQ(SectionBytes(e2e::ReadFileBytes(ini), "Zulu"), ForeignSectionAfter());
    EXPECT_TRUE(product.process.running());
    CloseProduct(&product);
  });
}

// ============================================================================
// Faults of the player, the plug-in and the output folder
// ============================================================================

// A stand-in (with args) and the scheduler with the schedule, connected.
void StartScene(const PrivateDesktop& desktop, const std::string& label, const std::vector<std::string>& standinArgs,
                const std::string& schedule, Standin* standin, Product* product, std::string* productDir = nullptr) {
  ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir(label + "-player"), standinArgs, standin));
  std::string dir = e2e::NewTempDir(label);
  if (productDir) *productDir = dir;
  // The look ahead would put its warnings over the found status: these scenes are about the second itself.
  StartProduct(desktop, dir, product, STR_KEY_CHECK_AHEAD_MINUTES "=0\r\n[MP3Schedule]\r\n" + schedule);
  if (testing::Test::HasFatalFailure()) return;
  ExpectConnected(*product, *standin);
}

// The list line of the entry whose window starts at `start`.
std::string LineStartingAt(HWND main, int start) {
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d:%02d:%02d ", start / 3600 % 24, start / 60 % 60, start % 60);
  for (const std::string& line : ListLines(main))
    if (line.compare(0, std::strlen(clock), clock) == 0) return line;
  return std::string();
}

TEST(RobustFaults, PluginVanishingDuringTheRequestNeitherHangsNorStopsLaterWindows) {
  AvoidMidnight();
  RunIsolated("vanish", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("vanish-out");
    // Every window hands over MP3 parameters, so the scheduler goes on to
    // wait for the quality dialog of a plug-in that is no longer there.
    int closedAt = NowSeconds() + kLeadSeconds;
    int killedAt = closedAt + 9;
    int laterAt = killedAt + 8;
    std::string closedName = out + "closed.mp3", killedName = out + "killed.mp3", laterName = out + "later.mp3";
    std::string schedule = Line(0, closedAt, closedAt + 3, closedName, "4 1 -1 1") +
                           Line(1, killedAt, killedAt + 2, killedName, "4 1 -1 1") +
                           Line(2, laterAt, laterAt + 2, laterName, "4 1 -1 1");
    // Slow answers keep the scheduler inside the request long enough.
    Standin first;
    Product product;
    StartScene(desktop, "vanish", {"--delay-ms", "1500"}, schedule, &first, &product);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;

    // The plug-in dialog is closed while it still handles the request, which
    // is handed over ahead of the window's second and takes the slow plug-in
    // 1.5 s.
    SleepUntil(closedAt - PRE_ARM_LEAD_SECONDS, 500);
    PostMessageA(first.plugin, WM_CLOSE, 0, 0);
    JournalEvent closed;
    ASSERT_TRUE(e2e::WaitForJournalEvent(first.journal, "plugin-closed", 1, &closed, 5000));
    EXPECT_TRUE(Responds(main));
    EXPECT_TRUE(WaitForButtons(main, "Lst")) << Buttons(main);
    std::vector<JournalEvent> requests = Events(first, "request");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Field("name"), closedName);
    EXPECT_TRUE(Events(first, "quality-open").empty());
    EXPECT_TRUE(Events(first, "start").empty());
    // Nothing records, so nothing is marked.
    EXPECT_FALSE(MarkedRecording(ListLineOf(main, closedName)));
    ClosePlayer(&first);

    // A new player comes once that window is over (one found inside it would
    // record the rest of it); this time the whole player is killed inside
    // the request.
    SleepUntil(closedAt + 3);
    Standin second;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("vanish-player-2"), {"--delay-ms", "1500"}, &second));
    SleepUntil(killedAt - PRE_ARM_LEAD_SECONDS, 500);
    EXPECT_FALSE(MarkedRecording(ListLineOf(main, closedName)));
    EXPECT_FALSE(MarkedRecording(ListLineOf(main, killedName)));
    second.process.Reset(PROCESS_INFORMATION{});
    EXPECT_TRUE(Responds(main));
    EXPECT_TRUE(WaitForButtons(main, "Lst")) << Buttons(main);
    EXPECT_TRUE(Events(second, "start").empty());

    // The next player, again after the window, gets the next window on its second.
    SleepUntil(killedAt + 2);
    Standin third;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("vanish-player-3"), {}, &third));
    ExpectStartedOnTime(third, 1, laterAt, laterName, "128 44100 2");
    EXPECT_FALSE(MarkedRecording(ListLineOf(main, killedName)));
    EXPECT_EQ(Events(third, "request").size(), 1u);
    ExpectNoOverwrite(third);
    EXPECT_FALSE(e2e::FileExists(closedName));
    EXPECT_FALSE(e2e::FileExists(killedName));
    EXPECT_TRUE(product.process.running());
  });
}

// The mark means a recording runs: it goes with the player, and a player
// back inside the window records the rest of it into a new file.
TEST(RobustFaults, PlayerExitingMidRecordingComesBackAndRecordsTheRestIntoANewFile) {
  AvoidMidnight();
  RunIsolated("return", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("return-out");
    int start = NowSeconds() + kLeadSeconds;
    int end = start + 12;
    int next = end + 2;
    // Every recording goes to the same name: each must get a counter.
    std::string name = out + "show.mp3";
    std::string schedule = Line(0, start, end, name) + Line(1, next, next + 2, name);
    Standin first;
    Product product;
    StartScene(desktop, "return", {"--exit-after-recording", "2"}, schedule, &first, &product);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;

    JournalEvent started, exited;
    ASSERT_TRUE(e2e::WaitForJournalEvent(first.journal, "start", 1, &started, MsUntil(start, 2)));
    EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;
    EXPECT_EQ(started.Field("name"), name);
    ASSERT_TRUE(e2e::WaitFor([&] { return MarkedRecording(LineStartingAt(main, start)); }, 3000))
        << LineStartingAt(main, start);
    ASSERT_TRUE(e2e::WaitForJournalEvent(first.journal, "exit", 1, &exited, 5000));
    DWORD code = 0;
    EXPECT_TRUE(e2e::WaitForExit(first.process.info(), e2e::kWaitMs, &code));
    EXPECT_EQ(code, 3u);
    long long recorded = e2e::FileSize(name);
    EXPECT_GT(recorded, 0);
    // Lost within a second, and the mark with it.
    EXPECT_TRUE(WaitForButtons(main, "Lst")) << Buttons(main);
    EXPECT_FALSE(MarkedRecording(LineStartingAt(main, start))) << LineStartingAt(main, start);

    Standin second;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("return-player-2"), {}, &second));
    JournalEvent resumed;
    ASSERT_TRUE(e2e::WaitForJournalEvent(second.journal, "start", 1, &resumed, kSearchWaitMs + 2000));
    EXPECT_LT(SecondsOfClock(resumed.clock), end) << resumed.line;
    EXPECT_EQ(resumed.Field("name"), out + "show(1).mp3");
    EXPECT_TRUE(e2e::WaitFor([&] { return MarkedRecording(LineStartingAt(main, start)); }, 3000))
        << LineStartingAt(main, start);
    // Stopped at the window's end, once.
    JournalEvent stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(second.journal, "stop", 1, &stopped, MsUntil(end, 2)));
    EXPECT_EQ(SecondsOfClock(stopped.clock), end) << stopped.line;
    EXPECT_EQ(Events(second, "start").size(), 1u);

    ExpectStartedOnTime(second, 2, next, out + "show(2).mp3", "");
    EXPECT_EQ(e2e::FileSize(name), recorded);
    ExpectNoOverwrite(first);
    ExpectNoOverwrite(second);
  });
}

// A start that did not happen leaves no mark, and a later attempt inside the
// same window records once the plug-in comes round: here its quality dialog
// ignores the first request and opens for the next. The window is open when
// the plug-in is found, so the first attempt is a start on the second, not a
// request handed over ahead.
TEST(RobustFaults, StartThatFailedIsNotMarkedAndIsTriedAgainInsideTheWindow) {
  AvoidMidnight();
  RunIsolated("retry", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("retry-out");
    int start = NowSeconds() - 1;
    int end = start + 40;
    std::string name = out + "retried.mp3";
    // The plug-in is found and the first attempt begins in one tick, which
    // then waits for the dialog: the request tells that it was found.
    Standin standin;
    ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir("retry-player"), {"--quality-opens-after", "1"}, &standin));
    Product product;
    StartProduct(desktop, e2e::NewTempDir("retry"), &product, "[MP3Schedule]\r\n" + Line(0, start, end, name, "4 1 -1 1"));
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;

    JournalEvent first;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", 1, &first, kSearchWaitMs));
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "quality-open-ignored", 1, nullptr, 3000));
    int tried = SecondsOfClock(first.clock);
    // The bounded wait for the dialog runs out: nothing records, nothing is marked.
    SleepUntil(tried + 21);
    EXPECT_TRUE(Events(standin, "start").empty());
    EXPECT_FALSE(MarkedRecording(LineStartingAt(main, start))) << LineStartingAt(main, start);

    JournalEvent retried, started;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", 2, &retried, MsUntil(tried + 30, 0)));
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &started, 5000));
    EXPECT_GE(SecondsOfClock(retried.clock), tried + 20 + START_RETRY_GAP_MS / 1000) << retried.line;
    EXPECT_EQ(started.Field("name"), name);
    EXPECT_EQ(started.Field("params"), "128 44100 2");
    EXPECT_TRUE(e2e::WaitFor([&] { return MarkedRecording(LineStartingAt(main, start)); }, 3000))
        << LineStartingAt(main, start);
    JournalEvent stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 1, &stopped, MsUntil(end, 2)));
    EXPECT_EQ(SecondsOfClock(stopped.clock), end) << stopped.line;
    EXPECT_EQ(Events(standin, "request").size(), 2u);
    EXPECT_EQ(Events(standin, "start").size(), 1u);
    ExpectNoOverwrite(standin);
  });
}

// The longest time the window's thread takes to answer, probed again and
// again until the clock reaches `until`.
DWORD LongestUnanswered(HWND window, int until) {
  DWORD longest = 0;
  while (NowSeconds() < until) {
    DWORD sent = GetTickCount();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
    DWORD took = GetTickCount() - sent;
    if (took > longest) longest = took;
    Sleep(50);
  }
  return longest;
}

// A plug-in that stops answering while a window opens costs one bounded read
// of its state per tick, and nothing is decided on a guess: the window
// records once the plug-in answers again.
TEST(RobustFaults, HungPluginCostsOneBoundedReadPerTickAndRecordsOnceItAnswers) {
  AvoidMidnight();
  RunIsolated("hang", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("hang-out");
    int start = NowSeconds() + kLeadSeconds;
    int end = start + 20;
    std::string name = out + "after-the-hang.mp3";
    Standin standin;
    Product product;
    StartScene(desktop, "hang", {}, Line(0, start, end, name), &standin, &product);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;

    // It stops answering before the request could be handed over ahead.
    SleepUntil(start - PRE_ARM_LEAD_SECONDS - 1);
    PostMessageA(standin.player, STANDIN_MESSAGE_HANG, 10000, 0);
    DWORD longest = LongestUnanswered(main, start + 7);
    EXPECT_LT(longest, 4500u) << "one read of the plug-in's state, not several";
    EXPECT_FALSE(MarkedRecording(LineStartingAt(main, start))) << LineStartingAt(main, start);

    JournalEvent request, started;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", 1, &request, MsUntil(start + 12, 0)));
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", 1, &started, 5000));
    EXPECT_GE(SecondsOfClock(request.clock), start + 7) << request.line;
    EXPECT_EQ(started.Field("name"), name);
    EXPECT_TRUE(e2e::WaitFor([&] { return MarkedRecording(LineStartingAt(main, start)); }, 3000));
    EXPECT_EQ(Events(standin, "request").size(), 1u);
  });
}

// "HH:MM:SS" of the second, as the title clock shows it.
std::string TitleClock(int second) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600 % 24, second / 60 % 60, second % 60);
  return text;
}

// Going to sleep pauses the tick; waking, or the clock being set, makes the
// program look at the clock and the schedule at once: the window that opened
// meanwhile starts on the message, not a tick later.
TEST(RobustFaults, AfterSleepOrAClockChangeTheScheduleIsLookedAtAtOnce) {
  AvoidMidnight();
  RunIsolated("power", [](const PrivateDesktop& desktop) {
    std::string out = e2e::NewTempDir("power-out");
    int first = NowSeconds() + kLeadSeconds;
    int second = first + 12;
    std::string firstName = out + "after-sleep.mp3", secondName = out + "after-clock.mp3";
    Standin standin;
    Product product;
    std::string dir;
    StartScene(desktop, "power", {}, Line(0, first, first + 4, firstName) + Line(1, second, second + 4, secondName),
               &standin, &product, &dir);
    if (testing::Test::HasFatalFailure()) return;
    HWND main = product.main;

    const struct {
      int opens;
      UINT message;
      WPARAM wParam;
    } wakes[] = {{first, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}, {second, WM_TIMECHANGE, 0}};
    size_t number = 0;
    for (const auto& wake : wakes) {
      ++number;
      // Asleep before the request for the window would be handed over ahead.
      SleepUntil(wake.opens - PRE_ARM_LEAD_SECONDS - 2, 300);
      SendMessageA(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
      SleepUntil(wake.opens + 2, 300);
      EXPECT_EQ(Events(standin, "request").size(), number - 1) << "the tick runs on while asleep";
      EXPECT_EQ(e2e::WindowTextOf(main).find(TitleClock(wake.opens + 2)), std::string::npos);
      PostMessageA(main, wake.message, wake.wParam, 0);
      JournalEvent request;
      ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", number, &request, 2000)) << number;
      EXPECT_EQ(SecondsOfClock(request.clock), wake.opens + 2) << request.line;
      // The title follows the clock again at once: the same tick sets it just
      // after the request went out (the second may have turned since).
      std::string title;
      EXPECT_TRUE(e2e::WaitFor(
          [&] {
            title = e2e::WindowTextOf(main);
            return title.find(TitleClock(wake.opens + 2)) != std::string::npos ||
                   title.find(TitleClock(wake.opens + 3)) != std::string::npos;
          },
          1000))
          << title;
    }
    // The tick runs on aligned: the second window stops on its second.
    JournalEvent stopped;
    ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "stop", 2, &stopped, MsUntil(second + 4, 2)));
    EXPECT_EQ(SecondsOfClock(stopped.clock), second + 4) << stopped.line;
    // Each act is one line of the history.
    EXPECT_FALSE(HistoryOf(dir, STR_HISTORY_WAKE_SET).empty());
    EXPECT_EQ(HistoryOf(dir, STR_HISTORY_WOKE).size(), 1u);
    std::vector<std::string> clock = HistoryOf(dir, STR_HISTORY_CLOCK_CHANGED);
    ASSERT_EQ(clock.size(), 1u);
    EXPECT_NE(clock[0].find("\xC3\xCA"), std::string::npos) << clock[0];  // 초: by how many seconds
  });
}

// ---- A quality dialog that never opens, or never closes ----

// Every half second until the clock reaches `until`: the window answers a
// message within a second and its title shows the clock (the sample's second
// or the one before: the tick runs just after the second turns). The samples
// that failed, one line each; *taken counts them all.
std::vector<std::string> SampleAnswersAndClock(HWND main, int until, int* taken) {
  std::vector<std::string> failed;
  for (*taken = 0; NowSeconds() < until; ++*taken) {
    const DWORD sent = GetTickCount();
    const int second = NowSeconds();
    const bool answered = Responds(main, 1000);
    const std::string title = e2e::WindowTextOf(main);
    bool current = false;
    for (int s = second - 1; s <= NowSeconds(); ++s)
      current = current || title.find(TitleClock(s)) != std::string::npos;
    if (!answered || !current)
      failed.push_back(TitleClock(second) + (answered ? " title " : " no answer, title ") + title);
    const DWORD spent = GetTickCount() - sent;
    if (spent < 500) Sleep(500 - spent);
  }
  return failed;
}

// One 40 s window with MP3 parameters, the stand-in started with `fault`:
// every try (ahead, on the second, again inside the window) waits out its
// bound, and all the while, from before the request goes ahead to the
// window's end, the window answers and its clock runs. Nothing starts, and
// the reason is told once (a state read that a loaded machine lets run past
// its limit between the tries is told too, with its own reason).
struct WaitScene {
  Standin standin;
  Product product;
  std::string dir;
  int start = 0, end = 0;
};
void ExpectAliveThroughTheWindow(const PrivateDesktop& desktop, const std::string& fault, const char* reason,
                                 WaitScene* scene, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  scene->start = NowSeconds() + kLeadSeconds;
  scene->end = scene->start + 40;
  const std::string name = e2e::NewTempDir("wait-out") + "take.mp3";
  StartScene(desktop, "wait", {fault}, Line(0, scene->start, scene->end, name, "4 1 -1 1"), &scene->standin,
             &scene->product, &scene->dir);
  if (testing::Test::HasFatalFailure()) return;
  SleepUntil(scene->start - PRE_ARM_LEAD_SECONDS - 1);
  int taken = 0;
  std::vector<std::string> failed = SampleAnswersAndClock(scene->product.main, scene->end, &taken);
  EXPECT_GE(taken, 80);
  EXPECT_TRUE(failed.empty()) << failed.size() << " of " << taken << " samples failed:\n" << Joined(failed);
  EXPECT_GE(Events(scene->standin, "request").size(), 3u);
  EXPECT_TRUE(Events(scene->standin, "start").empty());
  const std::string window = STR_HISTORY_NOT_STARTED "  " + WindowTimes(scene->start, scene->end) + "  ";
  size_t told = 0;
  for (const std::string& line : HistoryOf(scene->dir, STR_HISTORY_NOT_STARTED)) {
    if (HistoryBody(line) == window + reason) {
      ++told;
    } else {
      EXPECT_EQ(HistoryBody(line), window + STR_REASON_PLUGIN_NO_ANSWER);
    }
  }
  EXPECT_EQ(told, 1u) << Joined(HistoryLines(scene->dir));
}

TEST(RobustFaults, QualityDialogNeverOpeningTheWindowAnswersThroughoutAndTheMissIsToldWithItsReason) {
  AvoidMidnight();
  RunIsolated("wait-opens", [](const PrivateDesktop& desktop) {
    WaitScene scene;
    ExpectAliveThroughTheWindow(desktop, "--quality-never-opens", STR_REASON_QUALITY_NOT_OPENED, &scene);
    if (testing::Test::HasFatalFailure()) return;
    // The try inside the window outlasts it: the miss is told once it is over.
    ASSERT_TRUE(WaitForHistory(scene.dir, STR_HISTORY_MISSED, 1, MsUntil(scene.end, 25)));
    std::vector<std::string> missed = HistoryOf(scene.dir, STR_HISTORY_MISSED);
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(HistoryBody(missed[0]),
              STR_HISTORY_MISSED "  " + WindowTimes(scene.start, scene.end) + "  " STR_REASON_QUALITY_NOT_OPENED);
    EXPECT_TRUE(HistoryOf(scene.dir, STR_HISTORY_RECORDING_STARTED).empty());
  });
}

// The last try still waits for its dialog to close when the exit is asked
// for: the program ends once that wait has run its 20 s, and not before.
TEST(RobustFaults, QualityDialogNeverClosingTheWindowAnswersThroughoutAndAnExitComesAtTheWaitsEnd) {
  AvoidMidnight();
  RunIsolated("wait-closes", [](const PrivateDesktop& desktop) {
    WaitScene scene;
    ExpectAliveThroughTheWindow(desktop, "--quality-never-closes", STR_REASON_QUALITY_NOT_CLOSED, &scene);
    if (testing::Test::HasFatalFailure()) return;
    std::vector<JournalEvent> accepts = Events(scene.standin, "quality-accept-ignored");
    ASSERT_GE(accepts.size(), 3u);
    const long waitEndsMs = MsOfClock(accepts.back().clock) + QUALITY_WAIT_LIMIT_MS;
    ASSERT_LT(NowSeconds() * 1000L + 3000, waitEndsMs) << "the last wait is over already: " << accepts.back().line;
    PostMessageA(scene.product.main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(e2e::WaitForExit(scene.product.process.info(), e2e::kWaitMs, &code));
    SYSTEMTIME now;
    GetLocalTime(&now);
    const long exitedMs = NowSeconds() * 1000L + now.wMilliseconds;
    EXPECT_EQ(code, 0u);
    EXPECT_GE(exitedMs, waitEndsMs - 500) << "ended before the wait was over";
    EXPECT_LE(exitedMs, waitEndsMs + 2000) << "ended " << exitedMs - waitEndsMs << " ms after the wait";
    EXPECT_EQ(Events(scene.standin, "request").size(), accepts.size()) << "no try after the exit was asked for";
    EXPECT_EQ(HistoryOf(scene.dir, STR_HISTORY_PROGRAM_ENDED).size(), 1u) << Joined(HistoryLines(scene.dir));
  });
}

// The second entry's window follows the first's, so the first (retried every
// second while its window lasts) cannot hold it up.
void ExpectUnusableFolderSkipped(const PrivateDesktop& desktop, const std::string& label, const std::string& badPattern,
                                 const std::string& out, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  int bad = NowSeconds() + kLeadSeconds;
  int good = bad + 4;
  std::string goodName = out + "later\\take.mp3";
  Standin standin;
  Product product;
  StartScene(desktop, label, {}, Line(0, bad, bad + 3, badPattern) + Line(1, good, good + 2, goodName), &standin,
             &product);
  if (testing::Test::HasFatalFailure()) return;
  HWND main = product.main;
  // While the bad window lasts the program answers, marks nothing and
  // sends nothing for it (the next window's request may go ahead).
  for (int second = bad; second < bad + 3; ++second) {
    SleepUntil(second, 500);
    EXPECT_TRUE(Responds(main)) << second - bad;
    EXPECT_FALSE(MarkedRecording(ListLineOf(main, badPattern))) << second - bad;
  }
  for (const JournalEvent& event : e2e::ReadJournal(standin.journal))
    EXPECT_TRUE(event.kind == "ready" || (event.kind == "request" && event.Field("name") == goodName)) << event.line;
  ExpectStartedOnTime(standin, 1, good, goodName, "");
  EXPECT_EQ(Events(standin, "request").size(), 1u);
  EXPECT_TRUE(product.process.running());
}

TEST(RobustFaults, FolderThatCannotBeMadeSkipsItsWindowAndTheNextStartsOnTime) {
  AvoidMidnight();
  RunIsolated("nodir", [](const PrivateDesktop& desktop) {
    // Wine keeps no read-only attribute on a folder and lets new files in
    // (and the tests may run as root, past any Unix permission), so the
    // unusable folder is one whose level is taken by a file.
    std::string out = e2e::NewTempDir("nodir-out");
    std::string blocker = out + "blocker";
    ASSERT_TRUE(e2e::WriteFileBytes(blocker, "a file, not a folder"));
    ExpectUnusableFolderSkipped(desktop, "nodir", blocker + "\\sub\\take.mp3", out);
    EXPECT_EQ(e2e::ReadFileBytes(blocker), "a file, not a folder");
    EXPECT_EQ(GetFileAttributesA((blocker + "\\sub").c_str()), INVALID_FILE_ATTRIBUTES);
  });
}

TEST(RobustFaults, MissingDriveSkipsItsWindowAndTheNextStartsOnTime) {
  AvoidMidnight();
  RunIsolated("nodrive", [](const PrivateDesktop& desktop) {
    DWORD drives = GetLogicalDrives();
    char letter = 0;
    for (char candidate : std::string("QRSTUVWXYPONMLKJIHGF"))
      if ((drives & (1u << (candidate - 'A'))) == 0) {
        letter = candidate;
        break;
      }
    ASSERT_NE(letter, 0) << "no unmapped drive letter";
    std::string root = std::string(1, letter) + ":\\";
    ASSERT_EQ(GetDriveTypeA(root.c_str()), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << root;
    // Right in the missing drive's root: no folder to make, and still nothing records.
    ExpectUnusableFolderSkipped(desktop, "nodrive", root + "take.mp3", e2e::NewTempDir("nodrive-out"));
  });
}

}  // namespace
