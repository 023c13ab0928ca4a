// Console conventions: the voice of the run, the fatal stop and the warning
// messages.
#include "io/console.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "io/text_reader.hpp"

namespace {

Voice g_voice = Voice::kDialogue;

}  // namespace

void SetVoice(Voice voice) { g_voice = voice; }

bool InDialogue() { return g_voice == Voice::kDialogue; }

void FatalStop() {
  std::cerr << "Quit (y)?->" << std::endl;
  char answer = 0;
  std::cin >> answer;
  std::exit(1);
}

void Stop(const std::string& message, const std::function<void()>& dialogue) {
  if (!InDialogue()) throw RunFailure(message);
  dialogue();
  FatalStop();
}

void Warn(const std::string& text) {
  if (g_voice == Voice::kStrictCommandLine) throw RunFailure(text);
  if (g_voice == Voice::kCommandLine) std::cerr << "fncprep: warning: " << text << std::endl;
}

void RefuseFolder(const std::string& name) {
  if (std::filesystem::is_directory(name)) throw RunFailure(name + ": " + std::strerror(EISDIR));
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

void CheckReadOutcome(std::string_view name, const TextScanner& scan) {
  if (HasOpenFile(scan.stream()) && !scan.stream().fail()) return;
  if (!InDialogue()) throw RunFailure(scan.Problem());
  WarningBlock(name, scan.stream());
}

void WarningNotice(std::string_view name, std::string_view reason) {
  Say("\n****WARNING****");
  Say(name);
  Say(reason);
}

void CheckWriteOutcome(std::string_view name, std::ostream& stream, const std::string& file) {
  stream.flush();
  if (!stream.fail()) return;
  const int error = errno;
  Stop(file + ": writing failed" + (error != 0 ? std::string(": ") + std::strerror(error) : ""),
       [name] {
         Say("****WARNING****");
         Say(name);
         Say("Writing failed, the file may be incomplete!");
         Say("Cannot run this way, exiting...!");
       });
}
