// Two pieces of work at once: both always run to their end before the call
// returns, and a failure in either reaches the caller.
#include "app/two_threads.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

// Work that finishes only after the other side has started (or, should the
// two never overlap, after a while), so neither can be skipped or left
// running when the call returns.
struct Rendezvous {
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  void Run() {
    ++started;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (started.load() < 2 && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::yield();
    }
    ++finished;
  }
};

TEST(RunOnTwoThreads, BothFinishBeforeItReturns) {
  Rendezvous meeting;
  std::thread::id here_id;
  std::thread::id there_id;
  RunOnTwoThreads(
      [&] {
        here_id = std::this_thread::get_id();
        meeting.Run();
      },
      [&] {
        there_id = std::this_thread::get_id();
        meeting.Run();
      });
  EXPECT_EQ(meeting.finished.load(), 2);
  EXPECT_EQ(here_id, std::this_thread::get_id());
  EXPECT_NE(there_id, here_id);
}

TEST(RunOnTwoThreads, FailuresArePassedOnAfterBothStopped) {
  struct Case {
    bool here_throws;
    bool there_throws;
    const char* expected;
  };
  for (const Case& c :
       {Case{true, false, "here"}, Case{false, true, "there"}, Case{true, true, "here"}}) {
    Rendezvous meeting;
    std::string caught;
    try {
      RunOnTwoThreads(
          [&] {
            meeting.Run();
            if (c.here_throws) throw std::runtime_error("here");
          },
          [&] {
            meeting.Run();
            if (c.there_throws) throw std::runtime_error("there");
          });
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
    EXPECT_EQ(caught, c.expected);
    EXPECT_EQ(meeting.finished.load(), 2);
  }
}

}  // namespace
