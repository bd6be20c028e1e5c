// Bounded copies and the small string and path helpers.
#include "text/text.h"

#include <cstring>

namespace {

// Length of text, but never more than cap: cap means "no terminator within
// the buffer", which a caller's buffer should never be, but we do not read on.
size_t BoundedLength(const char* text, size_t cap) {
  size_t n = 0;
  while (n < cap && text[n] != '\0') ++n;
  return n;
}

// Copies up to count bytes of src (it may be shorter) into dst; shared by the
// three copy routines. memmove because callers sometimes copy within one buffer.
int CopyBounded(char* dst, size_t cap, const char* src, size_t count) {
  if (dst == nullptr || cap == 0) return 0;
  size_t n = src != nullptr ? BoundedLength(src, count) : 0;
  int whole = 1;
  if (n > cap - 1) {
    n = cap - 1;
    whole = 0;
  }
  if (n > 0) memmove(dst, src, n);
  dst[n] = '\0';
  return whole;
}

}  // namespace

int CopyText(char* dst, size_t cap, const char* src) {
  return CopyBounded(dst, cap, src, static_cast<size_t>(-1));
}

int CopyTextN(char* dst, size_t cap, const char* src, size_t count) {
  return CopyBounded(dst, cap, src, count);
}

int AppendText(char* dst, size_t cap, const char* src) {
  if (dst == nullptr || cap == 0) return 0;
  size_t len = BoundedLength(dst, cap);
  if (len == cap) {
    // Not terminated inside its buffer: close it rather than write past it.
    dst[cap - 1] = '\0';
    return 0;
  }
  return CopyBounded(dst + len, cap - len, src, static_cast<size_t>(-1));
}

void AppendChar(char* text, char c) {
  size_t len = strlen(text);
  text[len] = c;
  text[len + 1] = '\0';
}

int AppendCharBounded(char* text, size_t cap, char c) {
  if (text == nullptr) return 0;
  size_t len = BoundedLength(text, cap);
  if (len + 2 > cap) return 0;
  text[len] = c;
  text[len + 1] = '\0';
  return 1;
}

const char* NthString(const char* list, int n) {
  while (n > 0 && *list != '\0') {
    list += strlen(list) + 1;
    --n;
  }
  return list;
}

int IndexOfChar(const char* text, char c) {
  if (text == nullptr) return -1;
  for (int i = 0; text[i] != '\0'; ++i) {
    if (text[i] == c) return i;
  }
  return -1;
}

int LastIndexOfChar(const char* text, char c) {
  if (text == nullptr) return -1;
  int last = -1;
  for (int i = 0; text[i] != '\0'; ++i) {
    if (text[i] == c) last = i;
  }
  return last;
}

int IndexOfSubstring(const char* text, const char* sought) {
  if (text == nullptr || sought == nullptr) return -1;
  size_t textLength = strlen(text);
  size_t soughtLength = strlen(sought);
  if (soughtLength > textLength) return -1;
  for (size_t p = 0; p + soughtLength <= textLength; ++p) {
    if (memcmp(text + p, sought, soughtLength) == 0) return static_cast<int>(p);
  }
  return -1;
}

char* EndOfString(char* text) { return text + strlen(text); }

const char* EndOfString(const char* text) { return text + strlen(text); }

char* SplitAtChar(char* text, char c) {
  int at = IndexOfChar(text, c);
  if (at < 0) return nullptr;
  text[at] = '\0';
  return text + at + 1;
}

const char* FileNamePart(const char* path) {
  int at = LastIndexOfChar(path, '\\');
  if (at < 0) at = LastIndexOfChar(path, ':');
  return path + at + 1;
}

char* FileNamePart(char* path) {
  return path + (FileNamePart(static_cast<const char*>(path)) - path);
}

int ReplaceExtension(char* path, size_t cap, const char* ext) {
  if (path == nullptr || cap == 0) return 0;
  if (BoundedLength(path, cap) == cap) {
    path[cap - 1] = '\0';
    return 0;
  }
  // Only the file name's own dot counts: a folder such as "kim.lee" must not
  // lose everything after it.
  char* name = FileNamePart(path);
  int dot = IndexOfChar(name, '.');
  if (dot >= 0) {
    name[dot + 1] = '\0';
  } else if (!AppendCharBounded(path, cap, '.')) {
    return 0;
  }
  return AppendText(path, cap, ext);
}

void DeleteCharAt(char* text, int position) {
  if (text == nullptr || position < 0) return;
  size_t len = strlen(text);
  size_t at = static_cast<size_t>(position);
  if (at >= len) return;
  memmove(text + at, text + at + 1, len - at);  // the terminator moves too
}

void TrimBlanks(char* text) {
  if (text == nullptr) return;
  size_t end = strlen(text);
  while (end > 0 && IsBlank(text[end - 1])) --end;
  text[end] = '\0';
  size_t start = 0;
  while (IsBlank(text[start])) ++start;
  if (start > 0) memmove(text, text + start, end - start + 1);
}

int AppendBackslash(char* path, size_t cap) {
  if (path == nullptr || cap == 0) return 0;
  size_t len = BoundedLength(path, cap);
  if (len == 0 || (len < cap && path[len - 1] == '\\')) return 1;
  return AppendCharBounded(path, cap, '\\');
}

size_t WholeCharPrefix(const char* text, size_t length, size_t limit) {
  size_t taken = 0;
  while (taken < length) {
    size_t step = IsLeadByte(text[taken]) && taken + 1 < length ? 2 : 1;
    if (taken + step > limit) break;
    taken += step;
  }
  return taken;
}
