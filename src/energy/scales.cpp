#include "energy/scales.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>

#include "core/errors.h"
#include "core/numtext.h"
#include "energy/decker.h"

namespace quorlin {
namespace {

constexpr double kAvogadro = 6.02214076e23;

Isotherm Vinet(double V0, double K0, double K0p) { return {IsothermForm::Vinet, V0, K0, K0p}; }
Isotherm BM3(double V0, double K0, double K0p) { return {IsothermForm::BirchMurnaghan3, V0, K0, K0p}; }

ThermalModel PowerLawGamma(double theta0, double gamma0, double q, double atoms, double Z) {
  ThermalModel m;
  m.form = GammaForm::PowerLaw;
  m.theta0 = theta0;
  m.gamma0 = gamma0;
  m.q = q;
  m.atoms = atoms;
  m.Z = Z;
  return m;
}

// Room-temperature isotherms hold only near 300 K.
constexpr double kRoomLo = 290, kRoomHi = 310;

std::vector<PressureScale> BuildScales() {
  std::vector<PressureScale> v;
  auto add = [&](PressureScale s) { v.push_back(s); };
  const ThermalModel none;
  // Fei et al. 2007, PNAS 104, 9182, Table 1 (Vinet with Mie-Grueneisen-Debye).
  add({"Au-Fei2007", "Au", "Vinet-MGD", "Fei et al. 2007, PNAS 104, 9182", Vinet(67.850, 167, 6.00),
       PowerLawGamma(170, 2.97, 0.6, 1, 4), 0, true, 0, 100, 300, 2500});
  add({"Pt-Fei2007", "Pt", "Vinet-MGD", "Fei et al. 2007, PNAS 104, 9182", Vinet(60.38, 277, 5.08),
       PowerLawGamma(230, 2.72, 0.5, 1, 4), 0, true, 0, 100, 300, 2500});
  add({"Ne-Fei2007", "Ne", "Vinet-MGD", "Fei et al. 2007, PNAS 104, 9182", Vinet(88.967, 1.16, 8.23),
       PowerLawGamma(75.1, 2.05, 0.6, 1, 4), 0, true, 5, 100, 300, 2000});
  // Tange et al. 2009, JGR 114, B03208, Table 5 (Vinet with their own gamma(V)).
  {
    ThermalModel t;
    t.form = GammaForm::Tange;
    t.theta0 = 761;
    t.gamma0 = 1.442;
    t.a = 0.138;
    t.b = 5.4;
    t.atoms = 2;
    t.Z = 4;
    add({"MgO-Tange2009", "MgO", "Vinet-Tange", "Tange et al. 2009, JGR 114, B03208", Vinet(74.698, 160.63, 4.367), t,
         0, true, 0, 140, 300, 3000});
  }
  // Decker 1971, J. Appl. Phys. 42, 3239: V0 from r0 and the structure.
  auto decker = [&](std::string_view name, std::string_view material, PressureStandard s, int code, double maxGPa) {
    const double a0 = ReferenceEdge(s);
    add({name, material, "Decker", "Decker 1971, J. Appl. Phys. 42, 3239", Vinet(a0 * a0 * a0, 0, 0), none, code, true,
         0, maxGPa, 273.15, 773.15});
  };
  decker("NaCl-Decker1971", "NaCl", PressureStandard::NaCl, 1, 29);  // B1 up to its B2 transition
  add({"NaCl-B2-Fei2007", "NaCl", "Vinet-MGD", "Fei et al. 2007, PNAS 104, 9182", Vinet(41.35, 26.86, 5.25),
       PowerLawGamma(290, 1.70, 0.5, 2, 1), 0, true, 30, 140, 300, 2500});
  decker("KCl-Decker1971", "KCl", PressureStandard::KCl, 2, 1.9);  // B1 below its B2 transition
  decker("CsCl-Decker1971", "CsCl", PressureStandard::CsCl, 3, 30);
  // Anzellini et al. 2014, J. Appl. Phys. 115, 043511, Table IV (helium medium): V0 8.8726 cm^3/mol,
  // 14.7333 A^3 per atom, two atoms per hcp cell.
  add({"Re-Anzellini2014", "Re", "Vinet", "Anzellini et al. 2014, J. Appl. Phys. 115, 043511",
       Vinet(2 * 14.7333, 352.6, 4.56), none, 0, false, 0, 140, kRoomLo, kRoomHi});
  // Dewaele et al. 2004, PRB 70, 094112, Table II on their revised ruby scale (V0 fixed), per-atom
  // volumes times atoms per cell.
  add({"W-Dewaele2004", "W", "Vinet", "Dewaele et al. 2004, Phys. Rev. B 70, 094112", Vinet(2 * 15.862, 295.2, 4.32),
       none, 0, true, 0, 153, kRoomLo, kRoomHi});
  add({"W-Dorogokupets2007", "W", "Vinet", "Dorogokupets & Oganov 2007, Phys. Rev. B 75, 024115",
       Vinet(31.70, 306.0, 4.17), none, 0, true, 0, 150, kRoomLo, kRoomHi});
  add({"Cu-Dewaele2004", "Cu", "Vinet", "Dewaele et al. 2004, Phys. Rev. B 70, 094112", Vinet(4 * 11.81, 132.4, 5.32),
       none, 0, true, 0, 153, kRoomLo, kRoomHi});
  // Huang et al. 2016, Sci. Rep. 6, 19923: 9.37647 cm^3/mol, two atoms per bcc cell.
  add({"Mo-Huang2016", "Mo", "BM3-MGD", "Huang et al. 2016, Sci. Rep. 6, 19923",
       BM3(9.37647e-6 * 2 / kAvogadro * 1e30, 255, 4.25), PowerLawGamma(470, 2.01, 0.6, 1, 2), 0, true, 0, 80, 300,
       3000});
  return v;
}

// Names a card may use for a material, besides its formula.
constexpr std::pair<std::string_view, std::string_view> kMaterialWords[] = {
    {"gold", "Au"},      {"platinum", "Pt"}, {"neon", "Ne"},    {"periclase", "MgO"},  {"halite", "NaCl"},
    {"rocksalt", "NaCl"}, {"sylvite", "KCl"}, {"rhenium", "Re"}, {"tungsten", "W"},     {"wolfram", "W"},
    {"copper", "Cu"},    {"molybdenum", "Mo"}};

const PressureScale* FirstOfMaterial(std::string_view material) {
  for (const PressureScale& s : PressureScales())
    if (s.material == material) return &s;
  return nullptr;
}

const PressureScale* MaterialOfWord(std::string_view word, bool anyCase) {
  for (const PressureScale& s : PressureScales())
    if (anyCase ? EqualsNoCase(word, s.material) : word == s.material) return &s;
  for (auto [w, material] : kMaterialWords)
    if (EqualsNoCase(word, w)) return FirstOfMaterial(material);
  return nullptr;
}

}  // namespace

const std::vector<PressureScale>& PressureScales() {
  static const std::vector<PressureScale> scales = BuildScales();
  return scales;
}

const PressureScale* FindPressureScale(std::string_view name) {
  for (const PressureScale& s : PressureScales())
    if (EqualsNoCase(name, s.name)) return &s;
  return nullptr;
}

const PressureScale& ScaleOfStandard(PressureStandard s) {
  const char* names[] = {"NaCl-Decker1971", "KCl-Decker1971", "CsCl-Decker1971",
                         "Au-Fei2007",      "MgO-Tange2009",  "W-Dorogokupets2007"};
  return *FindPressureScale(names[static_cast<int>(s)]);
}

const PressureScale* ScaleNamedBy(std::string_view comment, std::string_view fileName) {
  // Words of the comment: formulas match as written ("Co" is not "CO"), names in any case.
  std::string word;
  for (std::size_t i = 0; i <= comment.size(); ++i) {
    const char c = i < comment.size() ? comment[i] : ' ';
    if (std::isalnum(static_cast<unsigned char>(c))) {
      word += c;
      continue;
    }
    if (const PressureScale* s = word.empty() ? nullptr : MaterialOfWord(word, false)) return s;
    word.clear();
  }
  // Then the file's stem: "nacl.jcpds", "re.jcpds", "gold.jcpds".
  std::string_view stem = fileName.substr(fileName.find_last_of("/\\") + 1);
  stem = stem.substr(0, stem.find('.'));
  return stem.empty() ? nullptr : MaterialOfWord(stem, true);
}

double ScalePressure(const PressureScale& s, double V, double kelvin) {
  if (!std::isfinite(V) || V <= 0)
    throw QuorlinError("the cell volume must be a positive number, not " + GeneralText(V));
  if (!std::isfinite(kelvin) || kelvin <= 0)
    throw QuorlinError("the temperature must lie above absolute zero (0 K), not " + GeneralText(kelvin) + " K");
  if (s.deckerCode != 0) {
    const float vdiff = static_cast<float>((V - s.isotherm.V0) / s.isotherm.V0);
    float p = 0;
    std::int16_t status = 0;
    clsDecker().Decker(static_cast<std::int16_t>(s.deckerCode), static_cast<float>(kelvin - 273.15), vdiff, p,
                       status);
    if (status == clsDecker::kDebyeFailed || status == clsDecker::kNoVolume || status == clsDecker::kUnknownStandard)
      throw QuorlinError("the Decker model gives no pressure for V = " + GeneralText(V));
    return p / 10.0;
  }
  return IsothermPressure(s.isotherm, V) + ThermalPressure(s.thermal, s.isotherm.V0, V, kelvin);
}

double ScalePressureSlope(const PressureScale& s, double V, double kelvin) {
  const double h = 1e-4 * V;
  return (ScalePressure(s, V + h, kelvin) - ScalePressure(s, V - h, kelvin)) / (2 * h);
}

RatioRange CalibratedRatios(const PressureScale& s) {
  static std::mutex lock;
  static std::map<std::string_view, RatioRange> cache;
  const std::lock_guard<std::mutex> hold(lock);
  if (auto it = cache.find(s.name); it != cache.end()) return it->second;
  // The ratio where the scale reaches P at T, P falling with V.
  auto ratioAt = [&](double P, double T) {
    double lo = 0.2, hi = 2.0;
    for (int i = 0; i < 100; ++i) {
      const double mid = 0.5 * (lo + hi);
      (ScalePressure(s, mid * s.isotherm.V0, T) > P ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
  };
  // A tenth of a GPa below the span's foot is within any measurement of it.
  const RatioRange r{ratioAt(s.maxGPa, 300), ratioAt(s.minGPa - 0.1, 300)};
  cache[s.name] = r;
  return r;
}

std::string OutsideRangeNote(const PressureScale& s, double V, double kelvin) {
  const RatioRange r = CalibratedRatios(s);
  const double ratio = V / s.isotherm.V0;
  // Beyond the span's top on the 300 K curve, or below its foot at this
  // temperature (heating expands the cell past the 300 K bound, and a phase
  // that exists only above its foot, B2 NaCl or solid Ne, is out below it).
  const bool compressionOut = !(ratio >= r.lo) || ScalePressure(s, V, kelvin) < s.minGPa - 0.1;
  // A span that starts at 300 K starts at room temperature, which is 293 to
  // 300 K in the labs the scales come from: 25 degrees Celsius is inside it.
  const double foot = s.minK <= 300 ? s.minK - 10 : s.minK;
  const bool temperatureOut = !(kelvin >= foot && kelvin <= s.maxK);
  if (!compressionOut && !temperatureOut) return "";
  std::string what = compressionOut ? "V/V0 = " + FixedText(ratio, 4) : "";
  if (temperatureOut) what += (what.empty() ? "T = " : " and T = ") + FixedText(kelvin, 1) + " K";
  return what + " lies outside the calibrated range of " + std::string(s.name) + " (" + GeneralText(s.minGPa) +
         " to " + GeneralText(s.maxGPa) + " GPa at 300 K, V/V0 " + FixedText(r.lo, 3) + " to " + FixedText(r.hi, 3) +
         ", " + GeneralText(s.minK) + " to " + GeneralText(s.maxK) + " K)";
}

std::optional<double> TemperatureKelvin(std::string_view text) {
  if (text.empty()) return std::nullopt;
  double offset = 273.15;
  const char unit = text.back();
  if (unit == 'K' || unit == 'k') {
    offset = 0;
    text.remove_suffix(1);
  } else if (unit == 'C' || unit == 'c') {
    text.remove_suffix(1);
  }
  const std::optional<double> v = StrictDouble(text);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return *v + offset;
}

}  // namespace quorlin
