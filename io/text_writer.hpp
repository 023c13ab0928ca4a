// Writes a text file through one block buffer, numbers in the standard
// stream's layouts: right-aligned fields, fixed or general notation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

#include "io/number_format.hpp"

class TextWriter {
 public:
  explicit TextWriter(std::ostream& os);
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  // Hands what is left in the block to the stream.
  ~TextWriter();

  // The next item right-aligned in `width` columns, blank-filled; a longer
  // item is written in full.
  TextWriter& Width(int width) {
    width_ = width > 0 ? width : 0;
    return *this;
  }
  // Reals in fixed notation with this many decimals, or in general notation
  // with this many significant digits.
  void SetFixed(int decimals) {
    fixed_ = true;
    precision_ = decimals;
  }
  void SetGeneral(int precision) {
    fixed_ = false;
    precision_ = precision;
  }

  TextWriter& operator<<(std::string_view text) {
    char* out = Room(text.size());
    if (width_ > text.size()) {
      std::memset(out, ' ', width_ - text.size());
      out += width_ - text.size();
    }
    std::memcpy(out, text.data(), text.size());
    return Took(out + text.size());
  }
  TextWriter& operator<<(const char* text) { return *this << std::string_view(text); }
  TextWriter& operator<<(char c) { return *this << std::string_view(&c, 1); }
  TextWriter& operator<<(int value) { return *this << std::int64_t{value}; }
  TextWriter& operator<<(std::int64_t value) {
    return Took(FormatInteger(Room(kNumberRoom), value, static_cast<int>(width_)));
  }
  TextWriter& operator<<(double value) {
    char* const out = Room(kNumberRoom);
    return Took(fixed_ ? FormatFixed(out, value, precision_, static_cast<int>(width_))
                       : FormatGeneral(out, value, precision_, static_cast<int>(width_)));
  }
  TextWriter& operator<<(TextWriter& (*manipulator)(TextWriter&)) { return manipulator(*this); }

 private:
  // Every item the program writes, field included, is far shorter than the
  // block.
  static constexpr std::size_t kBlockSize = 1 << 18;

  // Room for `length` more characters and the field width; returns where
  // they go.
  char* Room(std::size_t length) {
    if (kBlockSize - used_ < length + width_) Flush();
    return block_.get() + used_;
  }
  // Hands the block's content to the stream.
  void Flush();
  // The item has been written up to `end`; the width is used up.
  TextWriter& Took(char* end) {
    used_ = static_cast<std::size_t>(end - block_.get());
    width_ = 0;
    return *this;
  }

  std::ostream& os_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  std::size_t width_ = 0;
  bool fixed_ = false;
  int precision_ = 6;
};

// Field widths of the file layouts.
inline TextWriter& Width10(TextWriter& writer) { return writer.Width(10); }
inline TextWriter& Width4(TextWriter& writer) { return writer.Width(4); }
inline TextWriter& Width7(TextWriter& writer) { return writer.Width(7); }
