// Placeholder until the player launch lands.
#include "recorder/launch_win32.h"

void LocatePlayer(char* path) { path[0] = '\0'; }
bool LaunchProgram(HWND, const char*, BYTE, const char*) { return false; }
bool FindFileInTree(char*, const char*) { return false; }
bool ReadRegistryValue(HKEY, const char*, const char*, char*, DWORD) { return false; }
