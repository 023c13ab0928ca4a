// The second thread of RunOnTwoThreads, and what becomes of its failures.
#include "app/two_threads.hpp"

#include <exception>
#include <system_error>
#include <thread>

void RunOnTwoThreads(const std::function<void()>& here, const std::function<void()>& there) {
  std::exception_ptr there_error;
  const auto run_there = [&there, &there_error] {
    try {
      there();
    } catch (...) {
      there_error = std::current_exception();
    }
  };
  std::thread helper;
  try {
    helper = std::thread(run_there);
  } catch (const std::system_error&) {
    // No second thread: `there` runs after `here` below.
  }
  std::exception_ptr here_error;
  try {
    here();
  } catch (...) {
    here_error = std::current_exception();
  }
  if (helper.joinable()) {
    helper.join();
  } else if (!here_error) {
    run_there();
  }
  if (here_error) std::rethrow_exception(here_error);
  if (there_error) std::rethrow_exception(there_error);
}
