// Block-buffered text output.
#include "io/text_writer.hpp"

namespace {

constexpr std::size_t kBlockSize = 1 << 18;

}  // namespace

TextWriter::TextWriter(std::ostream& os)
    : os_(os), block_(std::make_unique<char[]>(kBlockSize)), size_(kBlockSize) {}

TextWriter::~TextWriter() {
  if (used_ > 0) os_.write(block_.get(), static_cast<std::streamsize>(used_));
}

void TextWriter::MakeRoom(std::size_t length) {
  os_.write(block_.get(), static_cast<std::streamsize>(used_));
  used_ = 0;
  if (size_ < length) {
    block_ = std::make_unique<char[]>(length);
    size_ = length;
  }
}
