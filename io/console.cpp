// Console conventions: the fatal stop and the warning messages.
#include "io/console.hpp"

#include <cstdlib>
#include <fstream>

namespace {
FatalStopHook g_stop_hook = nullptr;
}  // namespace

void SetFatalStopHook(FatalStopHook hook) { g_stop_hook = hook; }

void FatalStop() {
  std::cerr << "Quit (y)?->" << std::endl;
  if (g_stop_hook != nullptr) g_stop_hook();
  char answer = 0;
  std::cin >> answer;
  std::exit(1);
}

void SetUpConsole() {
  std::cerr.setf(std::ios::unitbuf);
  std::cin.tie(&std::cout);
  std::cerr.tie(&std::cout);
}

bool HasOpenFile(const std::ios& stream) {
  std::streambuf* buf = stream.rdbuf();
  if (buf == nullptr) return false;
  if (const auto* file = dynamic_cast<const std::filebuf*>(buf)) return file->is_open();
  return true;
}

void WarningBlock(std::string_view name, const std::ios& stream) {
  Say("****WARNING****");
  Say(name);
  if (stream.rdstate() & std::ios::failbit) {
    Say(stream.eof() ? "End of file was reached during loading!"
                     : "Loading failed, possibly due to wrong file format!");
  }
  Say("Cannot run this way, exiting...!");
  FatalStop();
}

void CheckReadOutcome(std::string_view name, const std::ios& stream) {
  if (HasOpenFile(stream) && !stream.fail()) return;
  WarningBlock(name, stream);
}

void WarningNotice(std::string_view name, std::string_view reason) {
  Say("\n****WARNING****");
  Say(name);
  Say(reason);
}

void CheckWriteOutcome(std::string_view name, std::ostream& stream) {
  stream.flush();
  if (!stream.fail()) return;
  Say("****WARNING****");
  Say(name);
  Say("Writing failed, the file may be incomplete!");
  Say("Cannot run this way, exiting...!");
  FatalStop();
}
