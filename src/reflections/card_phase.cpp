#include "reflections/card_phase.h"

#include <cmath>
#include <string>

#include "core/property_bag.h"

namespace quorlin {
namespace {

struct Constant {
  const char* key;
  float CardPhase::*member;
};
constexpr Constant kConstants[] = {
    {"CardK0", &CardPhase::K0},         {"CardK0P", &CardPhase::K0p},       {"CardDK0DT", &CardPhase::dK0dT},
    {"CardDK0PDT", &CardPhase::dK0pdT}, {"CardAlphaT", &CardPhase::alphaT}, {"CardDAlphaDT", &CardPhase::dAlphadT},
};

}  // namespace

void CardPhase::WriteState(std::string_view prefix, PropertyBag& bag) const {
  const std::string p(prefix);
  const CardPhase d;
  // Nothing at all for a phase that is not a card's: old readers and old
  // projects see the same keys as before.
  const bool card = FromCard();
  for (int i = 0; i < 6; ++i)
    bag.WriteProperty(IndexedKey(p, "CardCell", i), card ? cell[static_cast<std::size_t>(i)] : 0.0f, 0.0f);
  for (const Constant& c : kConstants) bag.WriteProperty(p + c.key, card ? this->*c.member : d.*c.member, d.*c.member);
  bag.WriteProperty(p + "CardPressure", card ? pressure : d.pressure, d.pressure);
  bag.WriteProperty(p + "CardKelvin", card ? kelvin : d.kelvin, d.kelvin);
}

void CardPhase::ReadState(std::string_view prefix, const PropertyBag& bag) {
  const std::string p(prefix);
  *this = CardPhase();
  std::array<float, 6> c{};
  for (int i = 0; i < 6; ++i) {
    const float v = bag.ReadSingle(IndexedKey(p, "CardCell", i), 0.0f);
    if (!std::isfinite(v) || !(v > 0)) return;
    c[static_cast<std::size_t>(i)] = v;
  }
  cell = c;
  const CardPhase d;
  for (const Constant& k : kConstants) {
    const float v = bag.ReadSingle(p + k.key, d.*k.member);
    this->*k.member = std::isfinite(v) ? v : d.*k.member;
  }
  if (!(K0 >= 0)) K0 = 0;
  const double P = bag.ReadDouble(p + "CardPressure", d.pressure);
  const double T = bag.ReadDouble(p + "CardKelvin", d.kelvin);
  pressure = std::isfinite(P) ? P : d.pressure;
  kelvin = std::isfinite(T) && T > 0 ? T : d.kelvin;
}

}  // namespace quorlin
