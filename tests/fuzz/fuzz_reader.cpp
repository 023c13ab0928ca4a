// Fuzz target: the program's value reading (the block scanner the file
// readers use) must give the same values and the same stream flags as the
// standard stream's formatted extraction, whatever the text and wherever the
// scanner's block ends.
//
// Input: one byte for the size of the pieces in which the stream hands out
// its text (0: all at once; 255: all at once, the text repeated to over
// 300 KB so that the scanner's bulk read splits its work), one byte for the
// number of operations n (1 to 16), n operation bytes, then the text. The
// operations are applied in turn, over and over, until both streams have
// failed (4096 at most; 64 on a repeated text).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "io/text_reader.hpp"
#include "fuzz_support.hpp"

namespace {

// Hands out its text in pieces of at most `piece` characters per bulk read,
// as a stream over a pipe may; every block refill of a scanner then ends at
// a piece boundary.
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

enum class Op { kInt, kReal, kLine, kCount, kReals };

// Reals wanted by a kReals operation byte: a few, or all a text of this size
// can hold (each but the last takes at least two characters).
std::size_t RealsWanted(std::uint8_t op, std::size_t text_size) {
  return op >= 250 ? text_size / 2 + 1 : 1 + op / 5;
}

struct Outcome {
  bool ok = false;
  int integer = 0;
  double real = 0;
  std::vector<double> reals;
  std::ios::iostate state = std::ios::goodbit;

  bool operator==(const Outcome& other) const {
    if (ok != other.ok || state != other.state || reals.size() != other.reals.size()) return false;
    if (!reals.empty() &&
        std::memcmp(reals.data(), other.reals.data(), reals.size() * sizeof(double)) != 0) {
      return false;
    }
    if (!ok) return true;
    return integer == other.integer && std::memcmp(&real, &other.real, sizeof real) == 0;
  }
};

// The standard stream's own extraction, with the program's line skip and
// count refusal written out in stream operations.
Outcome Reference(std::istream& in, Op op, std::size_t wanted) {
  Outcome result;
  switch (op) {
    case Op::kReals:
      for (double value = 0; result.reals.size() < wanted && in >> value;) {
        result.reals.push_back(value);
      }
      result.ok = result.reals.size() == wanted;
      break;
    case Op::kInt:
      result.ok = static_cast<bool>(in >> result.integer);
      break;
    case Op::kReal:
      result.ok = static_cast<bool>(in >> result.real);
      break;
    case Op::kLine:
      if (!in.fail()) {
        for (int c = in.get(); c != '\n' && c != std::char_traits<char>::eof(); c = in.get()) {
        }
      }
      result.ok = true;
      break;
    case Op::kCount:
      result.ok = static_cast<bool>(in >> result.integer);
      if (result.ok && result.integer < 0) {
        in.clear((in.rdstate() & ~std::ios::eofbit) | std::ios::failbit);
        result.ok = false;
      }
      break;
  }
  result.state = in.rdstate();
  return result;
}

Outcome Scanned(TextScanner& scan, std::istream& in, Op op, std::size_t wanted) {
  Outcome result;
  switch (op) {
    case Op::kReals: {
      // Room for all of them; only those read are kept.
      result.reals.resize(wanted);
      result.reals.resize(scan.ReadReals(result.reals.data(), wanted));
      result.ok = result.reals.size() == wanted;
      break;
    }
    case Op::kInt:
      result.ok = scan.ReadInt(result.integer);
      break;
    case Op::kReal:
      result.ok = scan.ReadReal(result.real);
      break;
    case Op::kLine:
      scan.SkipLine();
      result.ok = true;
      break;
    case Op::kCount:
      result.ok = scan.ReadCount(result.integer);
      break;
  }
  result.state = in.rdstate();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = data[0] == 255 ? 0 : data[0];
  const std::size_t count = data[1] % 16 + 1;
  if (size < 2 + count) return 0;
  const std::uint8_t* ops = data + 2;
  std::string text(reinterpret_cast<const char*>(data + 2 + count), size - 2 - count);
  if (data[0] == 255 && !text.empty()) {
    const std::string unit = text + "\n";
    while (text.size() < 300000) text += unit;
  }

  std::istringstream reference(text);
  PieceBuffer scanned_buffer(text, piece);
  std::istream scanned(&scanned_buffer);
  TextScanner scan(scanned);

  // Once every stream has failed, one more round shows that nothing moves.
  int rounds_after_failure = 0;
  // A repeated text is long: fewer steps, each of which may read it all.
  const std::size_t steps = data[0] == 255 ? 64 : 4096;
  for (std::size_t step = 0; step < steps && rounds_after_failure < 2; ++step) {
    const std::uint8_t byte = ops[step % count];
    const Op op = static_cast<Op>(byte % 5);
    const std::size_t wanted = RealsWanted(byte, text.size());
    const Outcome want = Reference(reference, op, wanted);
    FUZZ_REQUIRE(Scanned(scan, scanned, op, wanted) == want);
    if (reference.fail() && step % count == count - 1) ++rounds_after_failure;
  }
  return 0;
}
