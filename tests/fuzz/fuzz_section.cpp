// Fuzzes the schedule section handled in memory: splitting a section block,
// finding numbered keys, replaying key writes and writing the block back,
// reading a value as a one-key read would, and telling from a whole file
// whether one section write keeps it.
//
// Input layout: byte 0 is the capacity of the value reads (1 + value); the
// rest, taken as 16-bit units (little-endian, an odd last byte dropped), is
// used twice: as a section block (its zero units split the strings; two more
// zeros close it) and as the text of a whole settings file.
// Every buffer is a heap block of exactly its size, so the address sanitizer
// catches any access past it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "schedule/section.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

bool Inside(const char16_t* p, const std::vector<char16_t>& block) {
  return p >= block.data() && p < block.data() + block.size();
}

void CheckBlock(std::vector<char16_t> block, int capacity) {
  block.push_back(0);
  block.push_back(0);
  int count = CountSectionEntries(block.data());
  std::vector<SectionEntry> entries(static_cast<size_t>(count) + 1);
  int split = SplitSectionEntries(block.data(), entries.data(), count);
  Check(split == count, "every entry counted is split");
  for (int i = 0; i < split; ++i) {
    const SectionEntry& e = entries[static_cast<size_t>(i)];
    Check(Inside(e.name, block) && e.name[e.nameLength] == (e.value ? u'=' : 0), "name inside, ended by = or zero");
    for (int j = 0; j < e.nameLength; ++j) Check(e.name[j] != u'=' && e.name[j] != 0, "a name holds no = or zero");
    if (e.value) Check(Inside(e.value, block) && e.value[e.valueLength] == 0, "value inside and terminated");

    // A value read into a buffer of exactly `capacity` units.
    if (e.value) {
      std::vector<char16_t> out(static_cast<size_t>(capacity));
      int length = ValueAsRead(e.value, e.valueLength, out.data(), capacity);
      Check(length >= 0 && length < capacity && out[static_cast<size_t>(length)] == 0, "read value terminated in bounds");
      // What is read is the value, without a pair of quotes around it, cut.
      bool quoted = e.valueLength >= 2 && (e.value[0] == u'"' || e.value[0] == u'\'') &&
                    e.value[e.valueLength - 1] == e.value[0];
      const char16_t* from = quoted ? e.value + 1 : e.value;
      Check(length <= e.valueLength - (quoted ? 1 : 0), "never longer than the value");
      Check(memcmp(out.data(), from, static_cast<size_t>(length) * sizeof(char16_t)) == 0, "read value is a cut");
    }
  }

  // Replaying writes of the block's own entries under keys 0..n-1 onto itself.
  int keys = split < 8 ? split : 8;
  std::vector<int> firstOf(static_cast<size_t>(keys) + 1);
  IndexNumberedEntries(entries.data(), split, firstOf.data(), keys);
  std::vector<SectionEntry> writes;
  std::vector<char16_t> names(static_cast<size_t>(keys) * 12 + 1);
  for (int k = 0; k < keys; ++k) {
    SectionEntry w = entries[static_cast<size_t>(k)];
    w.name = &names[static_cast<size_t>(k) * 12];
    w.nameLength = NumberKeyName(k, &names[static_cast<size_t>(k) * 12]);
    if (!w.value) {
      w.value = w.name + w.nameLength;  // an empty value
      w.valueLength = 0;
    }
    writes.push_back(w);
    int at = firstOf[static_cast<size_t>(k)];
    Check(at >= -1 && at < split, "index within the entries");
  }
  std::vector<SectionEntry> merged(static_cast<size_t>(split + keys) + 1);
  std::vector<unsigned char> changed(static_cast<size_t>(keys) + 1);
  int mergedCount = ReplayKeyWrites(entries.data(), split, firstOf.data(), writes.data(), keys, merged.data(),
                                    changed.data());
  Check(mergedCount >= split && mergedCount <= split + keys, "merged keeps every entry and adds at most one a key");

  // Entries with values write back into a block that splits into the same.
  std::vector<SectionEntry> valued;
  for (int i = 0; i < mergedCount; ++i)
    if (merged[static_cast<size_t>(i)].value) valued.push_back(merged[static_cast<size_t>(i)]);
  size_t length = SectionBlockLength(valued.data(), static_cast<int>(valued.size()));
  std::vector<char16_t> written(length);
  WriteSectionBlock(valued.data(), static_cast<int>(valued.size()), written.data());
  Check(written[length - 1] == 0, "written block closed");
  int again = CountSectionEntries(written.data());
  std::vector<SectionEntry> back(static_cast<size_t>(again) + 1);
  SplitSectionEntries(written.data(), back.data(), again);
  Check(SameSectionEntries(back.data(), again, valued.data(), static_cast<int>(valued.size())) == 1,
        "a written block splits into the same entries");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int capacity = 1 + data[0];
  std::vector<char16_t> units((size - 1) / 2);
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));

  std::vector<char16_t> text(units);
  if (text.empty()) text.push_back(0);
  int keeps = SectionWriteKeepsFile(text.data(), units.size(), "MP3Schedule");
  Check(keeps == 0 || keeps == 1, "a yes or no");

  CheckBlock(units, capacity);
  return 0;
}
