// Helpers for the whole-process tests under Wine: folders and files, starting
// and ending processes, waiting, reading other processes' windows, the
// recording request block, and the stand-in player's journal.
//
// Paths are Windows paths in code page 949; folders end with a backslash.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// Where a checking helper was called from. A helper takes one as its last
// argument, left to its default, and opens a CALLED_FROM trace with it, so a
// failure inside the helper names the test line that called it.
struct Caller {
  const char* file;
  int line;
  Caller(const char* f = __builtin_FILE(), int l = __builtin_LINE()) : file(f), line(l) {}
};
#define CALLED_FROM(caller) ::testing::ScopedTrace calledFrom(caller.file, caller.line, "called from here")

// Time limit for anything a process must do "soon" (start, answer, appear).
// Waits end as soon as the thing happens; the limit is generous because a
// loaded machine can take many seconds to start a Wine process.
const DWORD kWaitMs = 30000;

// ---- Folders and files ----

// Folder of the running test exe, where Tavelund.exe and standin-player.exe
// are built (with a trailing backslash).
std::string ExeDirectory();
// A new empty folder ExeDirectory()\e2e-tmp\<name>-<pid>-<n>\ .
std::string NewTempDir(const std::string& name);
bool FileExists(const std::string& path);
// Size in bytes, -1 when the file cannot be queried.
long long FileSize(const std::string& path);
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The CR LF ended lines of text, without their ends; an unended last line is left out.
std::vector<std::string> CrlfLines(const std::string& text);
// Sets a file's last-write time to secondsAgo before now.
bool AgeFile(const std::string& path, int secondsAgo);
// Tries to open the file for writing without sharing and closes it again.
// Returns 0 when that worked, else the error (ERROR_SHARING_VIOLATION while
// another process writes it).
DWORD OpenForWritingError(const std::string& path);

// ---- Processes ----

// Quotes one argument by the rules the C runtime and CommandLineToArgv use.
std::string QuoteArgument(const std::string& argument);
// Starts exePath with the arguments (each quoted as needed) in workDir (empty:
// the test's own). Returns the process information; hProcess is null when the
// start failed.
PROCESS_INFORMATION StartProcess(const std::string& exePath, const std::vector<std::string>& args,
                                 const std::string& workDir = "");
// Waits for the process to end; true when it did, with its exit code.
bool WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs, DWORD* exitCode = nullptr);
// Ends the process if it still runs, waits for it and closes the handles.
void KillProcess(PROCESS_INFORMATION* process);

// Kills its process on destruction, so a failed test leaves nothing behind.
class ProcessGuard {
 public:
  ProcessGuard() : info_() {}
  explicit ProcessGuard(const PROCESS_INFORMATION& info) : info_(info) {}
  ~ProcessGuard() { KillProcess(&info_); }
  ProcessGuard(const ProcessGuard&) = delete;
  ProcessGuard& operator=(const ProcessGuard&) = delete;
  void Reset(const PROCESS_INFORMATION& info) {
    KillProcess(&info_);
    info_ = info;
  }
  const PROCESS_INFORMATION& info() const { return info_; }
  DWORD pid() const { return info_.dwProcessId; }
  bool running() const;

 private:
  PROCESS_INFORMATION info_;
};

// ---- Waiting ----

// Polls condition every pollMs until it holds (true) or timeoutMs ran out.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs,
             DWORD pollMs = 20);
// Polls find until it returns a window or the time runs out (then none).
HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs = kWaitMs);

// ---- Windows of other processes ----

std::string ClassNameOf(HWND window);
std::string WindowTextOf(HWND window);
HWND OwnerOf(HWND window);
DWORD ProcessIdOf(HWND window);
// Text of control id of dialog read with WM_GETTEXT into capacity bytes, as
// the scheduler reads control 88. False when there is no such control or it
// did not answer.
bool ReadControlText(HWND dialog, int id, std::string* text, size_t capacity = 256);
// The same, "" when it cannot be read.
std::string ControlText(HWND dialog, int id, size_t capacity = 256);
// All top-level windows in z-order, walked from GW_HWNDFIRST.
std::vector<HWND> TopLevelWindows();
// The first top-level window in z-order that satisfies match, or none.
HWND FindTopLevel(const std::function<bool(HWND)>& match);
// The player main window (class "Winamp v1.x") of the given process.
HWND FindPlayerWindowOf(DWORD processId);
// The plug-in dialog of a player, found the way the scheduler finds it: the
// first top-level window in z-order owned by player, of class "#32770",
// whose title contains the plug-in mark.
HWND FindPluginWindowOf(HWND player);
// The first top-level window owned by owner whose title is exactly title.
HWND FindOwnedWindow(HWND owner, const std::string& title);
// Every top-level window owned by owner, in z-order.
std::vector<HWND> OwnedWindows(HWND owner);

// ---- Messages ----

// The 520-byte recording request: params, zero, name, zero, zeros.
std::string RecordingRequestBlock(const std::string& params, const std::string& name);
// Sends WM_COPYDATA synchronously; the receiver's answer.
LRESULT SendCopyData(HWND to, HWND from, ULONG_PTR dataId, const std::string& block);
// Posts WM_COMMAND with wParam and lParam 0.
bool PostCommand(HWND to, WPARAM command);

// ---- The stand-in player's journal ----

// One line: "HH:MM:SS.mmm TICK EVENT[ KEY=VALUE]...".
struct JournalEvent {
  std::string clock;
  unsigned long long tick = 0;
  std::string kind;
  std::map<std::string, std::string> fields;
  std::string line;
  bool Has(const std::string& key) const { return fields.count(key) != 0; }
  std::string Field(const std::string& key) const;
  // A handle field ("0x..."), none when absent.
  HWND Window(const std::string& key) const;
};

// Parses one line (without its line end); false when it is not an event.
// Field values run to the next space, except "params" (to the " name=" behind
// it) and "name" and "text" (to the end of the line).
bool ParseJournalLine(const std::string& line, JournalEvent* event);
// All complete lines of the journal (a line still being written is left out).
std::vector<JournalEvent> ReadJournal(const std::string& path);
std::vector<JournalEvent> EventsOfKind(const std::vector<JournalEvent>& events,
                                       const std::string& kind);
// Waits until the journal holds at least `count` events of kind; the last of
// those counted goes to *event. False when the time ran out.
bool WaitForJournalEvent(const std::string& path, const std::string& kind, size_t count,
                         JournalEvent* event, DWORD timeoutMs = kWaitMs);

// ---- The stand-in player as a process ----

struct Standin {
  ProcessGuard process;
  std::string journal;  // its journal file
  HWND player = nullptr;
  HWND plugin = nullptr;  // none with --no-plugin
  JournalEvent ready;
};
// Starts standin-player.exe in workDir with --journal workDir\journal.txt and
// the extra arguments, and waits for its "ready" line. False when it did not
// come.
bool StartStandin(const std::string& workDir, const std::vector<std::string>& args,
                  Standin* standin);

// Path of a program built beside the test exe.
std::string BuiltProgram(const std::string& name);

}  // namespace e2e
