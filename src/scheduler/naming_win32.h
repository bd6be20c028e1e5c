// Output file naming on the file system: the pattern expanded with the local
// clock, the directories of a path created and a clash-free name.
#pragma once
#include <windows.h>

#include "scheduler/naming.h"

// Expands pattern with the local time (read once) into output, a 260-byte
// buffer. Returns 1 when every code was known, 0 when "-Err-" stands for one.
int ExpandFileNamePattern(char* output, const char* pattern, const char* weekdayNames);
// The same for a clock reading the caller already took.
int ExpandFileNamePatternAt(char* output, const char* pattern, const char* weekdayNames, const LocalTimeFields& time);
// The local clock, read once.
LocalTimeFields LocalTimeNow();
// The fields of a system time, as the local clock gives them.
LocalTimeFields LocalTimeFieldsOf(const SYSTEMTIME& time);

// Makes sure the directory part of path exists, creating missing levels from
// the root outwards. Returns 1 when it exists afterwards (for a file right in
// a drive or share root: when that root exists); 0 for a path of no accepted
// form, a root that is not there, or a level that could not be made (levels
// made before stay).
int EnsureDirectoryPath(const char* path);

// Turns path (a 260-byte buffer) into a name nothing exists under yet by
// inserting "(1)", "(2)", ... before the extension; unchanged when already
// free. Returns 1 when path names a free entry; 0 when none was found within
// UNIQUE_NAME_LIMIT counters or the name cannot grow, path then holds the
// original (taken) name and must not be recorded to.
enum { UNIQUE_NAME_LIMIT = 9999 };
int MakeUniqueFileName(char* path);
// The same with the last counter to try given.
int MakeUniqueFileNameWithin(char* path, int lastCounter);
