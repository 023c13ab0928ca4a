// Console conventions: the voice of the run, the fatal stop and the warning
// messages.
#include "io/console.hpp"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "io/number_format.hpp"
#include "io/text_reader.hpp"

namespace {

Voice g_voice = Voice::kDialogue;
double g_claimed = 0;  // bytes claimed by the run so far

}  // namespace

void SetVoice(Voice voice) { g_voice = voice; }

bool InDialogue() { return g_voice == Voice::kDialogue; }

void FatalStop() {
  std::cerr << "Quit (y)?->" << std::endl;
  char answer{};
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

void OpenTwiceReadable(std::ifstream& stream, const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (!fs::exists(status) || fs::is_regular_file(status) || fs::is_directory(status)) {
    return OpenOn(stream, name, std::ios::in);
  }
  if (stream.is_open()) stream.close();
  stream.clear(std::ios::failbit);
  if (!InDialogue()) throw RunFailure(name + ": not a regular file, and it must be read twice");
}

void SetUpConsole() {
  // A write cut by a file-size limit then fails as any other failed write,
  // instead of the signal ending the run without a word.
  std::signal(SIGXFSZ, SIG_IGN);
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
  if (!scan.stream().fail()) return;
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
  WriteFailed(name, file, errno);
}

void WriteFailed(std::string_view name, const std::string& file, int error) {
  Stop(file + ": writing failed" + (error != 0 ? std::string(": ") + std::strerror(error) : ""),
       [name] {
         Say("****WARNING****");
         Say(name);
         Say("Writing failed, the file may be incomplete!");
         Say("Cannot run this way, exiting...!");
       });
}

void ClaimMemory(double bytes, const std::string& file) {
  g_claimed += bytes;
  const double memory =
      static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
  if (g_claimed <= memory) return;
  throw BeyondMemory(file + ": the counts ask for about " + GeneralText(g_claimed / 1e9, 3) +
                     " GB of memory, more than the " + GeneralText(memory / 1e9, 3) +
                     " GB this machine has");
}

void ResetMemoryClaims() { g_claimed = 0; }
