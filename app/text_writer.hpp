// Writes a text file through one reusable block buffer, with number formatting
// that gives exactly the text of the standard stream's rules far faster than
// the stream itself.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>
#include <utility>

// Number texts, each appended at `out` (room for 400 characters), returning
// the end. The results are those of printf's "%.*f", "%.*g" and "%lld".
char* FormatFixed(char* out, double value, int decimals);
char* FormatGeneral(char* out, double value, int precision);
char* FormatInteger(char* out, std::int64_t value);

// A block of characters that is left uncleared when made or enlarged: its
// text is always written before it is read.
class CharBlock {
 public:
  explicit CharBlock(std::size_t size)
      : data_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {}
  char* data() { return data_.get(); }
  const char* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  char& operator[](std::size_t i) { return data_[i]; }
  // Enlarges the block to `size`, keeping its first `keep` characters.
  void Enlarge(std::size_t size, std::size_t keep) {
    auto larger = std::make_unique_for_overwrite<char[]>(size);
    std::memcpy(larger.get(), data_.get(), keep);
    data_ = std::move(larger);
    size_ = size;
  }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_;
};

class TextWriter {
 public:
  // Writes to `os` in blocks.
  explicit TextWriter(std::ostream& os);
  // Keeps everything in memory, for text made in pieces and written later.
  TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  ~TextWriter();

  // Next item right-aligned in `width` columns, blank-filled; longer items are
  // written in full. Applies to one item only.
  TextWriter& Width(int width) {
    width_ = width;
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
    if (width_ != 0) return Field(text.data(), text.size());
    if (text.empty()) return *this;
    Reserve(text.size());
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
    return *this;
  }
  TextWriter& operator<<(const char* text) { return *this << std::string_view(text); }
  TextWriter& operator<<(char c) {
    if (width_ > 1) return Field(&c, 1);
    width_ = 0;
    Reserve(1);
    buffer_[used_++] = c;
    return *this;
  }
  TextWriter& operator<<(int value) { return Integer(value); }
  TextWriter& operator<<(std::int64_t value) { return Integer(value); }
  TextWriter& operator<<(double value);
  TextWriter& operator<<(TextWriter& (*manipulator)(TextWriter&)) { return manipulator(*this); }

  // Each of `count` values plus `add`, right-aligned in `width` columns: the
  // same text as Width(width) << value + add for each in turn.
  void Fields(const int* values, std::size_t count, int width, int add);

  // Appends text as it is (no field width); long texts go straight to the
  // stream after what is buffered.
  void Append(std::string_view text);

  // Hands everything buffered to the stream (nothing without one).
  void Flush();

  // The text kept by a writer without a stream, and its removal.
  std::string_view Text() const { return {buffer_.data(), used_}; }
  void Clear() { used_ = 0; }

 private:
  TextWriter& Integer(std::int64_t value);
  std::size_t TakeWidth();
  TextWriter& Field(const char* text, std::size_t length);
  // Room for `length` more characters in the block.
  void Reserve(std::size_t length) {
    if (buffer_.size() - used_ < length) MakeRoom(length);
  }
  void MakeRoom(std::size_t length);

  std::ostream* os_;
  CharBlock buffer_;
  std::size_t used_ = 0;
  int width_ = 0;
  bool fixed_ = false;
  int precision_ = 6;
};

inline TextWriter& Width10(TextWriter& writer) { return writer.Width(10); }
inline TextWriter& Width4(TextWriter& writer) { return writer.Width(4); }
inline TextWriter& Width7(TextWriter& writer) { return writer.Width(7); }
