// What the file system says about a path: the facts the output naming and
// the player launch both rely on.
#pragma once
#include <cstdint>

// 1 when a file (not a directory) exists at path, from its attributes: a file
// that is locked or cannot be read still exists.
int FileExists(const char* path);

// 0 when nothing matches path, 2 when the first match is a directory, 1 when
// it is anything else.
int PathKind(const char* path);

// The bytes free for this user on the drive that holds folder (a folder path
// ending in a backslash; a share's root "\\server\share\" counts as a
// drive): 1 with *freeBytes, 0 when the system cannot tell. One call to the
// system.
int DriveFreeBytes(const char* folder, uint64_t* freeBytes);
// The query the program asks: DriveFreeBytes, unless a test put its own here.
extern int (*freeSpaceQuery)(const char* folder, uint64_t* freeBytes);

// The size of a file another program may be writing: 1 with *bytes, 0 when
// there is no such file, -1 when the system cannot tell (a share out of
// reach, no access). Asks the file itself rather than its folder, whose
// record of the size can lag behind a file that is open for writing. One
// look, no waiting.
int FileSizeNow(const char* path, uint64_t* bytes);
// The look the program makes: FileSizeNow, unless a test put its own here.
extern int (*fileSizeQuery)(const char* path, uint64_t* bytes);
