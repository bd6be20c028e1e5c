// Small helpers shared by the benchmark programs: a millisecond clock, order
// statistics and the result file. Results go to a file, never to standard
// output: Wine's service processes may hold a pipe open after a program ends.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
inline double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Nearest-rank percentile (p in 0..100) of the values; 0 when there are none.
inline double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
  if (rank < 1) rank = 1;
  if (rank > values.size()) rank = values.size();
  return values[rank - 1];
}

inline double Median(const std::vector<double>& values) {
  if (values.empty()) return 0;
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  size_t n = sorted.size();
  return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

inline double Max(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

inline std::string Format(const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// The result file: "key value..." lines, appended and closed at once, so the
// script sees whatever was measured even when a later step fails.
class Results {
 public:
  explicit Results(std::string path) : path_(std::move(path)) {}
  void Line(const std::string& text) const {
    FILE* file = fopen(path_.c_str(), "ab");
    if (file == nullptr) return;
    fprintf(file, "%s\n", text.c_str());
    fclose(file);
  }
  // A progress note: lines starting with "#" are shown, not parsed.
  void Note(const std::string& text) const { Line("# " + text); }

 private:
  std::string path_;
};

inline std::string Join(const std::vector<double>& values, const char* format = "%.1f") {
  std::string text;
  for (double v : values) {
    if (!text.empty()) text += ' ';
    text += Format(format, v);
  }
  return text;
}

}  // namespace bench
