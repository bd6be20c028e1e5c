#include "schedule/schedule_win32.h"

#include <windows.h>

#include "schedule/settings_win32.h"
#include "resources/strings.h"
#include "schedule/section.h"
#include "text/text.h"

ScheduleEntry* scheduleList = nullptr;

namespace {
ScheduleEntry** TailLink() {
  ScheduleEntry** link = &scheduleList;
  while (*link) link = &(*link)->next;
  return link;
}

const unsigned long long kRoomToSpare = 16384;

// A block from LocalAlloc, freed on every way out of the function that holds it.
template <typename T>
struct LocalBlock {
  T* items = nullptr;
  LocalBlock() = default;
  explicit LocalBlock(T* taken) : items(taken) {}
  LocalBlock(const LocalBlock&) = delete;
  LocalBlock& operator=(const LocalBlock&) = delete;
  ~LocalBlock() {
    if (items) LocalFree(items);
  }
  bool Allocate(size_t count) {
    items = static_cast<T*>(LocalAlloc(LMEM_FIXED, (count > 0 ? count : 1) * sizeof(T)));
    return items != nullptr;
  }
};

// The schedule section as it stands, split into its entries.
struct Section {
  LocalBlock<WCHAR> block;
  LocalBlock<SectionEntry> entries;
  int count = 0;
};

bool ReadSection(const char* path, Section* section) {
  section->block.items = ReadSettingsSection(path, STR_SECTION_SCHEDULE);
  if (!section->block.items) return false;
  const char16_t* units = reinterpret_cast<const char16_t*>(section->block.items);
  int count = CountSectionEntries(units);
  if (!section->entries.Allocate(static_cast<size_t>(count))) return false;
  section->count = SplitSectionEntries(units, section->entries.items, count);
  return true;
}

int HasPattern(const ScheduleEntry* entry) { return entry->outputPattern[0] != '\0'; }

// What SaveSchedules writes: the value of key k for k = 0 .. n (the line of
// the k-th entry with a pattern, then the empty value ending the list), as
// the profile functions get it from a line in the ANSI code page.
struct NewValues {
  LocalBlock<WCHAR> units;
  LocalBlock<SectionEntry> writes;
  int count = 0;
};

bool MakeNewValues(char* line, NewValues* values) {
  int lines = 0;
  size_t units = 0;
  for (const ScheduleEntry* entry = scheduleList; entry; entry = entry->next) {
    if (!HasPattern(entry)) continue;
    FormatScheduleLine(entry, line, SCHEDULE_LINE_CAPACITY);
    units += static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, line, lstrlenA(line), nullptr, 0));
    ++lines;
  }
  values->count = lines + 1;
  // Per key: its name (at most 11 digits), a zero, the value, a zero.
  units += static_cast<size_t>(values->count) * 14;
  if (!values->units.Allocate(units) || !values->writes.Allocate(static_cast<size_t>(values->count))) return false;
  char16_t* at = reinterpret_cast<char16_t*>(values->units.items);
  char16_t* end = at + units;
  const ScheduleEntry* entry = scheduleList;
  for (int k = 0; k < values->count; ++k) {
    while (entry && !HasPattern(entry)) entry = entry->next;
    line[0] = '\0';
    if (entry) {
      FormatScheduleLine(entry, line, SCHEDULE_LINE_CAPACITY);
      entry = entry->next;
    }
    SectionEntry& w = values->writes.items[k];
    w.name = at;
    w.nameLength = NumberKeyName(k, at);
    at += w.nameLength + 1;
    int room = static_cast<int>(end - at) - 1;
    int length = 0;
    if (line[0] != '\0')
      length = MultiByteToWideChar(CP_ACP, 0, line, lstrlenA(line), reinterpret_cast<WCHAR*>(at), room);
    at[length] = 0;
    w.value = at;
    w.valueLength = length;
    at += length + 1;
  }
  return true;
}

// Whether one section write gives what key-by-key writes would: only when the
// section holds nothing such a write drops.
bool SectionWriteFits(const SectionEntry* merged, int count) {
  for (int i = 0; i < count; ++i)
    if (!merged[i].value) return false;
  size_t units = 0;
  int decoded = 0;
  LocalBlock<WCHAR> text(ReadSettingsFileText(settingsPath, &units, &decoded));
  return text.items && decoded &&
         SectionWriteKeepsFile(reinterpret_cast<const char16_t*>(text.items), units, STR_SECTION_SCHEDULE);
}

// Bytes entries take in the file: "name=value" and a line end each, in the
// ANSI code page the file is written in.
unsigned long long FileBytes(const SectionEntry* entries, int count) {
  unsigned long long bytes = 0;
  for (int i = 0; i < count; ++i) {
    const SectionEntry& e = entries[i];
    bytes += 3u + static_cast<unsigned>(WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(e.name),
                                                             e.nameLength, nullptr, 0, nullptr, nullptr));
    if (e.valueLength > 0)
      bytes += static_cast<unsigned>(WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(e.value),
                                                          e.valueLength, nullptr, 0, nullptr, nullptr));
  }
  return bytes;
}

// Writes merged into the copy: one section write, or, for a section that
// write would damage, the changed keys one by one.
bool WriteMerged(const char* copyPath, const Section& section, const SectionEntry* merged, int mergedCount,
                 const NewValues& values, const unsigned char* changed, bool wholeSection) {
  // The copy is rewritten whole, so the drive needs room for what the section
  // grows by (and a little over for the file system's blocks).
  unsigned long long before = FileBytes(section.entries.items, section.count);
  unsigned long long after = FileBytes(merged, mergedCount);
  if (!SettingsCopyHasRoom(copyPath, (after > before ? after - before : 0) + kRoomToSpare)) return false;
  if (wholeSection) {
    LocalBlock<WCHAR> block;
    if (!block.Allocate(SectionBlockLength(merged, mergedCount))) return false;
    WriteSectionBlock(merged, mergedCount, reinterpret_cast<char16_t*>(block.items));
    return WriteSettingsSection(copyPath, STR_SECTION_SCHEDULE, block.items) != 0;
  }
  for (int k = 0; k < values.count; ++k) {
    if (!changed[k]) continue;
    const SectionEntry& w = values.writes.items[k];
    if (!WriteSettingWide(copyPath, STR_SECTION_SCHEDULE, reinterpret_cast<const WCHAR*>(w.name),
                          reinterpret_cast<const WCHAR*>(w.value)))
      return false;
  }
  return true;
}

// The profile functions report success after a write the disk cut short:
// read the section back from the copy and compare.
bool CopyHolds(const char* copyPath, const SectionEntry* merged, int mergedCount) {
  Section written;
  return ReadSection(copyPath, &written) &&
         SameSectionEntries(written.entries.items, written.count, merged, mergedCount);
}
}  // namespace

ScheduleEntry* AppendScheduleEntry() {
  ScheduleEntry* entry = static_cast<ScheduleEntry*>(LocalAlloc(LPTR, sizeof(ScheduleEntry)));
  if (!entry) return nullptr;
  *TailLink() = entry;
  return entry;
}

int RemoveScheduleEntry(ScheduleEntry* entry) {
  for (ScheduleEntry** link = &scheduleList; *link; link = &(*link)->next) {
    if (*link == entry) {
      *link = entry->next;
      LocalFree(entry);
      return 1;
    }
  }
  return 0;
}

bool ScheduleHasEntry(const ScheduleEntry* entry) {
  for (const ScheduleEntry* e = scheduleList; e; e = e->next)
    if (e == entry) return true;
  return false;
}

void FreeAllSchedules() {
  while (scheduleList) RemoveScheduleEntry(scheduleList);
}

int ScheduleCount() {
  int count = 0;
  for (const ScheduleEntry* e = scheduleList; e; e = e->next) ++count;
  return count;
}

int LoadSchedules() {
  LocalBlock<char> line(static_cast<char*>(LocalAlloc(LMEM_FIXED, SCHEDULE_LINE_CAPACITY)));
  if (!line.items) return 0;
  // One read of the whole section, then each key as a one-key read would
  // give it: the first entry of that name, its quotes stripped, cut to the
  // line buffer.
  Section section;
  LocalBlock<int> firstOf;
  if (!ReadSection(settingsPath, &section) || !firstOf.Allocate(static_cast<size_t>(section.count))) return 0;
  IndexNumberedEntries(section.entries.items, section.count, firstOf.items, section.count);
  char16_t value[SCHEDULE_LINE_CAPACITY];
  ScheduleTimes times = {};
  // Appending walks to the tail; keep the tail at hand so big lists load in linear time.
  ScheduleEntry** tail = TailLink();
  for (int number = 0; number < section.count; ++number) {
    int at = firstOf.items[number];
    if (at < 0 || !section.entries.items[at].value) break;
    const SectionEntry& e = section.entries.items[at];
    int units = ValueAsRead(e.value, e.valueLength, value, SCHEDULE_LINE_CAPACITY);
    if (units == 0) break;
    // As the ANSI read hands the value on: into capacity - 1 bytes, and a
    // value that does not fit whole leaves that many bytes.
    int bytes = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(value), units, line.items,
                                    SCHEDULE_LINE_CAPACITY - 1, nullptr, nullptr);
    if (bytes == 0) bytes = SCHEDULE_LINE_CAPACITY - 1;
    line.items[bytes] = '\0';
    ScheduleEntry* entry = static_cast<ScheduleEntry*>(LocalAlloc(LPTR, sizeof(ScheduleEntry)));
    if (!entry) continue;
    if (ParseScheduleLine(line.items, &times, entry)) {
      *tail = entry;
      tail = &entry->next;
    } else {
      LocalFree(entry);
    }
  }
  return 1;
}

int SaveSchedules() {
  LocalBlock<char> line(static_cast<char*>(LocalAlloc(LMEM_FIXED, SCHEDULE_LINE_CAPACITY)));
  if (!line.items) return 0;
  NewValues values;
  Section section;
  if (!MakeNewValues(line.items, &values) || !ReadSection(settingsPath, &section)) return 0;
  // The section as writing keys 0 .. n one by one would leave it.
  LocalBlock<int> firstOf;
  LocalBlock<SectionEntry> merged;
  LocalBlock<unsigned char> changed;
  if (!firstOf.Allocate(static_cast<size_t>(values.count)) ||
      !merged.Allocate(static_cast<size_t>(section.count) + static_cast<size_t>(values.count)) ||
      !changed.Allocate(static_cast<size_t>(values.count)))
    return 0;
  IndexNumberedEntries(section.entries.items, section.count, firstOf.items, values.count);
  int mergedCount = ReplayKeyWrites(section.entries.items, section.count, firstOf.items, values.writes.items,
                                    values.count, merged.items, changed.items);
  bool anyChange = false;
  for (int k = 0; k < values.count; ++k) anyChange = anyChange || changed.items[k];
  // Nothing to change: the file is not touched at all.
  if (!anyChange) return 1;

  bool wholeSection = SectionWriteFits(merged.items, mergedCount);
  char copyPath[MAX_PATH + 8];
  if (!StartSettingsCopy(copyPath, sizeof copyPath)) return 0;
  bool written = WriteMerged(copyPath, section, merged.items, mergedCount, values, changed.items, wholeSection) &&
                 CopyHolds(copyPath, merged.items, mergedCount);
  return FinishSettingsCopy(copyPath, written ? 1 : 0);
}
