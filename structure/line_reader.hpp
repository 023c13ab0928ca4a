// A structure file read whole and taken line by line, with the located error
// at the current line and the columns of a fixed-column line; and the checks
// its writers share, that a value fits its columns.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

class LineReader {
 public:
  // Reads the whole of `in`, the file `file`; a read error is a located error.
  LineReader(std::istream& in, std::string file);

  // The next line without its line end ("\n" or "\r\n"); false after the last.
  bool Next(std::string_view& line);
  // The next line, which must be there: `what` names it for the message.
  std::string_view Expect(std::string_view what);

  const std::string& file() const { return file_; }
  // The line last taken, counted from 1.
  int number() const { return number_; }
  // "FILE:LINE: expected EXPECTED, found FOUND" at the line last taken.
  [[noreturn]] void Fail(std::string_view expected, std::string_view found) const;

 private:
  std::string file_;
  std::string text_;
  std::size_t next_ = 0;
  int number_ = 0;
};

// Columns `start` to `start + width` of `line`, counted from 0; fewer where the line ends
// before them.
std::string_view Columns(std::string_view line, std::size_t start, std::size_t width);

// Refuses, for atom `index` (from 0) of the file `file`, a name wider than the
// `width` columns of its field: `what` names the field with its article ("an
// atom name").
void CheckNameFits(const std::string& file, std::size_t index, std::string_view text,
                   std::size_t width, std::string_view what);
// Refuses, for atom `index`, a coordinate (in `unit`) that eight columns with
// three decimals cannot hold: -999.999 to 9999.999.
void CheckCoordinateFits(const std::string& file, std::size_t index, double x,
                         std::string_view unit);
