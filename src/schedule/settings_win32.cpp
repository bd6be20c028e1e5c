#include "schedule/settings_win32.h"

char settingsPath[MAX_PATH + 8] = "";

int ReadSettingOr(const char* section, const char* key, char* buffer, size_t size, const char* defaultValue) {
  if (size == 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(
      GetPrivateProfileStringA(section, key, defaultValue, buffer, static_cast<DWORD>(size), settingsPath));
}

int ReadSetting(const char* section, const char* key, char* buffer, size_t size) {
  return ReadSettingOr(section, key, buffer, size, "");
}

int WriteSetting(const char* section, const char* key, const char* text) {
  return WritePrivateProfileStringA(section, key, text, settingsPath) ? 1 : 0;
}
