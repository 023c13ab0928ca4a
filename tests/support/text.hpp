// Text helpers shared by the tests: lines, printf-style formatting, visible
// control characters, and the program's fixed console texts.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

// The lines, each ended by a line feed.
inline std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// The lines of `text`; a last line without a line feed counts too. With
// `keep_ends` each line keeps its line feed, so that a missing one shows.
inline std::vector<std::string> SplitLines(const std::string& text, bool keep_ends = false) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    lines.push_back(text.substr(start, stop - start + (keep_ends && end != std::string::npos)));
    start = stop + 1;
  }
  return lines;
}

template <class... Args>
std::string Printf(const char* format, Args... args) {
  char text[512];
  const int length = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, static_cast<std::size_t>(length < 0 ? 0 : length));
}

// The bits of a double, and the double of given bits.
inline std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline double FromBits(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The first `count` values separated by commas; doubles in the shortest
// form that reads back exactly.
template <class T>
std::string List(const std::vector<T>& values, std::size_t count = SIZE_MAX) {
  std::string text;
  char number[40];
  for (std::size_t i = 0; i < count && i < values.size(); ++i) {
    if (i > 0) text += ',';
    text.append(number, std::to_chars(number, number + sizeof number, values[i]).ptr);
  }
  return text;
}

// Control characters and non-ASCII bytes made visible for a failure message.
inline std::string Visible(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      shown += "\\t";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\\') {
      shown += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7f) {
      shown += Printf("\\x%02x", static_cast<unsigned>(byte));
    } else {
      shown += c;
    }
  }
  return shown;
}

// Empty when equal; otherwise the first differing line of both texts, so that
// a failure in a long file stays readable.
inline std::string FirstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return "";
  const auto want = SplitLines(expected, true);
  const auto got = SplitLines(actual, true);
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  const auto shown = [](const std::vector<std::string>& lines, std::size_t at) {
    return at < lines.size() ? '"' + Visible(lines[at]) + '"' : std::string("<end>");
  };
  return "first difference at line " + std::to_string(i + 1) + " (expected " +
         std::to_string(want.size()) + " lines / " + std::to_string(expected.size()) +
         " bytes, got " + std::to_string(got.size()) + " lines / " + std::to_string(actual.size()) +
         " bytes)\n  expected: " + shown(want, i) + "\n  actual:   " + shown(got, i);
}

// ---- The program's console texts.

inline const std::string kQuit = "Quit (y)?->\n";
inline const std::string kWrongFormat = "Loading failed, possibly due to wrong file format!";
inline const std::string kEndOfFile = "End of file was reached during loading!";
inline const std::string kWriteFailed = "Writing failed, the file may be incomplete!";

// The warning block of a failed read or write; an empty reason gives none.
inline std::string WarningBlockText(const std::string& name, const std::string& reason) {
  return "****WARNING****\n" + name + "\n" + (reason.empty() ? "" : reason + "\n") +
         "Cannot run this way, exiting...!\n";
}

// The printout of one pattern: its header, then per central atom its index,
// neighbour count and index step, its neighbours and their kinds.
inline std::string PatternHeader() {
  return "The FNC constraints for the smallest indexed molecule:\n"
         "central index,   neighbour count, central offset\n"
         "\tneighbour indices\n"
         "\tconstraint type\n\n";
}

inline std::string PatternSlot(long central, long step, const std::vector<long>& neighbours,
                               const std::vector<long>& kinds) {
  std::string text = std::to_string(central) + "   " + std::to_string(neighbours.size()) + "   " +
                     std::to_string(step) + "\n";
  for (const long neighbour : neighbours) text.append("\t").append(std::to_string(neighbour));
  text += "\n";
  for (const long kind : kinds) text.append("\t").append(std::to_string(kind));
  return text + "\n";
}

inline std::string UnconstrainedText(long count) {
  return "There  will be " + std::to_string(count) +
         " atom(s) with no fnc constraint! FNC with 0 neighbour is created for them.\n";
}

inline const std::string kEmptyCfgText =
    "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n";
inline const std::string kRunEnd =
    " QUIT (y)? ->\nFNC destructor\nSimpleCfg destructor\nSimpleCfg destructor\n";

}  // namespace testing_support
