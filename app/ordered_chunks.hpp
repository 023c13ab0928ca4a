// Long runs of file rows formatted on two threads and written in order.
#pragma once

#include <cstddef>
#include <functional>

#include "app/text_writer.hpp"

// A chunk of items [first, last), with a second range [from, to) that goes
// with them where the caller needs one (the entries of a run of rows).
struct Chunk {
  std::size_t first = 0;
  std::size_t last = 0;
  std::size_t from = 0;
  std::size_t to = 0;
};

using ChunkCutter = std::function<Chunk(const Chunk& previous)>;
using ChunkFormatter = std::function<void(TextWriter& writer, const Chunk& chunk)>;

// Items [0, count) are cut into consecutive chunks: `cut(previous)` gives the
// chunk after `previous` (an all-zero chunk before the first); each must hold
// at least one item. Each chunk is formatted by `format` into a buffer of its
// own on whichever of two threads is free, and the buffers are appended to
// `out` strictly in chunk order, so `out` receives exactly the bytes one
// thread formatting all chunks into it would. At most a few chunks are held
// at a time. `format` runs on both threads at once (on different chunks and
// writers) and must only read shared data; `cut` runs on one thread at a
// time. An exception from either ends the run once both threads have stopped
// and is passed on; what reached `out` by then is a prefix of the full text.
// Runs of fewer than 16384 items are formatted chunk by chunk on this thread
// straight into `out`.
void WriteInOrder(TextWriter& out, std::size_t count, const ChunkCutter& cut,
                  const ChunkFormatter& format);
