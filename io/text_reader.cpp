// Value extraction with the standard stream's rules over a block of text:
// the grammar of the stream decides where a value ends, std::from_chars
// converts it.
#include "io/text_reader.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kBlockSize = 1 << 16;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where the value starting at `p` ends, as the stream's extraction takes it:
// a sign, then digits. `number` tells whether those characters are one.
struct Extent {
  const char* end;
  bool number;
};

Extent ScanInt(const char* p, const char* end) {
  if (p < end && (*p == '+' || *p == '-')) ++p;
  const char* const digits = p;
  while (p < end && IsDigit(*p)) ++p;
  return {p, p > digits};
}

// A sign, digits with at most one decimal point, and an exponent (a sign and
// digits) after at least one digit of the mantissa.
Extent ScanReal(const char* p, const char* end) {
  if (p < end && (*p == '+' || *p == '-')) ++p;
  const char* const digits = p;
  while (p < end && IsDigit(*p)) ++p;
  bool mantissa = p > digits;
  if (p < end && *p == '.') {
    const char* const decimals = ++p;
    while (p < end && IsDigit(*p)) ++p;
    mantissa = mantissa || p > decimals;
  }
  if (!mantissa || p == end || (*p != 'e' && *p != 'E')) return {p, mantissa};
  ++p;
  if (p < end && (*p == '+' || *p == '-')) ++p;
  const char* const exponent = p;
  while (p < end && IsDigit(*p)) ++p;
  return {p, p > exponent};
}

}  // namespace

TextScanner::TextScanner(std::istream& in) : in_(in), block_(kBlockSize) {}

bool TextScanner::Fail(std::ios::iostate state) {
  in_.setstate(state | std::ios::failbit);
  return false;
}

bool TextScanner::Refill() {
  if (drained_) return false;
  const std::size_t left = end_ - next_;
  // A value longer than the block gets a larger one.
  if (left == block_.size()) block_.resize(2 * block_.size());
  std::copy(block_.begin() + static_cast<std::ptrdiff_t>(next_),
            block_.begin() + static_cast<std::ptrdiff_t>(end_), block_.begin());
  next_ = 0;
  end_ = left;
  std::streamsize got = 0;
  try {
    std::streambuf* buf = in_.rdbuf();
    if (buf != nullptr) {
      got = buf->sgetn(block_.data() + end_, static_cast<std::streamsize>(block_.size() - end_));
    }
  } catch (...) {
    // A read error (a directory opened as a file, say) leaves the stream bad
    // and failed, as the stream's own extraction does.
    in_.setstate(std::ios::badbit);
  }
  if (got <= 0) {
    drained_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

bool TextScanner::StartValue() {
  if (!in_.good()) return Fail(std::ios::goodbit);
  for (;;) {
    while (next_ < end_ && IsSpace(block_[next_])) ++next_;
    if (next_ < end_) return true;
    if (!Refill()) return Fail(in_.bad() ? std::ios::goodbit : std::ios::eofbit);
  }
}

template <class Scan>
auto TextScanner::TakeToken(Scan scan) {
  for (;;) {
    const char* const first = block_.data() + next_;
    const char* const last = block_.data() + end_;
    auto extent = scan(first, last);
    if (extent.end == last) {
      // A value that reaches the end of the block may go on in the next;
      // the refill moves it, so it is scanned again.
      if (!drained_) {
        Refill();
        continue;
      }
      in_.setstate(in_.bad() ? std::ios::failbit : std::ios::eofbit);
    }
    next_ += static_cast<std::size_t>(extent.end - first);
    if (!extent.number || in_.bad()) {
      in_.setstate(std::ios::failbit);
      extent.number = false;
    }
    return std::pair{first, extent};
  }
}

bool TextScanner::ReadInt(int& value) {
  if (!StartValue()) return false;
  auto [first, extent] = TakeToken(ScanInt);
  if (!extent.number) return false;
  const char* const last = extent.end;
  if (*first == '+') ++first;
  int parsed = 0;
  if (std::from_chars(first, last, parsed).ec != std::errc()) return Fail(std::ios::goodbit);
  value = parsed;
  return true;
}

bool TextScanner::ReadReal(double& value) {
  if (!StartValue()) return false;
  auto [first, extent] = TakeToken(ScanReal);
  if (!extent.number) return false;
  const char* const last = extent.end;
  if (*first == '+') ++first;
  double parsed = 0;
  if (std::from_chars(first, last, parsed).ec == std::errc::result_out_of_range) {
    // Underflow gives the nearest tiny value, as strtod does; overflow fails.
    parsed = std::strtod(std::string(first, last).c_str(), nullptr);
    if (std::isinf(parsed)) return Fail(std::ios::goodbit);
  }
  value = parsed;
  return true;
}

bool TextScanner::ReadCount(int& value) {
  int read = 0;
  if (!ReadInt(read)) return false;
  if (read < 0) {
    Reject();
    return false;
  }
  value = read;
  return true;
}

std::size_t TextScanner::ReadReals(double* values, std::size_t count) {
  std::size_t done = 0;
  while (done < count && ReadReal(values[done])) ++done;
  return done;
}

void TextScanner::SkipLine() {
  // With fail or bad set nothing is read; a stream that has only reached its
  // end still tries to read, and so fails.
  if (in_.fail()) return;
  if (in_.eof()) {
    Fail(std::ios::goodbit);
    return;
  }
  for (;;) {
    for (; next_ < end_; ++next_) {
      if (block_[next_] == '\n') {
        ++next_;
        return;
      }
    }
    if (!Refill()) {
      Fail(in_.bad() ? std::ios::goodbit : std::ios::eofbit);
      return;
    }
  }
}

void TextScanner::SkipLines(int count) {
  for (int i = 0; i < count; ++i) SkipLine();
}

void TextScanner::Reject() { in_.clear((in_.rdstate() & ~std::ios::eofbit) | std::ios::failbit); }
