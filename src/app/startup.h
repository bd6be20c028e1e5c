// Start-up decisions that need no platform: the command tail, the path of
// the settings file, the minimised start and the value that starts the
// program with Windows.
#pragma once
#include <cstddef>

// The command line with the program name and the blanks after it skipped.
// A quoted name ends at the next quote (no closing quote: the empty end).
// Bytes are compared as signed chars, so bytes of 128 and above (those of
// Korean characters among them) count as blanks.
const char* CommandTail(const char* commandLine);

// The settings file lies beside the program: its path is the module path
// with the file name's extension replaced by "INI". Returns 1 when the whole
// path fitted into capacity bytes.
int DeriveSettingsPath(char* settingsPath, size_t capacity, const char* modulePath);

// ---- Starting minimised ----

// The show commands that concern the start (the platform's SW_ values).
enum {
  SHOW_MINIMISED = 2,            // SW_SHOWMINIMIZED
  SHOW_MINIMISE = 6,             // SW_MINIMIZE
  SHOW_MINIMISED_NO_ACTIVE = 7,  // SW_SHOWMINNOACTIVE
  SHOW_FORCE_MINIMISE = 11,      // SW_FORCEMINIMIZE
};

// Whether the tail holds the switch "/min" (or "-min", in any case) as a word
// of its own: words are parted by blanks and control characters.
bool HasMinimisedSwitch(const char* tail);

// How the main window is first shown: minimised without taking the focus when
// the tail holds the switch or the start-up information asks for any
// minimised window; otherwise as the start-up information says.
int StartShowCommand(const char* tail, int showCommand);

// ---- Starting with Windows ----

// The program's value in the Run key: the quoted path and the switch. Room
// for any path the platform gives a program of this kind.
enum { RUN_VALUE_CAPACITY = 280 };

// `"<programPath>" /min`. Returns 1 when the whole value fitted.
int BuildRunValue(char* value, size_t capacity, const char* programPath);

// Whether two paths name the same file (the platform's rule, handed in: case
// folding must respect the code page's double-byte characters).
typedef bool (*SamePathFunction)(const char* first, const char* second);

// Whether a Run value, read as a command line, starts the program at
// programPath with the switch: its program name must be quoted and name that
// path, and its tail must hold the switch. Anything else is another
// program's start, or not the minimised one.
bool StartsProgramMinimised(const char* value, const char* programPath, SamePathFunction samePath);
