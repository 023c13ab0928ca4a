// The shipped examples' scripts (their runs are checked in the mode tests
// and a golden case), and a check that README.md documents every
// message the program can print.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const fs::path kSource(FNCPREP_SOURCE_DIR);
const fs::path kExamples = kSource / "examples";

TEST(ShellExample, GeneratorIsDeterministicAndTakesItsArguments) {
  TempDir dir;
  const std::string script =
      "sh '" + (kExamples / "shell" / "make_incfg.sh").string() + "' 2 100 > '";
  for (const char* name : {"a", "b"}) {
    ASSERT_EQ(std::system((script + (dir.path() / name).string() + "'").c_str()), 0);
  }
  const std::string a = ReadFileBytes(dir.path() / "a");
  EXPECT_EQ(a, ReadFileBytes(dir.path() / "b"));
  // 2 cells per edge: 4 x 8 = 32 atoms, cell edge 0.5 in box units, so the
  // first cell's four sites are the corner and three face centres.
  const auto lines = SplitLines(a);
  ASSERT_EQ(lines.size(), 18u + 4u + 32u);
  EXPECT_EQ(lines[7], "         32 molecules of all types");
  EXPECT_EQ(lines[14], "            100.000000   0.000000   0.000000");
  EXPECT_EQ(lines[22], " -0.500000000000000  -0.500000000000000  -0.500000000000000");
  EXPECT_EQ(lines[23], " -0.250000000000000  -0.250000000000000  -0.500000000000000");
  EXPECT_EQ(lines[24], " -0.250000000000000  -0.500000000000000  -0.250000000000000");
  EXPECT_EQ(lines[25], " -0.500000000000000  -0.250000000000000  -0.250000000000000");
  EXPECT_EQ(lines[26], " -0.500000000000000  -0.500000000000000  0.000000000000000");
}

TEST(Examples, RunAllScriptRunsEveryExample) {
  TempDir dir;
  const std::string command = "bash '" + (kExamples / "run_all.sh").string() + "' '" +
                              FNCPREP_BINARY + "' '" + dir.path().string() + "' > '" +
                              (dir.path() / "report").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFileBytes(dir.path() / "report");
  const std::string report = ReadFileBytes(dir.path() / "report");
  for (const std::string name : {"small", "liquid", "shell"}) {
    EXPECT_NE(report.find(name + ": ok"), std::string::npos) << report;
  }
  for (const char* file :
       {"small/small.fnc", "liquid/liquid.fnc", "shell/shell.cfg", "shell/shell.fnc"}) {
    EXPECT_TRUE(fs::exists(dir.path() / file)) << file;
  }
}

// ---------------------------------------------------------------------------
// Every console message in the sources is documented in README.md.

// The source with comments blanked out; string and character literals kept.
std::string WithoutComments(const std::string& source) {
  std::string out = source;
  std::size_t i = 0;
  while (i < out.size()) {
    const char c = out[i];
    if (c == '"' || c == '\'') {
      for (++i; i < out.size() && out[i] != c; ++i) {
        if (out[i] == '\\') ++i;
      }
      ++i;
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '/') {
      while (i < out.size() && out[i] != '\n') out[i++] = ' ';
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '*') {
      while (i + 1 < out.size() && !(out[i] == '*' && out[i + 1] == '/')) out[i++] = ' ';
      if (i + 1 < out.size()) out[i] = out[i + 1] = ' ';
      i += 2;
    } else {
      ++i;
    }
  }
  return out;
}

// The string literals between `from` and `to`, adjacent literals joined and
// escapes resolved.
std::vector<std::string> Literals(const std::string& code, std::size_t from, std::size_t to) {
  to = std::min(to, code.size());
  std::vector<std::string> found;
  std::size_t i = from;
  bool joining = false;
  while (i < to) {
    const char c = code[i];
    if (c == '\'') {
      for (++i; i < to && code[i] != '\''; ++i) {
        if (code[i] == '\\') ++i;
      }
      ++i;
      joining = false;
    } else if (c == '"') {
      std::string text;
      for (++i; i < to && code[i] != '"'; ++i) {
        if (code[i] == '\\' && i + 1 < to) {
          const char e = code[++i];
          text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          text += code[i];
        }
      }
      ++i;
      if (joining) {
        found.back() += text;
      } else {
        found.push_back(text);
      }
      joining = true;
    } else {
      if (!std::isspace(static_cast<unsigned char>(c))) joining = false;
      ++i;
    }
  }
  return found;
}

bool IdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

struct Message {
  std::string text;
  std::string where;
};

// Texts that reach the console: arguments of the message helpers and of the
// stop/warning helpers (their name lines), "<name> - not enough memory!" for
// the memory guard, and literals streamed to std::cout and std::cerr. Each is
// split at line feeds and tabs; pieces without a letter (blanks, brackets,
// "!") are left out.
std::vector<Message> ConsoleMessages() {
  // Each call or stream statement, up to its end.
  const char* const starts[] = {"Say(",
                                "WarningBlock(",
                                "WarningNotice(",
                                "WithMemoryGuard(",
                                "CheckReadOutcome(",
                                "CheckWriteOutcome(",
                                "std::cout",
                                "std::cerr"};
  std::vector<Message> messages;
  auto add = [&messages](const std::string& text, const std::string& where) {
    std::string piece;
    for (const char c : text + "\n") {
      if (c == '\n' || c == '\t') {
        if (std::any_of(piece.begin(), piece.end(),
                        [](char p) { return std::isalpha(static_cast<unsigned char>(p)); })) {
          messages.push_back({piece, where});
        }
        piece.clear();
      } else {
        piece += c;
      }
    }
  };
  for (const char* folder : {"io", "app", "fnc", "cfg", "shell"}) {
    for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
      const auto extension = entry.path().extension();
      if (extension != ".cpp" && extension != ".hpp") continue;
      const std::string code = WithoutComments(ReadFileBytes(entry.path()));
      const std::string where = fs::relative(entry.path(), kSource).string();
      for (const std::string start : starts) {
        for (std::size_t at = code.find(start); at != std::string::npos;
             at = code.find(start, at + 1)) {
          if (at > 0 && IdentifierChar(code[at - 1])) continue;
          const auto literals = Literals(code, at, code.find(';', at));
          if (start == "WithMemoryGuard(") {
            if (!literals.empty()) add(literals.front() + " - not enough memory!", where);
          } else {
            for (const std::string& literal : literals) add(literal, where);
          }
        }
      }
    }
  }
  return messages;
}

TEST(Readme, DocumentsEveryConsoleMessage) {
  const std::string readme = ReadFileBytes(kSource / "README.md");
  ASSERT_FALSE(readme.empty());
  const auto messages = ConsoleMessages();
  // The extraction itself must find the program's messages, or the check
  // below would pass on nothing.
  std::set<std::string> texts;
  for (const Message& m : messages) texts.insert(m.text);
  for (const char* known :
       {"Sorry, cannot create SimpleCfg.", "FNC constructor - not enough memory!",
        "SimpleCfg::load - file not open or non-existing.", "Quit (y)?->",
        "Loading failed, possibly due to wrong file format!", "SimpleCfg::GetParameters",
        "ERROR! The offset for central atom ",
        "There is no open file to save the SimpleCfg object ",
        "Most probably the atom indices overlap betwwen two different molecule type! Cannot "
        "proceed, exiting..."}) {
    EXPECT_EQ(texts.count(known), 1u) << "not extracted from the sources: " << known;
  }
  EXPECT_GE(texts.size(), 40u);
  for (const Message& m : messages) {
    EXPECT_NE(readme.find(m.text), std::string::npos)
        << "README.md lacks the text \"" << m.text << "\" (from " << m.where << ")";
  }
}

}  // namespace
