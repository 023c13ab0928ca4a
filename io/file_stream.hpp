// Files on the run's reused streams. A stream starts every file with clear
// flags, or with the fail flag alone when the file cannot be opened; its
// format settings carry over from file to file. A file that cannot be opened,
// or a folder, goes to the run's report (Report::Refused).
// Outputs are replaced whole, and a run's outputs together (RunOutputs).
#pragma once

#include <cerrno>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "io/error.hpp"

// Standard output through a buffer that keeps the system's reason for the
// first write that failed (installed on std::cout).
void WatchStandardOutput();
// Flushes standard output. If a write to it failed, says so on standard error
// ("fncprep: standard output: REASON") and returns 1; otherwise `status`.
int FinishStandardOutput(int status);

// Refuses the file `name` to `report` if it did not open (`opened`, for the
// system's reason `error`) or is a folder.
void RefuseUnusable(const std::string& name, bool opened, int error, Report& report);

template <class FileStream>
void OpenOn(FileStream& stream, const std::string& name, std::ios::openmode mode, Report& report) {
  if (stream.is_open()) stream.close();
  errno = 0;
  if (name.find('\0') == std::string::npos) stream.open(name, mode);
  const int error = errno;
  stream.clear(stream.is_open() ? std::ios::goodbit : std::ios::failbit);
  RefuseUnusable(name, stream.is_open(), error, report);
}

// Opens a file that is read twice, as OpenOn does. Anything but a regular
// file or a folder (a FIFO, a device) would not read the same the second
// time, or would wait for ever for a writer: it is refused as a file that
// cannot be opened.
void OpenTwiceReadable(std::ifstream& stream, const std::string& name, Report& report);

// After a writer's last line: flushes the stream; a write that failed throws
// the writer's failed write (the writer named by its name line).
void CheckWriteOutcome(std::string_view writer, std::ostream& stream, const std::string& file);

// The outputs of one run, replaced together. Each output that is a regular
// file, or new, is written to a temporary file beside it, and Place renames
// them all over their names one right after the other, with interrupts,
// termination, hang-up and broken-pipe signals held back, under an advisory
// lock on their folders that another run waits for. Until then an error, one
// of those signals or the end of the run removes the temporary files, so
// every earlier output stays as it was, and two runs never leave a mixed set.
// A device, a FIFO, and a name that leads to a descriptor of the process
// (/dev/stdout, /dev/fd/N, however reached) are written where they stand.
class RunOutputs {
 public:
  // `inputs`: the files the run reads, which no output may be.
  explicit RunOutputs(std::vector<std::string> inputs);
  ~RunOutputs();
  RunOutputs(const RunOutputs&) = delete;
  RunOutputs& operator=(const RunOutputs&) = delete;

  // Opens the output `name` on `stream` as OpenOn does: on failure the stream
  // has the fail flag alone and `report` the refusal. Refused: the same file
  // as an input or an earlier output, an existing file that may not be
  // written, and an existing regular file beside which no temporary file can
  // be made (it is never written in place).
  void Open(std::ofstream& stream, const std::string& name, Report& report);
  // After the writer whose name line is `writer` has written the output
  // opened last and checked its stream: closes it. A failure is the
  // writer's failed write.
  void Close(std::ofstream& stream, std::string_view writer);
  // Puts every output written to a temporary file in place. A failure is
  // the failed write of that output's writer.
  void Place();

 private:
  struct Output {
    std::string name;
    std::string target;     // the file the name leads to, which is replaced
    std::string temporary;  // empty for an output written where it stands
    std::string writer;
    int descriptor = -1;  // the run's descriptor the name leads to, if any
  };
  std::vector<std::string> inputs_;
  std::vector<Output> outputs_;
};

// Refuses to `report` the output `name` if it is the same file as one of
// `inputs` or of `outputs` (the run's other outputs), through any links,
// whether that file exists yet or not. Returns whether it did.
bool RefuseSameFile(const std::string& name, const std::vector<std::string>& inputs,
                    const std::vector<std::string>& outputs, Report& report);
