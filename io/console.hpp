// Console and parameter-file conventions shared by every reader and writer:
// message lines, the fatal stop, opening files on the run's streams, the
// fixed warning messages, and how a run talks to its user: the dialogue's
// fixed texts, or the command line's messages that name the file and line.
#pragma once

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

class TextScanner;

// The dialogue, or the command line (whose warnings are errors when strict).
enum class Voice { kDialogue, kCommandLine, kStrictCommandLine };
void SetVoice(Voice voice);
bool InDialogue();

// How a run on the command line ends on an error: the message, thrown to the
// command line, which prints it after "fncprep: ".
class RunFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Ends the process after an error in the dialogue: "Quit (y)?->" on standard
// error, one character read and ignored, exit status 1. Destructors of the
// run's objects do not run.
[[noreturn]] void FatalStop();

// Ends a run on an error: on the command line by throwing `message`; in the
// dialogue by printing with `dialogue` and the fatal stop.
[[noreturn]] void Stop(const std::string& message, const std::function<void()>& dialogue);

// The file-size limit signal ignored, so that a write it cuts fails. (The
// standard streams already show pending output before any read or error:
// standard input and standard error are tied to standard output, and
// standard error is unit-buffered.)
void SetUpConsole();

// One message line on standard output: the parts, a line feed and a flush.
template <class... Parts>
void Say(const Parts&... parts) {
  (std::cout << ... << parts) << std::endl;
}

// A message line of the dialogue; the command line stays quiet.
template <class... Parts>
void Tell(const Parts&... parts) {
  if (InDialogue()) Say(parts...);
}

// Something suspicious that the run goes on with: on the command line
// "fncprep: warning: TEXT" on standard error, or the run's failure when
// strict; the dialogue says nothing.
void Warn(const std::string& text);

// On the command line, a folder given as a file ends the run at once.
void RefuseFolder(const std::string& name);

// Reading and writing files on the run's reused streams: a stream starts every
// file with clear flags, or with the fail flag alone when the file cannot be
// opened (on the command line that failure ends the run, naming the file and
// the system's reason). Its format settings carry over from file to file.
template <class FileStream>
void OpenOn(FileStream& stream, const std::string& name, std::ios::openmode mode) {
  if (stream.is_open()) stream.close();
  errno = 0;
  if (name.find('\0') == std::string::npos) stream.open(name, mode);
  if (stream.is_open()) {
    stream.clear();
    if (!InDialogue()) RefuseFolder(name);
    return;
  }
  stream.clear(std::ios::failbit);
  if (!InDialogue()) throw RunFailure(name + ": " + std::strerror(errno != 0 ? errno : ENOENT));
}

// Opens a file that is read twice, as OpenOn does. Anything but a regular
// file or a folder (a FIFO, a device) would not read the same the second
// time, or would wait for ever for a writer: it is refused before it is
// opened, as a file that cannot be opened.
void OpenTwiceReadable(std::ifstream& stream, const std::string& name);

// "****WARNING****", the name line, the reason chosen from the stream's flags,
// "Cannot run this way, exiting...!", then the fatal stop.
[[noreturn]] void WarningBlock(std::string_view name, const std::ios& stream);

// Reports a reader's result: returns when a file is open on its stream and it
// has neither fail nor bad set; otherwise, in the dialogue, the warning block
// with this name line, and on the command line the scanner's located message.
void CheckReadOutcome(std::string_view name, const TextScanner& scan);

// The non-fatal notice of the dialogue: an empty line, "****WARNING****", the
// name line and the reason line.
void WarningNotice(std::string_view name, std::string_view reason);

// After a writer's last line: flushes the stream and, if any write failed,
// reports that the file may be incomplete and stops the run.
void CheckWriteOutcome(std::string_view name, std::ostream& stream, const std::string& file);

// That report: in the dialogue the warning block of the writer `name`, on
// the command line the file and the system's reason (`error`, 0 if none).
[[noreturn]] void WriteFailed(std::string_view name, const std::string& file, int error);

// A claim of memory beyond the machine's (see ClaimMemory), with its message
// for the command line.
class BeyondMemory : public std::bad_alloc {
 public:
  explicit BeyondMemory(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// Claims `bytes` for arrays the run is about to fill, which the counts of the
// file `file` ask for. Claims add up over a run (from ResetMemoryClaims on);
// once they pass the machine's physical memory the claim fails as an
// allocation does, by throwing BeyondMemory, before any of those pages is
// touched, rather than the system ending the process when they are.
void ClaimMemory(double bytes, const std::string& file);
void ResetMemoryClaims();

// Runs an operation; an allocation that fails ends the run with one line
// naming the operation (the dialogue's fatal stop), never with an uncaught
// exception.
template <class Operation>
decltype(auto) WithMemoryGuard(std::string_view name, Operation&& operation) {
  std::string beyond;
  try {
    return operation();
  } catch (const BeyondMemory& claim) {
    beyond = claim.message();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  Stop(beyond.empty() ? std::string(name) + ": not enough memory" : beyond,
       [name] { Say(name, " - not enough memory!"); });
}
