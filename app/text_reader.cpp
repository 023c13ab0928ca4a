// Value extraction with the standard stream's rules, over the stream's own
// buffer (exact consumption) or over a scanner's block (fast bulk reading).
#include "app/text_reader.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "app/two_threads.hpp"

namespace {

// The scanner's block: small for parameter files and headers, large once a
// bulk read of many values begins.
constexpr std::size_t kBlockSize = 1 << 16;
constexpr std::size_t kBulkBlockSize = 1 << 21;
// Most values the second thread of a bulk read buffers.
constexpr std::size_t kLaterValues = 1 << 16;

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Characters straight from the stream buffer. A buffer that throws on a read
// error ends the input; the caller then marks the stream bad.
class StreamSource {
 public:
  explicit StreamSource(std::streambuf* buf) : buf_(buf) {}
  int Peek() { return buf_->sgetc(); }
  int Advance() { return buf_->snextc(); }

 private:
  std::streambuf* buf_;
};

// Skips white space as the extraction's sentry does; returns the first
// character of the value, or EOF after setting end-of-file and fail.
template <class Source>
int StartValue(std::istream& in, Source& source) {
  int c = source.Peek();
  while (c != EOF && IsSpace(c)) c = source.Advance();
  if (c == EOF) in.setstate(std::ios::eofbit | std::ios::failbit);
  return c;
}

template <class Source>
bool ParseInt(std::istream& in, Source& source, int& value) {
  int c = StartValue(in, source);
  if (c == EOF) return false;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = source.Advance();
  }
  // Every digit is taken, even past the range, as the stream does.
  bool any_digit = false;
  std::int64_t magnitude = 0;
  while (c != EOF && IsDigit(c)) {
    any_digit = true;
    if (magnitude <= (std::int64_t{1} << 32)) magnitude = magnitude * 10 + (c - '0');
    c = source.Advance();
  }
  if (c == EOF) in.setstate(std::ios::eofbit);
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (!any_digit || result < std::numeric_limits<int>::min() ||
      result > std::numeric_limits<int>::max()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  value = static_cast<int>(result);
  return true;
}

// The collected characters of one real, with the digits also gathered for the
// exact short cut.
class RealToken {
 public:
  void Push(char c) {
    if (length_ < sizeof short_) {
      short_[length_] = c;
    } else {
      if (length_ == sizeof short_) long_.assign(short_, sizeof short_);
      long_.push_back(c);
    }
    ++length_;
  }
  const char* data() const { return length_ <= sizeof short_ ? short_ : long_.data(); }
  std::size_t size() const { return length_; }

 private:
  char short_[64];
  std::string long_;
  std::size_t length_ = 0;
};

constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

template <class Source>
bool ParseReal(std::istream& in, Source& source, double& value) {
  int c = StartValue(in, source);
  if (c == EOF) return false;
  // The characters the stream accepts: a sign, digits with at most one
  // decimal point, and an exponent after at least one digit.
  RealToken token;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    if (negative) token.Push('-');
    c = source.Advance();
  }
  bool mantissa_digit = false;
  bool point = false;
  bool exponent = false;
  bool exponent_digit = false;
  bool exponent_negative = false;
  std::uint64_t digits = 0;
  int significant = 0;
  int scale = 0;  // power of ten of the last gathered digit
  std::int64_t exponent_value = 0;
  while (c != EOF) {
    if (IsDigit(c)) {
      token.Push(static_cast<char>(c));
      if (exponent) {
        exponent_digit = true;
        if (exponent_value < 100000) exponent_value = exponent_value * 10 + (c - '0');
      } else {
        mantissa_digit = true;
        if (significant > 0 || c != '0') {
          if (significant < 19) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (point) --scale;
          } else if (!point) {
            ++scale;
          }
          ++significant;
        } else if (point) {
          --scale;
        }
      }
    } else if (c == '.' && !point && !exponent) {
      point = true;
      token.Push('.');
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa_digit) {
      exponent = true;
      token.Push('e');
      c = source.Advance();
      if (c == '+' || c == '-') {
        exponent_negative = c == '-';
        token.Push(static_cast<char>(c));
      } else {
        continue;
      }
    } else {
      break;
    }
    c = source.Advance();
  }
  if (c == EOF) in.setstate(std::ios::eofbit);
  if (!mantissa_digit || (exponent && !exponent_digit)) {
    in.setstate(std::ios::failbit);
    return false;
  }
  // Up to 15 significant digits with a power of ten of at most 22: both are
  // exact doubles, so one correctly rounded operation gives the nearest value.
  const std::int64_t power = scale + (exponent_negative ? -exponent_value : exponent_value);
  if (significant <= 15 && power >= -22 && power <= 22) {
    double result = static_cast<double>(digits);
    result = power < 0 ? result / kExactPowers[-power] : result * kExactPowers[power];
    value = negative ? -result : result;
    return true;
  }
  double parsed = 0;
  const char* first = token.data();
  const char* last = first + token.size();
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (error == std::errc::result_out_of_range && end == last) {
    // Underflow gives the nearest tiny value, as strtod does; overflow fails.
    parsed = std::strtod(std::string(first, last).c_str(), nullptr);
    if (std::isinf(parsed)) {
      in.setstate(std::ios::failbit);
      return false;
    }
  } else if (error != std::errc() || end != last) {
    in.setstate(std::ios::failbit);
    return false;
  }
  value = parsed;
  return true;
}

template <class Source>
void SkipRestOfLine(std::istream& in, Source& source) {
  for (int c = source.Peek(); c != EOF; c = source.Advance()) {
    if (c == '\n') {
      source.Advance();
      return;
    }
  }
  in.setstate(std::ios::eofbit | std::ios::failbit);
}

// Runs one extraction straight on the stream: nothing is read from a stream
// with any flag set, and a buffer that throws leaves the stream bad.
template <class Extract>
bool OnStream(std::istream& in, Extract extract) {
  if (!in.good() || in.rdbuf() == nullptr) {
    in.setstate(std::ios::failbit);
    return false;
  }
  StreamSource source(in.rdbuf());
  try {
    return extract(source);
  } catch (...) {
    // A read error (a directory opened as a file, say) leaves the stream bad
    // and failed, as the stream's own extraction does.
    in.setstate(std::ios::badbit | std::ios::failbit);
    return false;
  }
}

// After a read error in a scanner's block refill the stream is bad and
// failed, never at its end.
bool AfterScan(std::istream& in, bool result) {
  if (in.bad()) {
    in.clear(std::ios::badbit | std::ios::failbit);
    return false;
  }
  return result;
}

}  // namespace

bool ReadInt(std::istream& in, int& value) {
  return OnStream(in, [&](StreamSource& source) { return ParseInt(in, source, value); });
}

bool ReadReal(std::istream& in, double& value) {
  return OnStream(in, [&](StreamSource& source) { return ParseReal(in, source, value); });
}

void SkipLine(std::istream& in) {
  // A line skip on a stream that has only reached its end still tries to read
  // and so fails; with fail or bad set it does nothing.
  if (in.fail()) return;
  if (in.eof()) {
    in.setstate(std::ios::failbit);
    return;
  }
  OnStream(in, [&](StreamSource& source) {
    SkipRestOfLine(in, source);
    return true;
  });
}

bool ReadCount(std::istream& in, int& value) {
  int read = 0;
  if (!ReadInt(in, read)) return false;
  if (read < 0) {
    RejectValue(in);
    return false;
  }
  value = read;
  return true;
}

void RejectValue(std::istream& in) {
  in.clear((in.rdstate() & ~std::ios::eofbit) | std::ios::failbit);
}

TextScanner::TextScanner(std::istream& in)
    : in_(in), block_(std::make_unique_for_overwrite<char[]>(kBlockSize)), block_size_(kBlockSize) {
  next_ = end_ = block_.get();
}

void TextScanner::EnlargeBlock() {
  // What is left of the block moves to the start of the larger one.
  auto larger = std::make_unique_for_overwrite<char[]>(kBulkBlockSize);
  const auto left = static_cast<std::size_t>(end_ - next_);
  std::copy(next_, end_, larger.get());
  block_ = std::move(larger);
  block_size_ = kBulkBlockSize;
  next_ = block_.get();
  end_ = next_ + left;
}

int TextScanner::Refill() {
  if (drained_) return EOF;
  std::streamsize got = 0;
  std::streambuf* buf = in_.rdbuf();
  try {
    got = buf != nullptr ? buf->sgetn(block_.get(), static_cast<std::streamsize>(block_size_)) : 0;
  } catch (...) {
    in_.setstate(std::ios::badbit);
    got = 0;
  }
  next_ = block_.get();
  end_ = next_ + got;
  if (got <= 0) {
    drained_ = true;
    return EOF;
  }
  return static_cast<unsigned char>(*next_);
}

bool TextScanner::ReadInt(int& value) {
  if (!in_.good()) {
    in_.setstate(std::ios::failbit);
    return false;
  }
  return AfterScan(in_, ParseInt(in_, *this, value));
}

bool TextScanner::ReadReal(double& value) {
  if (!in_.good()) {
    in_.setstate(std::ios::failbit);
    return false;
  }
  if (StartValue(in_, *this) != EOF && QuickReal(value)) return true;
  return AfterScan(in_, ParseReal(in_, *this, value));
}

namespace {

// The number the eight digit characters of `word` spell, the first in the
// lowest byte: neighbouring digits, pairs and quads are combined in parallel
// lanes of the word.
std::uint64_t EightDigitsValue(std::uint64_t word) {
  word -= 0x3030303030303030ULL;
  word = word * 10 + (word >> 8);
  word = (((word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
          (((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
         32;
  return word;
}

static_assert(std::endian::native == std::endian::little, "digit words are read little-endian");

constexpr std::uint64_t kPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};

// A run of digits appended to `digits` (which wraps once there are more than
// 19; the caller counts them and gives up), returning the end of the run.
// Eight characters are examined at a time while the block holds them: the
// digits among the first of them are moved to the end of the word behind
// '0's and converted at once.
constexpr std::uint64_t kThrees = 0x3030303030303030ULL;

// How many of the eight characters of `word` are digits before the first
// that is not, the first character in the lowest byte.
int DigitRun(std::uint64_t word) {
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL;
  // Non-zero in each byte that is not a digit, and correct up to the first
  // such byte (a carry from 0xFA and above only spoils later bytes).
  const std::uint64_t other =
      ((word & kHigh) ^ kThrees) | (((word + 0x0606060606060606ULL) & kHigh) ^ kThrees);
  return other == 0 ? 8 : std::countr_zero(other) / 8;
}

const char* TakeDigits(const char* p, const char* end, std::uint64_t& digits) {
  while (end - p >= 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, 8);
    const int run = DigitRun(word);
    if (run == 0) return p;
    word <<= 8 * (8 - run);
    word |= (kThrees >> (8 * run - 1)) >> 1;
    digits = digits * kPowersOfTen[run] + EightDigitsValue(word);
    p += run;
    if (run < 8) return p;
  }
  for (; p < end && IsDigit(*p); ++p) digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  return p;
}

// The common case, a plain decimal whose digits, read as a whole number,
// stay within 2^53 and that ends before `end`: that number and the power of
// ten are exact doubles, so one division rounds the value correctly, as the
// full extraction would. Returns the end of the number, or nullptr for
// anything else (left to the full extraction).
const char* QuickDecimal(const char* p, const char* end, double& value) {
  bool negative = false;
  if (p < end) {
    // Without branches: the sign is as likely one way as the other.
    negative = *p == '-';
    p += (negative || *p == '+') ? 1 : 0;
  }
  if (end - p >= 18 && IsDigit(*p) && p[1] == '.') {
    // The layout the configuration files are written in, one digit, the
    // point and fifteen decimals, taken in two words: eight digits, then
    // seven and a character that is no digit (nor an exponent).
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::memcpy(&first, p + 2, 8);
    std::memcpy(&second, p + 10, 8);
    const auto last = static_cast<char>(second >> 56);
    if (DigitRun(first) == 8 && DigitRun(second) == 7 && last != 'e' && last != 'E') {
      const std::uint64_t digits = static_cast<std::uint64_t>(*p - '0') * 1000000000000000ULL +
                                   EightDigitsValue(first) * 10000000 +
                                   EightDigitsValue((second << 8) | '0');
      if (digits <= (std::uint64_t{1} << 53)) {
        const double magnitude = static_cast<double>(digits) / 1e15;
        value = negative ? -magnitude : magnitude;
        return p + 17;
      }
    }
  }
  std::uint64_t digits = 0;
  const char* const whole = p;
  p = TakeDigits(p, end, digits);
  std::ptrdiff_t count = p - whole;
  std::ptrdiff_t decimals = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    p = TakeDigits(p, end, digits);
    decimals = p - fraction;
    count += decimals;
  }
  if (p >= end || count == 0 || count > 19 || digits > (std::uint64_t{1} << 53) || decimals > 22 ||
      *p == 'e' || *p == 'E') {
    return nullptr;
  }
  const double magnitude = static_cast<double>(digits) / kExactPowers[decimals];
  value = negative ? -magnitude : magnitude;
  return p;
}

// How a run of quick values over a piece of text ended.
struct QuickRun {
  std::size_t count = 0;  // values taken
  const char* end;        // end of the last value taken, or the start
  bool whole = false;     // the whole piece was taken
};

// Values separated by white space from [p, end), where *end is white space,
// each through QuickDecimal and followed by white space; stops at the first
// other value, or after `most` values. Value k goes to values[k]; with
// `ends`, its end to ends[k].
QuickRun TakeQuickValues(const char* p, const char* end, double* values, std::size_t most,
                         const char** ends) {
  QuickRun run;
  run.end = p;
  while (run.count < most) {
    while (p < end && IsSpace(static_cast<unsigned char>(*p))) ++p;
    if (p == end) {
      run.whole = true;
      return run;
    }
    double value = 0;
    // The white space at `end` ends any value that reaches it.
    const char* const after = QuickDecimal(p, end + 1, value);
    if (after == nullptr || !IsSpace(static_cast<unsigned char>(*after))) {
      return run;
    }
    values[run.count] = value;
    if (ends != nullptr) ends[run.count] = after;
    ++run.count;
    run.end = p = after;
  }
  return run;
}

}  // namespace

bool TextScanner::QuickReal(double& value) {
  const char* const after = QuickDecimal(next_, end_, value);
  if (after == nullptr) return false;
  next_ = after;
  return true;
}

std::size_t TextScanner::ReadReals(double* values, std::size_t count) {
  // Enough values to fill more than one large block are read through one.
  if (block_size_ < kBulkBlockSize && count > kBulkBlockSize / 16) EnlargeBlock();
  std::size_t done = 0;
  while (done < count) {
    if (in_.good() && end_ - next_ >= static_cast<std::ptrdiff_t>(kSplitText)) {
      done += TakeInTwoParts(values + done, count - done);
      if (done == count) break;
    }
    if (!ReadReal(values[done])) break;
    ++done;
  }
  return done;
}

std::size_t TextScanner::TakeInTwoParts(double* values, std::size_t count) {
  // The text up to the block's last white space holds whole values only; it
  // is cut in two at white space near its middle. This thread takes the
  // first part straight into `values`; the other takes the second into a
  // buffer of its own, which follows on only if the first part was taken
  // whole. Any value the quick path does not take stops a part, and the
  // caller goes on from there the ordinary way.
  const char* const begin = next_;
  const char* stop = end_ - 1;
  while (stop > begin && !IsSpace(static_cast<unsigned char>(*stop))) --stop;
  const char* middle = begin + (stop - begin) / 2;
  while (middle < stop && !IsSpace(static_cast<unsigned char>(*middle))) ++middle;
  if (middle >= stop) return 0;
  // At least two characters per value; a second part with more values than
  // the buffer holds is taken up to there.
  const auto room =
      std::min({count, static_cast<std::size_t>(stop - middle) / 2 + 1, kLaterValues});
  if (later_values_.size() < room) {
    later_values_.resize(room);
    later_ends_.resize(room);
  }
  QuickRun first;
  QuickRun second;
  RunOnTwoThreads([&] { first = TakeQuickValues(begin, middle, values, count, nullptr); },
                  [&] {
                    second = TakeQuickValues(middle, stop, later_values_.data(), room,
                                             later_ends_.data());
                  });
  if (!first.whole) {
    next_ = first.end;
    return first.count;
  }
  const std::size_t taken = std::min(second.count, count - first.count);
  std::copy_n(later_values_.data(), taken, values + first.count);
  next_ = taken > 0 ? later_ends_[taken - 1] : first.end;
  return first.count + taken;
}

bool TextScanner::ReadCount(int& value) {
  int read = 0;
  if (!ReadInt(read)) return false;
  if (read < 0) {
    RejectValue(in_);
    return false;
  }
  value = read;
  return true;
}

void TextScanner::SkipLine() {
  if (in_.fail()) return;
  if (in_.eof()) {
    in_.setstate(std::ios::failbit);
    return;
  }
  SkipRestOfLine(in_, *this);
  AfterScan(in_, true);
}

void TextScanner::SkipLines(int count) {
  for (int i = 0; i < count; ++i) SkipLine();
}
