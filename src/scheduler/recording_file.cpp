#include "scheduler/recording_file.h"

#include "scheduler/disk_space.h"

namespace {

// kbit/s to bytes per second: 1000 bits a kilobit, 8 bits a byte.
uint64_t BytesPerSecond(int32_t kbps) { return kbps > 0 ? static_cast<uint64_t>(kbps) * 125u : 0; }

}  // namespace

GrowthVerdict NoteFileLook(FileGrowth* growth, const FileReading& reading) {
  switch (reading.look) {
    case FILE_NOT_SEEN: return GROWTH_UNKNOWN;
    case FILE_MISSING:
      // A file that comes back is measured from nothing again.
      growth->lastBytes = 0;
      return GROWTH_STALLED;
    case FILE_PRESENT: break;
  }
  const bool grown = reading.bytes > growth->lastBytes;
  growth->lastBytes = reading.bytes;
  return grown ? GROWTH_GROWING : GROWTH_STALLED;
}

FileEndVerdict JudgeRecordingFile(const FileReading& reading, const ScheduleEntry* entry, uint32_t recordedMs) {
  switch (reading.look) {
    case FILE_NOT_SEEN: return FILE_END_UNKNOWN;
    case FILE_MISSING: return FILE_END_MISSING;
    case FILE_PRESENT: break;
  }
  if (reading.bytes == 0) return FILE_END_EMPTY;
  if (!(entry->flags & FLAG_MP3_PARAMS)) return FILE_END_FINE;
  // Under half: bytes < rate * ms / 1000 / 2, kept in whole numbers.
  const uint64_t expected = BytesPerSecond(RecordingBitrateKbps(entry)) * recordedMs;
  return reading.bytes * 2000u < expected ? FILE_END_SHORT : FILE_END_FINE;
}

uint32_t SecondsOfSound(uint64_t bytes, int32_t kbps) {
  const uint64_t rate = BytesPerSecond(kbps);
  if (rate == 0) return 0;
  const uint64_t seconds = (bytes + rate / 2) / rate;
  return seconds > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(seconds);
}
