// Reading values from parameter and configuration files with the outcomes of
// the standard stream's formatted extraction (operator>>): leading white space
// skipped, an optional sign ('+' too), "5." and ".5" are numbers, "1e" and a
// lone sign are not, no "inf" or "nan", out-of-range values fail, running into
// the end of the input sets end-of-file. On failure the target is unchanged.
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <vector>

// One value or line straight from the stream, taking exactly the characters
// the stream's own extraction would take.
bool ReadInt(std::istream& in, int& value);
bool ReadReal(std::istream& in, double& value);
void SkipLine(std::istream& in);

// Reads a count: a value below 0 is refused as a wrong file format, so that
// no array is sized or indexed from it.
bool ReadCount(std::istream& in, int& value);

// Marks a stream failed because a value it delivered was refused: fail set,
// end-of-file cleared, so the warning block reports a wrong file format.
void RejectValue(std::istream& in);

// Reads a whole file through a block of its own: the same values, flags and
// line skips as the functions above, at the speed of a pointer scan. Whatever
// it has taken into its block is gone from the stream, so a reader uses one
// scanner from the start of its file to where it stops reading.
class TextScanner {
 public:
  explicit TextScanner(std::istream& in);
  TextScanner(const TextScanner&) = delete;
  TextScanner& operator=(const TextScanner&) = delete;

  bool ReadInt(int& value);
  bool ReadReal(double& value);
  // Reads `count` reals into `values` as that many calls of ReadReal would,
  // stopping at the first that fails; returns how many were read. Long runs
  // of plain decimals are taken on two threads.
  std::size_t ReadReals(double* values, std::size_t count);
  bool ReadCount(int& value);
  void SkipLine();
  void SkipLines(int count);
  std::istream& stream() { return in_; }

  // Character source of the parser: the current character or EOF, and the
  // next one.
  int Peek() { return next_ < end_ ? static_cast<unsigned char>(*next_) : Refill(); }
  int Advance() {
    ++next_;
    return Peek();
  }

 private:
  int Refill();
  void EnlargeBlock();
  bool QuickReal(double& value);
  std::size_t TakeInTwoParts(double* values, std::size_t count);

  // Text in the block from which ReadReals splits the work.
  static constexpr std::size_t kSplitText = 1 << 18;

  std::istream& in_;
  std::unique_ptr<char[]> block_;
  std::size_t block_size_;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  bool drained_ = false;
  // The second part's values and where each ends, kept between calls.
  std::vector<double> later_values_;
  std::vector<const char*> later_ends_;
};
