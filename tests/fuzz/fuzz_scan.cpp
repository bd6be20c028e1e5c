// Fuzzes ScanRecord with the program's own formats and with arbitrary ones,
// and runs the string and path helpers over the same bytes.
//
// Input layout:
//   byte 0      format selector (value % 8):
//                 0  "%d:%d:%d %d:%d:%d %s"   (a schedule line)
//                 1  "%d %d %d %d"            (parameters, placements)
//                 2  "%d %d"
//                 3  "%.2d%c%s"
//                 4-7 arbitrary: the format is taken from the data (below)
//   byte 1      capacity of the small text destination: 1 + (value % 32)
//   bytes 2, 3  (arbitrary formats only) destination kinds, two bits per slot
//               for 8 slots, low bits first: 0 int, 1 char, 2 small text,
//               3 260-byte text
//   rest        fixed formats: the input text.
//               arbitrary formats: the format up to the first zero byte, then
//               the input text.
// Text destinations are heap blocks of exactly their capacity, so any write
// past a capacity is caught by the address sanitizer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "text/text.h"

namespace {

const size_t kBigText = 260;

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "check failed: %s\n", what);
    abort();
  }
}

struct Destinations {
  std::vector<int> ints;
  std::vector<char> chars;
  std::vector<std::vector<char>> texts;
  std::vector<ScanTarget> targets;

  void Build(const std::vector<int>& kinds, size_t smallCapacity) {
    ints.assign(kinds.size(), 0x5EED);
    chars.assign(kinds.size(), '~');
    texts.clear();
    texts.reserve(kinds.size());
    targets.clear();
    for (size_t i = 0; i < kinds.size(); ++i) {
      size_t cap = kinds[i] == 3 ? kBigText : smallCapacity;
      texts.emplace_back(cap, 'Q');
      texts[i][cap - 1] = '\0';
      if (kinds[i] == 0) targets.push_back(ScanInt(&ints[i]));
      if (kinds[i] == 1) targets.push_back(ScanChar(&chars[i]));
      if (kinds[i] >= 2) targets.push_back(ScanText(texts[i].data(), cap));
    }
  }

  int Scan(const char* input, const char* format) {
    int result = ScanRecord(input, format, targets.data(), static_cast<int>(targets.size()));
    Check(result == 0 || result == 1, "result is 0 or 1");
    for (const std::vector<char>& t : texts) Check(memchr(t.data(), '\0', t.size()) != nullptr, "text terminated");
    return result;
  }
};

// A line the scanner read whole, written back out by the program's own
// formatter, must scan back to the same values.
void CheckRoundTrip(const char* format, Destinations& d, int numbers) {
  char line[400];
  std::string word;
  if (numbers == 6) {
    word = d.texts[6].data();
    // Only a plain word survives being written back unquoted.
    if (word.empty() || word[0] == '"' || word[0] == '\'' || word.find_first_of(" \t") != std::string::npos) return;
    FormatText(line, sizeof line, "%d:%d:%d %d:%d:%d %s", d.ints[0], d.ints[1], d.ints[2], d.ints[3], d.ints[4],
               d.ints[5], word.c_str());
  } else if (numbers == 4) {
    FormatText(line, sizeof line, "%d %d %d %d", d.ints[0], d.ints[1], d.ints[2], d.ints[3]);
  } else {
    FormatText(line, sizeof line, "%d %d", d.ints[0], d.ints[1]);
  }
  Destinations again;
  std::vector<int> kinds(static_cast<size_t>(numbers), 0);
  if (numbers == 6) kinds.push_back(3);
  again.Build(kinds, 1);
  Check(again.Scan(line, format) == 1, "round trip scans whole");
  for (int i = 0; i < numbers; ++i) Check(again.ints[i] == d.ints[i], "round trip keeps numbers");
  if (numbers == 6) Check(word == again.texts[6].data(), "round trip keeps the word");
}

void FuzzHelpers(const std::string& text, const std::string& other, size_t smallCapacity) {
  const char* s = text.c_str();
  char c = other.empty() ? '\\' : other[0];

  int first = IndexOfChar(s, c);
  const char* firstRef = c != '\0' ? strchr(s, c) : nullptr;
  Check(first == (firstRef ? static_cast<int>(firstRef - s) : -1), "IndexOfChar agrees with strchr");
  int last = LastIndexOfChar(s, c);
  const char* lastRef = c != '\0' ? strrchr(s, c) : nullptr;
  Check(last == (lastRef ? static_cast<int>(lastRef - s) : -1), "LastIndexOfChar agrees with strrchr");
  const char* found = strstr(s, other.c_str());
  Check(IndexOfSubstring(s, other.c_str()) == (found ? static_cast<int>(found - s) : -1), "IndexOfSubstring");
  Check(EndOfString(s) == s + strlen(s), "EndOfString");

  const char* name = FileNamePart(s);
  Check(name >= s && name <= s + strlen(s), "FileNamePart inside the path");
  Check(strchr(name, '\\') == nullptr, "no backslash in the file name");

  std::string split = text;
  char* rest = SplitAtChar(&split[0], c);
  Check((rest == nullptr) == (firstRef == nullptr), "SplitAtChar finds what IndexOfChar finds");
  if (rest != nullptr) Check(strlen(split.c_str()) == static_cast<size_t>(first), "SplitAtChar cuts there");

  std::string trimmed = text;
  TrimBlanks(&trimmed[0]);
  size_t n = strlen(trimmed.c_str());
  Check(n == 0 || (!IsBlank(trimmed[0]) && !IsBlank(trimmed[n - 1])), "TrimBlanks leaves no blank at the ends");

  std::string deleted = text;
  DeleteCharAt(&deleted[0], static_cast<int>(smallCapacity) - 3);
  size_t before = strlen(s);
  size_t after = strlen(deleted.c_str());
  Check(after == before || after + 1 == before, "DeleteCharAt removes at most one byte");

  // Bounded writers into blocks of exactly the capacity.
  std::vector<char> small(smallCapacity, 'Q');
  int whole = CopyText(small.data(), small.size(), s);
  Check(whole == (strlen(s) < small.size()), "CopyText reports a cut");
  AppendText(small.data(), small.size(), other.c_str());
  CopyTextN(small.data(), small.size(), other.c_str(), smallCapacity / 2);
  AppendCharBounded(small.data(), small.size(), c);
  AppendBackslash(small.data(), small.size());
  ReplaceExtension(small.data(), small.size(), other.c_str());
  Check(memchr(small.data(), '\0', small.size()) != nullptr, "bounded writers terminate");

  std::vector<char> path(kBigText, 'Q');
  CopyText(path.data(), path.size(), s);
  ReplaceExtension(path.data(), path.size(), other.c_str());
  AppendBackslash(path.data(), path.size());
  Check(memchr(path.data(), '\0', path.size()) != nullptr, "path stays terminated");

  // The text as a multi-string list: its zero bytes separate the strings.
  std::string list = text + std::string(2, '\0');
  const char* nth = NthString(list.data(), static_cast<unsigned char>(c) % 16);
  Check(nth >= list.data() && nth < list.data() + list.size(), "NthString stays in the list");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const char* const kFormats[] = {"%d:%d:%d %d:%d:%d %s", "%d %d %d %d", "%d %d", "%.2d%c%s"};
  unsigned selector = data[0] % 8;
  size_t smallCapacity = 1 + data[1] % 32;
  const char* body = reinterpret_cast<const char*>(data + 2);
  size_t bodySize = size - 2;

  std::string format;
  std::string input;
  std::vector<int> kinds;
  if (selector < 4) {
    format = kFormats[selector];
    input.assign(body, strnlen(body, bodySize));
    static const std::vector<int> kKinds[] = {{0, 0, 0, 0, 0, 0, 3}, {0, 0, 0, 0}, {0, 0}, {0, 1, 2}};
    kinds = kKinds[selector];
  } else {
    if (bodySize < 2) return 0;
    unsigned bits = static_cast<uint8_t>(body[0]) | (static_cast<unsigned>(static_cast<uint8_t>(body[1])) << 8);
    for (int i = 0; i < 8; ++i) kinds.push_back(static_cast<int>((bits >> (2 * i)) & 3u));
    const char* rest = body + 2;
    size_t restSize = bodySize - 2;
    size_t formatLength = strnlen(rest, restSize);
    format.assign(rest, formatLength);
    if (formatLength < restSize) {
      const char* text = rest + formatLength + 1;
      input.assign(text, strnlen(text, restSize - formatLength - 1));
    }
  }

  Destinations d;
  d.Build(kinds, smallCapacity);
  int result = d.Scan(input.c_str(), format.c_str());
  if (result == 1 && selector <= 2) CheckRoundTrip(format.c_str(), d, selector == 0 ? 6 : selector == 1 ? 4 : 2);

  // The same scan again over fresh destinations gives the same values.
  Destinations twice;
  twice.Build(kinds, smallCapacity);
  Check(twice.Scan(input.c_str(), format.c_str()) == result, "scan is repeatable");
  Check(twice.ints == d.ints && twice.chars == d.chars && twice.texts == d.texts, "scan stores the same");

  int consumed = -1;
  int value = ParseNumber(input.c_str(), &consumed);
  Check(consumed >= 0 && static_cast<size_t>(consumed) <= input.size(), "ParseNumber consumed inside the text");
  Check(consumed > 0 || value == 0, "no digits, no value");

  FuzzHelpers(input, format, smallCapacity);
  return 0;
}
