#include "scheduler/disk_space.h"

#include <cstring>

#include "scheduler/tick.h"
#include "text/text.h"

namespace {

// A difference of two times of the day (64 bits: hand-edited times may be
// anything) as seconds of a window: one not ahead runs into the next day.
int32_t WithinADay(int64_t seconds) {
  if (seconds <= 0) seconds += SECONDS_PER_DAY;
  if (seconds <= 0) return 0;
  return seconds > SECONDS_PER_DAY ? SECONDS_PER_DAY : static_cast<int32_t>(seconds);
}

}  // namespace

int32_t RecordingBitrateKbps(const ScheduleEntry* entry) {
  return (entry->flags & FLAG_MP3_PARAMS) ? BitrateOf(entry) : ASSUMED_BITRATE_KBPS;
}

int32_t WindowSecondsFrom(const ScheduleEntry* entry, int32_t t) {
  const int64_t end = entry->endSeconds;
  if (!InWindow(entry, t)) return WithinADay(end - entry->startSeconds);
  // Inside the window its end lies ahead: later today, or tomorrow.
  return WithinADay(end - t);
}

uint64_t DiskNeedBytes(const ScheduleEntry* entry, int32_t t) {
  // kbit/s to bytes per second: 1000 bits a kilobit, 8 bits a byte.
  const uint64_t bytesPerSecond = static_cast<uint64_t>(RecordingBitrateKbps(entry)) * 125u;
  return bytesPerSecond * static_cast<uint64_t>(WindowSecondsFrom(entry, t)) + DISK_MARGIN_BYTES;
}

DiskVerdict JudgeDiskSpace(uint64_t needBytes, bool freeKnown, uint64_t freeBytes, bool recording) {
  if (!freeKnown) return DISK_UNKNOWN;
  if (recording && freeBytes < DISK_ALMOST_FULL_BYTES) return DISK_FULL;
  return freeBytes < needBytes ? DISK_SHORT : DISK_ENOUGH;
}

uint32_t MegabytesUp(uint64_t bytes) { return static_cast<uint32_t>((bytes >> 20) + ((bytes & 0xFFFFF) != 0)); }

uint32_t MegabytesDown(uint64_t bytes) { return static_cast<uint32_t>(bytes >> 20); }

int OutputFolderOf(char* folder, size_t capacity, const char* fileName) {
  // A trail byte of code page 949 is never a backslash: a byte search is safe.
  const char* last = std::strrchr(fileName, '\\');
  if (!last || !CopyTextN(folder, capacity, fileName, static_cast<size_t>(last - fileName) + 1)) {
    if (capacity > 0) folder[0] = '\0';
    return 0;
  }
  return 1;
}
