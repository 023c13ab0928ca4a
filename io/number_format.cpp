// Number formatting. The coordinates of a configuration and the indices of a
// constraint file are most of every large output: they are formatted here by
// exact integer arithmetic and a table of four-digit groups, about one and a
// half times faster over whole runs than std::to_chars (bench/ w1 to w5);
// everything else uses std::to_chars.
#include "io/number_format.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little, "digit words are stored little-endian");

__extension__ typedef unsigned __int128 Wide;

constexpr int kMostDecimals = 15;
constexpr std::uint64_t kLow52Bits = (std::uint64_t{1} << 52) - 1;

constexpr auto kPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{1};
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = 10 * powers[i - 1];
  return powers;
}();

// The four digits of every number below 10^4, leading zeros included.
constexpr auto kQuads = [] {
  std::array<std::array<char, 4>, 10000> quads{};
  for (std::size_t i = 0; i < quads.size(); ++i) {
    for (std::size_t k = 0, rest = i; k < 4; ++k, rest /= 10) quads[i][3 - k] = '0' + rest % 10;
  }
  return quads;
}();

// The eight digits of `value` (below 10^8) as characters in one word, the
// first in the lowest byte, which is first in memory.
std::uint64_t EightDigits(std::uint32_t value) {
  const auto high = std::bit_cast<std::uint32_t>(kQuads[value / 10000]);
  const auto low = std::bit_cast<std::uint32_t>(kQuads[value % 10000]);
  return high | std::uint64_t{low} << 32;
}

// Decimal digits of `value` (1 for 0); values stay below 10^19.
int CountDigits(std::uint64_t value) {
  int digits = 1;
  while (value >= kPowersOfTen[digits]) ++digits;
  return digits;
}

// Blanks before a text of `length` in a field of `width`; returns where the
// text goes.
char* Pad(char* out, int length, int width) {
  if (width <= length) return out;
  std::memset(out, ' ', static_cast<std::size_t>(width - length));
  return out + (width - length);
}

// The text std::to_chars writes, right-aligned in a field of `width`.
template <class... Format>
char* Field(char* out, int width, auto value, Format... format) {
  char text[kNumberRoom];
  const char* const end = std::to_chars(text, text + kNumberRoom, value, format...).ptr;
  const auto length = static_cast<int>(end - text);
  out = Pad(out, length, width);
  std::memcpy(out, text, static_cast<std::size_t>(length));
  return out + length;
}

}  // namespace

char* FormatFixed(char* out, double value, int decimals, int width) {
  const double magnitude = std::fabs(value);
  // Without decimals the whole part's parity decides a tie: left to the
  // library, as are values and decimals beyond the exact integer range.
  if (!(magnitude < 0x1p53) || decimals < 1 || decimals > kMostDecimals) {
    return Field(out, width, value, std::chars_format::fixed, decimals);
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
  // the scaled fraction, which is below 2^103. Twice the scaled fraction,
  // truncated: its last bit is the half, and `sticky` tells whether anything
  // lies below it; the rounding has no branches, which would mispredict.
  if (rest < 64) {
    const Wide scaled = static_cast<Wide>(mantissa) * unit;
    const auto twice = static_cast<std::uint64_t>(scaled >> (52 + rest));
    const std::uint64_t sticky = (scaled & ((Wide{1} << (52 + rest)) - 1)) != 0;
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
  std::to_chars(out, out + digits, whole);
  out += digits;
  // The point, then the digits of the part, composed in words and stored
  // whole: the room beyond the end is scratch.
  *out = '.';
  const std::uint64_t high = EightDigits(static_cast<std::uint32_t>(part / 100000000));
  const std::uint64_t low = EightDigits(static_cast<std::uint32_t>(part % 100000000));
  if (decimals <= 8) {
    const std::uint64_t last = low >> (8 * (8 - decimals));
    std::memcpy(out + 1, &last, sizeof last);
  } else {
    const std::uint64_t first = high >> (8 * (16 - decimals));
    std::memcpy(out + 1, &first, sizeof first);
    std::memcpy(out + 1 + decimals - 8, &low, sizeof low);
  }
  return out + 1 + decimals;
}

char* FormatGeneral(char* out, double value, int precision, int width) {
  return Field(out, width, value, std::chars_format::general, precision);
}

char* FormatInteger(char* out, std::int64_t value, int width) {
  // Above 10^8 or below 0, the library.
  if (static_cast<std::uint64_t>(value) >= 100000000) return Field(out, width, value);
  const int digits = CountDigits(static_cast<std::uint64_t>(value));
  out = Pad(out, digits, width);
  const std::uint64_t chars = EightDigits(static_cast<std::uint32_t>(value)) >> (8 * (8 - digits));
  std::memcpy(out, &chars, sizeof chars);
  return out + digits;
}

std::string GeneralText(double value, int precision) {
  char text[kNumberRoom];
  return std::string(text, FormatGeneral(text, value, precision));
}
