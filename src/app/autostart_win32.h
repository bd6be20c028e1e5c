// Starting with Windows: the program's value in the current user's Run key.
// Only the current user's key is touched, so no administrator is needed.
#pragma once
#include <windows.h>

// The key under HKEY_CURRENT_USER that holds the value (the Run key; tests
// point it at a key of their own).
extern const char* runKeyPath;

// Whether the key holds the program's value and that value starts this very
// exe minimised. A value naming another copy, or one without the switch,
// does not count.
bool StartsWithWindows();

// Writes the value (on) or removes it (off); other values of the key stay.
// ERROR_SUCCESS, or the error the registry gave.
DWORD SetStartWithWindows(bool on);
