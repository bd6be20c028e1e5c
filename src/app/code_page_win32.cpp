#include "app/code_page_win32.h"

#include "app/history_events_win32.h"
#include "resources/ids.h"
#include "resources/strings.h"
#include "text/text.h"
#include "ui/ui_win32.h"

namespace {

static_assert(sizeof STR_WRONG_CODE_PAGE + 16 <= CODE_PAGE_MESSAGE_CAPACITY &&
                  sizeof STR_WRONG_CODE_PAGE_ENGLISH + 16 <= CODE_PAGE_MESSAGE_CAPACITY,
              "the message holds its text and any code page number");

// The code page found at start, while its message waits for the main window.
bool noticeWaiting = false;
unsigned foundCodePage = 0;

bool Widen(UINT codePage, const char* text, WCHAR* wide, int capacity) {
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, wide, capacity) > 0;
}

}  // namespace

void BuildCodePageMessage(unsigned codePage, UINT textCodePage, WCHAR* text, WCHAR* caption, int capacity) {
  char narrow[CODE_PAGE_MESSAGE_CAPACITY];
  FormatText(narrow, sizeof narrow, STR_WRONG_CODE_PAGE, codePage);
  if (Widen(textCodePage, narrow, text, capacity) && Widen(textCodePage, STR_MAIN_TITLE, caption, capacity)) return;
  // ASCII reads the same in every code page the system may have.
  FormatText(narrow, sizeof narrow, STR_WRONG_CODE_PAGE_ENGLISH, codePage);
  if (!Widen(CP_ACP, narrow, text, capacity)) text[0] = L'\0';
  if (!Widen(CP_ACP, STR_MAIN_TITLE_ENGLISH, caption, capacity)) caption[0] = L'\0';
}

void CheckCodePageAtStart(HWND mainWindow) {
  const unsigned codePage = GetACP();
  if (codePage == PROGRAM_CODE_PAGE) return;
  HistoryWrongCodePage(codePage);
  foundCodePage = codePage;
  noticeWaiting = true;
  // Not from here: the window is not shown yet, and a box over no window
  // would hold up a start at sign-in where nobody sees it.
  RemindCodePageNotice(mainWindow);
}

void RemindCodePageNotice(HWND mainWindow) {
  if (noticeWaiting) PostMessageA(mainWindow, MSG_MAIN_CODE_PAGE_NOTICE, 0, 0);
}

void ShowWaitingCodePageNotice(HWND mainWindow) {
  // A minimised start (with Windows) waits until the person opens the window.
  if (!noticeWaiting || !IsWindowVisible(mainWindow) || IsIconic(mainWindow)) return;
  noticeWaiting = false;
  WCHAR text[CODE_PAGE_MESSAGE_CAPACITY];
  WCHAR caption[CODE_PAGE_MESSAGE_CAPACITY];
  BuildCodePageMessage(foundCodePage, PROGRAM_CODE_PAGE, text, caption, CODE_PAGE_MESSAGE_CAPACITY);
  ShowWideMessage(mainWindow, text, caption, MB_OK);
}
