// Writes the seeded synthetic peak lists of the indexing tests to files, one
// a pattern, for running other indexers on the same cases
// (scripts/compare-indexers.py). Each file: `#` lines with the family, its
// crystal system code, lattice letter and true cell, then one 2-theta (Cu
// K-alpha1) a line.
//
//   quorlin_synthetic_peaks DIR FIRST_SEED SEEDS_PER_FAMILY
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../tests/indexing/synthetic_patterns.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s DIR FIRST_SEED SEEDS_PER_FAMILY\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const unsigned long first = std::strtoul(argv[2], nullptr, 10);
  const int seeds = std::atoi(argv[3]);
  std::filesystem::create_directories(dir);
  const auto& families = quorlin::testing::Families();
  for (std::size_t f = 0; f < families.size(); ++f)
    for (int s = 0; s < seeds; ++s) {
      // The seed scheme of the test driver: 1000 apart per family.
      const unsigned long seed = first + 1000 * f + static_cast<unsigned long>(s);
      const auto p = quorlin::testing::MakePattern(families[f], seed);
      char name[64];
      std::snprintf(name, sizeof name, "f%02zu_s%lu.txt", f, seed);
      std::ofstream out(dir / name);
      out.precision(10);
      out << "# family: " << families[f].name << "\n# system: " << families[f].system
          << "\n# lattice: " << families[f].lattice << "\n# cell:";
      for (double v : p.cell) out << ' ' << v;
      out << "\n# zero: " << p.zero << "\n";
      for (double tt : p.twoTheta) out << tt << "\n";
    }
  return 0;
}
