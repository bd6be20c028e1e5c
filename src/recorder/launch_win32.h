// Finding and starting the player.
#pragma once
#include <windows.h>

// Works out where the player should be and records it in [Config] when a
// file exists there. path is a 260-byte area that receives the candidate.
void LocatePlayer(char* path);
// Starts the program named in [Config] (searching the fixed drives when the
// stored path names no file). Returns true once the program was started.
bool LaunchProgram(HWND owner, const char* name, BYTE reportMissing, const char* arguments);
bool FindFileInTree(char* path, const char* name);
bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* area, DWORD size);
