// Fuzz target, also fed random texts by the tables: the program's reader gives the values and
// stream flags of the stream's extraction (operator>>), wherever its blocks end, and its look at
// the rest of a record's line changes neither. Input: the size of
// the pieces the text is handed out in (0: all at once), the number n of operations (1 to 16), n
// operation bytes, the text. The operations are applied in turn until both readers have failed.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <sstream>
#include <vector>

#include "fuzz_support.hpp"
#include "io/error.hpp"
#include "io/text_reader.hpp"

namespace {

// Hands out its text in pieces, as a pipe may: the reader's blocks end there.
struct PieceBuffer : std::stringbuf {
  PieceBuffer(const std::string& text, std::streamsize piece)
      : std::stringbuf(text), piece(piece) {}
  std::streamsize xsgetn(char* out, std::streamsize n) override {
    return std::stringbuf::xsgetn(out, piece > 0 ? std::min<std::streamsize>(n, piece) : n);
  }
  std::streamsize piece;
};

// What an operation gave: its values as bit patterns, and the stream flags.
struct Outcome {
  std::vector<std::uint64_t> values;
  std::ios::iostate state;
  bool operator==(const Outcome&) const = default;
};

// Operation op % 6: an int, a real, a count (below 0 refused: fail set, end of
// file cleared), a line skip (failing at the end), `wanted` reals, or the end
// of a record (nothing, for the stream).
Outcome ByStream(std::istream& in, int op, std::size_t wanted) {
  Outcome result;
  int integer = 0;
  double real = 0;
  if (op == 3) {
    for (int c = in.fail() ? '\n' : in.get(); c != '\n' && c != EOF;) c = in.get();
  } else if (op == 1 || op == 4) {
    while (result.values.size() < (op == 1 ? 1 : wanted) && in >> real)
      result.values.push_back(std::bit_cast<std::uint64_t>(real));
  } else if (op != 5 && in >> integer) {
    if (op == 2 && integer < 0) {
      in.clear((in.rdstate() & ~std::ios::eofbit) | std::ios::failbit);
    } else {
      result.values.push_back(static_cast<std::uint64_t>(integer));
    }
  }
  result.state = in.rdstate();
  return result;
}

// The dialogue's report: what it is handed changes nothing.
struct SilentReport final : Report {
  void Notice(std::string_view) override {}
  void Warn(Warning) override {}
  void Refused(const LocatedError&) override {}
};

Outcome ByScanner(TextScanner& scan, const std::istream& in, int op, std::size_t wanted) {
  Outcome result;
  int integer = 0;
  std::vector<double> reals(op == 1 ? 1 : wanted);
  if (op == 5) {
    SilentReport report;
    scan.EndRecord(report, "a record");
  } else if (op == 3) {
    scan.SkipLine();
  } else if (op == 1 || op == 4) {
    reals.resize(op == 1 ? scan.ReadReal(reals[0], "a real")
                         : scan.ReadReals(
                               reals.data(), wanted, [](std::size_t) { return "a real"; }, 1));
    for (const double value : reals) result.values.push_back(std::bit_cast<std::uint64_t>(value));
  } else if (op == 0 ? scan.ReadInt(integer, "an int") : scan.ReadCount(integer, "a count")) {
    result.values.push_back(static_cast<std::uint64_t>(integer));
  }
  result.state = in.rdstate();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size < 2u + data[1] % 16 + 1) return 0;
  const std::size_t count = data[1] % 16 + 1;
  const std::string text(reinterpret_cast<const char*>(data) + 2 + count, size - 2 - count);
  std::istringstream expected(text);
  PieceBuffer buffer(text, data[0]);
  std::istream in(&buffer);
  TextScanner scan(in, "text");
  for (std::size_t step = 0; step < 4096 && !(expected.fail() && in.fail()); ++step) {
    const std::uint8_t op = data[2 + step % count];
    const std::size_t wanted = 1 + op / 6 % 16;
    FUZZ_REQUIRE(ByScanner(scan, in, op % 6, wanted) == ByStream(expected, op % 6, wanted));
  }
  return 0;
}
