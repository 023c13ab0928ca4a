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

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

int CountDigits(std::uint64_t value) {
  int count = 1;
  while (value >= 10000) {
    value /= 10000;
    count += 4;
  }
  if (value >= 1000) return count + 3;
  if (value >= 100) return count + 2;
  if (value >= 10) return count + 1;
  return count;
}

// Writes exactly `count` decimal digits of `value` (leading zeros kept) ending
// at `end`.
void DigitsBackward(char* end, std::uint64_t value, int count) {
  while (count >= 2) {
    const auto pair = static_cast<std::size_t>(value % 100) * 2;
    value /= 100;
    *--end = kDigitPairs[pair + 1];
    *--end = kDigitPairs[pair];
    count -= 2;
  }
  if (count > 0) *--end = static_cast<char>('0' + value % 10);
}

void Digits32Backward(char* end, std::uint32_t value, int count) {
  while (count >= 2) {
    // value / 100 by multiplication, exact for every 32-bit value.
    const auto quotient =
        static_cast<std::uint32_t>((static_cast<std::uint64_t>(value) * 1374389535u) >> 37);
    const std::uint32_t pair = (value - quotient * 100) * 2;
    value = quotient;
    *--end = kDigitPairs[pair + 1];
    *--end = kDigitPairs[pair];
    count -= 2;
  }
  if (count > 0) *--end = static_cast<char>('0' + value % 10);
}

char* AppendUnsigned(char* out, std::uint64_t value) {
  const int count = CountDigits(value);
  DigitsBackward(out + count, value, count);
  return out + count;
}

// The exact binary value times 10^Decimals, rounded half to even as printf
// does, as a whole part and `Decimals` digits of fraction. The whole part is
// split off first (exactly), so every step stays in 64 bits but one product.
// Returns false for values from 2^53 on and for infinities and NaNs.
template <int Decimals>
bool FixedDigits(double value, bool& negative, std::uint64_t& whole, std::uint64_t& part) {
  negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (!(magnitude < 0x1p53)) return false;
  whole = static_cast<std::uint64_t>(magnitude);
  const double fraction = magnitude - static_cast<double>(whole);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &fraction, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int shift = 1074;  // fraction = mantissa / 2^shift, shift >= 53
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    shift = 1075 - biased;
  }
  constexpr std::uint64_t kUnit = kPowersOfTen[Decimals];
  std::uint64_t rounded = 0;
  if (shift < 120) {
    // No tie is possible beyond that shift: the product is below 2^110.
    const Wide scaled = static_cast<Wide>(mantissa) * kUnit;
    const Wide truncated = scaled >> shift;
    const Wide rest = scaled - (truncated << shift);
    const Wide half = static_cast<Wide>(1) << (shift - 1);
    rounded = static_cast<std::uint64_t>(truncated);
    if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
  }
  // The parity of the whole value is that of its fraction digits, since the
  // unit is even; a fraction that rounds up to the unit carries.
  if (rounded == kUnit) {
    ++whole;
    rounded = 0;
  }
  part = rounded;
  return true;
}

template <int Decimals>
char* FormatFixedAt(char* out, double value) {
  bool negative = false;
  std::uint64_t whole = 0;
  std::uint64_t part = 0;
  if (!FixedDigits<Decimals>(value, negative, whole, part)) {
    return out + std::snprintf(out, kLongestNumber, "%.*f", Decimals, value);
  }
  if (negative) *out++ = '-';
  if (whole < 10) {
    *out++ = static_cast<char>('0' + whole);
  } else {
    out = AppendUnsigned(out, whole);
  }
  if constexpr (Decimals > 8) {
    // Two halves in 32-bit arithmetic, which is cheaper than 64-bit.
    *out++ = '.';
    // part / 10^8 by multiplication, exact for every part below 2^51.
    const auto high = static_cast<std::uint64_t>(
        (static_cast<Wide>(part) * std::uint64_t{3022314549036573}) >> 78);
    const std::uint64_t low = part - high * 100000000;
    Digits32Backward(out + Decimals, static_cast<std::uint32_t>(low), 8);
    Digits32Backward(out + Decimals - 8, static_cast<std::uint32_t>(high), Decimals - 8);
    out += Decimals;
  } else if constexpr (Decimals > 0) {
    *out++ = '.';
    Digits32Backward(out + Decimals, static_cast<std::uint32_t>(part), Decimals);
    out += Decimals;
  }
  return out;
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
  switch (decimals) {
    case 15:
      return FormatFixedAt<15>(out, value);
    case 6:
      return FormatFixedAt<6>(out, value);
    default:
      break;
  }
  return out + std::snprintf(out, kLongestNumber, "%.*f", decimals, value);
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

std::size_t TextWriter::TakeWidth() {
  const std::size_t width = width_ > 0 ? static_cast<std::size_t>(width_) : 0;
  width_ = 0;
  return width;
}

void TextWriter::Field(const char* text, std::size_t length) {
  const std::size_t width = TakeWidth();
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
  if (width_ > 1 || used_ == buffer_.size()) {
    Field(&c, 1);
  } else {
    width_ = 0;
    buffer_[used_++] = c;
  }
  return *this;
}

TextWriter& TextWriter::Integer(std::int64_t value) {
  // Digits go straight into the block, right-aligned in their field.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const int digits = CountDigits(magnitude);
  const std::size_t length = static_cast<std::size_t>(digits) + (value < 0 ? 1 : 0);
  const std::size_t width = TakeWidth();
  const std::size_t total = width > length ? width : length;
  Reserve(total);
  char* out = buffer_.data() + used_;
  char* end = out + total;
  for (char* pad = out; pad < end - length; ++pad) *pad = ' ';
  DigitsBackward(end, magnitude, digits);
  if (value < 0) *(end - digits - 1) = '-';
  used_ += total;
  return *this;
}

TextWriter& TextWriter::operator<<(double value) {
  // Formatted in place, then shifted right only when it is narrower than its
  // field.
  const std::size_t width = TakeWidth();
  Reserve(kLongestNumber + width);
  char* out = buffer_.data() + used_;
  char* end = fixed_ ? FormatFixed(out, value, precision_) : FormatGeneral(out, value, precision_);
  std::size_t length = static_cast<std::size_t>(end - out);
  if (length < width) {
    const std::size_t pad = width - length;
    std::memmove(out + pad, out, length);
    std::memset(out, ' ', pad);
    length = width;
  }
  used_ += length;
  return *this;
}

TextWriter& Width10(TextWriter& writer) { return writer.Width(10); }
TextWriter& Width4(TextWriter& writer) { return writer.Width(4); }
TextWriter& Width7(TextWriter& writer) { return writer.Width(7); }
