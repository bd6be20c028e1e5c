// Finding and starting the player.
#pragma once
#include <windows.h>

// Works out where the player should be and records it in [Config] when a
// file exists there. path is a 260-byte area that receives the candidate.
void LocatePlayer(char* path);
// Starts the program named in [Config] (searching the fixed drives when the
// stored path names no file), the whole launch in one call: nothing else runs
// meanwhile. Returns true once the program was handed to the
// system; false when no memory was left, the program was found nowhere
// (reportMissing nonzero: the user was told so) or its command line with the
// arguments would not fit. A program that the system then fails to start
// (a file that is no program) still counts as handed over; *started, when
// asked for, tells whether a process really began.
bool LaunchProgram(HWND owner, const char* name, BYTE reportMissing, const char* arguments,
                   bool* started = nullptr);

// ---- The same launch in steps, for a caller that goes on with its messages ----

struct ProgramLaunch;
enum LaunchProgress {
  LAUNCH_SEARCHING,      // the drive search goes on
  LAUNCH_ON_NEXT_DRIVE,  // the search has come to the next fixed drive (LaunchSearchDrive)
  LAUNCH_FOUND,          // the program's path is known: stored already, or found and now stored
  LAUNCH_NOWHERE,        // no fixed drive holds it; the settings are unchanged
};
// Reads the path stored under the program's name: when it names a file the
// launch is FOUND at once; otherwise the drive search begins. Null when no
// memory was left (nothing else happened then).
ProgramLaunch* BeginProgramLaunch(const char* name, LaunchProgress* progress);
// Searches on for about sliceMs milliseconds (INFINITE: to the end of the
// drive). A found path is written to [Config] before FOUND is returned.
LaunchProgress StepProgramLaunch(ProgramLaunch* launch, DWORD sliceMs);
// Where the search is: the drive letter as listed, and the folder being
// listed (the drive root before its listing is open).
char LaunchSearchDrive(const ProgramLaunch* launch);
const char* LaunchSearchFolder(const ProgramLaunch* launch);
// Starts a FOUND program with the arguments; the result as LaunchProgram's.
bool StartFoundProgram(ProgramLaunch* launch, const char* arguments, bool* started);
// Frees the launch; a search still going is given up, every listing closed.
void EndProgramLaunch(ProgramLaunch* launch);
// The message of a program found on no fixed drive.
void ReportProgramNowhere(HWND owner, const char* name);

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
