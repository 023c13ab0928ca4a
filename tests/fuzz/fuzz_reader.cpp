// Fuzz target: the program's reader must give the same values and the same
// stream flags as the standard stream's extraction, whatever the text and
// wherever its blocks end.
//
// Input: one byte for the size of the pieces in which the text is handed out
// (0: all at once), one byte for the number of operations n (1 to 16), n
// operation bytes, then the text. The operations are applied in turn until
// both readers have failed.
#include <cstdint>
#include <sstream>

#include "fuzz_support.hpp"
#include "support/reader_reference.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t count = data[1] % 16 + 1;
  if (size < 2 + count) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 2 + count, size - 2 - count);
  std::istringstream expected(text);
  reference::PieceBuffer buffer(text, data[0]);
  std::istream in(&buffer);
  TextScanner scan(in);
  for (std::size_t step = 0; step < 4096 && !(expected.fail() && in.fail()); ++step) {
    const std::uint8_t op = data[2 + step % count];
    const auto kind = static_cast<reference::Op>(op % 5);
    const std::size_t wanted = 1 + op / 5 % 16;
    FUZZ_REQUIRE(reference::ByScanner(scan, in, kind, wanted) == reference::ByStream(expected, kind, wanted));
  }
  return 0;
}
