// What a phase opened from a jcpds card keeps of the card: its cell at
// ambient conditions and the constants of its thermal equation of state
// (VERSION 4 cards), with the pressure and temperature the phase was last
// moved to. The working phase and every stored phase carry one with their
// reflection set, so that it is copied, stored and saved with them.
#pragma once

#include <array>
#include <string_view>

namespace quorlin {

class PropertyBag;

struct CardPhase {
  static constexpr double kAmbientKelvin = 298;  // the cards' reference temperature
  // The card's cell (a, b, c in Angstrom, alpha, beta, gamma in degrees);
  // all zero for a phase that did not come from a card.
  std::array<float, 6> cell{};
  float K0 = 0;        // GPa; 0 when the card gives none (the phase cannot be moved)
  float K0p = 4;       // a card without K0' takes 4, the second-order isotherm
  float dK0dT = 0;     // GPa/K
  float dK0pdT = 0;    // 1/K
  float alphaT = 0;    // volume thermal expansion at the reference temperature, 1/K
  float dAlphadT = 0;  // 1/K^2
  double pressure = 0;                // GPa
  double kelvin = kAmbientKelvin;     // K

  bool FromCard() const { return cell[0] > 0; }
  bool Movable() const { return FromCard() && K0 > 0; }
  bool operator==(const CardPhase&) const = default;

  // Keys under the reflection set's prefix (docs/project-format.md); a set
  // without them, or with a cell that is not six positive numbers, reads as
  // no card.
  void WriteState(std::string_view prefix, PropertyBag& bag) const;
  void ReadState(std::string_view prefix, const PropertyBag& bag);
};

}  // namespace quorlin
