#include "app/startup.h"

#include "text/text.h"

namespace {
// A name character is a byte from 33 to 127 when read as a signed char.
bool IsNameChar(char c) { return static_cast<signed char>(c) > ' '; }
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
