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

// ---- Whole sections, for the schedule's one read and one write ----
// These take the file's path: a rewrite works on a copy of the settings file.
// Texts are UTF-16, as the profile functions keep the file in memory; a
// section block lists "name=value" strings (or "name" for a line without
// "="), each ended by a zero, the block by an empty string.

// The section as one block from LocalAlloc, which the caller frees; a missing
// file or section gives an empty block. nullptr when out of memory.
WCHAR* ReadSettingsSection(const char* path, const char* section);
// Replaces the keys of the section with those of block.
int WriteSettingsSection(const char* path, const char* section, const WCHAR* block);
// Writes one key.
int WriteSettingWide(const char* path, const char* section, const WCHAR* key, const WCHAR* text);
// The whole file decoded as the profile functions decode it, in a block from
// LocalAlloc (*units long, zero after it). *decoded is 0 for a file in UTF-16,
// whose text this does not return. nullptr when out of memory or unreadable.
WCHAR* ReadSettingsFileText(const char* path, size_t* units, int* decoded);

// ---- Rewriting the settings file safely ----
// A rewrite changes a copy beside the file and only a complete copy replaces
// it, so a write that fails half-way (a full disk) leaves the file as it was.

// Makes the copy of settingsPath and names it in copyPath (capacity bytes); a
// file that does not exist yet is not copied. Fails, leaving nothing behind,
// when the file is read-only or its folder cannot be reached.
int StartSettingsCopy(char* copyPath, size_t capacity);
// 1 when the copy's drive has room for bytes more (or cannot tell).
int SettingsCopyHasRoom(const char* copyPath, unsigned long long bytes);
// With keep = 1, replaces the settings file with the copy; otherwise, or when
// that fails, removes the copy. Returns 1 when the file was replaced.
int FinishSettingsCopy(const char* copyPath, int keep);
