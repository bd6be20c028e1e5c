// Finding and starting the player.
#pragma once
#include <windows.h>

// Works out where the player should be and records it in [Config] when a
// file exists there. path is a 260-byte area that receives the candidate.
void LocatePlayer(char* path);
// Starts the program named in [Config] (searching the fixed drives when the
// stored path names no file). Returns true once the program was handed to the
// system; false when no memory was left, the program was found nowhere
// (reportMissing nonzero: the user was told so) or its command line with the
// arguments would not fit. A program that the system then fails to start
// (a file that is no program) still counts as handed over; *started, when
// asked for, tells whether a process really began.
bool LaunchProgram(HWND owner, const char* name, BYTE reportMissing, const char* arguments,
                   bool* started = nullptr);

enum LaunchResult {
  LAUNCH_STARTED = 0,
  LAUNCH_NOT_FOUND,      // no file at the stored path (or by the bare name)
  LAUNCH_FAILED,         // the system would not start it
  LAUNCH_LINE_TOO_LONG,  // path and arguments make no whole command line
};
// Starts the program from the path stored in [Config] under its name (the
// bare name in the current directory when none is stored), as LaunchProgram
// does, but never searches the drives: that would hold up everything else the
// program does. path (260 bytes) receives the path tried. Shows nothing.
LaunchResult LaunchStoredProgram(const char* name, const char* arguments, char* path);
// Looks for a file (never a directory) called name, ignoring case, in and
// below the directory that path (a 260-byte area ending in a backslash)
// names, depth-first in listing order. True with the file's full path in
// path, its name spelled as on disk; false with path back at the directory.
bool FindFileInTree(char* path, const char* name);
// Reads a registry value into area (size bytes). True when it was read and
// ends in a zero inside the area.
bool ReadRegistryValue(HKEY root, const char* keyPath, const char* valueName, char* area, DWORD size);
// The same in one view of the registry: view is 0 (the program's own),
// KEY_WOW64_32KEY or KEY_WOW64_64KEY.
bool ReadRegistryValueInView(HKEY root, const char* keyPath, const char* valueName, char* area, DWORD size,
                             REGSAM view);
