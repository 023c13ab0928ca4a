// Opening files on the run's streams, and the outcome of writing them.
#include "io/file_stream.hpp"

#include <cstring>
#include <filesystem>

void RefuseUnusable(const std::string& name, bool opened, int error, Report& report) {
  if (!opened) {
    report.Refused(LocatedError::Text(name, 0, std::strerror(error != 0 ? error : ENOENT)));
  } else if (std::filesystem::is_directory(name)) {
    report.Refused(LocatedError::Text(name, 0, std::strerror(EISDIR)));
  }
}

void OpenTwiceReadable(std::ifstream& stream, const std::string& name, Report& report) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (!fs::exists(status) || fs::is_regular_file(status) || fs::is_directory(status)) {
    return OpenOn(stream, name, std::ios::in, report);
  }
  if (stream.is_open()) stream.close();
  stream.clear(std::ios::failbit);
  report.Refused(LocatedError::Text(name, 0, "not a regular file, and it must be read twice"));
}

LocatedError WriteFailure(std::string_view writer, const std::string& file, int error) {
  return LocatedError::Text(file, 0,
                            std::string("writing failed") +
                                (error != 0 ? std::string(": ") + std::strerror(error) : ""))
      .Block(std::string(writer), LocatedError::Reason::kWritingFailed);
}

void CheckWriteOutcome(std::string_view writer, std::ostream& stream, const std::string& file) {
  stream.flush();
  if (stream.fail()) throw WriteFailure(writer, file, errno);
}
