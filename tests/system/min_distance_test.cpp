// A property of grow --min-distance, over random central atoms (spread or
// crowded together, in small boxes and large), shells, neighbour counts up
// to dense and distances (one number or a list by pair of types): the real
// program either keeps every bound, checked here over all pairs of atoms, or
// stops with its message and writes nothing. Never a violation.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Trial {
  double box = 0;
  std::vector<double> centres;  // box units
  std::vector<int> counts;      // neighbours of each type around a centre; type 1 is central
  std::vector<double> inner, outer;
  std::vector<double> distance;  // by pair of types, types x types; 0: none
  std::string option;            // the distances as --min-distance takes them
  std::string options;
};

double Uniform(std::mt19937& random, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(random);
}

// To two decimals, so that the files hold the values exactly as drawn.
double Rounded(double value) { return std::round(value * 100) / 100; }

// A distance for every pair, or for some pairs and perhaps the rest.
void DrawDistances(std::mt19937& random, Trial& trial) {
  const int types = static_cast<int>(trial.counts.size());
  trial.distance.assign(static_cast<std::size_t>(types * types), 0);
  if (random() % 2 == 0) {
    const double d = Rounded(Uniform(random, 0.3, 1.0));
    trial.option = std::to_string(d);
    trial.distance.assign(trial.distance.size(), d);
    return;
  }
  for (int a = 0; a < types; ++a) {
    for (int b = a; b < types; ++b) {
      if (random() % 2 == 0) continue;
      const double d = Rounded(Uniform(random, 0.3, 1.5));
      trial.option +=
          std::to_string(a + 1) + "-" + std::to_string(b + 1) + "=" + std::to_string(d) + ",";
      trial.distance[a * types + b] = trial.distance[b * types + a] = d;
    }
  }
  const double others = Rounded(Uniform(random, 0.3, 1.0));
  trial.option += "*=" + std::to_string(others);
  for (double& d : trial.distance) d = d > 0 ? d : others;
}

Trial DrawTrial(std::mt19937& random) {
  Trial trial;
  // A third in a large box, where the grid finds its cells by hashing. The
  // box to two decimals, as the file holds it: a shell of one radius leaves
  // no room for a box that differs in the ninth digit.
  trial.box = Rounded(random() % 3 == 0 ? Uniform(random, 30, 60) : Uniform(random, 4, 10));
  const int centres = 1 + static_cast<int>(random() % 10);
  const double spread = random() % 2 == 0 ? 1 : Uniform(random, 0.02, 0.3);
  for (int i = 0; i < 3 * centres; ++i)
    trial.centres.push_back(Uniform(random, -0.5, -0.5 + spread));
  const int types = 2 + static_cast<int>(random() % 2);
  for (int t = 0; t < types; ++t) {
    // Now and then neighbours of the central type, and dense shells.
    const int most = t == 0 ? 2 : random() % 3 == 0 ? 26 : 10;
    trial.counts.push_back(static_cast<int>(random() % (most + 1)));
    trial.inner.push_back(Rounded(Uniform(random, 0.6, 1.4)));
    trial.outer.push_back(Rounded(trial.inner.back() + Uniform(random, 0, 0.5)));
  }
  DrawDistances(random, trial);
  trial.options = "--seed " + std::to_string(1 + random() % 1000000) +
                  (random() % 2 == 0 ? " --uniform" : "") + " --min-distance " + trial.option;
  return trial;
}

void WriteInputs(const fs::path& dir, const Trial& trial) {
  const std::size_t n = trial.centres.size() / 3;
  std::ofstream incfg(dir / "t.incfg");
  incfg << " (Version 3 format configuration file)\nproperty trial\n\n\n"
        << "          0         0         0 moves generated, tried, accepted \n"
        << "          0              configurations saved\n \n " << n
        << " molecules of all types\n 1 types of molecules \n"
        << " 1 is the largest number of atoms in a molecule \n 0 Euler angles are provided \n \n"
        << "          F (box is cubic)\t\n            Defining vectors are: \n";
  char line[160];
  for (int row = 0; row < 3; ++row) {
    std::snprintf(line, sizeof line, " %.6f %.6f %.6f\n", row == 0 ? trial.box : 0.0,
                  row == 1 ? trial.box : 0.0, row == 2 ? trial.box : 0.0);
    incfg << line;
  }
  incfg << "\n " << n << " molecules of type  1\n 1 atomic sites \n 0 0 0\n \n";
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, " %.15f %.15f %.15f\n", trial.centres[3 * i],
                  trial.centres[3 * i + 1], trial.centres[3 * i + 2]);
    incfg << line;
  }
  std::ofstream dat(dir / "t.dat");
  dat << n << "\n" << trial.counts.size() << "\n1\n";
  for (const int count : trial.counts) dat << count << ' ';
  dat << "\n";
  for (const auto* radii : {&trial.inner, &trial.outer}) {
    for (const double r : *radii) dat << r << ' ';
    dat << "\n";
  }
}

// The coordinates (box units) and types of the grown configuration.
void ReadGrown(const fs::path& path, std::vector<double>& xyz, std::vector<int>& type) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::size_t total = 0;
  for (const std::string& line : lines) {
    if (line.find("molecules of type") != std::string::npos) {
      const int t = std::stoi(line.substr(line.rfind(' '))) - 1;
      type.insert(type.end(), std::stoul(line), t);
      total = type.size();
    }
  }
  for (std::size_t i = lines.size() - total; i < lines.size(); ++i) {
    std::istringstream values(lines[i]);
    for (double v = 0; values >> v;) xyz.push_back(v);
  }
}

double Distance(const std::vector<double>& xyz, std::size_t a, std::size_t b, double box) {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    const double d = xyz[3 * a + k] - xyz[3 * b + k];
    sum += (d - std::nearbyint(d)) * (d - std::nearbyint(d));
  }
  return std::sqrt(sum) * box;
}

// The bounds a grown configuration breaks: neighbours outside their shells
// and pairs (not both central) closer than their distance.
int Violations(const Trial& trial, const std::vector<double>& xyz, const std::vector<int>& type) {
  const std::size_t n = trial.centres.size() / 3;
  const int types = static_cast<int>(trial.counts.size());
  const double slack = 1e-10 * trial.box;
  int broken = 0;
  for (std::size_t j = 0; j < n; ++j) {
    std::size_t first = 0;  // the type's first atom in the file
    for (int t = 0; t < types; ++t) {
      const std::size_t count = trial.counts[t];
      for (std::size_t m = 0; m < count; ++m) {
        const double r = Distance(xyz, j, first + (t == 0 ? n : 0) + count * j + m, trial.box);
        broken += r < trial.inner[t] - slack || r > trial.outer[t] + slack;
      }
      first += count * n + (t == 0 ? n : 0);
    }
  }
  for (std::size_t a = 0; a < type.size(); ++a) {
    for (std::size_t b = a + 1; b < type.size(); ++b) {
      const bool centres = a < n && b < n;
      const double want = trial.distance[type[a] * types + type[b]];
      broken += !centres && Distance(xyz, a, b, trial.box) < want - slack;
    }
  }
  return broken;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(MinDistance, EveryBoundHoldsOrTheRunStopsWithItsMessage) {
  std::string root = testing::TempDir() + "fncprep-min-distance-XXXXXX";
  ASSERT_NE(mkdtemp(root.data()), nullptr);
  std::mt19937 random(26);
  int kept = 0, stopped = 0;
  for (int number = 0; number < 60; ++number) {
    const Trial trial = DrawTrial(random);
    const fs::path dir = fs::path(root) / std::to_string(number);
    fs::create_directories(dir);
    WriteInputs(dir, trial);
    const std::string command =
        "cd '" + dir.string() + "' && " FNCPREP_BINARY " grow t " + trial.options + " >out 2>err";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    const std::string err = ReadFile(dir / "err");
    if (WEXITSTATUS(status) == 0) {
      std::vector<double> xyz;
      std::vector<int> type;
      ReadGrown(dir / "t.cfg", xyz, type);
      EXPECT_EQ(Violations(trial, xyz, type), 0) << command;
      ++kept;
    } else {
      EXPECT_EQ(WEXITSTATUS(status), 1) << command << "\n" << err;
      EXPECT_EQ(err.rfind("fncprep: ", 0), 0u) << command << "\n" << err;
      EXPECT_FALSE(fs::exists(dir / "t.cfg") || fs::exists(dir / "t.fnc")) << command;
      ++stopped;
    }
  }
  fs::remove_all(root);
  // Both outcomes are met, so that both are judged.
  EXPECT_GE(kept, 10);
  EXPECT_GE(stopped, 5);
}

}  // namespace
