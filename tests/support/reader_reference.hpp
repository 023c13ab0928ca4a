// The standard stream's formatted extraction (operator>>) is the reference
// for the program's reader: the same values, the same stream flags and the
// same line skips, wherever the reader's blocks happen to end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

#include "io/text_reader.hpp"

namespace reference {

enum class Op { kInt, kReal, kCount, kLine, kReals };

struct Outcome {
  bool ok = false;
  std::vector<std::uint64_t> values;  // ints as they are, reals as bit patterns
  std::ios::iostate state = std::ios::goodbit;
  bool operator==(const Outcome&) const = default;
};

inline std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The reference: the stream's own extraction; a count refused below 0 with
// fail set and end-of-file cleared; a line skip that fails at the end.
inline Outcome ByStream(std::istream& in, Op op, std::size_t wanted) {
  Outcome result;
  int integer = 0;
  double real = 0;
  switch (op) {
    case Op::kInt:
    case Op::kCount:
      result.ok = static_cast<bool>(in >> integer);
      if (result.ok && op == Op::kCount && integer < 0) {
        in.clear((in.rdstate() & ~std::ios::eofbit) | std::ios::failbit);
        result.ok = false;
      }
      if (result.ok) result.values.push_back(static_cast<std::uint64_t>(integer));
      break;
    case Op::kReal:
    case Op::kReals:
      while (result.values.size() < (op == Op::kReal ? 1 : wanted) && in >> real) {
        result.values.push_back(Bits(real));
      }
      result.ok = result.values.size() == (op == Op::kReal ? 1 : wanted);
      break;
    case Op::kLine:
      if (!in.fail()) {
        for (int c = in.get(); c != '\n' && c != std::char_traits<char>::eof(); c = in.get()) {
        }
      }
      result.ok = true;
      break;
  }
  result.state = in.rdstate();
  return result;
}

// The same operation through the program's scanner on `in`.
inline Outcome ByScanner(TextScanner& scan, const std::istream& in, Op op, std::size_t wanted) {
  Outcome result;
  int integer = 0;
  double real = 0;
  switch (op) {
    case Op::kInt:
    case Op::kCount:
      result.ok = op == Op::kInt ? scan.ReadInt(integer) : scan.ReadCount(integer);
      if (result.ok) result.values.push_back(static_cast<std::uint64_t>(integer));
      break;
    case Op::kReal:
      result.ok = scan.ReadReal(real);
      if (result.ok) result.values.push_back(Bits(real));
      break;
    case Op::kReals: {
      std::vector<double> reals(wanted);
      reals.resize(scan.ReadReals(reals.data(), wanted));
      for (const double value : reals) result.values.push_back(Bits(value));
      result.ok = reals.size() == wanted;
      break;
    }
    case Op::kLine:
      scan.SkipLine();
      result.ok = true;
      break;
  }
  result.state = in.rdstate();
  return result;
}

// Hands out its text in pieces of at most `piece` characters (all at once for
// 0), as a pipe may: every block the scanner reads ends at a piece boundary.
class PieceBuffer : public std::streambuf {
 public:
  PieceBuffer(const std::string& text, std::size_t piece) : piece_(piece) {
    char* begin = const_cast<char*>(text.data());
    setg(begin, begin, begin + text.size());
  }

 protected:
  std::streamsize xsgetn(char* out, std::streamsize count) override {
    std::streamsize n = std::min<std::streamsize>(count, egptr() - gptr());
    if (piece_ > 0) n = std::min<std::streamsize>(n, static_cast<std::streamsize>(piece_));
    std::memcpy(out, gptr(), static_cast<std::size_t>(n));
    gbump(static_cast<int>(n));
    return n;
  }

 private:
  std::size_t piece_;
};

}  // namespace reference
