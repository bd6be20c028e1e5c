#include "ui/ui_win32.h"

namespace {
const UINT kIconMask = 0x70;
}  // namespace

int ShowMessage(HWND owner, const char* text, UINT type) {
  if ((type & kIconMask) == 0) type |= MB_ICONEXCLAMATION;
  type |= MB_TASKMODAL;
  char caption[80] = "";
  if (owner) GetWindowTextA(owner, caption, sizeof caption);
  return MessageBoxA(owner, text, owner ? caption : nullptr, type);
}

int ShowWideMessage(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type) {
  if ((type & kIconMask) == 0) type |= MB_ICONEXCLAMATION;
  return MessageBoxW(owner, text, caption, type | MB_TASKMODAL);
}

void PostCommand(HWND window, WPARAM id) { PostMessageA(window, WM_COMMAND, id, 0); }

void EnableControl(HWND window, int id, BOOL on) { EnableWindow(GetDlgItem(window, id), on); }

int SelectedScheduleIndex(HWND window, int listId) {
  LRESULT index = SendDlgItemMessageA(window, listId, LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int>(index);
}

HINSTANCE InstanceOf(HWND window) {
  HINSTANCE instance = window ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) : nullptr;
  return instance ? instance : GetModuleHandleA(nullptr);
}

void ReadWindowTitle(HWND window, char* title, int capacity) {
  title[0] = '\0';
  if (GetWindowTextA(window, title, capacity) <= 0) title[0] = '\0';
  title[capacity - 1] = '\0';
}

void ReadClassName(HWND window, char* name, int capacity) {
  name[0] = '\0';
  if (GetClassNameA(window, name, capacity) <= 0) name[0] = '\0';
  name[capacity - 1] = '\0';
}

bool StartProcessShown(const char* application, char* commandLine, WORD showCommand) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showCommand;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
