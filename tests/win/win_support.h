// Helpers for the in-process tests under Wine: temporary folders and settings
// files, pumping messages, and answering the program's message boxes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace winsupport {

// Folders, files and windows as every tier of the tests sees them.
using e2e::ClassNameOf;
using e2e::ExeDirectory;
using e2e::NewTempDir;
inline std::string ReadFileText(const std::string& path) { return e2e::ReadFileBytes(path); }
inline void WriteFileText(const std::string& path, const std::string& text) { e2e::WriteFileBytes(path, text); }
// Points the program's settingsPath at <dir>Tavelund.INI (the file is removed first).
std::string UseFreshSettings(const std::string& dir);
// The [Config] section that keeps the main dialog's start-up launch quiet:
// the player it names is a file in dir that exists but cannot be started, so
// there is neither a started player nor a drive search.
std::string QuietPlayerConfig(const std::string& dir);
// Reads a key of the current settings file ("" when absent).
std::string ReadIni(const std::string& section, const std::string& key);
// Names of the files in a folder, sorted; with its subfolders too when
// withFolders ("." and ".." never).
std::vector<std::string> FileNamesIn(const std::string& dir, bool withFolders = false);

// Dispatches messages for the given time.
void PumpFor(DWORD milliseconds);
// Dispatches messages until predicate() holds or the time runs out.
bool PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs);

// Answers the next message boxes: each time a "#32770" window appears whose
// text differs from the dialogs in `ignore`, its text and caption are recorded
// and the box is answered with the next id from `answers` (the last repeats).
// Works from a thread timer, so it answers boxes shown inside modal loops.
struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT style;
  std::vector<int> buttons;  // of IDOK, IDCANCEL, IDYES, IDNO, those it has
};
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(std::vector<int> answers);
  ~MessageBoxAnswerer();
  const std::vector<MessageBoxRecord>& seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Poll();
  std::vector<int> answers_;
  std::vector<MessageBoxRecord> seen_;
  std::vector<HWND> answered_;
  UINT_PTR timer_;
};

// Text of a control or window.
std::string ItemText(HWND dialog, int id);
std::string WindowText(HWND window);
// All lines of a list box.
std::vector<std::string> ListLines(HWND dialog, int id);

// Runs script(window) once, from inside whatever modal loop is running, as
// soon as a visible "#32770" window of this thread satisfies isTarget (a
// thread timer polls every 10 ms). A watchdog ends every "#32770" window of
// the thread after timeoutMs, so a stuck modal test fails instead of hanging.
// Several may be armed at once (an editor and the folder browser it opens).
class ModalScript {
 public:
  ModalScript(std::function<bool(HWND)> isTarget, std::function<void(HWND)> script, DWORD timeoutMs = 15000);
  ~ModalScript();
  bool ran() const { return window_ != nullptr; }
  bool timedOut() const { return timedOut_; }
  HWND window() const { return window_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  std::function<bool(HWND)> isTarget_;
  std::function<void(HWND)> script_;
  HWND window_ = nullptr;
  bool timedOut_ = false;
  UINT_PTR pollTimer_ = 0;
  UINT_PTR watchdogTimer_ = 0;
};

// A hook of this thread's messages (WH_CALLWNDPROC, WH_GETMESSAGE, WH_CBT...)
// for as long as it lives: seen(code, wParam, lParam) gets every call of the
// hook procedure before the next hook does. One at a time.
class ThreadHook {
 public:
  ThreadHook(int kind, std::function<void(int, WPARAM, LPARAM)> seen);
  ~ThreadHook();
  ThreadHook(const ThreadHook&) = delete;
  ThreadHook& operator=(const ThreadHook&) = delete;

 private:
  static LRESULT CALLBACK OnHook(int code, WPARAM wParam, LPARAM lParam);
  static ThreadHook* active_;
  std::function<void(int, WPARAM, LPARAM)> seen_;
  HHOOK hook_;
};

// Visible "#32770" windows of this thread, in z-order.
std::vector<HWND> ThreadDialogs();

}  // namespace winsupport
