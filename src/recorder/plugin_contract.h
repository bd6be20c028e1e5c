// What the player and its recording plug-in offer, and what this program
// sends them: window classes and texts, command numbers, the state control
// and the recording request block. Portable: shared by the core and the shell.
//
// The names and texts themselves (player class "Winamp v1.x", dialog class
// "#32770", the title mark, the idle text of the state control, the quality
// dialog's title) live with the program's other texts in resources/strings.h.
#pragma once

#include "resources/strings.h"

enum PluginContract {
  // WM_COMMAND wParams posted to the plug-in window.
  PLUGIN_COMMAND_START = 82,     // 'R'
  PLUGIN_COMMAND_STOP = 83,      // 'S'
  PLUGIN_COMMAND_QUALITY = 1003,  // opens the quality dialog
  // Control of the plug-in window whose text tells idle from recording.
  PLUGIN_STATE_CONTROL = 88,

  // WM_COPYDATA recording request: dwData and the block's size (cbData).
  REQUEST_DATA_ID = 100,
  REQUEST_BLOCK_SIZE = 520,

  // How much of the other side's texts is read.
  STATE_TEXT_CAPACITY = 40,      // control 88
  CLASS_NAME_CAPACITY = 80,      // class name during the window walk
  WINDOW_TITLE_CAPACITY = 80,    // titles compared during the window walk
  PLUGIN_TITLE_CAPACITY = 220,   // the plug-in title shown in the status line
};

// Waits on the plug-in. The request's waits run on the request worker
// (request_worker_win32.h); reading the state waits on the main thread.
enum PluginTiming {
  PLUGIN_SEARCH_PERIOD_MS = 4000,  // search timer while no plug-in is known
  QUALITY_WAIT_LIMIT_MS = 20000,   // for the quality dialog to open, and to close
  // Sleep between two looks. Short, so the wait ends within a few
  // milliseconds of the dialog appearing or closing: with MP3 parameters
  // every look that oversleeps delays the recording's start.
  QUALITY_POLL_MS = 5,
  // A plug-in that stops answering must not freeze the program and with it
  // every later recording: reading its state and handing it a request are
  // given up after these.
  STATE_READ_LIMIT_MS = 3000,
  REQUEST_SEND_LIMIT_MS = 20000,
};
