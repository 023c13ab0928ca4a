// Console and parameter-file conventions: the fatal stop, value extraction
// that matches the standard stream's rules, line skipping and the warnings.
#include "app/console.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <limits>

namespace {

FatalStopHook g_stop_hook = nullptr;

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Skips white space the way a formatted extraction's sentry does. Returns the
// first character of the value, or EOF after setting end-of-file and fail.
int StartValue(std::istream& in, std::streambuf*& buf) {
  if (!in.good()) {
    in.setstate(std::ios::failbit);
    return EOF;
  }
  buf = in.rdbuf();
  if (buf == nullptr) {
    in.setstate(std::ios::badbit);
    return EOF;
  }
  int c = buf->sgetc();
  while (c != EOF && IsSpace(c)) c = buf->snextc();
  if (c == EOF) in.setstate(std::ios::eofbit | std::ios::failbit);
  return c;
}

}  // namespace

void SetFatalStopHook(FatalStopHook hook) { g_stop_hook = hook; }

void FatalStop() {
  std::cerr << "Quit (y)?->" << std::endl;
  if (g_stop_hook != nullptr) g_stop_hook();
  char answer = 0;
  std::cin >> answer;
  std::exit(1);
}

void SetUpConsole() {
  std::cerr.setf(std::ios::unitbuf);
  std::cin.tie(&std::cout);
  std::cerr.tie(&std::cout);
}

void SkipLine(std::istream& in) {
  if (in.fail()) return;
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr) {
    in.setstate(std::ios::badbit);
    return;
  }
  for (int c = buf->sbumpc(); c != '\n'; c = buf->sbumpc()) {
    if (c == EOF) {
      in.setstate(std::ios::eofbit | std::ios::failbit);
      return;
    }
  }
}

bool ReadInt(std::istream& in, int& value) {
  std::streambuf* buf = nullptr;
  int c = StartValue(in, buf);
  if (c == EOF) return false;
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = buf->snextc();
  }
  // Every digit is consumed, even past the range, as the stream does.
  bool any_digit = false;
  bool overflow = false;
  std::int64_t magnitude = 0;
  while (c != EOF && IsDigit(c)) {
    any_digit = true;
    if (!overflow) {
      magnitude = magnitude * 10 + (c - '0');
      if (magnitude > std::int64_t{1} << 32) overflow = true;
    }
    c = buf->snextc();
  }
  if (c == EOF) in.setstate(std::ios::eofbit);
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (!any_digit || overflow || signed_value < std::numeric_limits<int>::min() ||
      signed_value > std::numeric_limits<int>::max()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  value = static_cast<int>(signed_value);
  return true;
}

bool ReadReal(std::istream& in, double& value) {
  std::streambuf* buf = nullptr;
  int c = StartValue(in, buf);
  if (c == EOF) return false;
  // Collect the characters the stream's extraction accepts: a sign, digits
  // with at most one decimal point, and an exponent after at least one digit.
  thread_local std::string token;
  token.clear();
  if (c == '+' || c == '-') {
    if (c == '-') token.push_back('-');
    c = buf->snextc();
  }
  bool mantissa_digit = false;
  bool point = false;
  bool exponent = false;
  while (c != EOF) {
    if (IsDigit(c)) {
      mantissa_digit = mantissa_digit || !exponent;
      token.push_back(static_cast<char>(c));
    } else if (c == '.' && !point && !exponent) {
      point = true;
      token.push_back('.');
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa_digit) {
      exponent = true;
      token.push_back('e');
      c = buf->snextc();
      if (c == '+' || c == '-') {
        token.push_back(static_cast<char>(c));
      } else {
        continue;
      }
    } else {
      break;
    }
    c = buf->snextc();
  }
  if (c == EOF) in.setstate(std::ios::eofbit);

  const char* first = token.data();
  const char* last = first + token.size();
  double parsed = 0;
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (error == std::errc::result_out_of_range && end == last) {
    // Underflow is a value (as strtod gives it); overflow is a failure.
    parsed = std::strtod(token.c_str(), nullptr);
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

std::ostream& Width10(std::ostream& os) { return os << std::setw(10) << std::setfill(' '); }
std::ostream& Width4(std::ostream& os) { return os << std::setw(4) << std::setfill(' '); }
std::ostream& Width7(std::ostream& os) { return os << std::setw(7) << std::setfill(' '); }

bool HasOpenFile(const std::ios& stream) {
  std::streambuf* buf = stream.rdbuf();
  if (buf == nullptr) return false;
  if (const auto* file = dynamic_cast<const std::filebuf*>(buf)) return file->is_open();
  return true;
}

void WarningBlock(std::string_view name, const std::ios& stream) {
  Say("****WARNING****");
  Say(name);
  if (stream.fail()) {
    Say(stream.eof() ? "End of file was reached during loading!"
                     : "Loading failed, possibly due to wrong file format!");
  }
  Say("Cannot run this way, exiting...!");
  FatalStop();
}

void CheckReadOutcome(std::string_view name, const std::ios& stream) {
  if (HasOpenFile(stream) && !stream.fail()) return;
  WarningBlock(name, stream);
}

void WarningNotice(std::string_view name, std::string_view reason) {
  Say("\n****WARNING****");
  Say(name);
  Say(reason);
}

void CheckWriteOutcome(std::string_view name, std::ostream& stream) {
  stream.flush();
  if (!stream.fail()) return;
  Say("****WARNING****");
  Say(name);
  Say("Writing failed, the file may be incomplete!");
  Say("Cannot run this way, exiting...!");
  FatalStop();
}
