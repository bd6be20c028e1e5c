// Start-up decisions that need no platform: the command tail and the path of
// the settings file.
#pragma once
#include <cstddef>

// The command line with the program name and the blanks after it skipped.
// A quoted name ends at the next quote (no closing quote: the empty end).
// Bytes are compared as signed chars, so bytes of 128 and above (those of
// Korean characters among them) count as blanks.
const char* CommandTail(const char* commandLine);

// The settings file lies beside the program: its path is the module path
// with the file name's extension replaced by "INI". Returns 1 when the whole
// path fitted into capacity bytes.
int DeriveSettingsPath(char* settingsPath, size_t capacity, const char* modulePath);
