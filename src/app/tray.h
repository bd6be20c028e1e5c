// What the notification-area icon shows and how its clicks are read: the
// decisions of the tray, free of the platform.
#pragma once
#include <cstddef>

// The icon's three faces, most urgent first: a recording runs; something went
// wrong since the person last looked; nothing to tell.
enum TrayIcon { TRAY_ICON_WAITING, TRAY_ICON_RECORDING, TRAY_ICON_NEEDS_YOU };

// A running recording is what the person most wants to know at a glance; a
// problem shows as soon as nothing records.
TrayIcon TrayIconOf(bool recording, bool needsYou);

// Characters the shell keeps of each text (its buffers less the terminator).
enum {
  TRAY_TIP_CHARACTERS = 127,
  TRAY_BALLOON_TITLE_CHARACTERS = 63,
  TRAY_BALLOON_TEXT_CHARACTERS = 255,
};

// Bytes of the longest start of text (code page 949) that holds at most
// maxCharacters characters: a cut there never splits a double-byte character.
// Every character of the code page is one UTF-16 unit, so this is also the
// cut of the converted text at maxCharacters units.
size_t CharacterCutLength(const char* text, size_t maxCharacters);

// [Config] "MinimiseToTray": on unless the value is a number equal to 0.
bool MinimiseToTrayEnabled(const char* value);

// The events the shell reports through the icon's callback message (the
// platform's values).
enum {
  TRAY_EVENT_CONTEXT_MENU = 0x007B,    // WM_CONTEXTMENU
  TRAY_EVENT_LEFT_UP = 0x0202,         // WM_LBUTTONUP
  TRAY_EVENT_LEFT_DOUBLE = 0x0203,     // WM_LBUTTONDBLCLK
  TRAY_EVENT_RIGHT_UP = 0x0205,        // WM_RBUTTONUP
  TRAY_EVENT_SELECT = 0x0400,          // NIN_SELECT
  TRAY_EVENT_KEY_SELECT = 0x0401,      // NIN_KEYSELECT
};

enum TrayAction { TRAY_NOTHING, TRAY_OPEN, TRAY_MENU };

// What a callback event asks for. A shell that took the fourth version of
// the callback reports a click as NIN_SELECT (Enter on the icon as
// NIN_KEYSELECT) and the menu key or right click as WM_CONTEXTMENU, besides
// the raw mouse messages; an older one only sends the mouse messages. Either
// way a left click or a double click opens (opening an open window does no
// harm) and a right click asks for the menu once.
TrayAction TrayActionOf(unsigned event, bool version4);
