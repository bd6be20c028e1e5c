#include "app/tray.h"

#include "text/text.h"

TrayIcon TrayIconOf(bool recording, bool needsYou) {
  if (recording) return TRAY_ICON_RECORDING;
  return needsYou ? TRAY_ICON_NEEDS_YOU : TRAY_ICON_WAITING;
}

size_t CharacterCutLength(const char* text, size_t maxCharacters) {
  size_t bytes = 0;
  for (size_t characters = 0; characters < maxCharacters && text[bytes]; ++characters) {
    // A lead byte with no trail behind it is a character of its own.
    bytes += IsLeadByte(text[bytes]) && text[bytes + 1] ? 2 : 1;
  }
  return bytes;
}

bool MinimiseToTrayEnabled(const char* value) {
  int consumed = 0;
  int number = ParseNumber(value, &consumed);
  return consumed == 0 || number != 0;
}

TrayAction TrayActionOf(unsigned event, bool version4) {
  switch (event) {
    case TRAY_EVENT_LEFT_DOUBLE: return TRAY_OPEN;
    case TRAY_EVENT_SELECT:
    case TRAY_EVENT_KEY_SELECT: return version4 ? TRAY_OPEN : TRAY_NOTHING;
    case TRAY_EVENT_CONTEXT_MENU: return version4 ? TRAY_MENU : TRAY_NOTHING;
    case TRAY_EVENT_LEFT_UP: return version4 ? TRAY_NOTHING : TRAY_OPEN;
    case TRAY_EVENT_RIGHT_UP: return version4 ? TRAY_NOTHING : TRAY_MENU;
    default: return TRAY_NOTHING;
  }
}
