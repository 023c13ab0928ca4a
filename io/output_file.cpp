// Outputs replaced whole: a temporary file beside the output, renamed over it.
#include "io/output_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "io/console.hpp"

namespace {

namespace fs = std::filesystem;

// The temporary file of the output being written ("" when none), and the
// name it is to take. The handlers read the path, so it lives in a fixed
// array that is only changed while the signals are blocked.
char g_temporary[4096];
std::string g_target;

void BlockSignals(bool block) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigprocmask(block ? SIG_BLOCK : SIG_UNBLOCK, &signals, nullptr);
}

void Forget() {
  BlockSignals(true);
  g_temporary[0] = '\0';
  BlockSignals(false);
}

void RemoveTemporary() {
  if (g_temporary[0] != '\0') ::unlink(g_temporary);
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
    action = {};
    action.sa_handler = EndBySignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

// The file a chain of symbolic links ends at (the name itself if it is none).
fs::path Target(const std::string& name) {
  fs::path path = name;
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    const fs::path link = fs::read_symlink(path, error);
    if (error) break;
    path = path.parent_path() / link;  // an absolute link replaces the whole path
  }
  return path;
}

// The permission bits a file created by the stream would get.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void OpenOutput(std::ofstream& stream, const std::string& name) {
  static const bool installed = (InstallHandlers(), true);
  (void)installed;
  // A temporary file left by an output that failed earlier in this process.
  RemoveTemporary();
  Forget();
  const auto direct = [&] { OpenOn(stream, name, std::ios::out | std::ios::trunc); };
  if (name.empty() || name.find('\0') != std::string::npos) return direct();
  const fs::path target = Target(name);
  struct stat status {};
  mode_t mode = 0;
  if (::stat(target.c_str(), &status) == 0) {
    if (!S_ISREG(status.st_mode)) return direct();
    mode = status.st_mode & 07777;
  } else {
    mode = NewFileMode();
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string hidden(".");
  hidden.append(target.filename().string()).append(".XXXXXX");
  const std::string pattern = (folder / hidden).string();
  if (pattern.size() >= sizeof g_temporary) return direct();
  BlockSignals(true);
  std::memcpy(g_temporary, pattern.c_str(), pattern.size() + 1);
  const int file = ::mkstemp(g_temporary);
  if (file < 0) g_temporary[0] = '\0';
  BlockSignals(false);
  if (file < 0) return direct();
  const bool ready = ::fchmod(file, mode) == 0;
  // The owner and group of a replaced file, where the system allows it.
  if (S_ISREG(status.st_mode)) {
    [[maybe_unused]] const int kept = ::fchown(file, status.st_uid, status.st_gid);
  }
  ::close(file);
  if (ready) {
    if (stream.is_open()) stream.close();
    stream.open(g_temporary, std::ios::out | std::ios::trunc);
  }
  // A file whose permission bits keep it from being written (the old file's,
  // now the temporary file's) is refused through the stream, as it was before.
  if (!ready || !stream.is_open()) {
    RemoveTemporary();
    Forget();
    return direct();
  }
  g_target = target.string();
}

void PlaceOutput(std::ofstream& stream, std::string_view writer, const std::string& name) {
  errno = 0;
  stream.close();
  if (g_temporary[0] == '\0') return;
  const bool placed = !stream.fail() && std::rename(g_temporary, g_target.c_str()) == 0;
  const int error = errno;
  if (!placed) RemoveTemporary();
  Forget();
  if (!placed) WriteFailed(writer, name, error);
}
