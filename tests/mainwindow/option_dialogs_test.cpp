// The option windows' models without a display: source wavelengths, h,k,l
// limits and their fit to the plot window, scroll ranges, the d-spacing
// calculator, volume tracking and the colour choices.
#include "support/temp_home.h"
#include "mainwindow/option_dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "mainwindow/wavelength_dialog.h"
#include "scripted_platform.h"

namespace quorlin {
namespace {

namespace fs = std::filesystem;

class OptionDialogsTest : public testing::TempHomeTest {
 protected:
  void SetUp() override { m.StartUp(); }
  // A cubic F cell (entry 12, "F---") of edge a.
  void CubicF(float a) {
    m.SetCrystalSystem(1);
    m.pattern.SetExtinctionNumber(12, &m.UnitCell);
    ASSERT_TRUE(m.UnitCell.SetCell(1, {a, a, a, 90, 90, 90}));
  }
  void FreeCell(const std::array<float, 6>& p) {
    m.EliminateSymmetry();
    ASSERT_TRUE(m.UnitCell.SetEdgeMax(1, "100"));
    ASSERT_TRUE(m.UnitCell.SetCell(1, p));
  }

  testing::ScriptedPlatform platform;
  MainModel m{platform};
};

// --- source wavelengths ------------------------------------------------------------

TEST_F(OptionDialogsTest, WavelengthTableShowsTheLinesAndTheirPhotonEnergies) {
  WavelengthDialog w(m);
  const struct {
    int line;
    const char* group;
    const char* caption;
    const char* wavelength;
  } rows[] = {{0, "Copper", "K alpha 1", "1.540562"},     {2, "Copper", "K beta 1", "1.392218"},
              {4, "Molybdenum", "K alpha 2", "0.71359"}, {9, "Others", "Wavelength 4", "1"}};
  for (const auto& r : rows) {
    WavelengthRow row = w.Row(r.line);
    EXPECT_EQ(row.group, r.group);
    EXPECT_EQ(row.caption, r.caption);
    EXPECT_EQ(row.wavelength, r.wavelength);
  }
  // Cu K-alpha1 = 1.5405929 A = 8.047823 keV (Hoelzer et al., Phys. Rev. A 56, 4554 (1997)).
  EXPECT_NEAR(PhotonEnergyKeV(1.5405929), 8.047823, 2e-6);
  EXPECT_EQ(w.Row(3).energy, "17.4798");  // 12.398419843 / 0.7093 by hand
  EXPECT_TRUE(w.Row(0).primary && w.Row(0).on);
  EXPECT_EQ(w.PrimaryWavelength(), "1.540562");
}

TEST_F(OptionDialogsTest, ThePrimaryLineStaysOnAndMovesToTheNextLineThatIsOn) {
  WavelengthDialog w(m);
  w.MovePrimaryToNextAvailable();  // only line 0 is on: ten steps come back
  EXPECT_EQ(m.data.PrimaryLineIndex(), 0);
  w.CheckClicked(0, false);  // the primary's box cannot switch it off
  EXPECT_TRUE(w.Row(0).on);
  w.CheckClicked(2, true);
  w.CheckClicked(7, true);
  w.MovePrimaryToNextAvailable();
  EXPECT_EQ(m.data.PrimaryLineIndex(), 2);
  w.MovePrimaryToNextAvailable();
  EXPECT_EQ(m.data.PrimaryLineIndex(), 7);
  w.MovePrimaryToNextAvailable();
  EXPECT_EQ(m.data.PrimaryLineIndex(), 0);
  w.CheckClicked(2, false);
  EXPECT_FALSE(m.data.LineExists(2));
}

TEST_F(OptionDialogsTest, RefusedWavelengthAndIntensityTextsKeepTheValue) {
  WavelengthDialog w(m);
  for (const char* bad : {"0", "0.01", "-1", "abc", "", "1e40"}) {
    EXPECT_FALSE(w.WavelengthEntered(6, bad)) << bad;
    EXPECT_EQ(m.data.Lambda(6), 1.0f) << bad;
  }
  for (const char* bad : {"x", "", "0.5.5"}) {
    EXPECT_FALSE(w.IntensityEntered(6, bad)) << bad;
    EXPECT_EQ(m.data.SourceIntensity(6), 1.0f) << bad;
  }
  EXPECT_TRUE(w.IntensityEntered(6, "1.5"));  // outside 0..1 is accepted as typed
  EXPECT_EQ(m.data.SourceIntensity(6), 1.5f);
}

TEST_F(OptionDialogsTest, ANewPrimaryWavelengthMovesThePlotsSpacingRangeAtOnce) {
  WavelengthDialog w(m);
  ASSERT_TRUE(m.XRDPlot.SetTTMax("30"));
  ASSERT_TRUE(w.WavelengthEntered(6, "0.4066"));
  w.CheckClicked(6, true);
  w.MovePrimaryToNextAvailable();
  ASSERT_EQ(m.data.PrimaryLineIndex(), 6);
  // Bragg's law at the window's upper edge, by hand.
  const double dMin = 0.4066 / (2 * std::sin(15 * std::numbers::pi / 180));
  EXPECT_NEAR(m.XRDPlot.DMin(), dMin, 1e-5);
}

// Synchrotron CeO2 (NIST SRM 674b-like, a = 5.4117 A) at 0.4066 A: the lines of
// the cubic F cell sit on the measured peaks.
TEST_F(OptionDialogsTest, CeO2LinesAtTheSynchrotronWavelengthSitOnTheMeasuredPeaks) {
  const std::string file = std::string(QUORLIN_SHARED_DIR) + "/realdata/xy/CeO2_Pilatus1M.xy";
  ASSERT_TRUE(m.ImportDataFile("xy", file)) << (platform.messages.empty() ? "" : platform.messages.back());
  WavelengthDialog w(m);
  ASSERT_TRUE(w.WavelengthEntered(6, "0.4066"));
  w.CheckClicked(6, true);
  w.MovePrimaryToNextAvailable();
  ASSERT_EQ(m.data.PrimaryLineIndex(), 6);
  CubicF(5.4117f);

  // 111 by Bragg's law alone: d = a / sqrt(3), 2-theta = 2 asin(lambda / 2d).
  const double bragg111 = 2 * std::asin(0.4066 / (2 * 5.4117 / std::sqrt(3.0))) * 180 / std::numbers::pi;
  EXPECT_NEAR(m.XRDPlot.TTFromD(m.data.Lambda(6), m.UnitCell.hklDSpacing(1, 1, 1)), bragg111, 2e-4);

  const auto& x = m.data.XValues();
  const auto& y = m.data.Intensities();
  const double step = x[1] - x[0];
  const int reflections[][3] = {{1, 1, 1}, {2, 0, 0}, {2, 2, 0}, {3, 1, 1}, {4, 0, 0}};
  for (const auto& r : reflections) {
    ASSERT_TRUE(m.pattern.IsAllowed(r[0], r[1], r[2]));
    float line = m.XRDPlot.TTFromD(m.data.Lambda(6), m.UnitCell.hklDSpacing(r[0], r[1], r[2]));
    // The strongest point within 0.2 degrees of the line is the peak.
    std::size_t best = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
      if (std::abs(x[i] - line) < 0.2 && (best == 0 || y[i] > y[best])) best = i;
    EXPECT_NEAR(x[best], line, 1.5 * step) << r[0] << r[1] << r[2];
  }
}

// --- h,k,l limits --------------------------------------------------------------------

TEST_F(OptionDialogsTest, PlusOneWidensEveryRangeAndCancelRestoresTheOpeningLimits) {
  HklLimitsDialog d(m);
  LimitTexts boxes{"0", "0", "0", "3", "3", "3"};
  ASSERT_TRUE(d.Apply(boxes));
  d.Open();
  auto once = d.Widen(boxes, 1);
  ASSERT_TRUE(once);
  auto twice = d.Widen(*once, 1);
  ASSERT_TRUE(twice);
  EXPECT_EQ(*twice, (LimitTexts{"-2", "-2", "-2", "5", "5", "5"}));
  EXPECT_EQ(d.Texts(), *twice);
  EXPECT_EQ(m.pattern.hmin, -2);
  EXPECT_EQ(m.pattern.lmax, 5);
  EXPECT_EQ(*d.Widen(*twice, -1), (LimitTexts{"-1", "-1", "-1", "4", "4", "4"}));
  d.Cancel();
  EXPECT_EQ(d.Texts(), boxes);
}

TEST_F(OptionDialogsTest, LimitTextsThatAreNotSixteenBitIntegersChangeNothing) {
  HklLimitsDialog d(m);
  const LimitTexts before = d.Texts();
  const LimitTexts bad[] = {{"x", "0", "0", "3", "3", "3"},      {"0", "", "0", "3", "3", "3"},
                            {"0", "0", "0", "3", "3", "32768"},  {"-32769", "0", "0", "3", "3", "3"},
                            {"0", "0", "0", "1e9", "3", "3"},    {"-1000", "-1000", "-1000", "1000", "1000", "1000"}};
  for (const LimitTexts& b : bad) {
    platform.messages.clear();
    EXPECT_FALSE(d.Apply(b)) << b[0] << " " << b[3];
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(d.Texts(), before);
  }
  // (+1) at the edge of the 16-bit range is refused as a whole.
  EXPECT_FALSE(d.Widen({"-32768", "0", "0", "3", "3", "3"}, 1));
  EXPECT_EQ(d.Texts(), before);
}

TEST_F(OptionDialogsTest, FittedLimitsAreTheLargestIndicesOfAnyReflectionAboveTheSpacing) {
  // Orthorhombic: the largest index is that of h00 (d = a / h), by hand.
  FreeCell({5, 7, 11, 90, 90, 90});
  FittedLimits f = FitLimits(m.UnitCell, m.pattern, 1.0f);
  EXPECT_EQ(f.bound, (std::array<std::int16_t, 3>{5, 7, 11}));
  EXPECT_FALSE(f.capped);

  // An oblique triclinic cell against a plain search of a wide box.
  FreeCell({6, 7.5f, 9, 75, 100, 110});
  const float dMin = 0.9f;
  std::array<int, 3> brute{};
  for (int h = -40; h <= 40; ++h)
    for (int k = -40; k <= 40; ++k)
      for (int l = -40; l <= 40; ++l)
        if (m.UnitCell.hklDSpacing(h, k, l) >= dMin)
          brute = {std::max(brute[0], std::abs(h)), std::max(brute[1], std::abs(k)), std::max(brute[2], std::abs(l))};
  f = FitLimits(m.UnitCell, m.pattern, dMin);
  EXPECT_EQ(f.bound[0], brute[0]);
  EXPECT_EQ(f.bound[1], brute[1]);
  EXPECT_EQ(f.bound[2], brute[2]);

  // Beyond the cap: a = 50 A down to 0.3 A needs h = 166.
  FreeCell({50, 5, 5, 90, 90, 90});
  f = FitLimits(m.UnitCell, m.pattern, 0.3f, 100);
  EXPECT_TRUE(f.capped);
  EXPECT_EQ(f.bound[0], 100);
  EXPECT_EQ(f.bound[1], 16);
}

TEST_F(OptionDialogsTest, FitToPlotWindowReachesTheEndOfAGarnetPattern) {
  // Garnet, a = 11.5 A, Ia-3d-like body centring left aside: a primitive cubic
  // cell, Cu K-alpha1, a window to 158 degrees.
  FreeCell({11.5f, 11.5f, 11.5f, 90, 90, 90});
  ASSERT_TRUE(m.XRDPlot.SetTTMax("158"));
  HklLimitsDialog d(m);
  ASSERT_TRUE(d.FitToPlotWindow());
  // d at 158 degrees = 1.540562 / (2 sin 79) = 0.78469; 11.5 / 0.78469 = 14.66.
  EXPECT_NEAR(*d.WindowDMin(), 1.540562 / (2 * std::sin(79 * std::numbers::pi / 180)), 1e-5);
  EXPECT_EQ(d.Texts(), (LimitTexts{"-14", "-14", "-14", "14", "14", "14"}));
  EXPECT_TRUE(platform.messages.empty());

  ASSERT_TRUE(m.UnitCell.SetEdgeMax(1, "100"));
  FreeCell({90, 90, 90, 90, 90, 90});
  ASSERT_TRUE(d.FitToPlotWindow());
  EXPECT_EQ(d.Texts(), (LimitTexts{"-100", "-100", "-100", "100", "100", "100"}));
  EXPECT_EQ(platform.messages.size(), 1u);
}

// --- scroll ranges -----------------------------------------------------------------------

TEST_F(OptionDialogsTest, AScaleOfOneHundredOverEdgesOneToFiftyGivesScrollBarsOf100To5000) {
  CellScaleDialog d(m);
  ASSERT_TRUE(d.Apply({"1", "50", "100", "10", "170", "10"}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(m.CellScrollSetting(i).Min, 100);
    EXPECT_EQ(m.CellScrollSetting(i).Max, 5000);
  }
  EXPECT_EQ(m.CellScrollSetting(3).Max, 1700);
  // Now a 31 A edge can be typed.
  EXPECT_TRUE(m.CellTextChanged(0, "31"));
  EXPECT_EQ(m.UnitCell.CellParameters(0, 1), "31");
}

TEST_F(OptionDialogsTest, RefusedScrollRangesChangeNothing) {
  CellScaleDialog d(m);
  const ScaleTexts before = d.Texts();
  const ScaleTexts bad[] = {
      {"1", "50", "0", "10", "170", "10"},    // scale 0
      {"20", "10", "100", "10", "170", "10"}, // minimum edge above maximum
      {"x", "50", "100", "10", "170", "10"},  // not a number
      {"1", "50", "40000", "10", "170", "10"},// beyond 16 bits
      {"1", "50", "1000", "10", "170", "10"}, // 50 x 1000 overflows the scroll bar
      {"1", "50", "100", "170", "10", "10"},  // angles the wrong way round
      {"1", "2", "100", "10", "170", "10"},   // the current 10 A cell falls outside
  };
  for (const ScaleTexts& b : bad) {
    platform.messages.clear();
    EXPECT_FALSE(d.Apply(b)) << b[0] << " " << b[1] << " " << b[2];
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(d.Texts(), before);
  }
  m.SetLatticeType(-1);  // the limits belong to the direct cell
  EXPECT_FALSE(d.Enabled());
  EXPECT_FALSE(d.Apply({"1", "50", "100", "10", "170", "10"}));
}

// --- d-spacing, volume tracking ----------------------------------------------------------

TEST_F(OptionDialogsTest, DSpacingCalculatorFollowsTheCellAndTheConditions) {
  CubicF(5.4117f);
  DSpacingDialog d(m);
  const struct {
    const char *h, *k, *l;
    double d;  // a / sqrt(h2 + k2 + l2), by hand
    bool allowed;
  } cases[] = {{"1", "1", "1", 5.4117 / std::sqrt(3.0), true},
               {"1", "0", "0", 5.4117, false},
               {"2", "2", "0", 5.4117 / std::sqrt(8.0), true},
               {"2", "1", "0", 5.4117 / std::sqrt(5.0), false}};
  for (const auto& c : cases) {
    auto r = d.Calculate(c.h, c.k, c.l, platform);
    ASSERT_TRUE(r);
    EXPECT_NEAR(std::stod(r->dSpacing), c.d, 1e-5);
    EXPECT_EQ(r->allowed, c.allowed);
  }
  EXPECT_EQ(d.Calculate("0", "0", "0", platform)->dSpacing, "");
  EXPECT_FALSE(d.Calculate("1", "x", "1", platform));
  EXPECT_FALSE(d.Calculate("1", "1", "70000", platform));
  EXPECT_EQ(platform.messages.size(), 2u);
  ASSERT_TRUE(d.Calculate("2", "0", "0", platform));
  ASSERT_TRUE(m.UnitCell.SetCell(1, {6, 6, 6, 90, 90, 90}));
  EXPECT_EQ(d.Recalculate()->dSpacing, "3");
}

TEST_F(OptionDialogsTest, VolumeTrackingTakesTheCellVolumeOrAPositiveNumber) {
  CubicF(5.0f);
  VolumeTrackingDialog v(m);
  v.UseCurrentVolume();
  EXPECT_NEAR(std::stod(v.Text()), 125.0, 1e-3);  // 5^3
  for (const char* bad : {"0", "-3", "abc", ""}) EXPECT_FALSE(v.Accept(bad)) << bad;
  EXPECT_EQ(m.UnitCell.VRef(), m.UnitCell.Volume());
  EXPECT_TRUE(v.Accept("250"));
  EXPECT_NEAR(m.UnitCell.VNorm(), 0.5, 1e-5);
}

// --- colours ------------------------------------------------------------------------

// A chooser that also edits the first custom colour, as a user may.
class EditingPlatform : public testing::ScriptedPlatform {
 public:
  std::optional<std::uint32_t> ChooseColor(std::optional<std::uint32_t> initial, CustomColors& custom) override {
    initials.push_back(initial);
    auto c = ScriptedPlatform::ChooseColor(initial, custom);
    if (c) custom[0] = 0x123456;
    return c;
  }
  std::vector<std::optional<std::uint32_t>> initials;
};

TEST_F(OptionDialogsTest, ColourChoicesAbsenceBoxesAndWidths) {
  ColorsDialog c(m);
  for (int i = 0; i < ColorsDialog::kSchemes; ++i) {
    c.ChooseScheme(i);
    EXPECT_EQ(c.SchemeIndex(), i);
  }
  EXPECT_EQ(m.pattern.ColorScheme, "UserColor");
  c.AbsenceClicked(0, true);
  EXPECT_EQ(c.AbsenceTicks(), (std::array<bool, 2>{true, false}));
  c.AbsenceClicked(1, true);  // black after red: only black stays ticked
  EXPECT_EQ(c.AbsenceTicks(), (std::array<bool, 2>{false, true}));
  EXPECT_EQ(m.pattern.AbsenceColor, 0);
  c.AbsenceClicked(1, false);
  EXPECT_FALSE(m.pattern.PlotAbsences);
  c.SetLineWidth(4);
  c.SetDataWidth(2);
  EXPECT_EQ(m.pattern.linewidth, 5);
  EXPECT_EQ(m.XRDPlot.XRDDataWidth, 3);
}

TEST(ColorsDialogTest, TheChooserKeepsTheProjectsCustomColoursAndCancelChangesNothing) {
  EditingPlatform platform;
  MainModel m(platform);
  ColorsDialog c(m);
  const std::string back = m.BackCustomColors;
  platform.chosenColors = {0x00FF00u, std::nullopt, 0x0000FFu, 0xABCDEFu};
  EXPECT_TRUE(c.ChooseLineColor());
  EXPECT_EQ(m.pattern.LineColor, 0x00FF00);
  EXPECT_EQ(CustomColorsFromText(m.LineCustomColors)[0], 0x123456u);
  EXPECT_EQ(m.BackCustomColors, back);  // the background keeps its own set

  m.LineCustomColors = std::string(64, '\0');
  EXPECT_FALSE(c.ChooseDataColor());  // cancelled
  EXPECT_EQ(m.XRDPlot.XRDDataColor, 0);
  EXPECT_EQ(m.LineCustomColors, std::string(64, '\0'));

  EXPECT_TRUE(c.ChooseDataColor());
  EXPECT_EQ(m.XRDPlot.XRDDataColor, 0x0000FF);
  EXPECT_TRUE(c.ChooseBackgroundColor());
  EXPECT_EQ(m.XRDPlot.XRDBackColor, 0xABCDEF);
  EXPECT_EQ(CustomColorsFromText(m.BackCustomColors)[0], 0x123456u);
  // The chooser opens at the current colour; the system background colour has none.
  EXPECT_EQ(platform.initials.front(), std::optional<std::uint32_t>(0xFF0000u));
  EXPECT_EQ(platform.initials.back(), std::nullopt);
}

}  // namespace
}  // namespace quorlin
