#include "win/win_support.h"

#include <algorithm>
#include <cstdio>

#include "app/app_win32.h"
#include "schedule/settings_win32.h"
#include "text/text.h"

namespace winsupport {

std::string UseFreshSettings(const std::string& dir) {
  std::string ini = dir + "Tavelund.INI";
  DeleteFileA(ini.c_str());
  CopyText(settingsPath, sizeof settingsPath, ini.c_str());
  if (!app.instance) app.instance = GetModuleHandleA(nullptr);
  return ini;
}

std::string QuietPlayerConfig(const std::string& dir) {
  std::string notAPlayer = dir + "not-a-player.txt";
  WriteFileText(notAPlayer, "x");
  return "[Config]\r\nWINAMP.EXE=" + notAPlayer + "\r\n";
}

std::string ReadIni(const std::string& section, const std::string& key) {
  char value[4096] = "";
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, settingsPath);
  return value;
}

std::vector<std::string> FileNamesIn(const std::string& dir, bool withFolders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((dir + "*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = entry.cFileName;
    bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name != "." && name != ".." && (withFolders || !folder)) names.push_back(name);
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
  std::sort(names.begin(), names.end());
  return names;
}

void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (predicate()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

namespace {
MessageBoxAnswerer* activeAnswerer = nullptr;

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

// A message box is a "#32770" window whose text sits in a static control
// (id 100 under Wine, 0xFFFF under Windows).
HWND MessageTextControl(HWND box) {
  for (int id : {100, 0xFFFF}) {
    HWND item = GetDlgItem(box, id);
    if (item && ClassOf(item) == "Static") return item;
  }
  return nullptr;
}

struct FoundBoxes {
  std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
  if (IsWindowVisible(window) && ClassOf(window) == "#32770" && MessageTextControl(window))
    reinterpret_cast<FoundBoxes*>(param)->boxes.push_back(window);
  return TRUE;
}
}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers) : answers_(std::move(answers)) {
  activeAnswerer = this;
  timer_ = SetTimer(nullptr, 0, 50, OnTimer);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  KillTimer(nullptr, timer_);
  activeAnswerer = nullptr;
}

void CALLBACK MessageBoxAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (activeAnswerer) activeAnswerer->Poll();
}

void MessageBoxAnswerer::Poll() {
  FoundBoxes found;
  EnumThreadWindows(GetCurrentThreadId(), CollectBox, reinterpret_cast<LPARAM>(&found));
  for (HWND box : found.boxes) {
    if (!IsWindow(box)) continue;
    bool already = false;
    for (HWND a : answered_) already = already || a == box;
    if (already) continue;
    answered_.push_back(box);
    MessageBoxRecord record;
    record.text = WindowText(MessageTextControl(box));
    record.caption = WindowText(box);
    record.style = static_cast<UINT>(GetWindowLongA(box, GWL_STYLE));
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
      if (GetDlgItem(box, id)) record.buttons.push_back(id);
    seen_.push_back(record);
    int answer = answers_.empty() ? IDOK : answers_[std::min(seen_.size(), answers_.size()) - 1];
    PostMessageA(box, WM_COMMAND, answer, 0);
  }
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::vector<std::string> ListLines(HWND dialog, int id) {
  std::vector<std::string> lines;
  LRESULT count = SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendDlgItemMessageA(dialog, id, LB_GETTEXTLEN, i, 0);
    std::string line(static_cast<size_t>(length) + 1, '\0');
    SendDlgItemMessageA(dialog, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
    line.resize(static_cast<size_t>(length));
    lines.push_back(line);
  }
  return lines;
}

namespace {
std::vector<ModalScript*> armedScripts;

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  if (IsWindowVisible(window) && ClassNameOf(window) == "#32770")
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}
}  // namespace


std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> dialogs;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

ModalScript::ModalScript(std::function<bool(HWND)> isTarget, std::function<void(HWND)> script, DWORD timeoutMs)
    : isTarget_(std::move(isTarget)), script_(std::move(script)) {
  armedScripts.push_back(this);
  pollTimer_ = SetTimer(nullptr, 0, 10, OnTimer);
  watchdogTimer_ = SetTimer(nullptr, 0, timeoutMs, OnTimer);
}

ModalScript::~ModalScript() {
  if (pollTimer_) KillTimer(nullptr, pollTimer_);
  if (watchdogTimer_) KillTimer(nullptr, watchdogTimer_);
  for (size_t i = 0; i < armedScripts.size(); ++i) {
    if (armedScripts[i] == this) armedScripts.erase(armedScripts.begin() + static_cast<long>(i));
  }
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  for (ModalScript* s : armedScripts) {
    if (id == s->watchdogTimer_) {
      KillTimer(nullptr, s->watchdogTimer_);
      s->watchdogTimer_ = 0;
      s->timedOut_ = true;
      for (HWND dialog : ThreadDialogs()) EndDialog(dialog, -2);
      return;
    }
    if (id != s->pollTimer_) continue;
    for (HWND dialog : ThreadDialogs()) {
      if (!s->isTarget_(dialog)) continue;
      // Once only: the script may run nested modal loops of its own.
      KillTimer(nullptr, s->pollTimer_);
      s->pollTimer_ = 0;
      s->window_ = dialog;
      s->script_(dialog);
      return;
    }
    return;
  }
}

ThreadHook* ThreadHook::active_ = nullptr;

ThreadHook::ThreadHook(int kind, std::function<void(int, WPARAM, LPARAM)> seen) : seen_(std::move(seen)) {
  active_ = this;
  hook_ = SetWindowsHookExA(kind, OnHook, nullptr, GetCurrentThreadId());
}

ThreadHook::~ThreadHook() {
  UnhookWindowsHookEx(hook_);
  active_ = nullptr;
}

LRESULT CALLBACK ThreadHook::OnHook(int code, WPARAM wParam, LPARAM lParam) {
  if (active_) active_->seen_(code, wParam, lParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace winsupport
