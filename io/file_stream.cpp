// Opening files on the run's streams, the outcome of writing them, standard
// output, and outputs replaced whole: temporary files beside the outputs,
// renamed over them together.
#include "io/file_stream.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <streambuf>

namespace {

namespace fs = std::filesystem;

constexpr int kCleanedUpSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The temporary files not yet in place, which a signal removes. Changed only
// with the signals held back, so that a handler never sees it half changed.
std::vector<std::string> g_temporaries;

void HoldSignals(int how) {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : kCleanedUpSignals) sigaddset(&signals, signal);
  sigprocmask(how, &signals, nullptr);
}

extern "C" void EndBySignal(int signal) {
  for (const std::string& temporary : g_temporaries) ::unlink(temporary.c_str());
  // The handler was reset on entry: raised again, the signal ends the run.
  std::raise(signal);
}

void InstallHandlers() {
  for (const int signal : kCleanedUpSignals) {
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    if (action.sa_handler == SIG_IGN) continue;  // ignored by whoever started the run
    action.sa_handler = EndBySignal;
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
}

// Where a name leads: the end of its chain of symbolic links, whether that
// file exists or not, or the first descriptor of the process on the way.
struct Destination {
  fs::path path;
  int descriptor = -1;
};

Destination Follow(const std::string& name) {
  const std::string own = "/proc/" + std::to_string(::getpid());
  Destination end{name};
  std::error_code error;
  for (int hops = 0; hops < 40; ++hops) {
    const fs::path parent = end.path.parent_path();
    const fs::path folder = fs::canonical(parent.empty() ? "." : parent, error);
    if (!error && (folder == own + "/fd" || folder == own + "/task/" + own.substr(6) + "/fd")) {
      end.descriptor = std::atoi(end.path.filename().c_str());
      break;
    }
    if (!fs::is_symlink(fs::symlink_status(end.path, error))) break;
    end.path = parent / fs::read_symlink(end.path, error);  // an absolute link replaces it
  }
  return end;
}

// The permission bits a file created by the stream would get.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The failed write of the writer whose name line is `writer` to `file`, for
// the system's reason `error` (0 if none).
LocatedError WriteFailure(std::string_view writer, const std::string& file, int error) {
  return LocatedError::Text(file, 0,
                            std::string("writing failed") +
                                (error != 0 ? std::string(": ") + std::strerror(error) : ""))
      .Block(std::string(writer), LocatedError::Reason::kWritingFailed);
}

// Leaves the stream as a file that cannot be opened leaves it.
void LeaveFailed(std::ofstream& stream) {
  if (stream.is_open()) stream.close();
  stream.clear(std::ios::failbit);
}

// Refuses `name` through the stream, as a file that cannot be opened.
void Refuse(std::ofstream& stream, const std::string& name, const std::string& reason,
            Report& report) {
  LeaveFailed(stream);
  report.Refused(LocatedError::Text(name, 0, reason));
}

// The name of a temporary file beside `target`: hidden, and within the
// folder's longest name even where the target's own name nearly fills it.
std::string TemporaryName(const fs::path& target) {
  const fs::path parent = target.parent_path();
  long longest = ::pathconf(parent.empty() ? "." : parent.c_str(), _PC_NAME_MAX);
  if (longest < 8) longest = NAME_MAX;
  std::string hidden(".");
  hidden.append(target.filename().string());
  hidden.resize(std::min<std::size_t>(hidden.size(), static_cast<std::size_t>(longest) - 7));
  hidden.append(".XXXXXX");
  return (parent / hidden).string();
}

// Holds an advisory lock on each folder of `files` while it lives. The
// folders are taken in the order of their names, so that two runs never wait
// for each other; one that cannot be locked (unreadable, or on a file system
// without locks) is passed over.
class FolderLocks {
 public:
  explicit FolderLocks(const std::vector<std::string>& files) {
    std::vector<fs::path> folders;
    for (const std::string& file : files) {
      std::error_code error;
      const fs::path parent = fs::path(file).parent_path();
      folders.push_back(fs::weakly_canonical(parent.empty() ? "." : parent, error));
    }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const fs::path& folder : folders) {
      const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (descriptor < 0) continue;
      while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
      }
      descriptors_.push_back(descriptor);
    }
  }
  ~FolderLocks() {
    for (const int descriptor : descriptors_) ::close(descriptor);
  }
  FolderLocks(const FolderLocks&) = delete;
  FolderLocks& operator=(const FolderLocks&) = delete;

 private:
  std::vector<int> descriptors_;
};

// Standard output's buffer: written with write(2), so that the reason for a
// failed write is known.
class WatchedOutput final : public std::streambuf {
 public:
  WatchedOutput() { setp(buffer_, buffer_ + sizeof buffer_); }
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (Drain() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain(); }

 private:
  int Drain() {
    for (const char* p = pbase(); p < pptr();) {
      const ssize_t written = ::write(STDOUT_FILENO, p, static_cast<std::size_t>(pptr() - p));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        if (error_ == 0) error_ = written < 0 ? errno : EIO;
        setp(buffer_, buffer_ + sizeof buffer_);
        return -1;
      }
      p += written;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return 0;
  }

  char buffer_[1 << 14];
  int error_ = 0;
};

// Never destroyed: the streams' own clean-up at exit flushes std::cout into it.
WatchedOutput* const g_standard_output = new WatchedOutput;

}  // namespace

void WatchStandardOutput() { std::cout.rdbuf(g_standard_output); }

int FinishStandardOutput(int status) {
  std::cout.flush();
  if (g_standard_output->error() == 0) return status;
  std::cerr << "fncprep: standard output: " << std::strerror(g_standard_output->error()) << '\n';
  return 1;
}

void RefuseUnusable(const std::string& name, bool opened, int error, Report& report) {
  if (!opened) {
    report.Refused(LocatedError::Text(name, 0, std::strerror(error != 0 ? error : ENOENT)));
  } else if (std::filesystem::is_directory(name)) {
    report.Refused(LocatedError::Text(name, 0, std::strerror(EISDIR)));
  }
}

void OpenTwiceReadable(std::ifstream& stream, const std::string& name, Report& report) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (!fs::exists(status) || fs::is_regular_file(status) || fs::is_directory(status)) {
    return OpenOn(stream, name, std::ios::in, report);
  }
  if (stream.is_open()) stream.close();
  stream.clear(std::ios::failbit);
  report.Refused(LocatedError::Text(name, 0, "not a regular file, and it must be read twice"));
}

void CheckWriteOutcome(std::string_view writer, std::ostream& stream, const std::string& file) {
  stream.flush();
  if (stream.fail()) throw WriteFailure(writer, file, errno);
}

bool RefuseSameFile(const std::string& name, const std::vector<std::string>& inputs,
                    const std::vector<std::string>& outputs, Report& report) {
  const fs::path path = Follow(name).path;
  std::error_code error;
  const bool exists = fs::exists(path, error);
  for (const auto& [files, what] : {std::pair{&inputs, "input "}, std::pair{&outputs, "output "}}) {
    for (const std::string& other : *files) {
      const fs::path other_path = Follow(other).path;
      // Files that exist are the same by device and inode; a name that
      // leads to no file yet is the same as another leading to where it
      // would be created.
      const bool same =
          exists ? fs::equivalent(path, other_path, error)
                 : !fs::exists(other_path, error) &&
                       fs::weakly_canonical(path, error) == fs::weakly_canonical(other_path, error);
      if (same) {
        report.Refused(LocatedError::Text(
            name, 0, std::string("the same file as the ") + what + other + "; nothing is written"));
        return true;
      }
    }
  }
  return false;
}

RunOutputs::RunOutputs(std::vector<std::string> inputs) : inputs_(std::move(inputs)) {
  [[maybe_unused]] static const bool installed = (InstallHandlers(), true);
}

RunOutputs::~RunOutputs() {
  HoldSignals(SIG_BLOCK);
  for (const std::string& temporary : g_temporaries) ::unlink(temporary.c_str());
  g_temporaries.clear();
  HoldSignals(SIG_UNBLOCK);
}

void RunOutputs::Open(std::ofstream& stream, const std::string& name, Report& report) {
  std::vector<std::string> earlier;
  for (const Output& output : outputs_) earlier.push_back(output.name);
  Output& output = outputs_.emplace_back(Output{name, name, "", "", -1});
  if (RefuseSameFile(name, inputs_, earlier, report)) return LeaveFailed(stream);
  const Destination destination = Follow(name);
  if (destination.descriptor >= 0) {
    // Written where it stands, after what the run has written there itself.
    std::cout.flush();
    output.descriptor = destination.descriptor;
    return OpenOn(stream, name, std::ios::out | std::ios::app, report);
  }
  output.target = destination.path.string();
  struct stat status {};
  const bool exists = ::stat(output.target.c_str(), &status) == 0;
  if (name.empty() || (exists && !S_ISREG(status.st_mode))) {
    return OpenOn(stream, name, std::ios::out | std::ios::trunc, report);
  }
  if (exists) {
    // A file that may not be written is refused, even where a temporary
    // file beside it could be renamed over it.
    const int probe = ::open(output.target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (probe < 0) return Refuse(stream, name, std::strerror(errno), report);
    ::close(probe);
  }
  std::string temporary = TemporaryName(destination.path);
  // Created and registered with the signals held back, so that none comes
  // between the two and leaves the file behind.
  HoldSignals(SIG_BLOCK);
  const int file = ::mkostemp(temporary.data(), O_CLOEXEC);
  const int error = errno;
  if (file >= 0) g_temporaries.push_back(temporary);
  HoldSignals(SIG_UNBLOCK);
  if (file < 0) {
    return Refuse(stream, name,
                  exists ? std::string("no temporary file can be made beside it (") +
                               std::strerror(error) + "), so it is kept as it is"
                         : std::strerror(error),
                  report);
  }
  output.temporary = temporary;
  if (stream.is_open()) stream.close();
  stream.open(temporary, std::ios::out | std::ios::trunc);
  stream.clear(stream.is_open() ? std::ios::goodbit : std::ios::failbit);
  if (!stream.is_open()) Refuse(stream, name, std::strerror(errno), report);
  // The owner, group and permission bits of a replaced file (the owner where
  // the system allows it), or those of a new one.
  if (exists) {
    [[maybe_unused]] const int kept = ::fchown(file, status.st_uid, status.st_gid);
  }
  ::fchmod(file, exists ? status.st_mode & 07777 : NewFileMode());
  ::close(file);
}

void RunOutputs::Close(std::ofstream& stream, std::string_view writer) {
  Output& output = outputs_.back();
  output.writer = writer;
  errno = 0;
  stream.close();
  if (stream.fail()) throw WriteFailure(writer, output.name, errno);
  // What the run writes there next goes after it, also where the descriptor
  // was not opened for appending.
  if (output.descriptor >= 0) ::lseek(output.descriptor, 0, SEEK_END);
}

void RunOutputs::Place() {
  std::vector<std::string> targets;
  for (const Output& output : outputs_) {
    if (!output.temporary.empty()) targets.push_back(output.target);
  }
  const FolderLocks lock(targets);
  HoldSignals(SIG_BLOCK);
  const Output* failed = nullptr;
  int error = 0;
  for (const Output& output : outputs_) {
    if (output.temporary.empty()) continue;
    if (std::rename(output.temporary.c_str(), output.target.c_str()) != 0) {
      failed = &output;
      error = errno;
      break;
    }
    std::erase(g_temporaries, output.temporary);
  }
  HoldSignals(SIG_UNBLOCK);
  if (failed != nullptr) throw WriteFailure(failed->writer, failed->name, error);
}
