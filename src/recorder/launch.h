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

// An installation folder's candidate: the drive letter and colon that begin
// windowsDirectory, folder (from its leading to its trailing backslash) and
// playerName. Returns 1 with the candidate in path; 0 with path empty when
// windowsDirectory holds no drive letter and colon or the result would not fit.
int InstallFolderPlayerPath(char* path, size_t capacity, const char* windowsDirectory, const char* folder,
                            const char* playerName);

// ---- Where the look-up asks, before any drive search ----

enum PlayerSourceKind { PLAYER_UNINSTALL_ENTRY = 0, PLAYER_INSTALL_FOLDER = 1 };
// The registry view an uninstall entry is read from: the program's own, or
// the 32-bit or 64-bit one whatever the program is.
enum RegistryView { REGISTRY_OWN_VIEW = 0, REGISTRY_32_BIT_VIEW = 1, REGISTRY_64_BIT_VIEW = 2 };

struct PlayerSource {
  PlayerSourceKind kind;
  RegistryView view;   // of an uninstall entry
  const char* folder;  // of an installation folder, on the Windows directory's drive
  int endsLookUp;      // 1: once this source could be read, its candidate is the last one tried
};
enum { PLAYER_SOURCE_CAPACITY = 4 };

// The sources of the player's candidate path, in the order they are tried;
// the first candidate that names a file is taken. Writes at most capacity
// sources and returns how many it wrote.
// The 32-bit program reads the uninstall entry in its own view and, only when
// there is none, the default folder "\Program Files\Winamp\".
// The 64-bit program looks where a 32-bit player is installed first, the
// player being a 32-bit program: the entry in the 32-bit view, then in the
// 64-bit view, then "\Program Files (x86)\Winamp\", then
// "\Program Files\Winamp\"; a candidate that names no file passes on to the
// next source.
int PlayerSources(int program64Bit, PlayerSource* sources, int capacity);

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
// The folder being searched: "'name'를 찾는 중: folder", the folder without
// its trailing backslash and with its first `dropped` folders below the root
// replaced by an ellipsis ("D:\\…\\c" for D:\a\b\c\ with two dropped), so that
// a long path can be made to fit while its end, where the search is, shows.
// Returns 1 when more than the last folder still shows, so one more could be
// dropped; 0 when not (fewer folders than asked are then dropped).
int FormatSearchingFolderText(char* text, size_t capacity, const char* name, const char* folder, int dropped);
