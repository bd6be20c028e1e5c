// Access to the settings file (settingsPath). Every read and write of the
// INI file goes through these.
#pragma once
#include <cstddef>

int ReadSetting(const char* section, const char* key, char* buffer, size_t size);
int ReadSettingOr(const char* section, const char* key, char* buffer, size_t size, const char* defaultValue);
int WriteSetting(const char* section, const char* key, const char* text);
