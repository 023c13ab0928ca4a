// Runs the real fncprep binary in a folder with answers on standard input and
// collects standard output, standard error and the exit status.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace testing_support {

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A fresh folder under the system's temporary folder, removed on destruction.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("fncprep-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};

// Runs `binary` in `dir` with `input` on standard input and the extra
// environment `env` (for example the frozen clock of libfaketime).
inline RunResult RunIn(const std::filesystem::path& dir, const std::string& binary,
                       const std::string& input,
                       const std::map<std::string, std::string>& env = {}) {
  const auto stdin_path = dir / ".stdin";
  const auto stdout_path = dir / ".stdout";
  const auto stderr_path = dir / ".stderr";
  WriteFileBytes(stdin_path, input);
  std::ostringstream command;
  command << "cd '" << dir.string() << "' && env";
  for (const auto& [name, value] : env) command << " '" << name << "=" << value << "'";
  command << " '" << binary << "' < .stdin > .stdout 2> .stderr";
  const int raw = std::system(command.str().c_str());
  RunResult result;
  result.out = ReadFileBytes(stdout_path);
  result.err = ReadFileBytes(stderr_path);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::filesystem::remove(stdin_path);
  std::filesystem::remove(stdout_path);
  std::filesystem::remove(stderr_path);
  return result;
}

}  // namespace testing_support
