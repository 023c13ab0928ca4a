// Value extraction with the standard stream's rules over a block of text:
// the grammar of the stream decides where a value ends, std::from_chars
// converts it.
#include "io/text_reader.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "io/error.hpp"
#include "io/number_format.hpp"

namespace {

constexpr std::size_t kBlockSize = 1 << 16;
constexpr std::size_t kShown = 24;  // characters of a word that messages show

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A character that, right after a number, makes one malformed word of it
// ("1.O", "2l7", "-0,25"); any other begins a comment ("6!").
bool ContinuesNumber(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == ',' ||
         c == '+' || c == '-';
}

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

std::string OfType(std::string_view what, int type) {
  return std::string(what) + std::to_string(type + 1);
}

std::string TheValues(int count, std::string_view one, std::string_view many) {
  return "the " + (count == 1 ? std::string(one) : std::to_string(count) + " " + std::string(many));
}

TextScanner::TextScanner(std::istream& in, std::string name)
    : in_(in), name_(std::move(name)), block_(kBlockSize) {}

bool TextScanner::Fail(std::ios::iostate state) {
  in_.setstate(state | std::ios::failbit);
  return false;
}

void TextScanner::Failed(std::string_view what, std::size_t at) {
  expected_ = what.empty() ? "a value" : what;
  found_ = "the end of the file";
  problem_line_ = line_;
  failed_back_ = 0;
  if (in_.bad()) {
    found_ = "a read error";
  } else if (at < end_) {
    std::string word;
    if (word_.open) {  // the value goes on from those before it, without a blank
      expected_ = word_.what;
      problem_line_ = word_.line;
      failed_back_ = word_.values;
      word = word_.text;
    }
    for (std::size_t end = at; end < end_ && word.size() < kShown && !IsSpace(block_[end]); ++end)
      word += block_[end];
    found_ = Quoted(word);
  }
}

void TextScanner::Check(std::string_view name) const {
  if (!in_.fail()) return;
  using Reason = LocatedError::Reason;
  const Reason reason = !(in_.rdstate() & std::ios::failbit) ? Reason::kNone
                        : in_.eof()                          ? Reason::kEndOfFile
                                                             : Reason::kWrongFormat;
  throw LocatedError(name_, problem_line_, expected_, found_).Block(std::string(name), reason);
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

bool TextScanner::SkipSpace() {
  for (;;) {
    for (; next_ < end_ && IsSpace(block_[next_]); ++next_) {
      line_ += block_[next_] == '\n';
      word_.open = false;
    }
    if (next_ < end_) {
      token_line_ = line_;
      return true;
    }
    if (!Refill()) return false;
  }
}

bool TextScanner::StartValue(std::string_view what) {
  if (!in_.good()) return Fail(std::ios::goodbit);
  if (SkipSpace()) return true;
  Failed(what, end_);
  return Fail(in_.bad() ? std::ios::goodbit : std::ios::eofbit);
}

template <class Scan>
auto TextScanner::TakeToken(Scan scan, std::string_view what) {
  for (;;) {
    const char* const first = block_.data() + next_;
    const char* const last = block_.data() + end_;
    auto extent = scan(first, last);
    if (extent.end == last) {
      // A value that reaches the end of the block may go on in the next;
      // the refill moves it, so it is scanned again.
      if (!drained_ && end_ - next_ < kLongestText) {
        Refill();
        continue;
      }
      if (!drained_) {
        Failed(what, next_);
        found_ = "a value of more than " + std::to_string(kLongestText) + " characters";
        in_.setstate(std::ios::failbit);
        return std::pair{first, Extent{first, false}};
      }
      in_.setstate(in_.bad() ? std::ios::failbit : std::ios::eofbit);
    }
    token_length_ = static_cast<std::size_t>(extent.end - first);
    if (!extent.number || in_.bad()) {
      Failed(what, next_);
      in_.setstate(std::ios::failbit);
      extent.number = false;
    }
    next_ += token_length_;
    return std::pair{first, extent};
  }
}

bool TextScanner::ReadInt(int& value, std::string_view what) {
  if (!StartValue(what)) return false;
  auto [first, extent] = TakeToken(ScanInt, what);
  if (!extent.number) return false;
  const char* const last = extent.end;
  if (*first == '+') ++first;
  int parsed{};
  if (std::from_chars(first, last, parsed).ec != std::errc()) {
    Failed(what, next_ - token_length_);
    return Fail(std::ios::goodbit);
  }
  value = parsed;
  Took(what);
  return true;
}

bool TextScanner::ReadReal(double& value, std::string_view what) {
  if (!StartValue(what)) return false;
  auto [first, extent] = TakeToken(ScanReal, what);
  if (!extent.number) return false;
  const char* const last = extent.end;
  if (*first == '+') ++first;
  double parsed{};
  if (std::from_chars(first, last, parsed).ec == std::errc::result_out_of_range) {
    // Underflow gives the nearest tiny value, as strtod does; overflow fails.
    parsed = std::strtod(std::string(first, last).c_str(), nullptr);
    if (std::isinf(parsed)) {
      Failed(what, next_ - token_length_);
      return Fail(std::ios::goodbit);
    }
  }
  value = parsed;
  Took(what);
  return true;
}

void TextScanner::Took(std::string_view what) {
  const bool followed = next_ < end_ && !IsSpace(block_[next_]);
  if (!followed && !word_.open) return;  // a word of its own: the usual case
  if (!word_.open) {
    word_ = {true,
             {},
             what.empty() && reals_what_ ? (*reals_what_)(reals_index_) : std::string(what),
             token_line_,
             0};
  }
  const std::size_t room = kShown - std::min(kShown, word_.text.size());
  word_.text.append(block_.data() + next_ - token_length_, std::min(token_length_, room));
  ++word_.values;
  word_.open = followed;
  if (!followed && word_.values > 1 && !split_) split_ = word_;
}

bool TextScanner::ReadCount(int& value, std::string_view what) {
  int read{};
  if (!ReadInt(read, what)) return false;
  if (read < 0) {
    Reject(what);
    return false;
  }
  value = read;
  return true;
}

std::size_t TextScanner::ReadReals(double* values, std::size_t count,
                                   const std::function<std::string(std::size_t)>& what,
                                   double scale) {
  // Only the value that fails, or the first of its word, is named.
  reals_what_ = &what;
  for (std::size_t i = 0; i < count; ++i) {
    reals_index_ = i;
    if (!ReadReal(values[i], "")) {
      if (failed_back_ == 0) expected_ = what(i);
      reals_what_ = nullptr;
      return i;
    }
    if (!std::isfinite(values[i] * scale)) {
      reals_what_ = nullptr;
      Reject(what(i) + " finite in the length unit (times " + GeneralText(scale) + ")");
      return i;
    }
  }
  reals_what_ = nullptr;
  return count;
}

void TextScanner::ReadLine(std::string& text) {
  text.clear();
  SkipLine(&text);
  if (!text.empty() && text.back() == '\r') text.pop_back();
}

void TextScanner::SkipLine(std::string* text) {
  word_.open = false;
  split_.reset();
  // With fail or bad set nothing is read; a stream that has only reached its
  // end still tries to read, and so fails.
  if (in_.fail()) return;
  if (in_.eof()) {
    Failed("the end of the line", end_);
    Fail(std::ios::goodbit);
    return;
  }
  for (;;) {
    const std::size_t start = next_;
    while (next_ < end_ && block_[next_] != '\n') ++next_;
    if (text != nullptr) text->append(block_.data() + start, next_ - start);
    if (next_ < end_) {
      ++next_;
      ++line_;
      return;
    }
    if (!Refill()) {
      Failed("the end of the line", end_);
      Fail(in_.bad() ? std::ios::goodbit : std::ios::eofbit);
      return;
    }
  }
}

void TextScanner::SkipLines(int count) {
  for (int i = 0; i < count; ++i) SkipLine();
}

void TextScanner::Reject(std::string_view what, std::string_view found) {
  expected_ = what;
  found_ =
      found.empty() ? std::string(block_.data() + next_ - token_length_, token_length_) : found;
  problem_line_ = token_line_;
  in_.clear((in_.rdstate() & ~std::ios::eofbit) | std::ios::failbit);
}

bool TextScanner::MoreValues() {
  word_.open = false;
  while (next_ < end_ || Refill()) {
    const char c = block_[next_];
    if (c == '\n') break;
    ++next_;
  }
  if (!SkipSpace()) return false;
  const char c = block_[next_];
  return IsDigit(c) || c == '+' || c == '-' || c == '.';
}

char TextScanner::Peek(std::size_t k) {
  while (next_ + k >= end_) {
    if (!Refill()) return '\n';
  }
  return block_[next_ + k];
}

std::string TextScanner::WordAt(std::size_t k, std::size_t room) {
  std::string word;
  for (char c{}; word.size() < room && !IsSpace(c = Peek(k + word.size()));) word += c;
  return word;
}

void TextScanner::EndRecord(Report& report, std::string_view record) {
  if (in_.fail()) return;
  const auto refuse = [&](const Word& word, const std::string& rest) {
    report.Refused(LocatedError(name_, word.line, word.what, Quoted(word.text + rest)));
  };
  if (word_.open && (ContinuesNumber(Peek(0)) || word_.values > 1)) {
    return refuse(word_, WordAt(0, kShown - std::min(kShown, word_.text.size())));
  }
  if (split_) return refuse(*split_, "");
  if (word_.open) return;  // a comment right after the last value
  std::size_t k = 0;
  for (char c{}; (c = Peek(k)) != '\n' && IsSpace(c);) ++k;
  const std::string word = WordAt(k, kShown);
  if (!word.empty() &&
      (IsDigit(word[0]) || ScanReal(word.data(), word.data() + word.size()).number)) {
    report.Refused(LocatedError(name_, token_line_,
                                "the end of the line or a comment after " + std::string(record),
                                "one more value, " + Quoted(word)));
  }
}
