// Number formatting. The coordinates of a configuration and the indices of a
// constraint file are most of every large output: they are formatted here by
// integer arithmetic and a table of digit groups, four to five times faster
// than std::to_chars (bench/); general notation, rare, uses std::to_chars.
#include "io/number_format.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little, "digit words are stored little-endian");

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kPowersOfTen[] = {1,
                                          10,
                                          100,
                                          1000,
                                          10000,
                                          100000,
                                          1000000,
                                          10000000,
                                          100000000,
                                          1000000000,
                                          10000000000,
                                          100000000000,
                                          1000000000000,
                                          10000000000000,
                                          100000000000000,
                                          1000000000000000,
                                          10000000000000000,
                                          100000000000000000,
                                          1000000000000000000,
                                          10000000000000000000U};
constexpr int kMostDecimals = 15;
constexpr std::uint64_t kLow52Bits = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kBlankWord = 0x2020202020202020U;

// The four digits of every number below 10^4, leading zeros included.
constexpr std::uint32_t kQuadLimit = 10000;
struct DigitQuads {
  char digits[kQuadLimit][4];
};

constexpr DigitQuads MakeDigitQuads() {
  DigitQuads quads{};
  for (std::uint32_t i = 0; i < kQuadLimit; ++i) {
    quads.digits[i][0] = static_cast<char>('0' + i / 1000);
    quads.digits[i][1] = static_cast<char>('0' + i / 100 % 10);
    quads.digits[i][2] = static_cast<char>('0' + i / 10 % 10);
    quads.digits[i][3] = static_cast<char>('0' + i % 10);
  }
  return quads;
}

constexpr DigitQuads kQuads = MakeDigitQuads();

// The eight digits of `value` (below 10^8) as characters in one word, the
// first in the lowest byte, which is first in memory.
std::uint64_t EightDigits(std::uint32_t value) {
  const auto high = std::bit_cast<std::uint32_t>(kQuads.digits[value / kQuadLimit]);
  const auto low = std::bit_cast<std::uint32_t>(kQuads.digits[value % kQuadLimit]);
  return high | std::uint64_t{low} << 32;
}

// Decimal digits of `value` (1 for 0); values stay below 10^19.
int CountDigits(std::uint64_t value) {
  int digits = 1;
  while (value >= kPowersOfTen[digits]) ++digits;
  return digits;
}

// Writes the last `count` digits of `value` ending at `end`.
void PutDigits(char* end, std::uint64_t value, int count) {
  for (; count >= 2; count -= 2) {
    *--end = static_cast<char>('0' + value % 10);
    *--end = static_cast<char>('0' + value / 10 % 10);
    value /= 100;
  }
  if (count > 0) *--end = static_cast<char>('0' + value);
}

// Blanks before a text of `length` in a field of `width`; returns where the
// text goes.
char* Pad(char* out, int length, int width) {
  const int pad = std::max(width - length, 0);
  if (pad > 16) {
    std::memset(out, ' ', static_cast<std::size_t>(pad));
  } else {
    // The layouts' fields are narrow: two words of blanks, stored whole.
    std::memcpy(out, &kBlankWord, sizeof kBlankWord);
    std::memcpy(out + 8, &kBlankWord, sizeof kBlankWord);
  }
  return out + pad;
}

}  // namespace

char* FormatFixed(char* out, double value, int decimals, int width) {
  const double magnitude = std::fabs(value);
  // Without decimals the whole part's parity decides a tie: left to the
  // library, as are values and decimals beyond the exact integer range.
  if (!(magnitude < 0x1p53) || decimals < 1 || decimals > kMostDecimals) {
    char text[kNumberRoom];
    const char* end =
        std::to_chars(text, text + kNumberRoom, value, std::chars_format::fixed, decimals).ptr;
    const auto length = static_cast<int>(end - text);
    out = Pad(out, length, width);
    std::memcpy(out, text, static_cast<std::size_t>(length));
    return out + length;
  }
  // magnitude = whole + mantissa / 2^(53 + rest) exactly; the fraction times
  // 10^decimals is rounded half to even, as printf rounds the exact value.
  auto whole = static_cast<std::uint64_t>(magnitude);
  const auto bits = std::bit_cast<std::uint64_t>(magnitude - static_cast<double>(whole));
  const std::uint64_t mantissa = (bits & kLow52Bits) | std::uint64_t{1} << 52;
  const int rest = 1022 - static_cast<int>(bits >> 52);
  const std::uint64_t unit = kPowersOfTen[decimals];
  std::uint64_t part = 0;
  // From a rest of 64 on (a fraction below 2^-64, or 0) nothing is left of
  // the scaled fraction, which is below 2^103.
  if (rest < 64) {
    // Twice the scaled fraction, truncated: its last bit is the half, and
    // `sticky` tells whether anything lies below it. The low 52 bits, always
    // below the half, are looked at once, so the rest takes 64-bit shifts.
    // The rounding is written without branches, which would mispredict on
    // every other value.
    const Wide scaled = static_cast<Wide>(mantissa) * unit;
    const auto top = static_cast<std::uint64_t>(scaled >> 52);
    const std::uint64_t twice = top >> rest;
    const std::uint64_t below = (static_cast<std::uint64_t>(scaled) & kLow52Bits) |
                                (top & ((std::uint64_t{1} << rest) - 1));
    const std::uint64_t sticky = below != 0 ? 1 : 0;
    part = (twice >> 1) + (twice & (sticky | (twice >> 1)) & 1);
  }
  // The parity of the whole value is that of its last decimal, the unit
  // being even; a part that rounds up to the unit carries.
  if (part == unit) {
    ++whole;
    part = 0;
  }
  const bool negative = std::signbit(value);
  const int digits = CountDigits(whole);
  out = Pad(out, negative + digits + 1 + decimals, width);
  if (negative) *out++ = '-';
  PutDigits(out + digits, whole, digits);
  out += digits;
  // The point, then the digits of the part, composed in words and stored
  // whole: the room beyond the end is scratch.
  *out = '.';
  if (decimals <= 8) {
    const std::uint64_t digits =
        EightDigits(static_cast<std::uint32_t>(part)) >> (8 * (8 - decimals));
    std::memcpy(out + 1, &digits, sizeof digits);
  } else {
    const std::uint64_t high =
        EightDigits(static_cast<std::uint32_t>(part / 100000000)) >> (8 * (16 - decimals));
    const std::uint64_t low = EightDigits(static_cast<std::uint32_t>(part % 100000000));
    std::memcpy(out + 1, &high, sizeof high);
    std::memcpy(out + 1 + decimals - 8, &low, sizeof low);
  }
  return out + 1 + decimals;
}

std::string GeneralText(double value, int precision) {
  char text[kNumberRoom];
  return std::string(text, FormatGeneral(text, value, precision));
}

char* FormatGeneral(char* out, double value, int precision, int width) {
  char text[kNumberRoom];
  const char* end =
      std::to_chars(text, text + kNumberRoom, value, std::chars_format::general, precision).ptr;
  const auto length = static_cast<int>(end - text);
  out = Pad(out, length, width);
  std::memcpy(out, text, static_cast<std::size_t>(length));
  return out + length;
}

char* FormatInteger(char* out, std::int64_t value, int width) {
  if (static_cast<std::uint64_t>(value) < 100000000) {  // negative values are not
    // Eight digit characters, their leading zeros but the last turned into
    // blanks ('0' - 0x10), stored as one word at the end of the field.
    const std::uint64_t chars = EightDigits(static_cast<std::uint32_t>(value));
    const std::uint64_t values = chars - 0x3030303030303030U;
    const int zeros = values == 0 ? 7 : std::countr_zero(values) / 8;
    const std::uint64_t blanked =
        chars - (((std::uint64_t{1} << (8 * zeros)) - 1) & 0x1010101010101010U);
    // A field narrower than the word drops its first characters (blanks); a
    // wider one is blank-filled before it.
    const int dropped = std::max(8 - std::max(width, 8 - zeros), 0);
    const std::uint64_t tail = blanked >> (8 * dropped);
    out = Pad(out, 8, width);
    std::memcpy(out, &tail, sizeof tail);
    return out + (8 - dropped);
  }
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const int digits = CountDigits(magnitude);
  out = Pad(out, negative + digits, width);
  if (negative) *out++ = '-';
  PutDigits(out + digits, magnitude, digits);
  return out + digits;
}
