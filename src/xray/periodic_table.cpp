#include "xray/periodic_table.h"

#include <cmath>

#include "xray/mcmaster_data.h"

namespace quorlin {
namespace {

const McMasterElement& Element(int z) { return McMasterTable()[static_cast<std::size_t>(z)]; }

double Fit(const std::array<float, 4>& a, double L) { return std::exp(a[0] + L * (a[1] + L * (a[2] + L * a[3]))); }

bool AllZero(const std::array<float, 4>& a) { return a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0; }

}  // namespace

void clsPeriodicTable::upcase(std::string& s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (s.size() == 1) s += ' ';
}

int clsPeriodicTable::Z(std::string AtomName) {
  upcase(AtomName);
  for (int z = 1; z <= 94; ++z)
    if (AtomName == Element(z).symbol) return z;
  return 0;
}

bool clsPeriodicTable::CheckName(std::string TestName) { return Z(std::move(TestName)) != 0; }
float clsPeriodicTable::AtomicNumber(std::string AtomName) { return static_cast<float>(Z(std::move(AtomName))); }

std::optional<float> clsPeriodicTable::AtomicWeight(std::string AtomName) {
  const int z = Z(std::move(AtomName));
  if (z == 0) return std::nullopt;
  return Element(z).atomicWeight;
}

float clsPeriodicTable::Density(std::string AtomName) { return Element(Z(std::move(AtomName))).density; }

float clsPeriodicTable::EdgeEnergy(std::string AtomName, std::int16_t edge) {
  if (edge < 1 || edge > 5) return 0;
  return Element(Z(std::move(AtomName))).edges[static_cast<std::size_t>(edge - 1)];
}

void clsPeriodicTable::FluorescenceYields(std::string AtomName, float& kEnergy, float& l1Energy, float& l2Energy,
                                          float& l3Energy) {
  const auto& e = Element(Z(std::move(AtomName))).edges;
  kEnergy = e[0];
  l1Energy = e[1];
  l2Energy = e[2];
  l3Energy = e[3];
}

float clsPeriodicTable::FluorescenceEnergy(std::string AtomName, std::int16_t Line) {
  if (Line < 1 || Line > 4) return 0;
  return Element(Z(std::move(AtomName))).lines[static_cast<std::size_t>(Line - 1)];
}

float clsPeriodicTable::FluorescenceYield(std::string AtomName, std::int16_t shell) {
  if (shell < 1 || shell > 4) return 0;
  return Element(Z(std::move(AtomName))).yields[static_cast<std::size_t>(shell - 1)];
}

void clsPeriodicTable::mucal(const float& energy, std::string& name, std::int16_t& z, std::string& unit,
                             std::array<float, 11>& xsec, std::array<float, 10>& energies, std::array<float, 5>& yields,
                             bool showMessages, std::int16_t& status) const {
  const bool byNumber = name == "  ";
  if (byNumber && z <= 0) {
    // A negative Z names no element either.
    status = kNoNameNoZ;
    Say(showMessages, "**no name no z what do you want?**");
    return;
  }
  int Zn = 0;
  if (!byNumber) {
    upcase(name);
    Zn = Z(name);
    if (Zn == 0) {
      status = kWrongName;
      Say(showMessages, "**WRONG NAME**");
      return;
    }
    z = static_cast<std::int16_t>(Zn);
  } else if (z <= 94) {
    Zn = z;
    name = Element(Zn).symbol;
  } else {
    status = kZAbove94;
    Say(showMessages, "**no documents for Z > 94**");
    return;
  }
  upcase(unit);
  const McMasterElement& el = Element(Zn);

  if (energy == 0) {
    status = kZeroEnergy;
    Say(showMessages, "**can not calculate for zero energy**");
    return;
  }
  // Seven elements have no fits at all: four zero sets would give 1 barn.
  if (energy > 0 && el.conversion == 0) {
    status = kNoCrossSections;
    Say(showMessages, "**no cross sections tabulated for this element**");
  } else if (energy > 0) {
    const float E = energy;
    const float K = el.edges[0], L1 = el.edges[1], L2 = el.edges[2], L3 = el.edges[3], M = el.edges[4];
    for (float X : {K, L1, M}) {
      const float below = static_cast<float>(static_cast<double>(X) - 0.001);
      if (below < E && E < X) {
        status = kAtEdge;
        Say(showMessages, "**energy at the middle of edge using pre-edge fit results may be wrong**");
      }
    }
    const double L = std::log(static_cast<double>(E));
    const std::array<float, 4>* a = nullptr;
    if (E >= K)
      a = &el.fits[kFitK];
    else if (E >= L3)
      a = &el.fits[kFitL];
    else if (E >= M)
      a = &el.fits[kFitM];
    else
      a = &el.fits[kFitN];
    if (a == &el.fits[kFitM] && Zn <= 29) {
      status = kLightElementMRegion;
      Say(showMessages, "**WARNING:McMaster uses L1 edge results may be imprecise for Z < 30**");
      // No M fit is tabulated below Z = 30 (four zeros would give 1 barn);
      // McMaster carries the L fit on below L3 for these elements.
      if (AllZero(*a)) a = &el.fits[kFitL];
    }
    if (a == &el.fits[kFitN] && AllZero(*a)) {
      // Below the M edge only the heavier elements have a fit; the others
      // carry on the fit from above the edge, with the same warning status.
      status = kLightElementMRegion;
      Say(showMessages, "**WARNING:McMaster gives no fit below the M edge; the fit above it may be imprecise**");
      a = AllZero(el.fits[kFitM]) ? &el.fits[kFitL] : &el.fits[kFitM];
    }
    float pe = static_cast<float>(Fit(*a, L));
    if (L3 <= E && E < L2) pe = static_cast<float>(pe / 1.6356);
    if (L2 <= E && E < L1) pe = static_cast<float>(pe / 1.16);
    const float coh = static_cast<float>(Fit(el.fits[kFitCoherent], L));
    const float inc = static_cast<float>(Fit(el.fits[kFitIncoherent], L));
    const float tot = pe + coh + inc;
    // Unit "C" means cm^2/g (upcase pads the one letter with a blank).
    const bool perGram = unit == "C " || unit == "C";
    const float f = perGram ? el.conversion : 1.0f;
    xsec[1] = pe / f;
    xsec[2] = coh / f;
    xsec[3] = inc / f;
    xsec[4] = tot / f;
    xsec[5] = el.conversion;
    xsec[6] = tot * el.density / el.conversion;
  }
  xsec[7] = el.atomicWeight;
  xsec[8] = el.density;
  if (Zn >= 27) xsec[9] = 1.41f;
  xsec[10] = el.l3Jump;
  for (int i = 0; i < 5; ++i) energies[static_cast<std::size_t>(i + 1)] = el.edges[static_cast<std::size_t>(i)];
  for (int i = 0; i < 4; ++i) energies[static_cast<std::size_t>(i + 6)] = el.lines[static_cast<std::size_t>(i)];
  for (int i = 0; i < 4; ++i) yields[static_cast<std::size_t>(i + 1)] = el.yields[static_cast<std::size_t>(i)];
}

}  // namespace quorlin
