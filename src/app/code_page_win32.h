// The program's texts, its settings file and the folder and file names in its
// schedule are in code page 949. On a system whose ANSI code page is another
// (another system locale, or the UTF-8 option for worldwide language support)
// every window shows garbage and Hangul names reach the file system as other
// characters: the person is told once at start, in words that read there.
#pragma once
#include <windows.h>

enum { PROGRAM_CODE_PAGE = 949 };

// At start, after the history's start line: a code page other than the
// program's is written to the history, and the message waits until the main
// window is on the screen (it comes through MSG_MAIN_CODE_PAGE_NOTICE).
void CheckCodePageAtStart(HWND mainWindow);
// The main window was shown or restored: a waiting message is posted for.
void RemindCodePageNotice(HWND mainWindow);
// The posted message: shows the waiting message once the main window is
// visible and not minimised, else keeps it waiting.
void ShowWaitingCodePageNotice(HWND mainWindow);

// The message for a system whose code page is codePage: the program's text
// converted from textCodePage (949; tests hand in others) to wide characters,
// so it reads whatever the system's own code page. Where textCodePage is
// missing it is said in English. text and caption hold capacity characters.
void BuildCodePageMessage(unsigned codePage, UINT textCodePage, WCHAR* text, WCHAR* caption, int capacity);
enum { CODE_PAGE_MESSAGE_CAPACITY = 1024 };
