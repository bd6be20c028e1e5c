// The process entry of Tavelund.exe. The C runtime's start-up calls WinMain;
// everything the program needs of the start-up (show command, command tail)
// it reads itself in ProcessEntry.
#include <windows.h>

#include "app/app_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { ExitProcess(static_cast<UINT>(ProcessEntry())); }
