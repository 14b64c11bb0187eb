// CIF reading through gemmi's document parser. The space group is resolved
// here rather than by gemmi's small-structure reader, which takes the H-M
// name alone (and for "F d -3 m" quietly picks origin choice 1).
#include "structure/crystal_structure.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include <gemmi/cif.hpp>
#include <gemmi/gz.hpp>
#include <gemmi/numb.hpp>
#include <gemmi/small.hpp>
#include <gemmi/symmetry.hpp>
#include <gemmi/unitcell.hpp>

#include "core/errors.h"
#include "structure/gemmi_bridge.h"

namespace quorlin {
namespace {

namespace cif = gemmi::cif;

// gemmi's parser reports "NAME:LINE:COLUMN(...): problem"; we keep the line
// and the problem, under the caller's file name.
[[noreturn]] void Rethrow(const std::exception& e, const std::string& source) {
  std::string what = e.what();
  const std::string prefix = "cif:";
  long line = 0;
  if (what.compare(0, prefix.size(), prefix) == 0) {
    std::size_t pos = prefix.size();
    while (pos < what.size() && std::isdigit(static_cast<unsigned char>(what[pos])))
      line = line * 10 + (what[pos++] - '0');
    std::size_t colon = what.find(": ", pos);
    what = colon == std::string::npos ? what.substr(pos) : what.substr(colon + 2);
  }
  if (line > 1000000000) line = 0;
  throw FormatError(source, line, what.empty() ? "not a CIF file" : what);
}

cif::Document Parse(std::string_view text, const std::string& source) {
  if (text.empty()) throw FormatError(source, 0, "empty file");
  if (text.find('\0') != std::string_view::npos) throw FormatError(source, 0, "binary file, not a CIF text");
  try {
    return cif::read_memory(text.data(), text.size(), "cif");
  } catch (const std::exception& e) {
    Rethrow(e, source);
  }
}

const std::string* FirstValue(cif::Block& block, std::initializer_list<const char*> tags) {
  for (const char* tag : tags)
    if (const std::string* v = block.find_value(tag))
      if (!cif::is_null(*v)) return v;
  return nullptr;
}

std::vector<std::string> OperatorTexts(cif::Block& block) {
  std::vector<std::string> out;
  for (const char* tag : {"_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz",
                          "_space_group_symop.operation_xyz", "_symmetry_equiv.pos_as_xyz"}) {
    cif::Column col = block.find_values(tag);
    if (!col.item()) continue;
    for (const std::string& v : col)
      if (!cif::is_null(v)) out.push_back(cif::as_string(v));
    if (!out.empty()) break;
  }
  return out;
}

// A name given without an origin choice means the modern standard, origin
// choice 2, as the structure databases write it; gemmi's table lists choice
// 1 first.
const gemmi::SpaceGroup* PreferOriginChoice2(const gemmi::SpaceGroup* sg, bool explicitChoice) {
  if (!sg || explicitChoice || sg->ext != '1') return sg;
  const gemmi::SpaceGroup* next = sg + 1;
  if (std::strcmp(next->hm, sg->hm) == 0 && next->ext == '2') return next;
  return sg;
}

int CrystalSystemCodeOfNumber(int n) {
  if (n < 1 || n > 230) return 0;
  if (n <= 2) return 7;
  if (n <= 15) return 6;
  if (n <= 74) return 5;
  if (n <= 142) return 4;
  if (n <= 167) return 3;
  if (n <= 194) return 2;
  return 1;
}

void ResolveGroup(cif::Block& block, CrystalStructure& s, const std::string& source) {
  int itNumber = 0;
  if (const std::string* v = FirstValue(block, {"_space_group_IT_number", "_symmetry_Int_Tables_number",
                                                "_space_group.IT_number", "_symmetry.Int_Tables_number"})) {
    double n = cif::as_number(*v);
    if (!(n >= 1 && n <= 230) || n != std::floor(n))
      throw FormatError(source, 0, "space-group number \"" + *v + "\" is not 1..230");
    itNumber = static_cast<int>(n);
  }
  std::string name;
  if (const std::string* v = FirstValue(block, {"_space_group_name_H-M_alt", "_symmetry_space_group_name_H-M",
                                                "_space_group.name_H-M_alt", "_symmetry.space_group_name_H-M"}))
    name = cif::as_string(*v);
  std::string hall;
  if (const std::string* v = FirstValue(block, {"_space_group_name_Hall", "_symmetry_space_group_name_Hall",
                                                "_space_group.name_Hall", "_symmetry.space_group_name_Hall"}))
    hall = cif::as_string(*v);

  gemmi::GroupOps ops;
  const gemmi::SpaceGroup* sg = nullptr;
  bool haveOps = false;
  const std::vector<std::string> texts = OperatorTexts(block);
  if (!texts.empty()) {
    std::vector<gemmi::Op> list;
    for (const std::string& t : texts) {
      // gemmi multiplies the numbers of a triplet without a check, so a long
      // one overflows; real operators have numbers of a digit or two.
      int digits = 0;
      bool tooLong = false;
      for (char c : t) {
        digits = std::isdigit(static_cast<unsigned char>(c)) ? digits + 1 : 0;
        tooLong = tooLong || digits > 3;
      }
      if (tooLong) throw FormatError(source, 0, "symmetry operator \"" + t + "\" cannot be read");
      try {
        list.push_back(gemmi::parse_triplet(t));
      } catch (const std::exception&) {
        throw FormatError(source, 0, "symmetry operator \"" + t + "\" cannot be read");
      }
    }
    if (std::find(list.begin(), list.end(), gemmi::Op::identity()) == list.end())
      throw FormatError(source, 0, "the symmetry operators lack the identity x,y,z");
    ops = gemmi::split_centering_vectors(list);
    if (ops.order() != static_cast<int>(list.size()) || ops.order() > 192)
      throw FormatError(source, 0, "the symmetry operators do not form a space group");
    sg = gemmi::find_spacegroup_by_ops(ops);
    s.groupSource = "symmetry operators";
    haveOps = true;
  } else if (!hall.empty()) {
    try {
      ops = gemmi::symops_from_hall(hall.c_str());
    } catch (const std::exception&) {
      throw FormatError(source, 0, "Hall symbol \"" + hall + "\" cannot be read");
    }
    sg = gemmi::find_spacegroup_by_ops(ops);
    s.groupSource = "Hall symbol";
    haveOps = true;
  } else if (!name.empty()) {
    sg = gemmi::find_spacegroup_by_name(name, s.cell[3], s.cell[5]);
    if (!sg) throw FormatError(source, 0, "unknown space group \"" + name + "\" and no symmetry operators");
    const gemmi::SpaceGroup* chosen = PreferOriginChoice2(sg, name.find(':') != std::string::npos);
    if (chosen != sg) s.notes.push_back("\"" + name + "\" read as origin choice 2");
    sg = chosen;
    s.groupSource = "H-M name";
  } else if (itNumber != 0) {
    sg = PreferOriginChoice2(&gemmi::get_spacegroup_by_number(itNumber), false);
    s.notes.push_back("only the space-group number is given: its standard setting is assumed");
    s.groupSource = "IT number";
  } else {
    throw FormatError(source, 0, "no space group: no symmetry operators, Hall symbol, H-M name or number");
  }
  if (!haveOps) ops = sg->operations();
  // gemmi's hexagonal rhombohedral settings need hexagonal axes; a cell
  // that does not fit the group is refused below by the catalogue check.
  if (sg) {
    s.spaceGroupSymbol = sg->xhm();
    s.spaceGroupNumber = sg->number;
    if (itNumber != 0 && itNumber != sg->number)
      throw FormatError(source, 0,
                        "space group " + s.spaceGroupSymbol + " is number " + std::to_string(sg->number) +
                            ", but the file gives number " + std::to_string(itNumber));
  } else {
    // A setting gemmi does not tabulate (the reverse rhombohedral setting,
    // say): the operators hold; the number names the crystal system, found
    // through a change of axes when the file gives none.
    if (itNumber == 0) {
      for (const char* cob : {"-x,-y,z", "y,z,x", "z,x,y", "y,x,-z", "x,z,-y", "z,y,-x"}) {
        gemmi::GroupOps other = ops;
        other.change_basis_forward(gemmi::parse_triplet(cob));
        if (const gemmi::SpaceGroup* found = gemmi::find_spacegroup_by_ops(other)) {
          itNumber = found->number;
          if (name.empty()) name = std::string(found->hm) + " (axes " + cob + ")";
          break;
        }
      }
    }
    if (itNumber == 0)
      throw FormatError(source, 0, "the symmetry operators give no known setting and no space-group number is given");
    s.spaceGroupSymbol = name.empty() ? "(" + std::to_string(itNumber) + ")" : name;
    s.spaceGroupNumber = itNumber;
    s.notes.push_back("space-group setting not in the tables; the file's operators are used");
  }
  s.symOps.clear();
  for (const gemmi::Op& op : ops.sym_ops) s.symOps.push_back(ToSymOp(op));
  s.centring.assign(ops.cen_ops.begin(), ops.cen_ops.end());
}

double ReadCellValue(cif::Block& block, const char* tag, const char* alt, bool angle, const std::string& source) {
  const std::string* v = FirstValue(block, {tag, alt});
  if (!v) {
    if (angle) return 90.0;
    throw FormatError(source, 0, std::string("no cell: ") + tag + " is missing");
  }
  double x = cif::as_number(*v);
  if (!std::isfinite(x)) throw FormatError(source, 0, std::string(tag) + " \"" + *v + "\" is not a number");
  if (!angle && !(x > 0.1 && x < 1000.0))
    throw FormatError(source, 0, std::string(tag) + " " + *v + " is not a cell edge (0.1 to 1000 Angstrom)");
  if (angle && !(x > 0.0 && x < 180.0))
    throw FormatError(source, 0, std::string(tag) + " " + *v + " is not an angle between 0 and 180 degrees");
  return x;
}

void ReadCell(cif::Block& block, CrystalStructure& s, const std::string& source) {
  s.cell = {ReadCellValue(block, "_cell_length_a", "_cell.length_a", false, source),
            ReadCellValue(block, "_cell_length_b", "_cell.length_b", false, source),
            ReadCellValue(block, "_cell_length_c", "_cell.length_c", false, source),
            ReadCellValue(block, "_cell_angle_alpha", "_cell.angle_alpha", true, source),
            ReadCellValue(block, "_cell_angle_beta", "_cell.angle_beta", true, source),
            ReadCellValue(block, "_cell_angle_gamma", "_cell.angle_gamma", true, source)};
  const double d2r = M_PI / 180.0;
  const double ca = std::cos(s.cell[3] * d2r), cb = std::cos(s.cell[4] * d2r), cg = std::cos(s.cell[5] * d2r);
  const double v2 = 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
  if (!(v2 > 1e-6)) throw FormatError(source, 0, "the cell angles give no cell (zero or negative volume)");
}

double Number(const std::string& v, double fallback) {
  return cif::is_null(v) ? fallback : cif::as_number(v);
}

void ReadSites(cif::Block& block, CrystalStructure& s, const std::string& source) {
  enum { kLabel, kSymbol, kX, kY, kZ, kUiso, kBiso, kOcc };
  cif::Table table = block.find("_atom_site_", {"label", "?type_symbol", "?fract_x", "?fract_y", "?fract_z",
                                                 "?U_iso_or_equiv", "?B_iso_or_equiv", "?occupancy"});
  if (!table.ok() || table.length() == 0) throw FormatError(source, 0, "no atom sites (_atom_site_label)");
  for (auto row : table) {
    AtomSite site;
    site.label = cif::as_string(row[kLabel]);
    site.typeSymbol = row.has(kSymbol) && !cif::is_null(row[kSymbol]) ? cif::as_string(row[kSymbol]) : site.label;
    gemmi::SmallStructure::Site g;
    if (!site.typeSymbol.empty()) gemmi::split_element_and_charge(site.typeSymbol, &g);
    if (g.element == gemmi::El::X || g.element.atomic_number() > 98)
      throw FormatError(source, 0, "site " + site.label + ": unknown element \"" + site.typeSymbol + "\"");
    site.z = g.element.atomic_number();
    site.charge = g.charge;
    for (int i = 0; i < 3; ++i) {
      double x = row.has(kX + i) ? Number(row[kX + i], NAN) : NAN;
      if (!std::isfinite(x) || std::fabs(x) > 1e4)
        throw FormatError(source, 0, "site " + site.label + ": no fractional coordinates");
      site.fract[i] = x;
    }
    site.occupancy = row.has(kOcc) ? Number(row[kOcc], 1.0) : 1.0;
    if (!(site.occupancy >= 0.0 && site.occupancy <= 1.0 + 1e-3))
      throw FormatError(source, 0, "site " + site.label + ": occupancy " + row[kOcc] + " is not between 0 and 1");
    if (row.has(kUiso) && !cif::is_null(row[kUiso]))
      site.uIso = cif::as_number(row[kUiso]);
    else if (row.has(kBiso) && !cif::is_null(row[kBiso]))
      site.uIso = cif::as_number(row[kBiso]) / (8 * M_PI * M_PI);
    if (!std::isfinite(site.uIso) || std::fabs(site.uIso) > 10.0)
      throw FormatError(source, 0, "site " + site.label + ": displacement parameter is not a usable number");
    s.sites.push_back(site);
  }
  // Anisotropic displacements, as U or as B.
  for (const char* kind : {"U", "B"}) {
    const std::string k = kind;
    cif::Table aniso = block.find("_atom_site_aniso_", {"label", k + "_11", k + "_22", k + "_33", k + "_12",
                                                         k + "_13", k + "_23"});
    const double scale = k == "B" ? 1.0 / (8 * M_PI * M_PI) : 1.0;
    for (auto row : aniso) {
      const std::string label = cif::as_string(row[0]);
      auto it = std::find_if(s.sites.begin(), s.sites.end(), [&](const AtomSite& a) { return a.label == label; });
      if (it == s.sites.end() || it->anisotropic) continue;
      for (int i = 0; i < 6; ++i) {
        double u = Number(row[1 + i], 0.0) * scale;
        if (!std::isfinite(u) || std::fabs(u) > 10.0)
          throw FormatError(source, 0, "site " + label + ": anisotropic displacement is not a usable number");
        it->uAniso[i] = u;
      }
      it->anisotropic = true;
    }
  }
  for (const AtomSite& a : s.sites)
    if (a.charge != 0) {
      s.notes.push_back("ionic charges are read; the form factors are those of the neutral atoms");
      break;
    }
}

// Sites that share a position (closer than 0.35 Angstrom, over every
// symmetry image) must not hold more than one atom between them.
void CheckOccupancySums(const CrystalStructure& s, const std::string& source) {
  const auto images = SiteImages(s);
  gemmi::UnitCell cell(s.cell[0], s.cell[1], s.cell[2], s.cell[3], s.cell[4], s.cell[5]);
  for (std::size_t i = 0; i < s.sites.size(); ++i) {
    double sum = s.sites[i].occupancy;
    std::string names = s.sites[i].label;
    const gemmi::Fractional fi(s.sites[i].fract[0], s.sites[i].fract[1], s.sites[i].fract[2]);
    for (std::size_t j = 0; j < s.sites.size(); ++j) {
      if (j == i) continue;
      for (const SiteImage& im : images[j]) {
        gemmi::Fractional d(im.fract[0] - fi.x, im.fract[1] - fi.y, im.fract[2] - fi.z);
        d = d.wrap_to_zero();
        if (cell.orthogonalize_difference(d).length_sq() < 0.35 * 0.35) {
          sum += s.sites[j].occupancy;
          names += ", " + s.sites[j].label;
          break;
        }
      }
    }
    if (sum > 1.0 + 0.02) {
      std::ostringstream os;
      os << "sites " << names << " share one position with occupancies summing to " << sum;
      throw FormatError(source, 0, os.str());
    }
  }
}

}  // namespace

std::vector<std::string> CifBlockNames(std::string_view text, const std::string& source) {
  cif::Document doc = Parse(text, source);
  std::vector<std::string> names;
  for (const cif::Block& b : doc.blocks) names.push_back(b.name);
  return names;
}

CrystalStructure ReadCifStructure(std::string_view text, const std::string& source, int block) {
  cif::Document doc = Parse(text, source);
  if (doc.blocks.empty()) throw FormatError(source, 0, "no data block");
  cif::Block* chosen = nullptr;
  if (block >= 0) {
    if (block >= static_cast<int>(doc.blocks.size())) throw FormatError(source, 0, "no such data block");
    chosen = &doc.blocks[static_cast<std::size_t>(block)];
  } else {
    for (cif::Block& b : doc.blocks)
      if (b.find_value("_cell_length_a") || b.find_values("_atom_site_label").item()) {
        chosen = &b;
        break;
      }
    if (!chosen) throw FormatError(source, 0, "no data block with a cell or atom sites");
  }
  CrystalStructure s;
  s.name = chosen->name;
  if (const std::string* v = FirstValue(*chosen, {"_chemical_name_mineral", "_chemical_name_systematic",
                                                  "_chemical_formula_sum"}))
    if (!cif::as_string(*v).empty()) s.name = cif::as_string(*v);
  try {
    ReadCell(*chosen, s, source);
    ResolveGroup(*chosen, s, source);
    ReadSites(*chosen, s, source);
  } catch (const FormatError&) {
    throw;
  } catch (const std::exception& e) {
    throw FormatError(source, 0, e.what());
  }
  CheckOccupancySums(s, source);
  return s;
}

std::string ReadCifText(const std::string& path) {
  try {
    gemmi::CharArray mem = gemmi::MaybeGzipped(path).uncompress_into_buffer(64 << 20);
    if (mem.data()) return std::string(mem.data(), mem.size());
  } catch (const std::exception& e) {
    throw FormatError(path, 0, e.what());
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FormatError(path, 0, "cannot be opened");
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

bool IsSystematicallyAbsent(const CrystalStructure& s, int h, int k, int l) {
  return ToGroupOps(s).is_systematically_absent({h, k, l});
}

int CrystalSystemOfNumber(int number) { return CrystalSystemCodeOfNumber(number); }

}  // namespace quorlin
