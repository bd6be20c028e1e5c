#include "app/startup.h"

#include "resources/strings.h"
#include "text/text.h"

namespace {
// A name character is a byte from 33 to 127 when read as a signed char.
bool IsNameChar(char c) { return static_cast<signed char>(c) > ' '; }

// The switch's bytes are plain ASCII and its first one is no lead byte, so
// the letters behind it are never trail bytes: folding them is safe.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// "/min" or "-min", the letters in any case.
bool IsSwitchWord(const char* word, size_t length) {
  const char kSwitch[] = STR_MINIMISED_SWITCH;
  if (length != sizeof kSwitch - 1 || (word[0] != '/' && word[0] != '-')) return false;
  for (size_t i = 1; i < length; ++i)
    if (LowerAscii(word[i]) != kSwitch[i]) return false;
  return true;
}

bool IsWordBreak(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

const char* CommandTail(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (IsNameChar(*p)) ++p;
  }
  while (*p && !IsNameChar(*p)) ++p;
  return p;
}

int DeriveSettingsPath(char* settingsPath, size_t capacity, const char* modulePath) {
  if (!CopyText(settingsPath, capacity, modulePath)) return 0;
  return ReplaceExtension(settingsPath, capacity, "INI");
}

bool HasMinimisedSwitch(const char* tail) {
  const char* p = tail;
  for (;;) {
    while (*p && IsWordBreak(*p)) ++p;
    if (!*p) return false;
    const char* word = p;
    while (*p && !IsWordBreak(*p)) ++p;
    if (IsSwitchWord(word, static_cast<size_t>(p - word))) return true;
  }
}

int StartShowCommand(const char* tail, int showCommand) {
  if (HasMinimisedSwitch(tail)) return SHOW_MINIMISED_NO_ACTIVE;
  switch (showCommand) {
    case SHOW_MINIMISED:
    case SHOW_MINIMISE:
    case SHOW_MINIMISED_NO_ACTIVE:
    case SHOW_FORCE_MINIMISE: return SHOW_MINIMISED_NO_ACTIVE;
    default: return showCommand;
  }
}

int BuildRunValue(char* value, size_t capacity, const char* programPath) {
  return FormatText(value, capacity, "\"%s\" " STR_MINIMISED_SWITCH, programPath);
}

bool StartsProgramMinimised(const char* value, const char* programPath, SamePathFunction samePath) {
  if (value[0] != '"') return false;
  const char* name = value + 1;
  int closing = IndexOfChar(name, '"');
  if (closing <= 0) return false;
  char program[RUN_VALUE_CAPACITY];
  if (!CopyTextN(program, sizeof program, name, static_cast<size_t>(closing))) return false;
  return HasMinimisedSwitch(CommandTail(value)) && samePath(program, programPath);
}
