// Looking for a file in a folder tree a few entries at a time, so that the
// caller can answer its messages between the steps.
#pragma once
#include <windows.h>

#include "schedule/schedule.h"

// Every level of the walk adds at least a one-letter name and a backslash to
// the 260-byte path, which starts with at least a backslash of its own: no
// walk goes deeper than this.
enum { TREE_WALK_LEVELS = PATH_CAPACITY / 2 };

struct TreeWalkLevel {
  HANDLE listing;
  size_t directoryLength;  // the folder's path, trailing backslash included
};

// A depth-first walk in listing order: a subfolder is walked whole the moment
// it is met, before the entries after it. One listing is open per level.
struct TreeWalk {
  char* path;  // the caller's 260-byte area: between steps, the folder being listed
  const char* name;
  int depth;  // open levels
  bool entryWaiting;  // entry holds the first entry of the top level, not yet looked at
  WIN32_FIND_DATAA entry;
  TreeWalkLevel levels[TREE_WALK_LEVELS];
};

enum TreeWalkState { TREE_WALK_GOING, TREE_WALK_FOUND, TREE_WALK_DONE };

// Starts a walk for a file (never a folder) called name, ignoring case, in and
// below the folder that path names (a 260-byte area ending in a backslash);
// name must outlive the walk. Opens the first listing: TREE_WALK_DONE when
// the folder cannot be listed, or its pattern would not fit the area.
TreeWalkState BeginTreeWalk(TreeWalk* walk, char* path, const char* name);
// Goes on for about sliceMs milliseconds (INFINITE: to the end). FOUND: path
// holds the file's full path, its name spelled as on disk, and every listing
// is closed. DONE: nothing matched; path is back at the first folder and
// every listing is closed.
TreeWalkState StepTreeWalk(TreeWalk* walk, DWORD sliceMs);
// Closes the listings of a walk that is given up (nothing when none is open).
void EndTreeWalk(TreeWalk* walk);
