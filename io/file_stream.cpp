// Opening files on the run's streams, the outcome of writing them, and
// outputs replaced whole: a temporary file beside the output, renamed over it.
#include "io/file_stream.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The temporary file of the output being written, and the name it is to
// take. The handlers remove the temporary file while `g_pending` is set,
// from its creation until it is in place; its name is not changed meanwhile.
std::string g_temporary;
std::string g_target;
volatile std::sig_atomic_t g_pending = false;

void HoldSignals(int how) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigprocmask(how, &signals, nullptr);
}

void RemoveTemporary() {
  if (g_pending) ::unlink(g_temporary.c_str());
}

extern "C" void EndBySignal(int signal) {
  RemoveTemporary();
  // The handler was reset on entry: raised again, the signal ends the run.
  std::raise(signal);
}

void InstallHandlers() {
  std::atexit(RemoveTemporary);
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    if (action.sa_handler == SIG_IGN) continue;  // ignored by whoever started the run
    action.sa_handler = EndBySignal;
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
}

// The file a chain of symbolic links ends at (the name itself if it is none).
fs::path Target(const std::string& name) {
  fs::path path = name;
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    path = path.parent_path() / fs::read_symlink(path, error);  // an absolute link replaces it
  }
  return path;
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

}  // namespace

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

void OpenOutput(std::ofstream& stream, const std::string& name, Report& report) {
  [[maybe_unused]] static const bool installed = (InstallHandlers(), true);
  const auto direct = [&] { OpenOn(stream, name, std::ios::out | std::ios::trunc, report); };
  const fs::path target = Target(name);
  struct stat status {};
  const bool exists = ::stat(target.c_str(), &status) == 0;
  if (name.empty() || (exists && !S_ISREG(status.st_mode))) return direct();
  std::string hidden(".");
  hidden.append(target.filename().string()).append(".XXXXXX");
  g_temporary = (target.parent_path() / hidden).string();
  // Created and registered with the signals held back, so that none comes
  // between the two and leaves the file behind.
  HoldSignals(SIG_BLOCK);
  const int file = ::mkstemp(g_temporary.data());
  g_pending = file >= 0;
  HoldSignals(SIG_UNBLOCK);
  if (file < 0) return direct();
  // The permission bits, owner and group of a replaced file (the owner where
  // the system allows it), or those of a new one.
  ::fchmod(file, exists ? status.st_mode & 07777 : NewFileMode());
  if (exists) {
    [[maybe_unused]] const int kept = ::fchown(file, status.st_uid, status.st_gid);
  }
  ::close(file);
  stream.open(g_temporary, std::ios::out | std::ios::trunc);
  // A file whose permission bits keep it from being written (the old file's,
  // now the temporary file's) is refused through the stream, as before.
  if (!stream.is_open()) {
    RemoveTemporary();
    g_pending = false;
    return direct();
  }
  g_target = target.string();
}

void PlaceOutput(std::ofstream& stream, std::string_view writer, const std::string& name) {
  errno = 0;
  stream.close();
  if (!g_pending) return;
  const bool placed = !stream.fail() && std::rename(g_temporary.c_str(), g_target.c_str()) == 0;
  const int error = errno;
  if (!placed) RemoveTemporary();
  g_pending = false;
  if (!placed) throw WriteFailure(writer, name, error);
}
