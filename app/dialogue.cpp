// The dialogue: its fixed texts, its report, and its one catch, which prints
// an error's fixed lines and takes the fatal stop while the run's objects are
// still alive, so that none of their destructors' lines appears.
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <string>
#include <string_view>

#include "app/driver.hpp"
#include "io/file_stream.hpp"

namespace {

constexpr const char* kHelpText[] = {
    "This program creates a 'filename'.fnc and a 'filename'.cfg file for varnel++.",
    "Parameters will be read from the *.dat file. The format of the file is completey different "
    "for the two different option!",
    "It can work two different ways:",
    "\n1.) The atoms will be arrenged randomly around the central atom inside a sphere of given "
    "radius",
    "    The coordinates of the central atoms will be read from an varnel version 3 format "
    "'filename'.incfg file.",
    "The filename.incfg file should contain the coordinates of the type 1 central particles, and "
    "the output configuration containing the two types will be saved in filename.cfg.",
    "For example: creating 12 neighbours of type 2 between 35 and 123 A arond each type 1 central "
    "atom the following parameter file should be used:",
    " 8788\t! number of molecules",
    " 2\t\t! number of types",
    " 1\t\t! type of the central atom starting with 1",
    " 0 12\t! number of neighbours for a molecule/type",
    " 0 35\t! radius of the inner spehere for each neighbourtype",
    " 0 123\t! radius of the outer spehere for each neighbourtype",
    " 1\t\t! number of constrained FNC distance",
    "",
    "2.) Only fnc file will be created according to the fnc pairs specified in the *.dat file.",
    "For a three component system containing 1331 propanol, 25 argon and 10 ethene molecules, "
    "where propanol has 29 and ethene 5 fnc pairs/molecules ",
    "the *.dat file's beginning (containing only 3 fnc pairs for propanol) should look like this:",
    " 16060\t\t\t!number of atoms in the configuration",
    " 2\t\t\t!number of molecule types containing fnc constraint",
    " 1331 10\t\t!number of molecule/type following each other",
    "\t\t\tin the same line",
    " 12 6\t\t\t!number of atoms/molecule type following each other",
    "\t\t\tin the same line",
    " 29 5\t\t\t!number of fnc constrained pairs/molecule following",
    "\t\t\teach other in the same line",
    " 1 1.47 1.59\t\t!constraint index, dmin, dmax (dmin, dmax only ",
    "\t\t\tif it is the first occurence)",
    " 1 1332 2 1333\t\t!indices of the constrained pair in the first ",
    "\t\t\tmolecule, then in the second molecule ",
    " 1\t\t\t!constraint index, dmin, dmax (dmin, dmax only ",
    "\t\t\tif it is the first occurence)",
    " 1332 2663 1333 2664\t!indices of the constrained pair in the first ",
    "\t\t\tmolecule, then in the second molecule ",
    " 2 1.05 1.13\t\t!constraint index, dmin, dmax (dmin, dmax only ",
    "\t\t\tif it is the first occurence)",
    " 1 5325 2 5327\t\t!indices of the constrained pair in the first ",
    "\t\t\tmolecule, then in the second molecule ",
    "",
    "After all the fnc pairs of the first molecule type (now the propanol) the following molecule "
    "type's fnc constraint should follow. In this example no fnc will be given for argon, so the 5 "
    "fnc pairs of ethen will follow the propanol.",
};

// One message line on standard output: the text, a line feed and a flush.
void Say(std::string_view line) { std::cout << line << std::endl; }

// Ends the process after an error: one character read and ignored, exit
// status 1, the run's objects not destroyed.
[[noreturn]] void FatalStop() {
  std::cerr << "Quit (y)?->" << std::endl;
  char answer{};
  std::cin >> answer;
  std::exit(FinishStandardOutput(1));
}

// The fixed lines of an error: the warning block, then the operation's own.
void SayError(const LocatedError& error) {
  constexpr const char* kReasons[] = {nullptr, "End of file was reached during loading!",
                                      "Loading failed, possibly due to wrong file format!",
                                      "Writing failed, the file may be incomplete!"};
  const LocatedError::Dialogue& text = error.dialogue();
  if (!text.block.empty()) {
    Say("****WARNING****");
    Say(text.block);
    if (const char* reason = kReasons[static_cast<int>(text.reason)]) Say(reason);
    Say("Cannot run this way, exiting...!");
  }
  for (const std::string& line : text.lines) {
    (text.to_standard_error ? std::cerr : std::cout) << line << std::endl;
  }
}

struct DialogueReport final : Report {
  void Notice(std::string_view line) override { Say(line); }
  void Warn(Warning) override {}                 // accepted in silence
  void Refused(const LocatedError&) override {}  // read on, as the dialogue always has
};

// Characters are read until a '1' or a '2'; others are passed over silently.
// Without a mode there is nothing to do but stop.
char AskMode() {
  Say("Choose from the options (1,2)");
  char c{};
  while (std::cin >> c) {
    if (c == '1' || c == '2') return c;
  }
  FatalStop();
}

// A stem that never ends is refused once it is far longer than any name a
// file system takes.
std::string AskStem() {
  constexpr std::size_t kLongestStem = std::size_t{1} << 20;
  std::cout << "The name of the files without extension:";
  std::string stem;
  std::cin >> std::setw(kLongestStem + 1) >> stem;
  if (stem.size() > kLongestStem) {
    Say("The file stem is longer than " + std::to_string(kLongestStem) +
        " characters, cannot run this way, exiting...!");
    FatalStop();
  }
  return stem;
}

}  // namespace

int RunFncprep() {
  for (const char* line : kHelpText) Say(line);
  const char mode = AskMode();
  const RunFiles files(AskStem());
  DialogueReport report;
  RunObjects run;
  try {
    if (mode == '1') {
      GrowShells(files, run, report);
    } else {
      ExpandPairs(files, run, report);
    }
  } catch (const LocatedError& error) {
    SayError(error);
    FatalStop();
  }
  Say(" QUIT (y)? ->");
  char answer{};
  std::cin >> answer;
  return 0;
}
