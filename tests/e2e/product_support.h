// Starting Tavelund.exe for a whole-process test and reading its state
// from outside: a copy in a folder of its own with seeded settings, on the
// test's own desktop, its status line and buttons read cross-process.
//
// The settings are seeded so that the player launch the scheduler performs
// at start-up cannot disturb the test: [Config] "WINAMP.EXE" names an
// existing file that is no program. The launch then neither searches the
// drives (the file exists) nor starts a second player (starting a text file
// fails, and a failed start is not reported); the test starts its stand-in
// itself.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "e2e/desktop_support.h"
#include "e2e/e2e_support.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "scheduler/tick.h"

namespace e2e {
namespace product {

// The search timer runs every 4 s; a little more covers a slow start.
const DWORD kSearchWaitMs = 6000;
// Button and loss updates come with the one-second tick.
const DWORD kTickWaitMs = 2500;

struct Product {
  e2e::ProcessGuard process;
  HWND main = nullptr;
};

// Writes the "player" that is no program into dir and returns the [Config]
// line naming it (empty when the file could not be written).
inline std::string QuietPlayerSetting(const std::string& dir) {
  std::string notAPlayer = dir + "not-a-player.txt";
  if (!e2e::WriteFileBytes(notAPlayer, "not a program\r\n")) return std::string();
  return STR_PLAYER_EXE "=" + notAPlayer + "\r\n";
}

// Copies the scheduler into dir with exactly the given settings file and
// starts it on the desktop; waits for its main window. The settings should
// hold QuietPlayerSetting(dir) in [Config].
inline void StartProductWithSettings(const e2e::PrivateDesktop& desktop, const std::string& dir, Product* product,
                                     const std::string& settings, DWORD timeoutMs = e2e::kWaitMs) {
  std::string exe = dir + "Tavelund.exe";
  ASSERT_TRUE(CopyFileA(e2e::BuiltProgram("Tavelund.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(e2e::WriteFileBytes(dir + "Tavelund.INI", settings));
  product->process.Reset(desktop.Start(exe, {}, dir));
  ASSERT_NE(nullptr, product->process.info().hProcess);
  DWORD pid = product->process.pid();
  product->main = e2e::WaitForWindow(
      [&] {
        HWND w = FindWindowA(STR_MAIN_CLASS, nullptr);
        return w != nullptr && e2e::ProcessIdOf(w) == pid ? w : nullptr;
      },
      timeoutMs);
  ASSERT_NE(nullptr, product->main);
  // The class is there as soon as the dialog is created; its controls and
  // state are complete once it is shown.
  ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(product->main) != FALSE; }, timeoutMs));
}

// Copies the scheduler into dir with a seeded settings file and starts it on
// the desktop; waits for its main window.
inline void StartProduct(const e2e::PrivateDesktop& desktop, const std::string& dir, Product* product,
                         const std::string& extraSettings = "") {
  std::string player = QuietPlayerSetting(dir);
  ASSERT_FALSE(player.empty());
  StartProductWithSettings(desktop, dir, product, "[Config]\r\n" + player + extraSettings);
}

inline std::string Status(HWND main) { return e2e::ControlText(main, IDC_MAIN_STATUS, 260); }

inline bool Enabled(HWND main, int id) { return IsWindowEnabled(GetDlgItem(main, id)) != FALSE; }

// Launch, start and stop buttons as "LST": a letter in upper case when enabled.
inline std::string Buttons(HWND main) {
  std::string shown;
  shown += Enabled(main, IDC_MAIN_LAUNCH) ? 'L' : 'l';
  shown += Enabled(main, IDC_MAIN_START) ? 'S' : 's';
  shown += Enabled(main, IDC_MAIN_STOP) ? 'T' : 't';
  return shown;
}

inline bool WaitForButtons(HWND main, const std::string& wanted, DWORD timeoutMs = kTickWaitMs) {
  return e2e::WaitFor([&] { return Buttons(main) == wanted; }, timeoutMs);
}

inline bool WaitForStatus(HWND main, const std::string& wanted, DWORD timeoutMs = kSearchWaitMs) {
  return e2e::WaitFor([&] { return Status(main) == wanted; }, timeoutMs);
}

inline std::string FoundStatus(HWND plugin) { return e2e::WindowTextOf(plugin) + STR_STATUS_FOUND_SUFFIX; }

// What a click on one of the scheduler's buttons delivers to its dialog.
inline void Click(HWND main, int id) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

// Waits until the scheduler shows the plug-in as found.
inline void ExpectConnected(const Product& product, const e2e::Standin& standin, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  ASSERT_NE(nullptr, standin.plugin);
  EXPECT_TRUE(WaitForStatus(product.main, FoundStatus(standin.plugin)))
      << "status: " << Status(product.main);
  EXPECT_FALSE(Enabled(product.main, IDC_MAIN_LAUNCH));
}

using e2e::RunIsolated;

// Starts a stand-in and the scheduler and waits until the plug-in is found.
inline void StartConnected(const e2e::PrivateDesktop& desktop, const std::string& label, e2e::Standin* standin,
                    Product* product, const std::string& extraSettings = "") {
  ASSERT_TRUE(desktop.StartStandin(e2e::NewTempDir(label + "-player"), {}, standin));
  StartProduct(desktop, e2e::NewTempDir(label), product, extraSettings);
  if (testing::Test::HasFatalFailure()) return;
  ExpectConnected(*product, *standin);
}

// True when the window's thread answers a message within timeoutMs: the
// program is neither hung nor blocked in a long wait.
inline bool Responds(HWND window, DWORD timeoutMs = 3000) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// Line index of the scheduler's list, read cross-process. The item is asked
// for in UTF-16 and converted back to code page 949 here: Wine does not carry
// an ANSI item text across processes whole.
inline std::string ListLine(HWND main, int index) {
  HWND list = GetDlgItem(main, IDC_MAIN_LIST);
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length < 0) return std::string();
  std::vector<wchar_t> wide(static_cast<size_t>(length) + 16, L'\0');
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
  wide.back() = L'\0';
  int bytes = WideCharToMultiByte(949, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(949, 0, wide.data(), -1, text.data(), bytes, nullptr, nullptr);
  return text.data();
}

inline int ListCount(HWND main) {
  return static_cast<int>(SendDlgItemMessageA(main, IDC_MAIN_LIST, LB_GETCOUNT, 0, 0));
}

// All lines of the scheduler's list.
inline std::vector<std::string> ListLines(HWND main) {
  std::vector<std::string> lines;
  for (int i = 0, count = ListCount(main); i < count; ++i) lines.push_back(ListLine(main, i));
  return lines;
}

// The list line of the entry whose pattern ends the line ("" when none).
inline std::string ListLineOf(HWND main, const std::string& pattern) {
  for (const std::string& line : ListLines(main)) {
    if (line.size() >= pattern.size() && line.compare(line.size() - pattern.size(), pattern.size(), pattern) == 0)
      return line;
  }
  return std::string();
}

// Whether a list line carries the mark of the entry being recorded.
inline bool MarkedRecording(const std::string& line) {
  return line.find(std::string(" ") + STR_MARK_RECORDING + " ") != std::string::npos;
}

// The list line of the entry whose pattern ends the line, or -1.
inline int LineIndexOf(HWND main, const std::string& pattern) {
  std::vector<std::string> lines = ListLines(main);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() >= pattern.size() && line.compare(line.size() - pattern.size(), pattern.size(), pattern) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

// A dialog of the scheduler's process owned by its main window (the editor,
// or a message box).
inline HWND OwnedDialogOf(const Product& product) {
  return e2e::FindTopLevel([&](HWND w) {
    return w != product.main && e2e::ClassNameOf(w) == STR_DIALOG_CLASS && e2e::OwnerOf(w) == product.main &&
           IsWindowVisible(w);
  });
}

// Deletes the entry whose pattern ends its line the way a user does: selects
// the line, presses delete and answers the question with OK. True once the
// line is gone.
inline bool DeleteEntry(const Product& product, const std::string& pattern) {
  HWND main = product.main;
  int index = LineIndexOf(main, pattern);
  if (index < 0) return false;
  int before = ListCount(main);
  SendDlgItemMessageA(main, IDC_MAIN_LIST, LB_SETCURSEL, index, 0);
  PostMessageA(main, WM_COMMAND, IDC_MAIN_DELETE, 0);
  HWND box = e2e::WaitForWindow([&] { return OwnedDialogOf(product); });
  if (box == nullptr) return false;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return e2e::WaitFor([&] { return ListCount(main) == before - 1; });
}

// Changes the pattern of the entry whose pattern ends its line the way a user
// does: selects the line, opens the editor, types the new pattern and
// presses OK. True once the editor has closed.
inline bool ChangePattern(const Product& product, const std::string& pattern, const std::string& newPattern) {
  HWND main = product.main;
  int index = LineIndexOf(main, pattern);
  if (index < 0) return false;
  SendDlgItemMessageA(main, IDC_MAIN_LIST, LB_SETCURSEL, index, 0);
  PostMessageA(main, WM_COMMAND, IDC_MAIN_MODIFY, 0);
  HWND editor = e2e::WaitForWindow([&] { return OwnedDialogOf(product); });
  if (editor == nullptr) return false;
  if (!SetDlgItemTextA(editor, IDC_ED_OUTPUT, newPattern.c_str())) return false;
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  return e2e::WaitFor([&] { return !IsWindow(editor); });
}

// ---- The clock, as the scheduler reads it ----

// Seconds since local midnight.
inline int NowSeconds() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
}

// "H:M:S" as a schedule line writes it.
inline std::string Clock(int seconds) {
  seconds %= 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%d:%d:%d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

// Seconds since midnight of a journal clock "HH:MM:SS.mmm".
inline int SecondsOfClock(const std::string& clock) {
  int h = 0, m = 0, s = 0;
  std::sscanf(clock.c_str(), "%d:%d:%d", &h, &m, &s);
  return h * 3600 + m * 60 + s;
}

// Milliseconds since midnight of a journal clock "HH:MM:SS.mmm".
inline long MsOfClock(const std::string& clock) {
  int ms = 0;
  size_t dot = clock.find('.');
  if (dot != std::string::npos) std::sscanf(clock.c_str() + dot + 1, "%d", &ms);
  return SecondsOfClock(clock) * 1000L + ms;
}

// Sleeps until the local clock reaches second (since midnight) plus
// extraMs; returns at once when that has passed.
inline void SleepUntil(int second, int extraMs = 0) {
  for (;;) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    long long nowMs = (now.wHour * 3600LL + now.wMinute * 60 + now.wSecond) * 1000 + now.wMilliseconds;
    long long left = second * 1000LL + extraMs - nowMs;
    if (left <= 0) return;
    Sleep(static_cast<DWORD>(left > 200 ? 200 : left));
  }
}

// Windows open after the plug-in surely was found (it is looked for every
// second while one is near, and a start-up takes a moment).
const int kLeadSeconds = 8;

// The request for a window due at `start` is handed over ahead, up to
// PRE_ARM_LEAD_SECONDS before it, or on the second itself when it could not
// be: either way not later than the window's second, and not earlier than
// the lead.
inline bool RequestInTimeFor(int requestSecond, int start) {
  return requestSecond >= start - PRE_ARM_LEAD_SECONDS && requestSecond <= start;
}

// Milliseconds until the local clock reaches second plus extraSeconds, and
// half a second more.
inline DWORD MsUntil(int second, int extraSeconds) {
  int left = second + extraSeconds - NowSeconds();
  return static_cast<DWORD>((left > 0 ? left : 0) * 1000 + 500);
}

// Around midnight the tests' own arithmetic would wrap: wait it out.
inline void AvoidMidnight() {
  while (NowSeconds() > 86400 - 60) Sleep(1000);
}

// One [MP3Schedule] line; by default every day, no MP3 parameters.
inline std::string Line(int key, int start, int end, const std::string& pattern,
                        const std::string& parameters = "4 1 -1 0") {
  return std::to_string(key) + "=" + Clock(start) + " " + Clock(end) + " " + pattern + "|" + parameters + "\r\n";
}

// ---- The editor, driven from outside ----

// The scheduler's visible dialog owned by its main window (the editor, or a
// message box over it), or none.
inline HWND OwnedDialog(HWND main) {
  return e2e::FindTopLevel([&](HWND w) {
    return e2e::ClassNameOf(w) == STR_DIALOG_CLASS && e2e::OwnerOf(w) == main && IsWindowVisible(w);
  });
}

// Adds an entry the way a user does: the add button, the window from start
// to end (seconds since midnight) on every day, the pattern typed exactly as
// given, then OK. True once the editor has closed and the list grew.
inline bool AddThroughEditor(HWND main, int start, int end, const std::string& pattern) {
  int before = ListCount(main);
  Click(main, IDC_MAIN_ADD);
  HWND editor = e2e::WaitForWindow([&] { return OwnedDialog(main); });
  if (editor == nullptr) return false;
  const int times[] = {start / 3600 % 24, start / 60 % 60, start % 60, end / 3600 % 24, end / 60 % 60, end % 60};
  for (int k = 0; k < 6; ++k) SetDlgItemInt(editor, IDC_ED_START_HOUR + k, static_cast<UINT>(times[k]), FALSE);
  for (int d = 0; d < 7; ++d) SendDlgItemMessageA(editor, IDC_ED_DAY_FIRST + d, BM_SETCHECK, BST_CHECKED, 0);
  SetDlgItemTextA(editor, IDC_ED_OUTPUT, pattern.c_str());
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  return e2e::WaitFor([&] { return !IsWindow(editor) && ListCount(main) == before + 1; });
}

// Ends the scheduler the way a user closes its window; it asks nothing when
// the schedule was saved. Expects exit code 0.
inline void CloseProduct(Product* product) {
  PostMessageA(product->main, WM_CLOSE, 0, 0);
  DWORD code = 99;
  EXPECT_TRUE(e2e::WaitForExit(product->process.info(), e2e::kWaitMs, &code));
  EXPECT_EQ(code, 0u);
}

// ---- The stand-in's journal against the clock ----

inline std::vector<e2e::JournalEvent> Events(const e2e::Standin& standin, const std::string& kind) {
  return e2e::EventsOfKind(e2e::ReadJournal(standin.journal), kind);
}

// The number-th request and start of the stand-in belong to the window due
// at second `start`: both on that second, into name, with the parameter text.
inline void ExpectStartedOnTime(const e2e::Standin& standin, size_t number, int start, const std::string& name,
                                const std::string& params, e2e::Caller caller = e2e::Caller()) {
  CALLED_FROM(caller);
  e2e::JournalEvent request, started;
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "request", number, &request, MsUntil(start, 5)));
  ASSERT_TRUE(e2e::WaitForJournalEvent(standin.journal, "start", number, &started));
  EXPECT_TRUE(RequestInTimeFor(SecondsOfClock(request.clock), start)) << request.line << " for " << Clock(start);
  EXPECT_EQ(SecondsOfClock(started.clock), start) << started.line;
  EXPECT_EQ(request.Field("name"), name);
  EXPECT_EQ(request.Field("params"), params);
  EXPECT_EQ(started.Field("name"), name);
  EXPECT_EQ(started.Field("params"), params);
  EXPECT_EQ(started.Field("existed"), "0");
}

// ---- The recording history the scheduler keeps beside itself ----

// The lines of dir\Tavelund.log (cp949, CR LF), the stamp included.
inline std::vector<std::string> HistoryLines(const std::string& dir) {
  return e2e::CrlfLines(e2e::ReadFileBytes(dir + "Tavelund.log"));
}

// What follows the stamp "YYYY-MM-DD hh:mm:ss  " of a history line.
inline std::string HistoryBody(const std::string& line) { return line.size() > 21 ? line.substr(21) : std::string(); }

// The lines that tell the event (one of the STR_HISTORY_ texts), in order.
inline std::vector<std::string> HistoryOf(const std::string& dir, const std::string& event) {
  std::vector<std::string> found;
  for (const std::string& line : HistoryLines(dir)) {
    std::string body = HistoryBody(line);
    if (body == event || body.compare(0, event.size() + 2, event + "  ") == 0) found.push_back(line);
  }
  return found;
}

// Waits until the history holds `count` lines of the event.
inline bool WaitForHistory(const std::string& dir, const std::string& event, size_t count, DWORD timeoutMs) {
  return e2e::WaitFor([&] { return HistoryOf(dir, event).size() >= count; }, timeoutMs, 100);
}

// Lines one below the other, for a failure message.
inline std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// "hh:mm:ss - hh:mm:ss" as the history and the list show a window.
inline std::string WindowTimes(int start, int end) {
  char text[32];
  start = (start % 86400 + 86400) % 86400;
  end = (end % 86400 + 86400) % 86400;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d - %02d:%02d:%02d", start / 3600, start / 60 % 60, start % 60,
                end / 3600, end / 60 % 60, end % 60);
  return text;
}

}  // namespace product
}  // namespace e2e
