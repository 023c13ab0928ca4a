// The configuration as a plain value, through SimpleCfg's reader and writer:
// the class-wide layout set or taken, the coordinates copied.
#include "cfg/configuration.hpp"

#include <algorithm>
#include <fstream>
#include <string>

#include "cfg/simple_cfg.hpp"
#include "io/file_stream.hpp"
#include "io/number_format.hpp"
#include "io/words.hpp"
#include "structure/cell.hpp"

namespace {

constexpr std::string_view kTypesWord = "types:";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where a title's names start: its last "types:" at the start or after a blank.
std::size_t NamesStart(std::string_view title) {
  std::size_t at = title.rfind(kTypesWord);
  while (at != std::string_view::npos && at > 0 && !IsBlank(title[at - 1]))
    at = title.rfind(kTypesWord, at - 1);
  return at;
}

}  // namespace

std::string TitleWithNames(std::string_view title, const std::vector<std::string>& names) {
  std::string text(Trim(title.substr(0, std::min(title.size(), NamesStart(title)))));
  if (names.empty()) return text;
  if (!text.empty()) text += ' ';
  text += kTypesWord;
  for (const std::string& name : names) text += ' ' + name;
  return text;
}

std::vector<std::string> NamesInTitle(std::string_view title) {
  const std::size_t start = NamesStart(title);
  std::vector<std::string> names;
  if (start == std::string_view::npos) return names;
  for (const std::string_view name : Words(title.substr(start + kTypesWord.size())))
    names.emplace_back(name);
  return names;
}

double CubicBoxOf(const std::string& file, Report& report) {
  std::ifstream in;
  OpenTwiceReadable(in, file, report);
  const CfgHeading heading = ReadCfgHeading(in, file);
  return CubicEdge(heading.vectors, file, heading.line);
}

TypedConfiguration ReadConfiguration(const std::string& file, Report& report) {
  SimpleCfg::ResetLayout();
  std::ifstream in;
  OpenTwiceReadable(in, file, report);
  SimpleCfg::GetParams_cfg(in, file, report);
  TypedConfiguration config;
  {
    SimpleCfg read(report);
    OpenTwiceReadable(in, file, report);
    read.load(in, file);
    config.coords.assign(read.coords.get(), read.coords.get() + 3 * std::size_t(read.size()));
  }
  OpenTwiceReadable(in, file, report);
  const CfgHeading heading = ReadCfgHeading(in, file);
  CubicEdge(heading.vectors, file, heading.line);
  config.box = SimpleCfg::boxlength;
  const int atoms = SimpleCfg::natoms;
  for (std::size_t t = 0; t < SimpleCfg::ni.size(); ++t) {
    const int start = std::min(SimpleCfg::typestart[t], atoms);
    config.counts.push_back(std::min(SimpleCfg::typestart[t + 1], atoms) - start);
  }
  if (SimpleCfg::typestart.back() < atoms)
    config.counts.push_back(atoms - SimpleCfg::typestart.back());
  std::vector<std::string> names = NamesInTitle(heading.title);
  if (names.size() == config.counts.size()) config.names = std::move(names);
  config.title = config.names.empty() ? heading.title : TitleWithNames(heading.title, {});
  return config;
}

void WriteConfiguration(const TypedConfiguration& config, const std::string& file,
                        RunOutputs& outputs, Report& report) {
  SimpleCfg::ResetLayout();
  SimpleCfg::ntypes = static_cast<int>(config.counts.size());
  SimpleCfg::ni = config.counts;
  SimpleCfg::typestart.assign(1, 0);
  for (const int count : config.counts)
    SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + count);
  SimpleCfg::natoms = SimpleCfg::typestart.back();
  SimpleCfg::boxlength = config.box;
  // The file gives the box length with six decimals; the positions are in its units.
  char text[kNumberRoom];
  const std::string box(text, FormatFixed(text, config.box, 6));
  if (std::stod(box) != config.box) {
    report.Warn({file, 15,
                 "the box length " + GeneralText(config.box, 15) + " is written as " + box +
                     ", with six decimals; the positions scale with it"});
  }
  SimpleCfg written(report);
  std::copy(config.coords.begin(), config.coords.end(), written.coords.get());
  std::ofstream out;
  outputs.Open(out, file, report);
  written.save(out, TitleWithNames(config.title, config.names), file);
  outputs.Close(out, "SimpleCfg::save");
}
