#include "reflections/pattern.h"

#include <algorithm>

#include <cstdlib>
#include <stdexcept>

#include "core/numtext.h"
#include "reflections/catalogue.h"

namespace quorlin {

namespace {

int CheckedIndex(int i, int count, const char* what) {
  if (i < 0 || i >= count) throw std::out_of_range(std::string(what) + " index " + std::to_string(i) + " out of range");
  return i;
}

bool NotMultiple(std::int32_t v, std::int32_t n) { return v % n != 0; }

// Whether selector value v of a zone rejects the triple. The three plane
// zones share one rule list: 0kl on (k, l), h0l on (h, l), hk0 on (h, k).
bool PlaneRuleFails(std::int16_t v, std::int32_t a, std::int32_t b) {
  switch (v) {
    case 0:
      return IsOdd(a + b);
    case 1:
      return IsOdd(a);
    case 2:
      return IsOdd(b);
    case 3:
      return IsOdd(a) || IsOdd(b) || NotMultiple(a + b, 4);
    case 4:
      return IsOdd(a) || IsOdd(b);
    default:
      return false;
  }
}

bool AxisRuleFails(std::int16_t v, std::int32_t n) { return (v == 0 && IsOdd(n)) || (v == 1 && NotMultiple(n, 4)); }

bool LRuleFails(std::int16_t v, std::int32_t l) {
  switch (v) {
    case 0:
      return IsOdd(l);
    case 1:
      return NotMultiple(l, 3);
    case 2:
      return NotMultiple(l, 4);
    case 3:
      return NotMultiple(l, 6);
    default:
      return false;
  }
}

bool HhlRuleFails(std::int16_t v, std::int32_t h, std::int32_t l) {
  switch (v) {
    case 0:
      return IsOdd(l);
    case 1:
      return NotMultiple(l, 3);
    case 2:
      return IsOdd(h + l);
    case 3:
      return IsOdd(h) || IsOdd(l) || NotMultiple(2 * h + l, 4);
    case 4:
      return IsOdd(l) || NotMultiple(2 * h + l, 4);
    case 5:
      return IsOdd(h) || IsOdd(l);
    default:
      return false;
  }
}

bool HMinusHlRuleFails(std::int16_t v, std::int32_t h, std::int32_t l) {
  switch (v) {
    case 0:
      return IsOdd(l);
    case 1:
      return NotMultiple(h + l, 3);
    case 2:
      return NotMultiple(l - h, 3);
    case 3:
      return IsOdd(l) || NotMultiple(h + l, 3);
    default:
      return false;
  }
}

bool CentringRuleFails(std::int16_t v, std::int32_t h, std::int32_t k, std::int32_t l) {
  switch (v) {
    case 0:
      return IsOdd(h + k + l);  // I
    case 1:
      return IsOdd(h + k);  // C
    case 2:
      return IsOdd(k + l);  // A
    case 3:
      return IsOdd(h + l);  // B
    case 4:
      return NotMultiple(-h + k + l, 3);  // R obverse
    case 5:
      return NotMultiple(h - k + l, 3);  // R reverse
    case 6:
      return IsOdd(h + k) || IsOdd(h + l) || IsOdd(k + l);  // F
    default:
      return false;
  }
}

}  // namespace

// --- conditions ---------------------------------------------------------------

std::int16_t CPattern::ExtCond(int i) const { return extCond_[CheckedIndex(i, 12, "ExtCond")]; }

void CPattern::SetExtCond(int i, std::int16_t value) { extCond_[CheckedIndex(i, 12, "ExtCond")] = value; }

void CPattern::SetExtinctionNumber(std::int16_t value, CUnitCell* cell) {
  extinctionNumber_ = value;
  ApplyExtinctionNumber(*this, cell);
}

// --- dimension flags ------------------------------------------------------------

bool CPattern::DimensionFlags(int i) const { return flags_[CheckedIndex(i, 7, "DimensionFlags")]; }

void CPattern::SetDimensionFlags(int i, bool value) {
  CheckedIndex(i, 7, "DimensionFlags");
  if (enabled_[i]) flags_[i] = value;
  if (!freeRemoval_) DimensionBubbleDown();
}

bool CPattern::DimensionEnabled(int i) const { return enabled_[CheckedIndex(i, 7, "DimensionEnabled")]; }

void CPattern::SetDimensionEnabled(int i, bool value) { enabled_[CheckedIndex(i, 7, "DimensionEnabled")] = value; }

void CPattern::PreviousState(int i, bool flag, bool enabled) {
  CheckedIndex(i, 7, "DimensionFlags");
  flags_[i] = flag;
  enabled_[i] = enabled;
}

void CPattern::ClearDimensions() {
  flags_.fill(false);
  enabled_.fill(true);
}

void CPattern::SetFreeRemoval(bool value) {
  freeRemoval_ = value;
  if (value)
    enabled_.fill(true);
  else
    DimensionBubbleDown();
}

void CPattern::DimensionBubbleDown() {
  for (int i = 3; i <= 5; ++i) {
    if (flags_[6]) flags_[i] = true;
    enabled_[i] = !flags_[6];
  }
  if (flags_[5]) flags_[0] = flags_[1] = true;
  if (flags_[4]) flags_[0] = flags_[2] = true;
  if (flags_[3]) flags_[1] = flags_[2] = true;
  enabled_[2] = !flags_[3] && !flags_[4];
  enabled_[1] = !flags_[3] && !flags_[5];
  enabled_[0] = !flags_[4] && !flags_[5];
}

// --- tests --------------------------------------------------------------------------

bool CPattern::IsWanted(std::int16_t h, std::int16_t k, std::int16_t l) const {
  int index;
  if (k == 0 && l == 0)
    index = 0;
  else if (h == 0 && l == 0)
    index = 1;
  else if (h == 0 && k == 0)
    index = 2;
  else if (h == 0)
    index = 3;
  else if (k == 0)
    index = 4;
  else if (l == 0)
    index = 5;
  else
    index = 6;
  return flags_[index];
}

// One pass of the zone tests on a triple (32-bit arithmetic throughout).
bool CPattern::ZoneTestsPass(std::int32_t h, std::int32_t k, std::int32_t l) const {
  const auto& c = extCond_;
  if (h == 0 && k == 0 && l == 0) return false;
  if (k == 0 && l == 0 && AxisRuleFails(c[Zoneh00], h)) return false;
  if (h == 0 && l == 0 && AxisRuleFails(c[Zone0k0], k)) return false;
  if (h == 0 && k == 0 && LRuleFails(c[Zone00l], l)) return false;
  if (h == 0 && PlaneRuleFails(c[Zone0kl], k, l)) return false;
  if (k == 0 && PlaneRuleFails(c[Zoneh0l], h, l)) return false;
  if (l == 0 && h == k && c[Zonehh0] == 0 && IsOdd(h)) return false;
  // hk0: the fourth item's text says h+l but the rule is h+k.
  if (l == 0 && PlaneRuleFails(c[Zonehk0], h, k)) return false;
  if (h == k && k == l && c[Zonehhh] == 0 && IsOdd(h)) return false;
  if (h == k && HhlRuleFails(c[Zonehhl], h, l)) return false;
  if (h == -k && HMinusHlRuleFails(c[ZonehMinushl], h, l)) return false;
  return !CentringRuleFails(c[ZoneHkl], h, k, l);
}

bool CPattern::IsAllowed(std::int16_t h16, std::int16_t k16, std::int16_t l16) const {
  std::int32_t h = h16, k = k16, l = l16;
  const std::int16_t mode = extCond_[ZonePermutation];
  // The tetragonal and cubic Laue groups contain every sign change of the
  // indices, so in those modes a zone rule must hold for h,-h,l and -h,k,h as
  // well: the zone tests see the absolute values.
  if (mode == PermuteHK || mode == PermuteCubic) {
    h = std::abs(h);
    k = std::abs(k);
    l = std::abs(l);
  }
  switch (mode) {
    case PermuteHK:
      return ZoneTestsPass(h, k, l) && ZoneTestsPass(k, h, l);
    case PermuteCyclic:
      return ZoneTestsPass(h, k, l) && ZoneTestsPass(k, l, h) && ZoneTestsPass(l, h, k);
    case PermuteCubic:
      return ZoneTestsPass(h, k, l) && ZoneTestsPass(k, l, h) && ZoneTestsPass(l, h, k) && ZoneTestsPass(l, k, h) &&
             ZoneTestsPass(k, h, l) && ZoneTestsPass(h, l, k);
    case PermuteHexagonal: {
      // (h, k, i) -> (k, i, h) with i = -(h+k); l stays.
      const std::int32_t i = -(h + k);
      return ZoneTestsPass(h, k, l) && ZoneTestsPass(k, i, l) && ZoneTestsPass(i, h, l);
    }
    default:
      return ZoneTestsPass(h, k, l);
  }
}

bool CPattern::IsInWedge(std::int16_t h, std::int16_t k, std::int16_t l) const {
  switch (LaueClass) {
    case -1:
    case 0:  // -1
      return l > 0 || (l == 0 && k > 0) || (l == 0 && k == 0 && h >= 1);
    case 1:  // 2/m, b unique
      return k >= 0 && (h > 0 || (h == 0 && l >= 0));
    case 2:  // mmm
    case 3:  // 4/m
      return h >= 0 && k >= 0 && l >= 0;
    case 4:  // 4/mmm
      return h >= 0 && k >= 0 && l >= 0 && h >= k;
    case 5:  // -3 and -3m
      if (TrigAxesType == "Hexagonal") return k >= -2 * h && h >= -2 * k && l >= 0;
      // On rhombohedral axes the 3-fold permutes h, k, l cyclically and the
      // centre negates them: the rotation with l smallest and h+k+l >= 0 is
      // always reachable. (Asking h, k, l >= 0 as well would drop every
      // family of mixed signs, such as 1-10.)
      if (TrigAxesType == "Rhombohedral") return h >= l && k >= l && h + k + l >= 0;
      return false;
    case 9:  // 6/m and 6/mmm
      return h >= k && k >= 0 && l >= 0;
    case 10:  // m-3
      return h >= 1 && k >= 0 && l >= 0 && ((h > l && h >= k) || (h == k && k == l));
    case 11:  // m-3m
      return h >= k && k >= l && l >= 0;
    default:
      return false;
  }
}

void CPattern::Cycle(std::int16_t& h, std::int16_t& k, std::int16_t& l) {
  const std::int16_t t = h;
  h = k;
  k = l;
  l = t;
}

void CPattern::Reverse(std::int16_t& h, std::int16_t& /*k*/, std::int16_t& l) { std::swap(h, l); }

void CPattern::centro(std::int16_t& h, std::int16_t& k, std::int16_t& l) {
  h = static_cast<std::int16_t>(-h);
  k = static_cast<std::int16_t>(-k);
  l = static_cast<std::int16_t>(-l);
}

// --- copy and persistence ----------------------------------------------------------

void CPattern::MakeCopy(CPattern& target, CUnitCell* cell) const {
  if (&target == this) return;
  target.CrystalSystem = CrystalSystem;
  target.SetExtinctionNumber(extinctionNumber_, cell);
  // A stored phase with hand-set conditions must keep them; for a catalogue
  // entry the selectors are what the setter just wrote unless edited since.
  target.extCond_ = extCond_;
  if (extinctionNumber_ == -1) {
    target.LaueClass = LaueClass;
    target.TrigAxesType = TrigAxesType;
  }
  target.SetFreeRemoval(freeRemoval_);
  for (int i = 0; i < 7; ++i) target.PreviousState(i, flags_[i], enabled_[i]);
  target.hmin = hmin;
  target.hmax = hmax;
  target.kmin = kmin;
  target.kmax = kmax;
  target.lmin = lmin;
  target.lmax = lmax;
  target.IrreducibleWedge = IrreducibleWedge;
  target.PeakBase = PeakBase;
  target.PeakTop = PeakTop;
  target.PatternName = PatternName;
  target.linewidth = linewidth;
  target.ColorScheme = ColorScheme;
  target.LineColor = LineColor;
  target.StoredColor = StoredColor;
  target.AbsenceColor = AbsenceColor;
  target.PlotAbsences = PlotAbsences;
  target.Exists = Exists;
  target.Plotted = Plotted;
  target.LineIntensities = LineIntensities;
  target.Card = Card;
}

namespace {

// Defaults of the persisted keys (a missing key reads as these).
constexpr std::int32_t kDefaultSystem = 8;
constexpr std::int16_t kDefaultLimits[6] = {-4, 4, -4, 4, 0, 4};
constexpr std::int16_t kMaxStoredIndex = 100;
constexpr const char* kLimitNames[6] = {"hmin", "hmax", "kmin", "kmax", "lmin", "lmax"};
constexpr std::int32_t kDefaultLineColor = 0xFF0000;
constexpr std::int32_t kDefaultStoredColor = 0xFFFFFF;
constexpr std::int32_t kDefaultAbsenceColor = 0x0000FF;
// A structure's lines over the whole angle range rarely pass a thousand.
constexpr std::int32_t kMaxLineIntensities = 4000;

// The class the catalogue gives the pattern's entry; triclinic where it
// names none (conditions by hand, no crystal system).
std::int32_t CatalogueLaueClass(const CPattern& pattern) {
  CPattern described = pattern;
  described.LaueClass = 0;
  DescribeExtinctionNumber(described);
  return described.LaueClass;
}

// The codes IsInWedge knows.
bool KnownLaueClass(std::int32_t code) { return (code >= -1 && code <= 5) || (code >= 9 && code <= 11); }

bool DefaultFlag(int) { return true; }
bool DefaultEnabled(int i) { return i == 6; }

}  // namespace

void CPattern::WriteObjectState(std::string_view prefix, PropertyBag& bag) const {
  const std::string p(prefix);
  bag.WriteProperty(p + "PatternName", PatternName, std::string());
  bag.WriteProperty(p + "CrystalSystem", CrystalSystem, kDefaultSystem);
  bag.WriteProperty(p + "ExtinctionNumber", extinctionNumber_, std::int16_t{0});
  // A tetragonal entry may take either class: the user's choice is kept.
  bag.WriteProperty(p + "LaueClass", LaueClass, CatalogueLaueClass(*this));
  for (int i = 0; i < 7; ++i) {
    bag.WriteProperty(IndexedKey(p, "DimensionFlags", i), flags_[i], DefaultFlag(i));
    bag.WriteProperty(IndexedKey(p, "DimensionEnabled", i), enabled_[i], DefaultEnabled(i));
  }
  for (int i = 0; i < 12; ++i) bag.WriteProperty(IndexedKey(p, "ExtCond", i), extCond_[i], std::int16_t{-1});
  bag.WriteProperty(p + "PlotAbsences", PlotAbsences, false);
  bag.WriteProperty(p + "AbsenceColor", AbsenceColor, kDefaultAbsenceColor);
  const std::int16_t limits[6] = {hmin, hmax, kmin, kmax, lmin, lmax};
  for (int i = 0; i < 6; ++i) bag.WriteProperty(p + kLimitNames[i], limits[i], kDefaultLimits[i]);
  bag.WriteProperty(p + "linewidth", linewidth, std::int16_t{1});
  bag.WriteProperty(p + "ColorScheme", ColorScheme, std::string("UserColor"));
  bag.WriteProperty(p + "LineColor", LineColor, kDefaultLineColor);
  bag.WriteProperty(p + "StoredColor", StoredColor, kDefaultStoredColor);
  bag.WriteProperty(p + "FreeRemoval", freeRemoval_, false);
  bag.WriteProperty(p + "Exists", Exists, false);
  bag.WriteProperty(p + "Plotted", Plotted, false);
  const auto count = static_cast<std::int32_t>(std::min<std::size_t>(LineIntensities.size(), kMaxLineIntensities));
  bag.WriteProperty(p + "LineIntensityCount", count, std::int32_t{0});
  for (std::int32_t i = 0; i < count; ++i)
    bag.WriteProperty(IndexedKey(p, "LineIntensity", i), LineIntensityText(LineIntensities[static_cast<std::size_t>(i)]),
                      std::string());
  Card.WriteState(p, bag);
}

void CPattern::ReadObjectState(std::string_view prefix, const PropertyBag& bag) {
  const std::string p(prefix);
  PatternName = bag.ReadString(p + "PatternName", "");
  CrystalSystem = bag.ReadLong(p + "CrystalSystem", kDefaultSystem);
  extinctionNumber_ = bag.ReadInteger(p + "ExtinctionNumber", 0);
  for (int i = 0; i < 7; ++i) {
    flags_[i] = bag.ReadBoolean(IndexedKey(p, "DimensionFlags", i), DefaultFlag(i));
    enabled_[i] = bag.ReadBoolean(IndexedKey(p, "DimensionEnabled", i), DefaultEnabled(i));
  }
  for (int i = 0; i < 12; ++i) extCond_[i] = bag.ReadInteger(IndexedKey(p, "ExtCond", i), -1);
  PlotAbsences = bag.ReadBoolean(p + "PlotAbsences", false);
  AbsenceColor = bag.ReadLong(p + "AbsenceColor", kDefaultAbsenceColor);
  std::int16_t* limits[6] = {&hmin, &hmax, &kmin, &kmax, &lmin, &lmax};
  for (int i = 0; i < 6; ++i) {
    // Every redraw walks the whole index box: a crafted or damaged project
    // with limits in the thousands would freeze the program.
    std::int16_t v = bag.ReadInteger(p + kLimitNames[i], kDefaultLimits[i]);
    *limits[i] = std::clamp<std::int16_t>(v, -kMaxStoredIndex, kMaxStoredIndex);
  }
  // The colour dialog offers widths 1 to 5; a crafted 1000 would paint the plot over.
  linewidth = std::clamp<std::int16_t>(bag.ReadInteger(p + "linewidth", 1), 1, 5);
  ColorScheme = bag.ReadString(p + "ColorScheme", "UserColor");
  LineColor = bag.ReadLong(p + "LineColor", kDefaultLineColor);
  StoredColor = bag.ReadLong(p + "StoredColor", kDefaultStoredColor);
  freeRemoval_ = bag.ReadBoolean(p + "FreeRemoval", false);
  Exists = bag.ReadBoolean(p + "Exists", false);
  Plotted = bag.ReadBoolean(p + "Plotted", false);
  LineIntensities.clear();
  const std::int32_t count = std::clamp(bag.ReadLong(p + "LineIntensityCount", 0), 0, kMaxLineIntensities);
  for (std::int32_t i = 0; i < count; ++i) {
    LineIntensity line;
    if (ParseLineIntensity(bag.ReadString(IndexedKey(p, "LineIntensity", i), ""), line)) LineIntensities.push_back(line);
  }
  Card.ReadState(p, bag);
  // The list text and axes are not saved; without this they would be those
  // of whatever phase the object held before (after an undo, say). The Laue
  // class is saved only where it is not the entry's own.
  DescribeExtinctionNumber(*this);
  const std::int32_t catalogueLaue = CatalogueLaueClass(*this);
  const std::int32_t laue = bag.ReadLong(p + "LaueClass", catalogueLaue);
  LaueClass = KnownLaueClass(laue) ? laue : catalogueLaue;
}

}  // namespace quorlin
