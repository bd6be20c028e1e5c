#include "recorder/request.h"

#include <cstring>

#include "text/text.h"

int BuildRecordingRequest(char block[REQUEST_BLOCK_SIZE], const ScheduleEntry* entry,
                          const char* fileName) {
  // Zeroed so no stale heap bytes travel to the other process.
  memset(block, 0, REQUEST_BLOCK_SIZE);
  if (entry->flags & FLAG_MP3_PARAMS) {
    int channels = (entry->flags & FLAG_MONO) ? 1 : 2;
    FormatText(block, REQUEST_BLOCK_SIZE, "%d %d %d", static_cast<int>(BitrateOf(entry)),
               static_cast<int>(SampleRateOf(entry)), channels);
  }
  // The name goes right behind the parameter text's zero and must end, with
  // its own zero, inside the block.
  size_t nameOffset = strlen(block) + 1;
  return CopyText(block + nameOffset, REQUEST_BLOCK_SIZE - nameOffset, fileName ? fileName : "");
}

bool IsIdleStateText(const char* text) { return text != nullptr && strcmp(text, STR_PLUGIN_IDLE_TEXT) == 0; }

bool IsPluginTitle(const char* title) {
  return title != nullptr && IndexOfSubstring(title, STR_PLUGIN_TITLE_MARK) >= 0;
}

bool IsQualityDialogTitle(const char* title) {
  return title != nullptr && strcmp(title, STR_QUALITY_DIALOG_TITLE) == 0;
}

int FormatFoundStatus(char* status, size_t capacity, const char* pluginTitle) {
  int whole = CopyText(status, capacity, pluginTitle ? pluginTitle : "");
  return AppendText(status, capacity, STR_STATUS_FOUND_SUFFIX) && whole;
}

bool TicksElapsed(uint32_t startTick, uint32_t nowTick, uint32_t limit) {
  return static_cast<uint32_t>(nowTick - startTick) >= limit;
}

uint32_t WaitLimit(uint32_t ownLimitMs, const RequestDeadline& deadline, uint32_t nowMs) {
  if (!deadline.set) return ownLimitMs;
  // Signed: a deadline just passed is not read as one far ahead across the wrap.
  int32_t left = static_cast<int32_t>(deadline.atMs - nowMs);
  if (left <= 0) return 0;
  return static_cast<uint32_t>(left) < ownLimitMs ? static_cast<uint32_t>(left) : ownLimitMs;
}
