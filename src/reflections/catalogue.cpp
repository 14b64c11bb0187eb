#include "reflections/catalogue.h"

#include <limits>
#include <stdexcept>
#include <vector>

#include "core/numtext.h"
#include "core/unitcell.h"
#include "reflections/pattern.h"

namespace quorlin {

// --- selector vocabulary --------------------------------------------------------

namespace {

// clang-format off
constexpr std::string_view kItemsHkl[] = {"h+k+l", "h+k", "k+l", "h+l", "-h+k+l=3n", "h-k+l=3n", "h+k,h+l,k+l", "(none)"};
constexpr std::string_view kItems0kl[] = {"k+l", "k", "l", "k+l=4n;k,l", "k,l", "(none)"};
constexpr std::string_view kItemsh0l[] = {"h+l", "h", "l", "h+l=4n;h,l", "h,l", "(none)"};
// The fourth item reads h+l but tests h+k; the text is the one users know.
constexpr std::string_view kItemshk0[] = {"h+k", "h", "k", "h+l=4n;h,k", "h,k", "(none)"};
constexpr std::string_view kItemsh00[] = {"h", "h=4n", "(none)"};
constexpr std::string_view kItems0k0[] = {"k", "k = 4n", "(none)"};
constexpr std::string_view kItems00l[] = {"l", "l=3n", "l=4n", "l=6n", "(none)"};
constexpr std::string_view kItemshh0[] = {"h", "(none)"};
constexpr std::string_view kItemshMinushl[] = {"l", "h+l=3n", "-h+l=3n", "h+l=3n;l", "(none)"};
constexpr std::string_view kItemshhl[] = {"l", "l=3n", "h+l", "2h+l=4n,h,l", "2h+l=4n,l", "h,l", "(none)"};
constexpr std::string_view kItemshhh[] = {"h", "(none)"};
constexpr std::string_view kItemsPermutation[] = {"h,k permutable", "h,k,l cyclic (SG. 205; rhombohedral)",
                                                  "h,k,l permutable (cubic)", "h,k,i cyclic (hexagonal basis)", "(No)"};
// clang-format on

}  // namespace

std::optional<std::int16_t> ZoneSelector::Find(std::string_view text) const {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<std::int16_t>(i);
  return std::nullopt;
}

const std::array<ZoneSelector, kZoneCount>& ZoneSelectors() {
  static const std::array<ZoneSelector, kZoneCount> zones{{
      {"hkl", kItemsHkl},
      {"0kl", kItems0kl},
      {"h0l", kItemsh0l},
      {"hk0", kItemshk0},
      {"h00", kItemsh00},
      {"0k0", kItems0k0},
      {"00l", kItems00l},
      {"hh0", kItemshh0},
      {"h-hl", kItemshMinushl},
      {"hhl", kItemshhl},
      {"hhh", kItemshhh},
      {"Permutable", kItemsPermutation},
  }};
  return zones;
}

// --- crystal systems ----------------------------------------------------------

namespace {
constexpr std::string_view kSystemNames[] = {"cubic",        "hexagonal",  "trigonal",  "tetragonal",
                                             "orthorhombic", "monoclinic", "triclinic", "none"};
}

std::string_view CrystalSystemName(std::int32_t system) {
  return system >= 1 && system <= 8 ? kSystemNames[system - 1] : std::string_view();
}

std::int32_t CrystalSystemFromName(std::string_view name) {
  for (int i = 0; i < 8; ++i)
    if (EqualsNoCase(name, kSystemNames[i])) return i + 1;
  return 0;
}

std::int32_t DerivedBasis(std::int32_t system, std::int16_t extinctionNumber) {
  if (system == Trigonal) return extinctionNumber < 8 ? 2 : 3;  // hexagonal or rhombohedral axes
  static constexpr std::int32_t kBasis[8] = {0, 2, 2, 1, 4, 5, 6, 7};
  return system >= 1 && system <= 8 ? kBasis[system - 1] : 7;
}

// --- the table ---------------------------------------------------------------------

namespace {

constexpr std::int16_t kUnset = std::numeric_limits<std::int16_t>::min();
constexpr std::int32_t kNoLaue = std::numeric_limits<std::int32_t>::min();

// A condition as published: zone and item text, e.g. {Zone00l, "l=4n"}.
struct Cond {
  Zone zone;
  std::string_view item;
};

struct EntryRow {
  std::int16_t number;
  std::string_view groups;
  std::vector<Cond> conds;
  std::string_view trigAxes = {};
  std::int32_t laue = kNoLaue;        // overrides the system's Laue class
  std::int16_t permutation = kUnset;  // overrides the system's permutation
};

// Centring of the main cell and conditions shared by a range of numbers.
struct RangeRow {
  std::int16_t first, last;
  std::int32_t centring;
  std::vector<Cond> conds = {};
  std::int16_t permutation = kUnset;
};

struct SystemRow {
  std::int32_t system;
  std::int32_t laue;
  std::int16_t permutation;  // -1: none
  std::vector<RangeRow> ranges;
  std::vector<EntryRow> entries;
};

// A range that covers every number.
constexpr std::int16_t kAll0 = std::numeric_limits<std::int16_t>::min();
constexpr std::int16_t kAll1 = std::numeric_limits<std::int16_t>::max();

// One row per crystal system; conditions as the zone lists print them.
// clang-format off
const std::vector<SystemRow>& Table() {
  static const std::vector<SystemRow> table = {
      {Cubic, 11, PermuteCubic,
       {{0, 6, CentringP}, {7, 11, CentringI}, {12, 16, CentringF}},
       {
           {0, "P23, Pm-3, P432, P-43m, Pm-3m", {}},
           {1, "P213, P4232", {{Zone00l, "l"}}},
           {2, "P4132, P4332", {{Zone00l, "l=4n"}}},
           {3, "P-43n, Pm-3n", {{Zone00l, "l"}, {Zonehhl, "l"}}},
           {4, "Pa-3",
            {{Zone0kl, "k"}, {Zoneh0l, "l"}, {Zonehk0, "h"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}},
            {}, 10, PermuteCyclic},
           {5, "Pn-3, Pn-3m", {{Zone0kl, "k+l"}, {Zone00l, "l"}}},
           {6, "Pn-3n", {{Zone0kl, "k+l"}, {Zonehhl, "l"}, {Zone00l, "l"}}},
           {7, "I23, I213, Im-3, I432, I-43m, Im-3m",
            {{ZoneHkl, "h+k+l"}, {Zone0kl, "k+l"}, {Zonehhl, "l"}, {Zone00l, "l"}}},
           {8, "I4132", {{ZoneHkl, "h+k+l"}, {Zone0kl, "k+l"}, {Zonehhl, "l"}, {Zone00l, "l=4n"}}},
           // The 0kl rule of I-43d is the I-centring one: "k,l" (the a-glide
           // of Ia-3d) would remove 031 and 013, which I-43d shows.
           {9, "I-43d", {{ZoneHkl, "h+k+l"}, {Zone0kl, "k+l"}, {Zonehhl, "2h+l=4n,l"}, {Zone00l, "l=4n"}}},
           {10, "Ia-3", {{ZoneHkl, "h+k+l"}, {Zone0kl, "k,l"}, {Zonehhl, "l"}, {Zone00l, "l"}}, {}, 10},
           {11, "Ia-3d", {{ZoneHkl, "h+k+l"}, {Zone0kl, "k,l"}, {Zonehhl, "2h+l=4n,l"}, {Zone00l, "l=4n"}}},
           {12, "F23, Fm-3, F432, F-43m, Fm-3m",
            {{ZoneHkl, "h+k,h+l,k+l"}, {Zone0kl, "k,l"}, {Zonehhl, "h+l"}, {Zone00l, "l"}}},
           {13, "F4132", {{ZoneHkl, "h+k,h+l,k+l"}, {Zone0kl, "k,l"}, {Zonehhl, "h+l"}, {Zone00l, "l=4n"}}},
           {14, "F-43c, Fm-3c", {{ZoneHkl, "h+k,h+l,k+l"}, {Zone0kl, "k,l"}, {Zonehhl, "h,l"}, {Zone00l, "l"}}},
           {15, "Fd-3, Fd-3m",
            {{ZoneHkl, "h+k,h+l,k+l"}, {Zone0kl, "k+l=4n;k,l"}, {Zonehhl, "h+l"}, {Zone00l, "l=4n"}}},
           {16, "Fd-3c", {{ZoneHkl, "h+k,h+l,k+l"}, {Zone0kl, "k+l=4n;k,l"}, {Zonehhl, "h,l"}, {Zone00l, "l=4n"}}},
       }},
      {Hexagonal, 9, PermuteHexagonal,
       {{kAll0, kAll1, CentringP}},
       {
           {0, "P6, P-6, P6/m, P622, P6mm, P-62m, P-6m2, P6/mmm", {}},
           {1, "P63, P63/m, P6322", {{Zone00l, "l"}}},
           {2, "P62, P64, P6222, P6422", {{Zone00l, "l=3n"}}},
           {3, "P61, P65, P6122, P6522", {{Zone00l, "l=6n"}}},
           {4, "P63mc, P-62c, P63/mmc", {{Zone00l, "l"}, {Zonehhl, "l"}}},
           {5, "P63cm, P-6c2, P63/mcm", {{Zone00l, "l"}, {ZonehMinushl, "l"}}},
           {6, "P6cc, P6/mcc", {{Zone00l, "l"}, {ZonehMinushl, "l"}, {Zonehhl, "l"}}},
       }},
      {Trigonal, 5, -1,
       {{0, 3, CentringP, {}, PermuteHexagonal},
        {4, 7, CentringR, {}, PermuteHexagonal},
        {8, 9, CentringR, {}, PermuteCyclic}},
       {
           {0, "P3, P-3, P321, P3m1, P-3m1, P312, P31m, P-31m", {}, "Hexagonal"},
           {1, "P31, P32, P3121, P3221, P3112, P3212", {{Zone00l, "l=3n"}}, "Hexagonal"},
           {2, "P31c, P-31c", {{Zone00l, "l"}, {Zonehhl, "l"}}, "Hexagonal"},
           {3, "P3c1, P-3c1", {{Zone00l, "l"}, {ZonehMinushl, "l"}}, "Hexagonal"},
           {4, "R3, R-3, R32, R3m, R-3m",
            {{ZoneHkl, "-h+k+l=3n"}, {ZonehMinushl, "h+l=3n"}, {Zonehhl, "l=3n"}, {Zone00l, "l=3n"}}, "Hexagonal"},
           {5, "R3c, R-3c",
            {{ZoneHkl, "-h+k+l=3n"}, {ZonehMinushl, "h+l=3n;l"}, {Zonehhl, "l=3n"}, {Zone00l, "l=6n"}}, "Hexagonal"},
           // The reverse setting on hexagonal axes: -h+k+l becomes h-k+l.
           {6, "R3, R-3, R32, R3m, R-3m",
            {{ZoneHkl, "h-k+l=3n"}, {ZonehMinushl, "-h+l=3n"}, {Zonehhl, "l=3n"}, {Zone00l, "l=3n"}}, "Hexagonal"},
           {7, "R3c, R-3c", {{ZoneHkl, "h-k+l=3n"}, {ZonehMinushl, "l"}, {Zonehhl, "l=3n"}, {Zone00l, "l=6n"}},
            "Hexagonal"},
           {8, "R3, R-3, R32, R3m, R-3m", {}, "Rhombohedral"},
           {9, "R3c, R-3c", {{Zonehhl, "l"}, {Zonehhh, "h"}}, "Rhombohedral"},
       }},
      {Tetragonal, 4, PermuteHK,
       {{0, 22, CentringP}, {23, 30, CentringI}},
       {
           {0, "P4, P-4, P4/m, P422, P4mm, P-42m, P-4m2, P4/mmm", {}},
           {1, "P4212, P-421m", {{Zone0k0, "k"}}},
           {2, "P42, P42/m, P4222", {{Zone00l, "l"}}},
           {3, "P42212", {{Zone0k0, "k"}, {Zone00l, "l"}}},
           {4, "P41, P43, P4122, P4322", {{Zone00l, "l=4n"}}},
           {5, "P41212, P43212", {{Zone0k0, "k"}, {Zone00l, "l=4n"}}},
           {6, "P42mc, P-42c, P42/mmc", {{Zone00l, "l"}, {Zonehhl, "l"}}},
           {7, "P-421c", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}}},
           {8, "P4bm, P-4b2, P4/mbm", {{Zone0k0, "k"}, {Zone0kl, "k"}}},
           {9, "P42bc, P42/mbc", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "k"}}},
           {10, "P42cm, P-4c2, P42/mcm", {{Zone00l, "l"}, {Zone0kl, "l"}}},
           {11, "P4cc, P4/mcc", {{Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "l"}}},
           {12, "P42nm, P-4n2, P42/mnm", {{Zoneh00, "h"}, {Zone00l, "l"}, {Zoneh0l, "h+l"}}},
           {13, "P4nc, P4/mnc", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "k+l"}}},
           {14, "P4/n, P4/nmm", {{Zone0k0, "k"}, {Zonehk0, "h+k"}}},
           {15, "P42/n", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehk0, "h+k"}}, {}, 3},
           {16, "P42/nmc", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zonehk0, "h+k"}}},
           {17, "P4/nbm", {{Zone0k0, "k"}, {Zone0kl, "k"}, {Zonehk0, "h+k"}}},
           {18, "P42/nbc", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "k"}, {Zonehk0, "h+k"}}},
           {19, "P42/ncm", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zone0kl, "l"}, {Zonehk0, "h+k"}}},
           {20, "P4/ncc", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "l"}, {Zonehk0, "h+k"}}},
           {21, "P42/nnm", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zone0kl, "k+l"}, {Zonehk0, "h+k"}}},
           {22, "P4/nnc", {{Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "k+l"}, {Zonehk0, "h+k"}}},
           {23, "I4, I-4, I4/m, I422, I4mm, I-42m, I-4m2, I4/mmm",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "k+l"}, {Zonehk0, "h+k"}}},
           {24, "I41, I4122",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l=4n"}, {Zonehhl, "l"}, {Zone0kl, "k+l"},
             {Zonehk0, "h+k"}}},
           {25, "I41md, I-42d",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l=4n"}, {Zonehhl, "2h+l=4n,l"}, {Zone0kl, "k+l"},
             {Zonehk0, "h+k"}, {Zonehh0, "h"}}},
           {26, "I4cm, I-4c2, I4/mcm",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l"}, {Zonehhl, "l"}, {Zone0kl, "k,l"}, {Zonehk0, "h+k"}}},
           {27, "I41cd",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l=4n"}, {Zonehhl, "2h+l=4n,l"}, {Zone0kl, "k,l"},
             {Zonehk0, "h+k"}, {Zonehh0, "h"}}},
           {28, "I41/a",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l=4n"}, {Zonehhl, "l"}, {Zone0kl, "k+l"},
             {Zonehk0, "h,k"}},
            {}, 3},
           {29, "I41/amd",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l=4n"}, {Zonehhl, "2h+l=4n,l"}, {Zone0kl, "k+l"},
             {Zonehk0, "h,k"}, {Zonehh0, "h"}}},
           {30, "I41/acd",
            {{ZoneHkl, "h+k+l"}, {Zone0k0, "k"}, {Zone00l, "l=4n"}, {Zonehhl, "2h+l=4n,l"}, {Zone0kl, "k,l"},
             {Zonehk0, "h,k"}, {Zonehh0, "h"}}},
       }},
      {Orthorhombic, 2, -1,
       {{0, 24, CentringP},
        {25, 31, CentringC, {{ZoneHkl, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}}},
        {32, 35, CentringA, {{ZoneHkl, "k+l"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
        {36, 40, CentringI, {{ZoneHkl, "h+k+l"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
        {41, 43, CentringF, {{ZoneHkl, "h+k,h+l,k+l"}}}},
       {
           {0, "P222, Pmm2, Pmmm, (Pm2m), (P2mm)", {}},
           {1, "P2221", {{Zone00l, "l"}}},
           {2, "P21212", {{Zoneh00, "h"}, {Zone0k0, "k"}}},
           {3, "P212121", {{Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {4, "Pmma, (Pm2a), (P21ma)", {{Zonehk0, "h"}, {Zoneh00, "h"}}},
           {5, "Pmmn, (Pm21n), (P21mn)", {{Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}}},
           {6, "Pma2, (Pmam), (P21am)", {{Zoneh0l, "h"}, {Zoneh00, "h"}}},
           {7, "Pmc21, (P2cm), (Pmcm)", {{Zoneh0l, "l"}, {Zone00l, "l"}}},
           {8, "Pmn21, (P21nm), (Pmnm)", {{Zoneh0l, "h+l"}, {Zoneh00, "h"}, {Zone00l, "l"}}},
           {9, "Pmna, (P2na)", {{Zoneh0l, "h+l"}, {Zonehk0, "h"}, {Zoneh00, "h"}, {Zone00l, "l"}}},
           {10, "Pba2, Pbam", {{Zone0kl, "k"}, {Zoneh0l, "h"}, {Zoneh00, "h"}, {Zone0k0, "k"}}},
           {11, "Pban", {{Zone0kl, "k"}, {Zoneh0l, "h"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}}},
           {12, "Pbcm, (Pbc21)", {{Zone0kl, "k"}, {Zoneh0l, "l"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {13, "Pbca",
            {{Zone0kl, "k"}, {Zoneh0l, "l"}, {Zonehk0, "h"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {14, "Pbcn",
            {{Zone0kl, "k"}, {Zoneh0l, "l"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {15, "Pca21, (Pcam)", {{Zone0kl, "l"}, {Zoneh0l, "h"}, {Zoneh00, "h"}, {Zone00l, "l"}}},
           {16, "Pcc2, Pccm", {{Zone0kl, "l"}, {Zoneh0l, "l"}, {Zone00l, "l"}}},
           {17, "Pcca", {{Zone0kl, "l"}, {Zoneh0l, "l"}, {Zonehk0, "h"}, {Zoneh00, "h"}, {Zone00l, "l"}}},
           {18, "Pccn",
            {{Zone0kl, "l"}, {Zoneh0l, "l"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {19, "Pnma, (Pn21a)", {{Zone0kl, "k+l"}, {Zonehk0, "h"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {20, "Pna21, (Pnam)", {{Zone0kl, "k+l"}, {Zoneh0l, "h"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {21, "Pnc2, (Pncm)", {{Zone0kl, "k+l"}, {Zoneh0l, "l"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {22, "Pnn2, Pnnm", {{Zone0kl, "k+l"}, {Zoneh0l, "h+l"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {23, "Pnna",
            {{Zone0kl, "k+l"}, {Zoneh0l, "h+l"}, {Zonehk0, "h"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {24, "Pnnn",
            {{Zone0kl, "k+l"}, {Zoneh0l, "h+l"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {25, "C222, Cmm2, Cmmm, (Cm2m), (C2mm)", {{Zone0kl, "k"}, {Zoneh0l, "h"}, {Zonehk0, "h+k"}}},
           {26, "C2221", {{Zone0kl, "k"}, {Zoneh0l, "h"}, {Zonehk0, "h+k"}, {Zone00l, "l"}}},
           {27, "Cmma, (Cm2a), (C2mb), (Cmmb)", {{Zone0kl, "k"}, {Zoneh0l, "h"}, {Zonehk0, "h,k"}}},
           {28, "Cmc21, Cmcm, (C2cm)", {{Zone0kl, "k"}, {Zoneh0l, "h,l"}, {Zonehk0, "h+k"}, {Zone00l, "l"}}},
           {29, "Cmca, (C2cb)", {{Zone0kl, "k"}, {Zoneh0l, "h,l"}, {Zonehk0, "h,k"}, {Zone00l, "l"}}},
           {30, "Ccc2, Cccm", {{Zone0kl, "k,l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h+k"}, {Zone00l, "l"}}},
           {31, "Ccca, (Cccb)", {{Zone0kl, "k,l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h,k"}, {Zone00l, "l"}}},
           {32, "Amm2, (A222), (Ammm), (Am2m), (A2mm)", {{Zone0kl, "k+l"}, {Zoneh0l, "l"}, {Zonehk0, "k"}}},
           {33, "Ama2, (Amam), (A21am)", {{Zone0kl, "k+l"}, {Zoneh0l, "h,l"}, {Zonehk0, "k"}, {Zoneh00, "h"}}},
           {34, "Abm2, (Abmm), (Ac2m), (Acmm)", {{Zone0kl, "k,l"}, {Zoneh0l, "l"}, {Zonehk0, "k"}}},
           {35, "Aba2, (Acam)", {{Zone0kl, "k,l"}, {Zoneh0l, "h,l"}, {Zonehk0, "k"}, {Zoneh00, "h"}}},
           {36, "I222, I212121, Imm2, Immm, (Im2m), (I2mm)", {{Zone0kl, "k+l"}, {Zoneh0l, "h+l"}, {Zonehk0, "h+k"}}},
           {37, "Imma, (Im2a), (I2mb), (Immb)", {{Zone0kl, "k+l"}, {Zoneh0l, "h+l"}, {Zonehk0, "h,k"}}},
           {38, "Ima2, (Imam), (I2cm), (Imcm)", {{Zone0kl, "k+l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h+k"}}},
           {39, "Iba2, Ibam", {{Zone0kl, "k,l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h+k"}}},
           {40, "Ibca", {{Zone0kl, "k,l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h,k"}}},
           {41, "F222, Fmm2, Fmmm, (Fm2m), (F2mm)",
            {{Zone0kl, "k,l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h,k"}, {Zoneh00, "h"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {42, "Fdd2",
            {{Zone0kl, "k+l=4n;k,l"}, {Zoneh0l, "h+l=4n;h,l"}, {Zonehk0, "h,k"}, {Zoneh00, "h=4n"},
             {Zone0k0, "k = 4n"}, {Zone00l, "l=4n"}}},
           {43, "Fddd",
            {{Zone0kl, "k+l=4n;k,l"}, {Zoneh0l, "h+l=4n;h,l"}, {Zonehk0, "h+l=4n;h,k"}, {Zoneh00, "h=4n"},
             {Zone0k0, "k = 4n"}, {Zone00l, "l=4n"}}},
       }},
      {Monoclinic, 1, -1,
       {{0, 7, CentringP}, {8, 9, CentringC}, {10, 11, CentringA}, {12, 13, CentringI}},
       {
           {0, "P2, Pm, P2/m", {}},
           {1, "P21, P21/m", {{Zone0k0, "k"}}},
           {2, "(Pa), (P2/a)", {{Zoneh0l, "h"}, {Zoneh00, "h"}}},
           {3, "(P21/a)", {{Zone0k0, "k"}, {Zoneh0l, "h"}, {Zoneh00, "h"}}},
           {4, "Pc, P2/c", {{Zoneh0l, "l"}, {Zone00l, "l"}}},
           {5, "P21/c", {{Zone0k0, "k"}, {Zoneh0l, "l"}, {Zone00l, "l"}}},
           {6, "(Pn), (P2/n)", {{Zoneh0l, "h+l"}, {Zoneh00, "h"}, {Zone00l, "l"}}},
           {7, "(P21/n)", {{Zone0k0, "k"}, {Zoneh0l, "h+l"}, {Zoneh00, "h"}, {Zone00l, "l"}}},
           {8, "C2, Cm, C2/m",
            {{ZoneHkl, "h+k"}, {Zone0kl, "k"}, {Zoneh0l, "h"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"}}},
           {9, "Cc, C2/c",
            {{ZoneHkl, "h+k"}, {Zone0kl, "k"}, {Zoneh0l, "h,l"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"},
             {Zone00l, "l"}}},
           {10, "(A2), (Am), (A2/m)",
            {{ZoneHkl, "k+l"}, {Zone0kl, "k+l"}, {Zoneh0l, "l"}, {Zonehk0, "k"}, {Zone0k0, "k"}, {Zone00l, "l"}}},
           {11, "(An), (A2/n)",
            {{ZoneHkl, "k+l"}, {Zone0kl, "k+l"}, {Zoneh0l, "h,l"}, {Zonehk0, "k"}, {Zoneh00, "h"}, {Zone0k0, "k"},
             {Zone00l, "l"}}},
           {12, "(I2), (Im), (I2/m)",
            {{ZoneHkl, "h+k+l"}, {Zone0kl, "k+l"}, {Zoneh0l, "h+l"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"},
             {Zone00l, "l"}}},
           {13, "(Ia), (I2/a)",
            {{ZoneHkl, "h+k+l"}, {Zone0kl, "k+l"}, {Zoneh0l, "h,l"}, {Zonehk0, "h+k"}, {Zoneh00, "h"}, {Zone0k0, "k"},
             {Zone00l, "l"}}},
       }},
      {Triclinic, 0, -1, {{kAll0, kAll1, CentringP}}, {{0, "P1, P-1", {}}}},
  };
  return table;
}
// clang-format on

std::int16_t Item(const Cond& c) {
  auto pos = ZoneSelectors()[c.zone].Find(c.item);
  if (!pos)
    throw std::logic_error("catalogue: \"" + std::string(c.item) + "\" is not an item of zone " +
                           std::string(ZoneSelectors()[c.zone].label));
  return *pos;
}

void Put(std::array<std::int16_t, kZoneCount>& into, const std::vector<Cond>& conds) {
  for (const auto& c : conds) into[c.zone] = Item(c);
}

const SystemRow* FindSystem(std::int32_t system) {
  for (const auto& s : Table())
    if (s.system == system) return &s;
  return nullptr;
}

const RangeRow* FindRange(const SystemRow& s, std::int16_t number) {
  for (const auto& r : s.ranges)
    if (number >= r.first && number <= r.last) return &r;
  return nullptr;
}

const EntryRow* FindEntry(const SystemRow& s, std::int16_t number) {
  for (const auto& e : s.entries)
    if (e.number == number) return &e;
  return nullptr;
}

}  // namespace

std::span<const CatalogueEntryView> CatalogueEntries(std::int32_t system) {
  static const auto views = [] {
    std::array<std::vector<CatalogueEntryView>, 9> v;
    for (const auto& s : Table())
      for (const auto& e : s.entries) v[s.system].push_back({e.number, e.groups, e.trigAxes});
    return v;
  }();
  if (system < 1 || system > 8) return {};
  return views[system];
}

namespace {

// Applies entry pattern.ExtinctionNumber(); with selectors false only the
// values that are not saved with the pattern (list text, Laue class, axes).
void Apply(CPattern& pattern, CUnitCell* cell, bool selectors) {
  const std::int16_t number = pattern.ExtinctionNumber();
  if (number == -1) {
    pattern.SpaceGroupList = "None";
    return;
  }
  // Resolve everything before touching the pattern, so a faulty row cannot
  // leave it half rewritten.
  const SystemRow* s = FindSystem(pattern.CrystalSystem);
  std::array<std::int16_t, kZoneCount> values;
  values.fill(-1);
  if (!s) {
    if (selectors)
      for (int i = 0; i < kZoneCount; ++i) pattern.SetExtCond(i, -1);
    else
      pattern.SpaceGroupList.clear();  // a read state has no entry: no list from before it
    return;
  }
  const RangeRow* range = FindRange(*s, number);
  const EntryRow* entry = FindEntry(*s, number);
  std::int16_t permutation = s->permutation;
  if (range) {
    Put(values, range->conds);
    if (range->permutation != kUnset) permutation = range->permutation;
  }
  std::int32_t laue = s->laue;
  if (entry) {
    Put(values, entry->conds);
    if (entry->permutation != kUnset) permutation = entry->permutation;
    if (entry->laue != kNoLaue) laue = entry->laue;
  }
  values[ZonePermutation] = permutation;

  if (selectors) {
    for (int i = 0; i < kZoneCount; ++i) pattern.SetExtCond(i, values[i]);
    if (range && cell) cell->CenteringType = range->centring;
  }
  pattern.LaueClass = laue;
  if (entry) {
    pattern.SpaceGroupList = std::string(entry->groups);
    if (!entry->trigAxes.empty()) pattern.TrigAxesType = std::string(entry->trigAxes);
  } else if (!selectors) {
    pattern.SpaceGroupList.clear();
  }
}

}  // namespace

void ApplyExtinctionNumber(CPattern& pattern, CUnitCell* cell) { Apply(pattern, cell, true); }

void DescribeExtinctionNumber(CPattern& pattern) { Apply(pattern, nullptr, false); }

}  // namespace quorlin
