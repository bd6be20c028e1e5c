#include "editor/editor_model.h"

#include <cstring>

#include "resources/strings.h"
#include "text/text.h"

namespace {
const int32_t kAllDays = 127;
const int32_t kLastMinute = 59;
const int32_t kLastSuggestedSecond = 55;
// The line that counts further overlapping entries: its text and any count.
const size_t kFurtherLineCapacity = sizeof STR_OVERLAP_MORE + 16;
static_assert(OVERLAP_QUESTION_CAPACITY >=
                  sizeof STR_ASK_OVERLAP + ENTRY_WINDOW_CAPACITY + PATH_CAPACITY + kFurtherLineCapacity,
              "the question holds a whole window, pattern and count");
}  // namespace

void SuggestedWindow(int hour, int32_t* startSeconds, int32_t* endSeconds) {
  *startSeconds = HmsToSeconds(hour, 0, 0);
  *endSeconds = HmsToSeconds(hour, kLastMinute, kLastSuggestedSecond);
}

void ApplyDefaultSet(ScheduleEntry* entry, const char* defaultSet) {
  if (defaultSet != nullptr && defaultSet[0] != '\0') {
    int bitrate = entry->bitrateIndex;
    int sampleRate = entry->sampleRateIndex;
    int days = entry->dayMask;
    int flags = static_cast<int>(entry->flags);
    const ScanTarget targets[] = {ScanInt(&bitrate), ScanInt(&sampleRate), ScanInt(&days), ScanInt(&flags)};
    ScanRecord(defaultSet, "%d %d %d %d", targets, 4);
    entry->bitrateIndex = bitrate;
    entry->sampleRateIndex = sampleRate;
    entry->dayMask = days;
    entry->flags = static_cast<uint32_t>(flags);
  }
  // Without any parameter flag the remembered rates mean nothing: start from
  // the usual 128 kbit/s at 44100 Hz.
  if (entry->flags == 0) {
    entry->sampleRateIndex = DEFAULT_SAMPLE_RATE_INDEX;
    entry->bitrateIndex = DEFAULT_BITRATE_INDEX;
  }
}

void PrepareNewEntry(ScheduleEntry* entry, int hour, const char* defaultSet, const char* outFileName) {
  memset(entry, 0, sizeof *entry);
  SuggestedWindow(hour, &entry->startSeconds, &entry->endSeconds);
  ApplyDefaultSet(entry, defaultSet);
  CopyText(entry->outputPattern, sizeof entry->outputPattern, outFileName != nullptr ? outFileName : "");
}

int32_t StoredDayMask(int32_t checkedBits) { return checkedBits == kAllDays ? -1 : checkedBits; }

int CheckEditorInput(const EditorInput* input) {
  const uint32_t* t = input->times;
  int32_t start = HmsToSeconds(static_cast<int32_t>(t[0]), static_cast<int32_t>(t[1]), static_cast<int32_t>(t[2]));
  int32_t end = HmsToSeconds(static_cast<int32_t>(t[3]), static_cast<int32_t>(t[4]), static_cast<int32_t>(t[5]));
  if (start == end) return EDITOR_TIMES_EQUAL;
  char trimmed[PATH_CAPACITY];
  CopyText(trimmed, sizeof trimmed, input->pattern);
  TrimBlanks(trimmed);
  if (trimmed[0] == '\0') return EDITOR_NO_DESTINATION;
  // A pattern with a blank is stored in double quotes; one of its own would
  // end it early. Windows allows none in a file name anyway.
  if (IndexOfChar(input->pattern, '"') >= 0) return EDITOR_QUOTE_IN_PATTERN;
  return EDITOR_ACCEPT;
}

void StoreEditorInput(ScheduleEntry* target, const EditorInput* input) {
  const uint32_t* t = input->times;
  target->startSeconds = HmsToSeconds(static_cast<int32_t>(t[0]), static_cast<int32_t>(t[1]), static_cast<int32_t>(t[2]));
  target->endSeconds = HmsToSeconds(static_cast<int32_t>(t[3]), static_cast<int32_t>(t[4]), static_cast<int32_t>(t[5]));
  uint32_t flags = 0;
  if (input->mp3Params) flags |= FLAG_MP3_PARAMS;
  // One of the two channel buttons is always checked once the editor has
  // filled its controls, so anything but stereo means mono.
  if (input->channelIndex != 0) flags |= FLAG_MONO;
  target->flags = flags;
  target->sampleRateIndex = input->sampleRateIndex;
  target->bitrateIndex = input->bitrateIndex;
  CopyText(target->outputPattern, sizeof target->outputPattern, input->pattern);
  target->dayMask = StoredDayMask(input->dayBits);
}

int FormatDefaultSet(char* text, size_t capacity, const ScheduleEntry* entry) {
  return FormatText(text, capacity, "%d %d %d %d", entry->bitrateIndex, entry->sampleRateIndex, entry->dayMask,
                    static_cast<int>(entry->flags));
}

int FinishBrowsedFolder(char* path, size_t capacity) {
  if (capacity == 0) return 0;
  if (path[0] == '\0') return 0;
  if (AppendBackslash(path, capacity)) return 1;
  path[0] = '\0';
  return 0;
}

int FormatOverlapQuestion(char* text, size_t capacity, const ScheduleEntry* other, int furtherCount) {
  char window[ENTRY_WINDOW_CAPACITY];
  FormatEntryWindow(window, sizeof window, other);
  char further[kFurtherLineCapacity] = "";
  if (furtherCount > 0) {
    FormatText(further, sizeof further, STR_OVERLAP_MORE, furtherCount);
    AppendText(further, sizeof further, "\n");
  }
  return FormatText(text, capacity, STR_ASK_OVERLAP, window, other->outputPattern, further);
}
