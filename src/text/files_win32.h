// What the file system says about a path: the facts the output naming and
// the player launch both rely on.
#pragma once

// 1 when a file (not a directory) exists at path, from its attributes: a file
// that is locked or cannot be read still exists.
int FileExists(const char* path);

// 0 when nothing matches path, 2 when the first match is a directory, 1 when
// it is anything else.
int PathKind(const char* path);
