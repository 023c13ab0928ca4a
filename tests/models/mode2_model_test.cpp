// Mode 2 through the real program against a model of a molecular liquid
// stored element by element: random molecule types, each site's atoms in the
// block of its element, random constrained pairs; the printed patterns and
// the constraint file are compared byte for byte with what the model gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "support/models.hpp"

namespace {

namespace fs = std::filesystem;

struct Pair {
  int a, b, kind;  // sites of the molecule, kind 1-based
};

struct Type {
  int molecules;
  std::vector<int> element;  // of each site
  std::vector<Pair> pairs;
  std::vector<int> first, step;  // 1-based index of each site in molecule 0, and its step
};

struct Liquid {
  std::vector<Type> types;
  int atoms = 0;
  std::vector<double> rmin, rmax;
};

Liquid MakeLiquid(std::mt19937& random) {
  constexpr int kElements = 3;
  Liquid liquid;
  const int types = 1 + static_cast<int>(random() % 4);
  for (int j = 0; j < types; ++j) {
    Type type;
    type.molecules = static_cast<int>(random() % 12);
    const int sites = 1 + static_cast<int>(random() % 7);
    for (int s = 0; s < sites; ++s) type.element.push_back(static_cast<int>(random() % kElements));
    std::set<std::pair<int, int>> taken;
    for (int p = static_cast<int>(random() % (sites * 2)); p > 0 && sites > 1; --p) {
      const int a = static_cast<int>(random() % sites), b = static_cast<int>(random() % sites);
      if (a != b && taken.insert({std::min(a, b), std::max(a, b)}).second) {
        type.pairs.push_back({a, b, 1 + static_cast<int>(random() % 4)});
      }
    }
    liquid.types.push_back(type);
  }
  // Atoms element by element; within an element, type by type, molecule by
  // molecule, site by site.
  int next = 1;
  for (int e = 0; e < kElements; ++e) {
    for (Type& type : liquid.types) {
      type.first.resize(type.element.size());
      type.step.resize(type.element.size());
      const int count = static_cast<int>(std::count(type.element.begin(), type.element.end(), e));
      for (std::size_t s = 0, rank = 0; s < type.element.size(); ++s) {
        if (type.element[s] == e) type.first[s] = next + static_cast<int>(rank++), type.step[s] = count;
      }
      next += count * type.molecules;
    }
  }
  liquid.atoms = next + static_cast<int>(random() % 5);  // and some free atoms
  // Kinds renumbered 1 .. K in order of first use, each with its window.
  std::map<int, int> renumbered;
  for (Type& type : liquid.types) {
    for (Pair& p : type.pairs) {
      const auto [it, added] = renumbered.emplace(p.kind, static_cast<int>(renumbered.size()) + 1);
      if (added) {
        liquid.rmin.push_back(0.5 + static_cast<double>(random() % 1000) / 997);
        liquid.rmax.push_back(liquid.rmin.back() + static_cast<double>(random() % 1000) / 991);
      }
      p.kind = it->second;
    }
  }
  return liquid;
}

std::string PairList(const Liquid& liquid) {
  std::string text = std::to_string(liquid.atoms) + " ! atoms\n" + std::to_string(liquid.types.size()) + "\n";
  for (const auto field : {0, 1, 2}) {
    for (const Type& type : liquid.types) {
      const std::size_t values[] = {static_cast<std::size_t>(type.molecules), type.element.size(), type.pairs.size()};
      text += std::to_string(values[field]) + " ";
    }
    text += "! counts\n";
  }
  std::set<int> named;
  for (const Type& type : liquid.types) {
    for (const Pair& p : type.pairs) {
      text += std::to_string(p.kind);
      if (named.insert(p.kind).second) {
        text += models::Format(" %.17g %.17g", liquid.rmin[p.kind - 1], liquid.rmax[p.kind - 1]);
      }
      text += models::Format(" ! kind\n%d %d %d %d ! pair\n", type.first[p.a], type.first[p.b],
                             type.first[p.a] + type.step[p.a], type.first[p.b] + type.step[p.b]);
    }
  }
  return text;
}

// The console after the stem prompt, and the constraint file.
std::pair<std::string, std::string> Expected(const Liquid& liquid) {
  const std::string empty = "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n";
  std::string out = empty;
  std::vector<models::Row> rows(static_cast<std::size_t>(liquid.atoms));
  for (int i = 0; i < liquid.atoms; ++i) rows[i].atom = i + 1;
  std::vector<bool> reached(static_cast<std::size_t>(liquid.atoms));
  for (const Type& type : liquid.types) {
    out += "The FNC constraints for the smallest indexed molecule:\ncentral index,   neighbour count, "
           "central offset\n\tneighbour indices\n\tconstraint type\n\n";
    // Each constrained site with its neighbours (first-molecule index, site, kind), by index.
    std::map<int, std::vector<std::tuple<int, int, int>>> slots;
    for (const Pair& p : type.pairs) {
      slots[type.first[p.a]].emplace_back(type.first[p.b], p.b, p.kind);
      slots[type.first[p.b]].emplace_back(type.first[p.a], p.a, p.kind);
    }
    for (auto& [first, neighbours] : slots) {
      std::sort(neighbours.begin(), neighbours.end());
      const int site = static_cast<int>(std::find(type.first.begin(), type.first.end(), first) - type.first.begin());
      out += models::Format("%d   %d   %d\n", first, static_cast<int>(neighbours.size()), type.step[site]);
      for (const auto& [index, s, kind] : neighbours) out += models::Format("\t%d", index);
      out += "\n";
      for (const auto& [index, s, kind] : neighbours) out += models::Format("\t%d", kind);
      out += "\n";
      for (int m = 0; m < type.molecules; ++m) {
        const int atom = first + m * type.step[site];
        reached[atom - 1] = true;
        for (const auto& [index, s, kind] : neighbours) {
          rows[atom - 1].neighbours.emplace_back(type.first[s] + m * type.step[s], kind);
        }
      }
    }
  }
  const auto free = std::count(reached.begin(), reached.end(), false);
  if (free > 0) {
    out += models::Format("There  will be %d atom(s) with no fnc constraint! FNC with 0 neighbour is created for them.\n",
                          static_cast<int>(free));
  }
  out += empty;
  if (liquid.rmin.empty()) {
    out += "\n****WARNING****\nFNC constructor\nThere are no coordination constraints, or nconstraints was not initialised!\n";
  }
  out += "FNC object is created\n QUIT (y)? ->\nFNC destructor\nSimpleCfg destructor\nSimpleCfg destructor\n";
  return {out, models::FncText(liquid.rmin, liquid.rmax, 6, rows)};
}

TEST(Mode2Model, RandomLiquidsStoredElementByElement) {
  std::mt19937 random(21);
  const fs::path dir = fs::path(testing::TempDir()) / "mode2_model";
  fs::create_directories(dir);
  for (int trial = 0; trial < 60; ++trial) {
    const Liquid liquid = MakeLiquid(random);
    std::ofstream(dir / "l.dat") << PairList(liquid);
    const auto run = models::RunProgram(dir, "", "2 l\n");
    const auto [out, fnc] = Expected(liquid);
    const std::string prompt = "The name of the files without extension:";
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_EQ(run.out.substr(run.out.find(prompt) + prompt.size()), out) << PairList(liquid);
    ASSERT_EQ(models::ReadFile(dir / "l.fnc"), fnc) << PairList(liquid);
  }
  fs::remove_all(dir);
}

}  // namespace
