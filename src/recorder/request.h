// The pure half of the plug-in remote control: the recording request block
// and the readings of the plug-in's texts. Portable, no platform headers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "recorder/plugin_contract.h"
#include "schedule/schedule.h"

// What the plug-in's state control said when it was read.
enum PluginState {
  PLUGIN_NONE = 0,       // no plug-in window is known, or it has gone
  PLUGIN_NO_ANSWER = 1,  // the window lives but did not answer within the limit
  PLUGIN_IDLE = 2,
  PLUGIN_RECORDING = 3,
};

// How handing a recording request to the plug-in ended.
enum RequestResult {
  REQUEST_DONE = 0,            // the plug-in took the name (and the parameters)
  REQUEST_NO_MEMORY,           // the request block could not be allocated
  REQUEST_NAME_TOO_LONG,       // the name does not fit the block
  REQUEST_NOT_TAKEN,           // the plug-in did not take the request in time
  REQUEST_QUALITY_NOT_OPENED,  // the quality dialog did not open in time
  REQUEST_QUALITY_NOT_CLOSED,  // the quality dialog did not close in time
  REQUEST_PLUGIN_GONE,         // the plug-in went away during the request
};

// Fills block with the recording request for entry: the parameter text
// ("bitrate samplerate channels" when the entry hands over MP3 parameters,
// else empty), its zero, the file name and its zero. The rest of the block
// is zeroed. A null fileName counts as empty.
// Returns 1 when the file name fitted whole, 0 when it had to be cut (the
// caller must not send a cut name: the plug-in would record to another file).
int BuildRecordingRequest(char block[REQUEST_BLOCK_SIZE], const ScheduleEntry* entry,
                          const char* fileName);

// True when the text of the state control says the plug-in is idle: exactly
// the idle text, nothing more, same bytes. Anything else, the empty text of a
// control that could not be read included, means recording.
bool IsIdleStateText(const char* text);

// True when a window title marks the plug-in (holds the plug-in's mark anywhere).
bool IsPluginTitle(const char* title);
// True when a title is exactly the quality dialog's.
bool IsQualityDialogTitle(const char* title);

// Status line after a successful search: the plug-in's title and the "found"
// suffix, bounded by capacity. Returns 1 when it fitted whole.
int FormatFoundStatus(char* status, size_t capacity, const char* pluginTitle);
// Room FormatFoundStatus needs for any title read with PLUGIN_TITLE_CAPACITY.
enum { FOUND_STATUS_CAPACITY = PLUGIN_TITLE_CAPACITY + sizeof STR_STATUS_FOUND_SUFFIX };

// True once limit milliseconds or more have passed between two tick counts,
// also across the counter's wrap (unsigned difference).
bool TicksElapsed(uint32_t startTick, uint32_t nowTick, uint32_t limit);

// The tick count by which a request must be through with every wait: set for
// a request handed over ahead of its second, which may never push the start
// past that second. A request on its second has none; its waits keep their
// own limits.
struct RequestDeadline {
  uint8_t set;
  uint32_t atMs;
};
const RequestDeadline NO_DEADLINE = {0, 0};
// How long a wait that begins at nowMs may last: its own limit, cut at the
// deadline; 0 once the deadline has come (the wait then looks only once).
uint32_t WaitLimit(uint32_t ownLimitMs, const RequestDeadline& deadline, uint32_t nowMs);
