// X-ray data of the elements H (1) to Pu (94): lookups by chemical symbol and
// mucal, the photon cross sections of the McMaster compilation.
//
// Energies in keV, cross sections in barns/atom (or cm^2/g on request),
// densities in g/cm^3. Symbols are two upper-case characters, one-letter
// symbols padded with a blank ("H ", "CU"); lookups normalise with upcase.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorlin {

class clsPeriodicTable {
 public:
  // Status codes of mucal (it leaves the status alone when nothing is wrong).
  enum : std::int16_t {
    kZeroEnergy = 1,
    kWrongName = 2,
    kNoCrossSections = 3,  // an element the tables give no fits for (Po, At, Fr, Ra, Ac, Pa, Np)
    kZAbove94 = 4,
    kLightElementMRegion = 5,
    kAtEdge = 6,
    kNoNameNoZ = 7,
  };

  // Letters a-z to A-Z; a result of length 1 gets one trailing blank.
  static void upcase(std::string& s);
  static bool CheckName(std::string TestName);
  // Z, or 0 when the symbol is not in the table.
  static float AtomicNumber(std::string AtomName);
  static std::optional<float> AtomicWeight(std::string AtomName);
  static float Density(std::string AtomName);
  // 1 K, 2 L1, 3 L2, 4 L3, 5 M; anything else 0.
  static float EdgeEnergy(std::string AtomName, std::int16_t edge);
  // The K, L1, L2 and L3 edge energies.
  static void FluorescenceYields(std::string AtomName, float& kEnergy, float& l1Energy, float& l2Energy,
                                 float& l3Energy);
  // 1 K-alpha, 2 K-beta, 3 L-alpha, 4 L-beta; anything else 0.
  static float FluorescenceEnergy(std::string AtomName, std::int16_t Line);
  // 1 omega K, 2 omega L1, 3 omega L2, 4 omega L3; anything else 0.
  static float FluorescenceYield(std::string AtomName, std::int16_t shell);

  // Cross sections at `energy` for the element named, or for `z` when the
  // name is two blanks. xsec(1..4) photoelectric, coherent, incoherent and
  // total (barns/atom, or cm^2/g when unit is "C"); 5 the conversion factor;
  // 6 the linear coefficient (1/cm); 7 atomic weight; 8 density; 9 the L2
  // jump 1.41 (Z >= 27 only); 10 the L3 jump. energies(1..9): K, L1, L2, L3,
  // M edges, K-alpha, K-beta, L-alpha, L-beta; yields(1..4). A negative
  // energy gives the element data only. Index 0 of each array is unused.
  void mucal(const float& energy, std::string& name, std::int16_t& z, std::string& unit, std::array<float, 11>& xsec,
             std::array<float, 10>& energies, std::array<float, 5>& yields, bool showMessages,
             std::int16_t& status) const;

  // Where mucal's messages go when asked to show them (a message box).
  std::function<void(const std::string&)> ShowMessage;

 private:
  static int Z(std::string AtomName);
  void Say(bool show, const std::string& text) const {
    if (show && ShowMessage) ShowMessage(text);
  }
};

}  // namespace quorlin
