// Two threads format chunks of rows; whichever finishes the chunk that is next
// in file order writes it, with any ready chunks after it, while the other
// goes on formatting. Writing is thus shared too, and neither thread waits
// unless all buffers are full.
#include "app/ordered_chunks.hpp"

#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "app/two_threads.hpp"

namespace {

constexpr std::size_t kSlots = 4;
// Items below which one thread does all the work.
constexpr std::size_t kItemsForTwoThreads = 16384;

class OrderedChunks {
 public:
  OrderedChunks(TextWriter& out, std::size_t count, const ChunkCutter& cut,
                const ChunkFormatter& format)
      : out_(out), count_(count), cut_(cut), format_(format) {}

  // The loop each thread runs until every chunk is claimed or one failed.
  void Work() {
    try {
      std::size_t sequence = 0;
      Chunk chunk;
      while (Claim(sequence, chunk)) {
        Slot& slot = slots_[sequence % kSlots];
        slot.text.Clear();
        format_(slot.text, chunk);
        Finish(slot);
      }
    } catch (...) {
      const std::lock_guard lock(mutex_);
      if (!error_) error_ = std::current_exception();
      changed_.notify_all();
    }
  }

  std::exception_ptr error() const { return error_; }

 private:
  struct Slot {
    TextWriter text;
    bool ready = false;
  };

  // The next chunk, once a buffer is free for it.
  bool Claim(std::size_t& sequence, Chunk& chunk) {
    std::unique_lock lock(mutex_);
    changed_.wait(
        lock, [this] { return error_ || cut_at_.last >= count_ || claimed_ - written_ < kSlots; });
    if (error_ || cut_at_.last >= count_) return false;
    cut_at_ = cut_(cut_at_);
    chunk = cut_at_;
    sequence = claimed_++;
    return true;
  }

  // Marks a chunk ready; unless the other thread is writing, writes every
  // ready chunk from the next one in order on.
  void Finish(Slot& slot) {
    std::unique_lock lock(mutex_);
    slot.ready = true;
    if (writing_) return;
    writing_ = true;
    while (!error_ && slots_[written_ % kSlots].ready) {
      Slot& next = slots_[written_ % kSlots];
      lock.unlock();
      out_.Append(next.text.Text());
      lock.lock();
      next.ready = false;
      ++written_;
      changed_.notify_all();
    }
    writing_ = false;
  }

  TextWriter& out_;
  const std::size_t count_;
  const ChunkCutter& cut_;
  const ChunkFormatter& format_;
  std::array<Slot, kSlots> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Chunk cut_at_;             // the last chunk claimed
  std::size_t claimed_ = 0;  // chunks claimed so far
  std::size_t written_ = 0;  // chunks appended to out_ so far
  bool writing_ = false;
  std::exception_ptr error_;
};

}  // namespace

void WriteInOrder(TextWriter& out, std::size_t count, const ChunkCutter& cut,
                  const ChunkFormatter& format) {
  if (count < kItemsForTwoThreads) {
    // Too little work to be worth a second thread: the chunks in turn,
    // straight into `out`.
    for (Chunk chunk = cut(Chunk{}); count > 0; chunk = cut(chunk)) {
      format(out, chunk);
      if (chunk.last >= count) break;
    }
    return;
  }
  OrderedChunks chunks(out, count, cut, format);
  // Each thread's own failure is kept in `chunks`, so that the other stops.
  const std::function<void()> work = [&chunks] { chunks.Work(); };
  RunOnTwoThreads(work, work);
  if (chunks.error()) std::rethrow_exception(chunks.error());
}
