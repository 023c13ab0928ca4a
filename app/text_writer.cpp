// Block-buffered text output and exact, fast number formatting.
#include "app/text_writer.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Wide enough for a 53-bit mantissa times 10^17.
__extension__ typedef unsigned __int128 Wide;

constexpr std::size_t kBlockSize = 1 << 18;
constexpr std::size_t kLongestNumber = 400;

constexpr std::uint64_t kPowersOfTen[] = {1ULL,
                                          10ULL,
                                          100ULL,
                                          1000ULL,
                                          10000ULL,
                                          100000ULL,
                                          1000000ULL,
                                          10000000ULL,
                                          100000000ULL,
                                          1000000000ULL,
                                          10000000000ULL,
                                          100000000000ULL,
                                          1000000000000ULL,
                                          10000000000000ULL,
                                          100000000000000ULL,
                                          1000000000000000ULL,
                                          10000000000000000ULL,
                                          100000000000000000ULL};

// Writes the decimal digits of `value` ending just before `end`; returns the
// first digit's position.
char* DigitsBackward(char* end, std::uint64_t value) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

char* AppendUnsigned(char* out, std::uint64_t value) {
  char digits[20];
  char* first = DigitsBackward(digits + sizeof digits, value);
  const std::size_t length = static_cast<std::size_t>(digits + sizeof digits - first);
  std::memcpy(out, first, length);
  return out + length;
}

}  // namespace

char* FormatInteger(char* out, std::int64_t value) {
  if (value < 0) {
    *out++ = '-';
    return AppendUnsigned(out, 0 - static_cast<std::uint64_t>(value));
  }
  return AppendUnsigned(out, static_cast<std::uint64_t>(value));
}

char* FormatFixed(char* out, double value, int decimals) {
  // The exact binary value times 10^decimals, rounded half to even, as printf
  // does. Values from 2^53 on, and the rare cases beyond the table, go to
  // printf itself.
  const double magnitude = std::fabs(value);
  if (!(magnitude < 0x1p53) || decimals < 0 || decimals > 17) {
    return out + std::snprintf(out, kLongestNumber, "%.*f", decimals, value);
  }
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  const int shift = 53 - exponent;  // magnitude = mantissa / 2^shift, shift >= 0
  Wide rounded = 0;
  if (shift < 120) {
    const Wide scaled =
        static_cast<Wide>(mantissa) * kPowersOfTen[decimals];
    if (shift == 0) {
      rounded = scaled;
    } else {
      rounded = scaled >> shift;
      const Wide rest = scaled - (rounded << shift);
      const Wide half = static_cast<Wide>(1) << (shift - 1);
      if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
    }
  }
  if (std::signbit(value)) *out++ = '-';
  const std::uint64_t unit = kPowersOfTen[decimals];
  out = AppendUnsigned(out, static_cast<std::uint64_t>(rounded / unit));
  if (decimals > 0) {
    *out++ = '.';
    std::uint64_t part = static_cast<std::uint64_t>(rounded % unit);
    for (int i = decimals - 1; i >= 0; --i) {
      out[i] = static_cast<char>('0' + part % 10);
      part /= 10;
    }
    out += decimals;
  }
  return out;
}

char* FormatGeneral(char* out, double value, int precision) {
  return out + std::snprintf(out, kLongestNumber, "%.*g", precision, value);
}

TextWriter::TextWriter(std::ostream& os) : os_(os), buffer_(kBlockSize) {}

TextWriter::~TextWriter() { Flush(); }

void TextWriter::Flush() {
  if (used_ > 0) os_.write(buffer_.data(), static_cast<std::streamsize>(used_));
  used_ = 0;
}

void TextWriter::Reserve(std::size_t length) {
  if (buffer_.size() - used_ < length) Flush();
  if (buffer_.size() < length) buffer_.resize(length);
}

void TextWriter::Field(const char* text, std::size_t length) {
  const std::size_t width = width_ > 0 ? static_cast<std::size_t>(width_) : 0;
  width_ = 0;
  const std::size_t pad = width > length ? width - length : 0;
  Reserve(pad + length);
  char* out = buffer_.data() + used_;
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, text, length);
  used_ += pad + length;
}

TextWriter& TextWriter::operator<<(std::string_view text) {
  Field(text.data(), text.size());
  return *this;
}

TextWriter& TextWriter::operator<<(char c) {
  Field(&c, 1);
  return *this;
}

TextWriter& TextWriter::Integer(std::int64_t value) {
  char text[24];
  Field(text, static_cast<std::size_t>(FormatInteger(text, value) - text));
  return *this;
}

TextWriter& TextWriter::operator<<(double value) {
  char text[kLongestNumber];
  char* end = fixed_ ? FormatFixed(text, value, precision_) : FormatGeneral(text, value, precision_);
  Field(text, static_cast<std::size_t>(end - text));
  return *this;
}

TextWriter& Width10(TextWriter& writer) { return writer.Width(10); }
TextWriter& Width4(TextWriter& writer) { return writer.Width(4); }
TextWriter& Width7(TextWriter& writer) { return writer.Width(7); }
