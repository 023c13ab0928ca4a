// Golden transcripts: runs the real fncprep once per folder under tests/cases
// and compares its console output, exit status and files byte for byte.
//
// A case is a folder tests/cases/<name>/ (the test is named after it):
//   stdin             optional; the bytes given on standard input (empty if absent)
//   in/               optional; copied (names kept, subfolders too) into a fresh
//                     temporary folder in which the program runs
//   setup             optional bash script, run in that folder before the program
//                     (symlinks, folders in place of files, ...); CASE_DIR holds the
//                     case folder, SOURCE_DIR (and FNCPREP_SOURCE_DIR) the repository;
//                     it must exit 0
//   env               optional; lines NAME=value added to the program's environment
//                     (empty lines and lines starting with # are ignored)
//   expected/stdout   required; exact bytes of standard output (may be an empty file)
//   expected/stderr   required; exact bytes of standard error (may be an empty file)
//   expected/status   required; the exit status in decimal
//   expected/files/   optional; every file below it must exist at the same relative
//                     path in the run folder afterwards, with exactly these bytes
//   expected/absent   optional; one relative path a line that must not exist afterwards
// A folder whose name starts with DISABLED_ is reported as skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::FirstDifference;
using testing_support::ReadFileBytes;

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  const fs::path root(FNCPREP_CASES);
  if (!fs::is_directory(root)) return names;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Test names may only hold letters, digits and underscores.
std::string TestName(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

void ExpectSame(const std::string& what, const std::string& expected, const std::string& actual) {
  const std::string difference = FirstDifference(expected, actual);
  if (!difference.empty()) ADD_FAILURE() << what << " differs, " << difference;
}

std::map<std::string, std::string> ReadEnv(const fs::path& file) {
  std::map<std::string, std::string> env;
  if (!fs::exists(file)) return env;
  std::istringstream lines(ReadFileBytes(file));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos || equals == 0) {
      ADD_FAILURE() << "env line without NAME=value: \"" << line << "\"";
      continue;
    }
    env[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return env;
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

class GoldenCase : public testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, Transcript) {
  const std::string& name = GetParam();
  if (name.rfind("DISABLED_", 0) == 0) GTEST_SKIP() << "disabled case " << name;
  const fs::path case_dir = fs::path(FNCPREP_CASES) / name;
  const fs::path expected_dir = case_dir / "expected";
  for (const char* required : {"stdout", "stderr", "status"}) {
    ASSERT_TRUE(fs::is_regular_file(expected_dir / required))
        << name << ": expected/" << required << " is missing";
  }

  testing_support::TempDir dir;
  if (fs::is_directory(case_dir / "in")) {
    fs::copy(case_dir / "in", dir.path(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
  if (fs::exists(case_dir / "setup")) {
    const std::string command = "cd " + ShellQuoted(dir.path().string()) +
                                " && CASE_DIR=" + ShellQuoted(case_dir.string()) +
                                " SOURCE_DIR=" + ShellQuoted(FNCPREP_SOURCE_DIR) +
                                " FNCPREP_SOURCE_DIR=" + ShellQuoted(FNCPREP_SOURCE_DIR) +
                                " bash " + ShellQuoted((case_dir / "setup").string());
    ASSERT_EQ(std::system(command.c_str()), 0) << name << ": setup script failed";
  }
  const auto env = ReadEnv(case_dir / "env");
  const std::string input =
      fs::exists(case_dir / "stdin") ? ReadFileBytes(case_dir / "stdin") : std::string();

  const auto result = testing_support::RunIn(dir.path(), FNCPREP_BINARY, input, env);

  ExpectSame(name + ": standard output", ReadFileBytes(expected_dir / "stdout"), result.out);
  ExpectSame(name + ": standard error", ReadFileBytes(expected_dir / "stderr"), result.err);
  EXPECT_EQ(std::stoi(ReadFileBytes(expected_dir / "status")), result.status)
      << name << ": exit status differs";

  const fs::path files_dir = expected_dir / "files";
  if (fs::is_directory(files_dir)) {
    for (const auto& entry : fs::recursive_directory_iterator(files_dir)) {
      if (!entry.is_regular_file()) continue;
      const fs::path relative = fs::relative(entry.path(), files_dir);
      const fs::path produced = dir.path() / relative;
      if (!fs::is_regular_file(produced)) {
        ADD_FAILURE() << name << ": file " << relative.string() << " was not produced";
        continue;
      }
      ExpectSame(name + ": file " + relative.string(), ReadFileBytes(entry.path()),
                 ReadFileBytes(produced));
    }
  }

  if (fs::exists(expected_dir / "absent")) {
    std::istringstream lines(ReadFileBytes(expected_dir / "absent"));
    std::string line;
    while (std::getline(lines, line)) {
      if (line.empty()) continue;
      EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / line)))
          << name << ": " << line << " should not exist";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, testing::ValuesIn(CaseNames()), TestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenCase);

}  // namespace
