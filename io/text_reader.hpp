// Reading values from parameter and configuration files with the outcomes of
// the standard stream's formatted extraction (operator>>): leading white space
// skipped, an optional sign ('+' too), "5." and ".5" are numbers, "1e" and a
// lone sign are not, no "inf" or "nan", out-of-range values fail, running into
// the end of the input sets end-of-file. On failure the target is unchanged.
#pragma once

#include <cstddef>
#include <istream>
#include <utility>
#include <vector>

// Reads a whole file through a block of its own. Whatever it has taken into
// its block is gone from the stream, so a reader uses one scanner from the
// start of its file to where it stops reading.
class TextScanner {
 public:
  explicit TextScanner(std::istream& in);

  bool ReadInt(int& value);
  bool ReadReal(double& value);
  // A count: a value below 0 is refused as a wrong file format, so that no
  // array is sized or indexed from it.
  bool ReadCount(int& value);
  // Reads `count` reals as that many calls of ReadReal would, stopping at the
  // first that fails; returns how many were read.
  std::size_t ReadReals(double* values, std::size_t count);
  // Discards the rest of the line, its line feed included.
  void SkipLine();
  void SkipLines(int count);
  // Marks the stream failed because a value it delivered was refused: fail
  // set, end-of-file cleared, so the warning block reports a wrong format.
  void Reject();

 private:
  // The extent of the value that starts at the next character: the
  // characters the stream's extraction would take, all in the block.
  template <class Scan>
  auto TakeToken(Scan scan);
  // Skips white space; false (end-of-file and fail set) at the end.
  bool StartValue();
  // Moves the unread text to the start of the block and reads more behind
  // it; false when nothing more could be read.
  bool Refill();
  bool Fail(std::ios::iostate state);

  std::istream& in_;
  std::vector<char> block_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  bool drained_ = false;
};
