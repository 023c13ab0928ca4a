// Block-buffered text output.
#include "io/text_writer.hpp"

TextWriter::TextWriter(std::ostream& os) : os_(os), block_(std::make_unique<char[]>(kBlockSize)) {}

TextWriter::~TextWriter() { Flush(); }

void TextWriter::Flush() {
  os_.write(block_.get(), static_cast<std::streamsize>(used_));
  used_ = 0;
}
