// The ".fnc" constraint file writer: the only place that knows its layout.
#include <algorithm>

#include "app/console.hpp"
#include "app/ordered_chunks.hpp"
#include "app/text_writer.hpp"
#include "fnc/fnc.hpp"

namespace {

// Rows and entries per chunk of the parallel writer: at most about 100 KB of
// text.
constexpr std::size_t kRowsPerChunk = 2048;
constexpr std::size_t kEntriesPerChunk = 8192;

}  // namespace

void FNC::rawsave(std::ostream& out) const {
  if (!HasOpenFile(out) || out.fail()) {
    std::cerr << "There is no open file to save the FNC object " << std::endl;
    FatalStop();
  }
  WithMemoryGuard("FNC::rawsave", [&] {
    TextWriter w(out);
    // The windows take the stream's own precision: 6 on a fresh stream, 15
    // after the configuration file has been written through it.
    w.SetGeneral(static_cast<int>(out.precision()));
    w << "This is a .fnc file created by FNC::rawsave \n\n";
    w << " No. of possible rmin-rmax pairs: \n";
    w << Width7 << nconstraints << '\n';
    const int kinds =
        std::clamp(nconstraints, 0, static_cast<int>(std::min(rmin.size(), rmax.size())));
    for (int k = 0; k < kinds; ++k) w << Width7 << rmin[k];
    w << '\n';
    for (int k = 0; k < kinds; ++k) w << Width7 << rmax[k];
    w << "\n \n";
    w << Width7 << natoms << "\n \n";
    // The rows go in chunks of kRowsPerChunk rows, or fewer once a chunk
    // holds kEntriesPerChunk entries, formatted on two threads.
    const std::size_t entries = std::min(neighbours.size(), constrainttype.size());
    const auto rows =
        static_cast<std::size_t>(std::max(0, std::min({natoms, static_cast<int>(ncoord.size()),
                                                       static_cast<int>(centralindex.size())})));
    const auto row_end = [&](std::size_t row, std::size_t start) {
      return std::min(start + (ncoord[row] > 0 ? static_cast<std::size_t>(ncoord[row]) : 0),
                      entries);
    };
    const auto format = [&](TextWriter& text, const Chunk& chunk) {
      std::size_t p = chunk.from;
      for (std::size_t i = chunk.first; i < chunk.last; ++i) {
        const std::size_t end = row_end(i, p);
        text << Width10 << centralindex[i] + 1 << Width10 << ncoord[i] << '\n';
        text.Fields(neighbours.data() + p, end - p, 10, 1);
        text << '\n';
        text.Fields(constrainttype.data() + p, end - p, 4, 1);
        text << '\n';
        p = end;
      }
    };
    // A chunk holds whole rows, so a row longer than a chunk would be held
    // in memory at full length: files with such rows are written by this
    // thread alone, straight through the block.
    if (std::any_of(ncoord.begin(), ncoord.begin() + static_cast<std::ptrdiff_t>(rows),
                    [](int count) { return count > static_cast<int>(kEntriesPerChunk); })) {
      format(w, Chunk{0, rows, 0, entries});
      return;
    }
    WriteInOrder(
        w, rows,
        [&](const Chunk& previous) {
          Chunk chunk{previous.last, previous.last, previous.to, previous.to};
          while (chunk.last < rows && chunk.last - chunk.first < kRowsPerChunk &&
                 chunk.to - chunk.from < kEntriesPerChunk) {
            chunk.to = row_end(chunk.last++, chunk.to);
          }
          return chunk;
        },
        format);
  });
  CheckWriteOutcome("FNC::rawsave", out);
}
