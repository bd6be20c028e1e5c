// Access to the settings file beside the program. Every read and write of
// the INI file goes through these; the file's path lives here with them.
#pragma once
#include <windows.h>

#include <cstddef>

// Full path of the settings file (a MAX_PATH-sized buffer so any path Windows
// can start a program from fits). Empty until the program has set it.
extern char settingsPath[MAX_PATH + 8];

int ReadSetting(const char* section, const char* key, char* buffer, size_t size);
int ReadSettingOr(const char* section, const char* key, char* buffer, size_t size, const char* defaultValue);
int WriteSetting(const char* section, const char* key, const char* text);
