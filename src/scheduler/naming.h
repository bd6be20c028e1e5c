// Output file naming without the platform: the expansion of a name pattern
// for a given time, the directory-level rules of a path and the candidates
// of the clash-free name. The file system side is in naming_win32.
#pragma once
#include <cstddef>

// The local time the expansion reads; dayOfWeek counts from 0 = Sunday.
// The millisecond plays no part in names; the history uses it to tell how
// late a start went out.
struct LocalTimeFields {
  int year, month, day, dayOfWeek, hour, minute, second, millisecond;
};

// "SUN" to "SAT", each zero-terminated, the list closed by an empty string.
extern const char WeekdayNames[];

// Expands pattern for time into output (capacity bytes, always terminated).
// Blanks and tabs at either end of the pattern are left out: they are what
// was typed around the pattern, not part of the file name. Inside it:
//   %W              the weekday name, NthString(weekdayNames, dayOfWeek)
//   %nY %nM %nD     year, month, day
//   %nh %nm %ns     hour, minute, second
// n is an optional width read by ParseNumber (blanks, sign and "0x" included);
// the number is zero-padded to at least n digits, a width of 0 or none writes
// it plainly. Widths above 9 are taken as 9 and negative widths as 0, so the
// width always stays one digit. Any other letter after "%" (a second "%" too)
// writes "-Err-"; a "%" that ends the pattern writes nothing.
// An expansion longer than capacity - 1 is cut there: output then holds the
// longest prefix of the whole expansion that fits, without splitting a
// double-byte character. Returns 1 when every code of the whole pattern was
// known, 0 when at least one was not (also when its "-Err-" fell past the cut).
int ExpandPatternAt(char* output, size_t capacity, const char* pattern, const char* weekdayNames,
                    const LocalTimeFields* time);

// ---- Directory levels of a path ----
// EnsureDirectoryPath walks these: it tests the directory part first; when
// that is no directory it creates the levels FirstCreatableLevel and
// NextLevelEnd name, from the root outwards. A path with no level behind its
// root names a file right in the root: nothing is created, the root itself
// must be there.

// Length of the directory part: the path up to its last backslash, or when
// there is none its last colon, the separator left out. -1 when the path has
// neither (then it has no directory part).
int DirectoryPartLength(const char* path);

// Position where the creatable levels begin, just behind the root "X:\" (any
// first character, then ":\") or "\\server\share\" (server and share at least
// one character each), so the root is the path's first FirstCreatableLevel
// bytes. -1 when the path has neither form, or when an empty name follows
// the root (a backslash right behind it).
int FirstCreatableLevel(const char* path);

// Position of the backslash that ends the next level starting at from, or -1
// when only the file name is left. A level is the path up to that backslash.
int NextLevelEnd(const char* path, int from);

// ---- Clash-free names ----

// The counter-th candidate for path: "(counter)" inserted before the
// extension, the extension being the text from the last dot of the file-name
// part (none: the end of the path). Dots in folder names never count, and the
// extension is kept whole whatever its length. When the candidate would not
// fit into capacity bytes, the stem of the file name is shortened (never the
// folders or the extension, never inside a double-byte character).
// Returns 1 with the candidate in out, or 0 (out unchanged) when not even an
// empty stem fits. out and path must not overlap.
int UniqueNameCandidate(char* out, size_t capacity, const char* path, int counter);
