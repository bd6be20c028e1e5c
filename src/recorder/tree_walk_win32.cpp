// The folder walk of the drive search, as an explicit stack of listings: the
// order and results of a plain recursive walk, in steps of bounded length.
#include "recorder/tree_walk_win32.h"

#include "recorder/launch.h"
#include "text/text.h"

namespace {

// The clock is read once per this many entries: reading it is cheap, the
// entries cheaper still when the folder is cached.
const int kEntriesPerClockReading = 16;

// Opens the listing of the folder whose path takes the first directoryLength
// bytes of the path area, as a new level. False when it cannot be listed
// (access denied, gone): it holds no match then.
bool OpenLevel(TreeWalk* walk, size_t directoryLength) {
  char* path = walk->path;
  path[directoryLength] = '\0';
  if (walk->depth >= TREE_WALK_LEVELS || !SearchPatternFits(directoryLength, "", PATH_CAPACITY)) return false;
  AppendText(path, PATH_CAPACITY, "*.*");
  HANDLE listing = FindFirstFileA(path, &walk->entry);
  path[directoryLength] = '\0';
  if (listing == INVALID_HANDLE_VALUE) return false;
  walk->levels[walk->depth].listing = listing;
  walk->levels[walk->depth].directoryLength = directoryLength;
  ++walk->depth;
  walk->entryWaiting = true;
  return true;
}

// Closes the top level; the path is back at the folder above it.
void CloseLevel(TreeWalk* walk) {
  FindClose(walk->levels[--walk->depth].listing);
  if (walk->depth > 0) walk->path[walk->levels[walk->depth - 1].directoryLength] = '\0';
}

// The next entry of the top level into walk->entry; false at the end of its listing.
bool NextEntry(TreeWalk* walk) {
  if (walk->entryWaiting) {
    walk->entryWaiting = false;
    return true;
  }
  return FindNextFileA(walk->levels[walk->depth - 1].listing, &walk->entry) != FALSE;
}

bool IsDotEntry(const char* name) { return lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0; }

// Looks at one entry of the top level. True when it is the file.
bool TakeEntry(TreeWalk* walk) {
  char* path = walk->path;
  const size_t directoryLength = walk->levels[walk->depth - 1].directoryLength;
  const char* entryName = walk->entry.cFileName;
  if (walk->entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    // A folder too deep for the area is left out rather than written past it.
    if (IsDotEntry(entryName) || !SearchPatternFits(directoryLength, entryName, PATH_CAPACITY)) return false;
    AppendText(path, PATH_CAPACITY, entryName);
    AppendText(path, PATH_CAPACITY, "\\");
    if (!OpenLevel(walk, static_cast<size_t>(lstrlenA(path)))) path[directoryLength] = '\0';
    return false;
  }
  if (lstrcmpiA(entryName, walk->name) != 0) return false;
  // The name as the disk spells it, not as asked for.
  if (AppendText(path, PATH_CAPACITY, entryName)) return true;
  path[directoryLength] = '\0';
  return false;
}

}  // namespace

TreeWalkState BeginTreeWalk(TreeWalk* walk, char* path, const char* name) {
  walk->path = path;
  walk->name = name;
  walk->depth = 0;
  walk->entryWaiting = false;
  return OpenLevel(walk, static_cast<size_t>(FileNamePart(path) - path)) ? TREE_WALK_GOING : TREE_WALK_DONE;
}

TreeWalkState StepTreeWalk(TreeWalk* walk, DWORD sliceMs) {
  const DWORD startMs = GetTickCount();
  int entries = 0;
  while (walk->depth > 0) {
    if (!NextEntry(walk)) {
      CloseLevel(walk);
    } else if (TakeEntry(walk)) {
      // The found path stays: the levels close without cutting it back.
      while (walk->depth > 0) FindClose(walk->levels[--walk->depth].listing);
      return TREE_WALK_FOUND;
    }
    if (sliceMs != INFINITE && ++entries % kEntriesPerClockReading == 0 && GetTickCount() - startMs >= sliceMs)
      return walk->depth > 0 ? TREE_WALK_GOING : TREE_WALK_DONE;
  }
  return TREE_WALK_DONE;
}

void EndTreeWalk(TreeWalk* walk) {
  while (walk->depth > 0) CloseLevel(walk);
}
