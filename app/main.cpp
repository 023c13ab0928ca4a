// fncprep: prepares fixed-neighbour constraint files (and, in its first mode,
// a grown configuration) for varnel++. Without arguments it asks for what to
// do; with arguments it is a command-line tool.
#include <csignal>

#include "app/command_line.hpp"
#include "app/driver.hpp"
#include "io/file_stream.hpp"

int main(int argc, char** argv) {
  // A write cut by a file-size limit then fails as any other failed write,
  // instead of the signal ending the run without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  WatchStandardOutput();
  return FinishStandardOutput(argc > 1 ? RunCommandLine(argc, argv) : RunFncprep());
}
