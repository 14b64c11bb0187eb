#include "structure/powder_pattern.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <set>
#include <tuple>

#include <gemmi/fprime.hpp>
#include <gemmi/it92.hpp>
#include <gemmi/unitcell.hpp>

#include "structure/gemmi_bridge.h"

namespace quorlin {

std::vector<std::vector<SiteImage>> SiteImages(const CrystalStructure& s) {
  const gemmi::UnitCell cell(s.cell[0], s.cell[1], s.cell[2], s.cell[3], s.cell[4], s.cell[5]);
  std::vector<std::vector<SiteImage>> out;
  for (const AtomSite& site : s.sites) {
    std::vector<SiteImage> images;
    for (const auto& c : s.centring)
      for (const SymOp& op : s.symOps) {
        SiteImage im;
        im.rot = op.rot;
        for (int i = 0; i < 3; ++i) {
          double x = (op.tran[static_cast<std::size_t>(i)] + c[static_cast<std::size_t>(i)]) / double(kSymDen);
          for (int j = 0; j < 3; ++j) x += op.rot[static_cast<std::size_t>(3 * i + j)] * site.fract[static_cast<std::size_t>(j)] / kSymDen;
          im.fract[static_cast<std::size_t>(i)] = x - std::floor(x);
        }
        bool seen = false;
        for (const SiteImage& o : images) {
          gemmi::Fractional d(im.fract[0] - o.fract[0], im.fract[1] - o.fract[1], im.fract[2] - o.fract[2]);
          if (cell.orthogonalize_difference(d.wrap_to_zero()).length_sq() < 0.01) {
            seen = true;
            break;
          }
        }
        if (!seen) images.push_back(im);
      }
    out.push_back(std::move(images));
  }
  return out;
}

namespace {

using Miller = std::array<int, 3>;

struct Family {
  Miller label;
  double d2inv = 0.0;  // 1/d^2
  int multiplicity = 0;
  double f2 = 0.0;
};

// The order a person writes indices in: no minus signs if it can be helped,
// then the larger indices first (200, not 002; 311, not 131).
auto PersonKey(const Miller& m) {
  int negatives = (m[0] < 0) + (m[1] < 0) + (m[2] < 0);
  return std::make_tuple(negatives, -std::abs(m[0]), -std::abs(m[1]), -std::abs(m[2]), m[0] < 0, m[1] < 0);
}

class Calculator {
 public:
  Calculator(const CrystalStructure& s, double wavelength, bool anomalous)
      : s_(s), cell_(s.cell[0], s.cell[1], s.cell[2], s.cell[3], s.cell[4], s.cell[5]), images_(SiteImages(s)) {
    const double ar[3] = {cell_.ar, cell_.br, cell_.cr};
    for (const AtomSite& site : s.sites) {
      // beta_ij = 2 pi^2 a*_i a*_j U_ij, so that T = exp(-h' beta h').
      std::array<double, 9> beta{};
      const double* u = site.uAniso.data();
      const double full[9] = {u[0], u[3], u[4], u[3], u[1], u[5], u[4], u[5], u[2]};
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
          beta[static_cast<std::size_t>(3 * i + j)] = 2 * M_PI * M_PI * ar[i] * ar[j] * full[3 * i + j];
      beta_.push_back(beta);
      std::complex<double> extra = 0.0;
      if (anomalous && wavelength > 0) {
        double fpp = 0.0;
        const double fp = gemmi::cromer_liberman(site.z, 12398.4198 / wavelength, &fpp);
        extra = {fp, fpp};
      }
      dispersion_.push_back(extra);
    }
  }

  const gemmi::UnitCell& cell() const { return cell_; }

  double F2(const Miller& h) const {
    const double stol2 = 0.25 * cell_.calculate_1_d2({h[0], h[1], h[2]});
    std::complex<double> f = 0.0;
    for (std::size_t i = 0; i < s_.sites.size(); ++i) {
      const AtomSite& site = s_.sites[i];
      const auto& coef = gemmi::IT92<double>::get(static_cast<gemmi::El>(site.z));
      const std::complex<double> fa = coef.calculate_sf(stol2) + dispersion_[i];
      const double isoT = site.anisotropic ? 1.0 : std::exp(-8 * M_PI * M_PI * site.uIso * stol2);
      std::complex<double> sum = 0.0;
      for (const SiteImage& im : images_[i]) {
        double t = isoT;
        if (site.anisotropic) {
          double hr[3];
          for (int j = 0; j < 3; ++j)
            hr[j] = (h[0] * im.rot[static_cast<std::size_t>(j)] + h[1] * im.rot[static_cast<std::size_t>(3 + j)] +
                     h[2] * im.rot[static_cast<std::size_t>(6 + j)]) /
                    double(kSymDen);
          double q = 0.0;
          for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) q += hr[a] * beta_[i][static_cast<std::size_t>(3 * a + b)] * hr[b];
          t = std::exp(-q);
        }
        const double phase = 2 * M_PI * (h[0] * im.fract[0] + h[1] * im.fract[1] + h[2] * im.fract[2]);
        sum += t * std::complex<double>(std::cos(phase), std::sin(phase));
      }
      f += site.occupancy * fa * sum;
    }
    return std::norm(f);
  }

 private:
  const CrystalStructure& s_;
  gemmi::UnitCell cell_;
  std::vector<std::vector<SiteImage>> images_;
  std::vector<std::array<double, 9>> beta_;
  std::vector<std::complex<double>> dispersion_;
};

// Every reflection family with 1/d^2 in [lo, hi], absences left out; the
// multiplicity counts the hkl of the family, Friedel mates included.
std::vector<Family> Families(const CrystalStructure& s, const Calculator& calc, double lo, double hi) {
  const gemmi::GroupOps ops = ToGroupOps(s);
  const gemmi::UnitCell& cell = calc.cell();
  const double dmin = 1.0 / std::sqrt(hi);
  const int hm = static_cast<int>(cell.a / dmin) + 1, km = static_cast<int>(cell.b / dmin) + 1,
            lm = static_cast<int>(cell.c / dmin) + 1;
  std::set<Miller> seen;
  std::vector<Family> out;
  const bool friedel = true;
  for (int h = -hm; h <= hm; ++h)
    for (int k = -km; k <= km; ++k)
      for (int l = -lm; l <= lm; ++l) {
        if (h == 0 && k == 0 && l == 0) continue;
        const Miller m{h, k, l};
        const double q = cell.calculate_1_d2({h, k, l});
        if (q < lo || q > hi || seen.count(m)) continue;
        std::set<Miller> orbit;
        for (const gemmi::Op& op : ops.sym_ops) {
          const auto e = op.apply_to_hkl({h, k, l});
          orbit.insert({e[0], e[1], e[2]});
          if (friedel) orbit.insert({-e[0], -e[1], -e[2]});
        }
        seen.insert(orbit.begin(), orbit.end());
        if (ops.is_systematically_absent({h, k, l})) continue;
        Family f;
        f.label = *std::min_element(orbit.begin(), orbit.end(),
                                    [](const Miller& a, const Miller& b) { return PersonKey(a) < PersonKey(b); });
        f.d2inv = q;
        f.multiplicity = static_cast<int>(orbit.size());
        // Friedel mates differ only with anomalous scattering: take both.
        f.f2 = 0.5 * (calc.F2(m) + calc.F2({-h, -k, -l}));
        out.push_back(f);
      }
  return out;
}

// Sums families of equal d into lines by falling d; each line's label is
// that of its strongest family. weight(d) turns m |F|^2 into an intensity.
template <class Weight>
std::vector<PowderLine> Lines(std::vector<Family> families, Weight weight) {
  std::sort(families.begin(), families.end(), [](const Family& a, const Family& b) { return a.d2inv < b.d2inv; });
  std::vector<PowderLine> lines;
  double best = 0.0, top = 0.0;
  for (std::size_t i = 0; i < families.size(); ++i) {
    const Family& f = families[i];
    const double d = 1.0 / std::sqrt(f.d2inv);
    const double part = f.multiplicity * f.f2;
    const bool same = !lines.empty() && std::fabs(lines.back().d - d) <= 1e-6 * d;
    if (!same) {
      lines.push_back({});
      lines.back().d = d;
      best = -1.0;
    }
    PowderLine& line = lines.back();
    if (part > best) {
      best = part;
      line.h = static_cast<std::int16_t>(f.label[0]);
      line.k = static_cast<std::int16_t>(f.label[1]);
      line.l = static_cast<std::int16_t>(f.label[2]);
    }
    line.f2 = (line.f2 * line.multiplicity + part) / (line.multiplicity + f.multiplicity);
    line.multiplicity += f.multiplicity;
  }
  for (PowderLine& line : lines) {
    line.intensity = weight(line) * line.multiplicity * line.f2;
    top = std::max(top, line.intensity);
  }
  for (PowderLine& line : lines) line.intensity = top > 0 ? 100.0 * line.intensity / top : 0.0;
  // Lines the atom positions extinguish (diamond's 222) are not drawn.
  std::erase_if(lines, [](const PowderLine& line) { return !(line.intensity > 1e-6); });
  return lines;
}

}  // namespace

std::vector<PowderLine> PowderPattern(const CrystalStructure& s, const PowderOptions& o) {
  const double deg = M_PI / 180.0;
  const double lo2 = std::max(0.0, std::min(o.twoThetaMin, o.twoThetaMax)), hi2 = std::min(179.9, o.twoThetaMax);
  if (!(o.wavelength > 0.01) || !(hi2 > lo2)) return {};
  const double slo = std::sin(lo2 * deg / 2), shi = std::sin(hi2 * deg / 2);
  const double lo = 4 * slo * slo / (o.wavelength * o.wavelength), hi = 4 * shi * shi / (o.wavelength * o.wavelength);
  const Calculator calc(s, o.wavelength, o.anomalous);
  const double cm = std::cos(o.monochromatorTwoTheta * deg), cm2 = cm * cm;
  auto lp = [&](PowderLine& line) {
    const double st = o.wavelength / (2 * line.d);
    const double th = std::asin(std::min(1.0, st));
    line.twoTheta = 2 * th / deg;
    const double c2 = std::cos(2 * th) * std::cos(2 * th);
    const double pol = o.polarisation == Polarisation::Synchrotron ? 1.0 : (1 + cm2 * c2) / (1 + cm2);
    return pol / (st * st * std::cos(th));
  };
  return Lines(Families(s, calc, lo, hi), lp);
}

// At a fixed angle the integrated power of a line in a white beam is
// i0(E) d^2 m |F|^2 (Buras, B. & Gerward, L. (1975), Acta Cryst. A31,
// 372-374); the source spectrum i0 is taken as flat and the polarisation,
// constant at one angle, drops out of the relative intensities.
std::vector<PowderLine> EnergyDispersivePattern(const CrystalStructure& s, double detectorTwoTheta, double eMin,
                                                double eMax) {
  const double st = std::sin(detectorTwoTheta * M_PI / 360.0);
  if (!(st > 0) || !(eMax > eMin) || !(eMin >= 0)) return {};
  const double hc = 12.3984198;  // keV Angstrom
  // E = hc / (2 d sin theta): 1/d^2 = (2 E sin theta / hc)^2.
  const double lo = std::pow(2 * eMin * st / hc, 2), hi = std::pow(2 * eMax * st / hc, 2);
  const Calculator calc(s, 0.0, false);
  return Lines(Families(s, calc, lo, hi), [&](PowderLine& line) {
    line.twoTheta = hc / (2 * line.d * st);
    return line.d * line.d;
  });
}

}  // namespace quorlin
