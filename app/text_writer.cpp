// Block-buffered text output and exact, fast number formatting.
#include "app/text_writer.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little,
              "digit words are laid out for a little-endian target");

// Wide enough for a 53-bit mantissa times 10^17.
__extension__ typedef unsigned __int128 Wide;

constexpr std::size_t kBlockSize = 1 << 18;
constexpr std::size_t kLongestNumber = 400;
// Appended texts from this length on skip the block.
constexpr std::size_t kDirectWrite = 1 << 15;

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

// The four digits of every number below 10^4, leading zeros included: a
// 40 KB table that turns digit generation into two divisions and two loads
// per eight digits.
struct DigitQuads {
  char digits[10000][4];
};

constexpr DigitQuads MakeDigitQuads() {
  DigitQuads quads{};
  for (int i = 0; i < 10000; ++i) {
    quads.digits[i][0] = static_cast<char>('0' + i / 1000);
    quads.digits[i][1] = static_cast<char>('0' + i / 100 % 10);
    quads.digits[i][2] = static_cast<char>('0' + i / 10 % 10);
    quads.digits[i][3] = static_cast<char>('0' + i % 10);
  }
  return quads;
}

constexpr DigitQuads kDigitQuads = MakeDigitQuads();

// Writes exactly `count` decimal digits of `value` (leading zeros kept) ending
// at `end`, four at a time from the table.
void DigitsBackward(char* end, std::uint64_t value, int count) {
  while (count >= 4) {
    end -= 4;
    std::memcpy(end, kDigitQuads.digits[value % 10000], 4);
    value /= 10000;
    count -= 4;
  }
  if (count > 0) std::memcpy(end - count, kDigitQuads.digits[value % 10000] + 4 - count, count);
}

constexpr std::uint64_t kAsciiZeros = 0x3030303030303030ULL;

// The eight decimal digits of `value` (below 10^8) as characters, the most
// significant in the lowest byte, that is first in memory order on this
// little-endian target.
[[gnu::always_inline]] inline std::uint64_t EightDigitChars(std::uint32_t value) {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  std::memcpy(&high, kDigitQuads.digits[value / 10000], 4);
  std::memcpy(&low, kDigitQuads.digits[value % 10000], 4);
  return high | static_cast<std::uint64_t>(low) << 32;
}

// The same eight digits with the leading zeros, all but the last, turned
// into blanks ('0' - 0x10 = ' '); `digits` gets how many are left.
[[gnu::always_inline]] inline std::uint64_t BlankedDigitChars(std::uint32_t value, int& digits) {
  const std::uint64_t chars = EightDigitChars(value);
  const std::uint64_t values = chars - kAsciiZeros;
  const int leading = values == 0 ? 7 : std::countr_zero(values) / 8;
  const std::uint64_t blanks = (std::uint64_t{1} << (8 * leading)) - 1;
  digits = 8 - leading;
  return chars - (blanks & 0x1010101010101010ULL);
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
  // Converted through the signed type, which is one instruction.
  whole = static_cast<std::uint64_t>(static_cast<std::int64_t>(magnitude));
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
    // Rounding is done with bit operations rather than branches, which
    // mispredict on every other value.
    const Wide scaled = static_cast<Wide>(mantissa) * kUnit;
    const auto twice = static_cast<std::uint64_t>(scaled >> (shift - 1));  // below 2^52
    const std::uint64_t sticky = (scaled << (129 - shift)) != 0 ? 1 : 0;
    const std::uint64_t truncated = twice >> 1;
    rounded = truncated + (twice & (sticky | truncated) & 1);
  }
  // The parity of the whole value is that of its fraction digits, since the
  // unit is even; a fraction that rounds up to the unit carries.
  const std::uint64_t carry = rounded == kUnit ? 1 : 0;
  whole += carry;
  rounded -= carry * kUnit;
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
  *out = '-';
  out += negative ? 1 : 0;
  if (whole < 10) {
    *out++ = static_cast<char>('0' + whole);
  } else {
    out = AppendUnsigned(out, whole);
  }
  // Each text below is stored as one 8-byte word; bytes past the returned
  // end are scratch, within the room the caller provides.
  static_assert(Decimals >= 0 && Decimals <= 15 && Decimals != 8);
  if constexpr (Decimals > 8) {
    // part / 10^8 by multiplication, exact for every part below 2^51.
    const auto high = static_cast<std::uint32_t>(
        (static_cast<Wide>(part) * std::uint64_t{3022314549036573}) >> 78);
    const auto low = static_cast<std::uint32_t>(part - std::uint64_t{high} * 100000000);
    // The point and the last Decimals - 8 digits of the high half, then the
    // eight digits of the low half.
    const std::uint64_t head = '.' | (EightDigitChars(high) >> (8 * (16 - Decimals)) << 8);
    const std::uint64_t tail = EightDigitChars(low);
    std::memcpy(out, &head, 8);
    std::memcpy(out + 1 + (Decimals - 8), &tail, 8);
    out += 1 + Decimals;
  } else if constexpr (Decimals > 0) {
    // The point, then the last `Decimals` of eight digits.
    const std::uint64_t chars = EightDigitChars(static_cast<std::uint32_t>(part));
    const std::uint64_t text = '.' | (chars >> (8 * (8 - Decimals)) << 8);
    std::memcpy(out, &text, 8);
    out += 1 + Decimals;
  }
  return out;
}

// Room PutField may use for a field of this width: the longest integer, and
// a whole word stored at the end.
std::size_t FieldRoom(std::size_t width) { return std::max<std::size_t>(width, 20) + 8; }

// An integer right-aligned in `width` columns; returns the end.
[[gnu::always_inline]] inline char* PutField(char* out, std::int64_t value, std::size_t width) {
  if (value >= 0 && value < 100000000) {
    int digits = 0;
    const std::uint64_t chars = BlankedDigitChars(static_cast<std::uint32_t>(value), digits);
    const std::size_t length = std::max(width, static_cast<std::size_t>(digits));
    if (length >= 8) {
      if (length <= 16) {
        constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
        std::memcpy(out, &kBlanks, 8);
      } else {
        std::memset(out, ' ', length - 8);
      }
      std::memcpy(out + length - 8, &chars, 8);
    } else {
      const std::uint64_t tail = chars >> (8 * (8 - length));
      std::memcpy(out, &tail, 8);
    }
    return out + length;
  }
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const int digits = CountDigits(magnitude);
  const std::size_t length = static_cast<std::size_t>(digits) + (value < 0 ? 1 : 0);
  const std::size_t total = width > length ? width : length;
  char* const end = out + total;
  std::memset(out, ' ', total - length);
  DigitsBackward(end, magnitude, digits);
  if (value < 0) *(end - digits - 1) = '-';
  return end;
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

TextWriter::TextWriter(std::ostream& os) : os_(&os), buffer_(kBlockSize) {}

TextWriter::TextWriter() : os_(nullptr), buffer_(kBlockSize) {}

TextWriter::~TextWriter() { Flush(); }

void TextWriter::Flush() {
  if (os_ == nullptr) return;
  if (used_ > 0) os_->write(buffer_.data(), static_cast<std::streamsize>(used_));
  used_ = 0;
}

void TextWriter::Append(std::string_view text) {
  if (text.empty()) return;
  // Long texts go to the stream as they are rather than through the block.
  if (os_ != nullptr && text.size() >= kDirectWrite) {
    Flush();
    os_->write(text.data(), static_cast<std::streamsize>(text.size()));
    return;
  }
  Reserve(text.size());
  std::memcpy(buffer_.data() + used_, text.data(), text.size());
  used_ += text.size();
}

void TextWriter::MakeRoom(std::size_t length) {
  if (os_ != nullptr) {
    Flush();
    if (buffer_.size() < length) buffer_.Enlarge(length, 0);
  } else {
    buffer_.Enlarge(std::max(used_ + length, 2 * buffer_.size()), used_);
  }
}

std::size_t TextWriter::TakeWidth() {
  const std::size_t width = width_ > 0 ? static_cast<std::size_t>(width_) : 0;
  width_ = 0;
  return width;
}

TextWriter& TextWriter::Field(const char* text, std::size_t length) {
  const std::size_t width = TakeWidth();
  const std::size_t pad = width > length ? width - length : 0;
  Reserve(pad + length);
  char* out = buffer_.data() + used_;
  std::memset(out, ' ', pad);
  std::memcpy(out + pad, text, length);
  used_ += pad + length;
  return *this;
}

TextWriter& TextWriter::Integer(std::int64_t value) {
  const std::size_t width = TakeWidth();
  Reserve(FieldRoom(width));
  used_ = static_cast<std::size_t>(PutField(buffer_.data() + used_, value, width) - buffer_.data());
  return *this;
}

namespace {

// Fields of one width for a run of values: the width known at compile time
// lets the common case (a value below 10^8 no wider than the field) take
// fixed-size stores only.
template <std::size_t Width>
char* PutFields(char* out, const int* values, std::size_t count, int add) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::int64_t value = std::int64_t{values[i]} + add;
    constexpr auto kLimit =
        static_cast<std::int64_t>(kPowersOfTen[std::min<std::size_t>(Width, 8)]);
    if (value >= 0 && value < kLimit) {
      int digits = 0;
      const std::uint64_t chars = BlankedDigitChars(static_cast<std::uint32_t>(value), digits);
      if constexpr (Width >= 8) {
        static_assert(Width <= 16);
        constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
        std::memcpy(out, &kBlanks, 8);
        std::memcpy(out + Width - 8, &chars, 8);
      } else {
        const std::uint64_t tail = chars >> (8 * (8 - Width));
        std::memcpy(out, &tail, 8);
      }
      out += Width;
    } else {
      out = PutField(out, value, Width);
    }
  }
  return out;
}

}  // namespace

void TextWriter::Fields(const int* values, std::size_t count, int width, int add) {
  width_ = 0;
  const std::size_t field = width > 0 ? static_cast<std::size_t>(width) : 0;
  constexpr std::size_t kBatch = 512;
  for (std::size_t start = 0; start < count; start += kBatch) {
    const std::size_t end = std::min(count, start + kBatch);
    Reserve((end - start) * FieldRoom(field));
    char* out = buffer_.data() + used_;
    switch (field) {
      case 10:
        out = PutFields<10>(out, values + start, end - start, add);
        break;
      case 4:
        out = PutFields<4>(out, values + start, end - start, add);
        break;
      default:
        for (std::size_t i = start; i < end; ++i) {
          out = PutField(out, std::int64_t{values[i]} + add, field);
        }
    }
    used_ = static_cast<std::size_t>(out - buffer_.data());
  }
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
