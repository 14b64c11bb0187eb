// Crystal structures from CIF: the space-group traps, the catalogue entry of
// a group, and line intensities against an independent powder calculation
// (each hkl summed on its own over a cell filled by every operator of the
// group, IT92 factors, (1 + cos^2 2theta) / (sin^2 theta cos theta)).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "core/errors.h"
#include "core/unitcell.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"
#include "structure/catalogue_match.h"
#include "structure/crystal_structure.h"
#include "structure/powder_pattern.h"

namespace quorlin {
namespace {

std::string Cif(const std::string& name) {
  std::ifstream in(std::string(QUORLIN_SOURCE_DIR) + "/tests/structure/cif/" + name);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

const PowderLine* Find(const std::vector<PowderLine>& lines, double d) {
  for (const auto& l : lines)
    if (std::fabs(l.d - d) < 2e-4) return &l;
  return nullptr;
}

struct Expected {
  int h, k, l;
  double d, intensity;
};

// Sites of different site symmetry (rutile's Ti on 2a and O on 4f,
// corundum, zincite) weigh right only with crystallographic occupancies.
TEST(CifStructure, IntensitiesAgreeWithAnIndependentCalculation) {
  struct Case {
    const char* file;
    const char* group;
    std::vector<Expected> lines;
  };
  const Case cases[] = {
      // NaCl without displacements: 200 = 100, 220 about 66, 111 about 8.
      {"nacl.cif", "F m -3 m", {{1, 1, 1, 3.25637, 8.14}, {2, 0, 0, 2.82010, 100.0}, {2, 2, 0, 1.99411, 65.84},
                                {2, 2, 2, 1.62819, 21.23}, {4, 0, 0, 1.41005, 9.31}}},
      {"si_origin2.cif", "F d -3 m:2",
       {{1, 1, 1, 3.13560, 100.0}, {2, 2, 0, 1.92016, 64.52}, {3, 1, 1, 1.63751, 37.51}, {4, 2, 2, 1.10860, 19.62}}},
      // Anisotropic displacements with U12 on sites of symmetry 2/m and m.m2.
      {"rutile_aniso.cif", "P 42/m n m",
       {{1, 1, 0, 3.24824, 100.0}, {1, 0, 1, 2.48741, 46.61}, {2, 1, 1, 1.68747, 56.10}, {0, 0, 2, 1.47935, 8.00}}},
      // Rhombohedral on hexagonal axes, from the name and the number.
      {"corundum_hex.cif", "R -3 c:H",
       {{0, 1, 2, 3.47996, 61.64}, {1, 0, 4, 2.55089, 96.38}, {1, 1, 3, 2.08537, 99.41}, {1, 1, 6, 1.60141, 100.0},
        {2, 1, 1, 1.54664, 2.59}}},
      // From the Hall symbol alone.
      {"zincite.cif", "P 63 m c",
       {{1, 0, 0, 2.81441, 51.92}, {0, 0, 2, 2.60330, 39.55}, {1, 0, 1, 2.47585, 100.0}, {1, 1, 0, 1.62490, 33.22}}},
      {"baddeleyite.cif", "P 1 21/c 1",
       {{1, 0, 0, 5.08381, 5.51}, {1, 1, -1, 3.16561, 100.0}, {1, 1, 1, 2.84170, 70.62}, {1, 0, -2, 2.50112, 3.19}}},
      // Non-standard setting with shared, partly occupied sites.
      {"olivine_pbnm.cif", "P b n m",
       {{0, 2, 0, 5.09855, 20.44}, {0, 2, 1, 3.87997, 53.05}, {1, 1, 1, 3.49594, 20.53}, {0, 0, 2, 2.99030, 15.50}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const CrystalStructure s = ReadCifStructure(Cif(c.file), c.file);
    EXPECT_EQ(s.spaceGroupSymbol, c.group);
    const auto lines = PowderPattern(s, {});
    ASSERT_FALSE(lines.empty());
    double top = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      top = std::max(top, lines[i].intensity);
      if (i) {
        EXPECT_LT(lines[i].d, lines[i - 1].d);
      }
    }
    EXPECT_DOUBLE_EQ(top, 100.0);
    for (const Expected& e : c.lines) {
      const PowderLine* got = Find(lines, e.d);
      ASSERT_NE(got, nullptr) << e.h << e.k << e.l;
      EXPECT_EQ(std::make_tuple(got->h, got->k, got->l), std::make_tuple(e.h, e.k, e.l));
      EXPECT_NEAR(got->intensity, e.intensity, 0.05) << e.h << e.k << e.l;
    }
  }
}

TEST(CifStructure, DiamondNamedWithoutOriginChoiceIsOriginChoiceTwo) {
  std::string text = Cif("si_origin2.cif");
  const auto withOps = PowderPattern(ReadCifStructure(text, "ops"), {});
  // The same file without its operator loop: the name alone.
  const std::size_t loop = text.find("loop_\n_space_group_symop_operation_xyz");
  const std::size_t atoms = text.find("loop_\n_atom_site_label");
  ASSERT_NE(loop, std::string::npos);
  const std::string nameOnly = text.substr(0, loop) + text.substr(atoms);
  const CrystalStructure s = ReadCifStructure(nameOnly, "name");
  EXPECT_EQ(s.spaceGroupSymbol, "F d -3 m:2");
  EXPECT_FALSE(s.notes.empty());
  // Origin choice 1 stated, with the atom at its origin-1 place.
  std::string choice1 = nameOnly;
  choice1.replace(choice1.find("'F d -3 m'"), 10, "'F d -3 m:1'");
  choice1.replace(choice1.find("0.125 0.125 0.125"), 17, "0 0 0");
  for (const std::string& other : {nameOnly, choice1}) {
    const auto lines = PowderPattern(ReadCifStructure(other, "x"), {});
    ASSERT_EQ(lines.size(), withOps.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_NEAR(lines[i].intensity, withOps[i].intensity, 1e-6);
  }
}

// Energy-dispersive lines at a fixed angle: E = hc / (2 d sin theta) and
// intensities m |F|^2 d^2 (NaCl's |F|^2 from the angle-dispersive listing:
// 111 324.95, 200 7291.01, 220 5317.63, 222 4212.85).
TEST(CifStructure, EnergyDispersiveLines) {
  const auto lines = EnergyDispersivePattern(ReadCifStructure(Cif("nacl.cif"), "nacl.cif"), 10.0, 5.0, 60.0);
  const double s = std::sin(5.0 * M_PI / 180.0), hc = 12.3984198;
  const Expected expected[] = {{1, 1, 1, 3.25637, 7.92}, {2, 0, 0, 2.82010, 100.0}, {2, 2, 0, 1.99411, 72.93},
                               {2, 2, 2, 1.62819, 25.68}};
  for (const Expected& e : expected) {
    const PowderLine* got = Find(lines, e.d);
    ASSERT_NE(got, nullptr) << e.d;
    EXPECT_NEAR(got->twoTheta, hc / (2 * e.d * s), 1e-3);
    EXPECT_NEAR(got->intensity, e.intensity, 0.05) << e.d;
  }
}

CrystalStructure Minimal(const std::string& symmetry, const std::string& cell = "5 6 7 90 90 90") {
  std::istringstream c(cell);
  std::string a, b, cc, al, be, ga;
  c >> a >> b >> cc >> al >> be >> ga;
  const std::string text = "data_x\n_cell_length_a " + a + "\n_cell_length_b " + b + "\n_cell_length_c " + cc +
                           "\n_cell_angle_alpha " + al + "\n_cell_angle_beta " + be + "\n_cell_angle_gamma " + ga +
                           "\n" + symmetry + "\nloop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n"
                           "_atom_site_fract_z\nC1 0.1 0.2 0.3\n";
  return ReadCifStructure(text, "x");
}

TEST(CifStructure, SpaceGroupTrapsAreRefusedOrResolved) {
  // The operator loop wins over a wrong name; a number that disagrees with
  // the group is refused; no symmetry at all is not read as P1.
  EXPECT_EQ(Minimal("_symmetry_space_group_name_H-M 'P 1'\nloop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\n-x,-y,-z")
                .spaceGroupNumber,
            2);
  EXPECT_THROW(Minimal("_space_group_name_H-M_alt 'P n m a'\n_space_group_IT_number 63"), FormatError);
  EXPECT_THROW(Minimal(""), FormatError);
  EXPECT_THROW(Minimal("_space_group_name_H-M_alt 'Q 42'"), FormatError);
  EXPECT_THROW(Minimal("loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\n-x,y"), FormatError);
  EXPECT_EQ(Minimal("_space_group_IT_number 62").spaceGroupSymbol, "P n m a");
}

TEST(CifStructure, OccupanciesAboveOneAndChargesAreHandled) {
  std::string text = Cif("olivine_pbnm.cif");
  text.replace(text.find("Fe1 Fe 0 0 0 0.1"), 16, "Fe1 Fe 0 0 0 0.3");
  try {
    ReadCifStructure(text, "olivine.cif");
    ADD_FAILURE() << "occupancies of 1.2 on one site were accepted";
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("Mg1, Fe1"), std::string::npos) << e.what();
  }
  const CrystalStructure nacl = ReadCifStructure(Cif("nacl.cif"), "nacl.cif");
  EXPECT_EQ(nacl.sites[0].z, 11);
  EXPECT_EQ(nacl.sites[0].charge, 1);
  EXPECT_EQ(nacl.sites[1].charge, -1);
  ASSERT_FALSE(nacl.notes.empty());
  EXPECT_NE(nacl.notes.back().find("neutral"), std::string::npos);
}

// The catalogue entry found for a group gives exactly its absences; the
// numbers are those of the catalogue's own lists.
TEST(CifStructure, SpaceGroupsMapOntoTheCatalogue) {
  const std::string hex = "4 4 9 90 90 120";
  const std::string rho = "5 5 5 80 80 80";
  const std::string cubic = "5 5 5 90 90 90";
  const std::string mono = "5 6 7 90 100 90";
  // The reverse setting of R-3m on hexagonal axes, from operators.
  std::string reverse = "loop_\n_symmetry_equiv_pos_as_xyz\n";
  const char* rots[] = {"x,y,z",  "-y,x-y,z", "-x+y,-x,z", "y,x,-z",  "x-y,-y,-z", "-x,-x+y,-z",
                        "-x,-y,-z", "y,-x+y,-z", "x-y,x,-z", "-y,-x,z", "-x+y,y,z",  "x,x-y,z"};
  for (const char* t : {"", "+1/3", "+2/3"})
    for (const char* r : rots) {
      std::string op = r;
      if (*t) {
        const std::string s = t, u = std::string(t) == "+1/3" ? "+2/3" : "+1/3";
        const std::size_t c1 = op.find(','), c2 = op.find(',', c1 + 1);
        op = op.substr(0, c1) + s + "," + op.substr(c1 + 1, c2 - c1 - 1) + u + "," + op.substr(c2 + 1) + s;
      }
      reverse += op + "\n";
    }
  struct Case {
    std::string symmetry, cell;
    std::int32_t system;
    std::int16_t number;
  } cases[] = {
      {"_space_group_name_H-M_alt 'F d -3 m:2'", cubic, Cubic, 15},
      {"_space_group_name_H-M_alt 'I a -3'", cubic, Cubic, 10},
      {"_space_group_name_H-M_alt 'P a -3'", cubic, Cubic, 4},
      {"_space_group_name_H-M_alt 'P 63 m c'", hex, Hexagonal, 4},
      {"_space_group_name_H-M_alt 'R -3 c:H'", hex, Trigonal, 5},
      {reverse, hex, Trigonal, 6},
      {"_space_group_name_H-M_alt 'R -3 c:R'", rho, Trigonal, 9},
      {"_space_group_name_H-M_alt 'I 41/a m d:2'", "4 4 9 90 90 90", Tetragonal, 29},
      {"_space_group_name_H-M_alt 'P n m a'", "5 6 7 90 90 90", Orthorhombic, 19},
      {"_space_group_name_H-M_alt 'C m c m'", "5 6 7 90 90 90", Orthorhombic, 28},
      {"_space_group_name_H-M_alt 'F d d d:2'", "5 6 7 90 90 90", Orthorhombic, 43},
      {"_space_group_name_H-M_alt 'P b n m'", "5 6 7 90 90 90", Orthorhombic, -1},
      {"_space_group_name_H-M_alt 'P 1 21/c 1'", mono, Monoclinic, 5},
      {"_space_group_name_H-M_alt 'C 1 2/c 1'", mono, Monoclinic, 9},
      {"_space_group_name_H-M_alt 'P 1 1 21/b'", "5 6 7 90 90 100", Triclinic, -1},
      {"_space_group_name_H-M_alt 'P -1'", "5 6 7 80 85 95", Triclinic, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.symmetry.substr(0, 40));
    const CrystalStructure s = Minimal(c.symmetry, c.cell);
    const CatalogueMatch m = MatchCatalogue(s);
    EXPECT_EQ(m.system, c.system);
    EXPECT_EQ(m.number, c.number);
    EXPECT_TRUE(m.exact);
    CPattern pattern;
    CUnitCell cell;
    ApplyCatalogueMatch(m, s.cell, pattern, cell);
    EXPECT_EQ(pattern.ExtinctionNumber(), c.number);
    int wrong = 0;
    for (int h = -kMatchRange; h <= kMatchRange; ++h)
      for (int k = -kMatchRange; k <= kMatchRange; ++k)
        for (int l = -kMatchRange; l <= kMatchRange; ++l)
          if ((h || k || l) && pattern.IsAllowed(static_cast<std::int16_t>(h), static_cast<std::int16_t>(k),
                                                 static_cast<std::int16_t>(l)) == IsSystematicallyAbsent(s, h, k, l))
            ++wrong;
    EXPECT_EQ(wrong, 0);
    for (int i = 0; i < 6; ++i)
      EXPECT_NEAR(std::stod(cell.CellParameters(i, 1)), s.cell[static_cast<std::size_t>(i)], 1e-3) << i;
  }
}

}  // namespace
}  // namespace quorlin
