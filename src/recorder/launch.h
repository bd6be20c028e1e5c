// The pure half of finding and starting the player: the candidate paths the
// look-up tries, the command line a program is started with, the room test of
// the drive search and the texts it shows. Portable, no platform headers.
#pragma once
#include <cstddef>

// Turns the player's uninstall command line (in text, capacity bytes) into
// the path of playerName in the uninstaller's folder: a leading double quote
// is dropped and the file-name part (after the last "\", else after the last
// ":", else all of it) is replaced by playerName. A closing quote and any
// arguments lie in that file-name part and go with it.
// Returns 1 with the candidate in text; 0 with text empty when the candidate
// would not fit (a cut path could name some other file).
int PlayerPathFromUninstallString(char* text, size_t capacity, const char* playerName);

// The default installation folder's candidate: the drive letter and colon
// that begin windowsDirectory, "\Program Files\Winamp\" and playerName.
// Returns 1 with the candidate in path; 0 with path empty when
// windowsDirectory holds no drive letter and colon or the result would not fit.
int DefaultPlayerPath(char* path, size_t capacity, const char* windowsDirectory, const char* playerName);

// The command line a program is started with: the program's path, in double
// quotes when it holds a blank or a tab (so no shorter prefix such as
// C:\Program.exe can be taken for it), then one blank and the arguments when
// there are any. Returns 1 when the whole line fitted; 0 with commandLine
// empty otherwise (a cut line would start the wrong thing or pass the wrong
// arguments).
int BuildCommandLine(char* commandLine, size_t capacity, const char* program, const char* arguments);

// The drive search lists a directory with the pattern "*.*" behind its path.
// 1 when that pattern fits into capacity bytes for a directory whose path
// (trailing backslash included) is directoryLength bytes long, extended by
// subdirectory and a backslash when subdirectory is not empty; 0 when the
// search must not go there.
int SearchPatternFits(size_t directoryLength, const char* subdirectory, size_t capacity);

// The search texts, bounded by capacity. A cut text never ends inside a
// double-byte character. Return 1 when the text fitted whole.
int FormatSearchingDriveText(char* text, size_t capacity, char driveLetter, const char* name);
int FormatNotFoundText(char* text, size_t capacity, const char* name);
