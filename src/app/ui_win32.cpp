#include "app/ui_win32.h"

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

void PostCommand(HWND window, WPARAM id) { PostMessageA(window, WM_COMMAND, id, 0); }

void EnableControl(HWND window, int id, BOOL on) { EnableWindow(GetDlgItem(window, id), on); }

int SelectedScheduleIndex(HWND window, int listId) {
  LRESULT index = SendDlgItemMessageA(window, listId, LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int>(index);
}
