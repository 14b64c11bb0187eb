#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "core/numtext.h"
#include "core/unitcell.h"
#include "data/data.h"
#include "energy/peak_list.h"
#include "phases/stored_phases.h"
#include "plot/recording_surface.h"
#include "plot/xrd_plot.h"
#include "reflections/catalogue.h"
#include "reflections/pattern.h"

using namespace quorlin;
using Kind = RecordingSurface::Kind;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kCuKa1 = 1.540562f;

// Bragg's law in double precision, degrees.
double TwoTheta(double lambda, double d) { return 2.0 * std::asin(lambda / (2.0 * d)) * 180.0 / kPi; }

// A cubic cell of edge a, the Cu K-alpha1 line alone at full height, every
// reflection wanted, window 20..60 degrees and 0..1000.
struct Scene {
  CData data;
  CXRDPlot plot{data};
  CPattern pattern;
  CUnitCell cell;
  CStoredPhases stored;
  clsPeakList peaks;
  RecordingSurface pic;

  explicit Scene(float a = 4.0f) {
    data.SetLineExists(0, true);
    data.SetSourceIntensity(0, 1.0f);
    EXPECT_TRUE(cell.SetCell(1, {a, a, a, 90, 90, 90}));
    for (int i = 0; i < 7; ++i) pattern.PreviousState(i, true, true);
    pattern.LineColor = Rgb(0, 0, 255);
    EXPECT_TRUE(plot.SetTTMin("20"));
    EXPECT_TRUE(plot.SetTTMax("60"));
    EXPECT_TRUE(plot.SetIMax("1000"));
  }
  void Draw(std::string_view patternType = "", bool fromOutside = false) {
    pic.Forget();
    plot.MakeXRDPlot(stored, pic, fromOutside, pattern, cell, data, patternType, peaks);
  }
  std::vector<RecordingSurface::Primitive> Lines(Colour c) const {
    std::vector<RecordingSurface::Primitive> out;
    for (const auto& p : pic.OfKind(Kind::Line))
      if (p.colour == c) out.push_back(p);
    return out;
  }
};

}  // namespace

TEST(XRDDrawing, ReflectionLinesSitAtBraggAnglesInsideTheWindow) {
  Scene s;
  s.pattern.PeakBase = 0.1f;
  s.pattern.PeakTop = 0.8f;
  s.pattern.linewidth = 2;
  s.Draw();
  // Background and scale first: left TTMin, top IMax, right TTMax, bottom imin.
  ASSERT_FALSE(s.pic.Primitives().empty());
  EXPECT_EQ(s.pic.Primitives().front().kind, Kind::Clear);
  EXPECT_EQ(s.pic.BackColor(), kSystemScrollBarColour);
  EXPECT_EQ(s.pic.CurrentScale().left, 20.0);
  EXPECT_EQ(s.pic.CurrentScale().right, 60.0);
  EXPECT_EQ(s.pic.CurrentScale().top, 1000.0);
  EXPECT_EQ(s.pic.CurrentScale().bottom, 0.0);

  // Expected: every triple of the ranges (h, k -6..6, l 0..6) whose angle
  // for a = 4 lies strictly inside 20..60, one segment each.
  std::vector<double> expected;
  for (int l = 0; l <= 6; ++l)
    for (int k = -6; k <= 6; ++k)
      for (int h = -6; h <= 6; ++h) {
        int n = h * h + k * k + l * l;
        if (n == 0) continue;
        double tt = TwoTheta(kCuKa1, 4.0 / std::sqrt(n));
        if (tt > 20 && tt < 60) expected.push_back(tt);
      }
  auto lines = s.Lines(Rgb(0, 0, 255));
  std::vector<double> drawn;
  for (const auto& p : lines) {
    drawn.push_back(p.x1);
    EXPECT_EQ(p.x1, p.x2);
    EXPECT_NEAR(p.y1, 100.0, 1e-3);  // 0 + 1000 * base
    EXPECT_NEAR(p.y2, 800.0, 1e-3);  // 0 + 1000 * top * 1
    EXPECT_EQ(p.width, 2);
  }
  std::sort(expected.begin(), expected.end());
  std::sort(drawn.begin(), drawn.end());
  ASSERT_EQ(drawn.size(), expected.size());
  for (std::size_t i = 0; i < drawn.size(); ++i) EXPECT_NEAR(drawn[i], expected[i], 1e-4);
  EXPECT_GT(expected.size(), 40u);  // a real pattern, not an empty one

  // A line exactly at the window edge is not drawn; just inside, it is. The
  // edges sit on 200 of K-alpha2 (right) and of K-beta (left), so that 200
  // itself lies inside DMin..DMax and only the edge test can refuse them.
  s.data.SetLineExists(1, true);
  s.data.SetSourceIntensity(1, 0.5f);
  s.data.SetLineExists(2, true);
  s.data.SetSourceIntensity(2, 0.05f);
  const float xa1 = s.plot.TTFromD(kCuKa1, 2.0f);
  const float xa2 = s.plot.TTFromD(1.54439f, 2.0f);
  const float xb = s.plot.TTFromD(1.392218f, 2.0f);
  ASSERT_TRUE(s.plot.SetTTMax(SingleText(xa2)));
  ASSERT_TRUE(s.plot.SetTTMin(SingleText(xb)));
  ASSERT_LE(s.plot.DMin(), 2.0f);
  ASSERT_GE(s.plot.DMax(), 2.0f);
  s.Draw();
  auto count = [&](float x) {
    int n = 0;
    for (const auto& p : s.pic.OfKind(Kind::Line)) n += p.x1 == x;
    return n;
  };
  EXPECT_EQ(count(xa1), 5);  // 200, -200, 020, 0-20 and 002 (l runs 0..6)
  EXPECT_EQ(count(xa2), 0);
  EXPECT_EQ(count(xb), 0);
  ASSERT_TRUE(s.plot.SetTTMax(SingleText(xa2 + 0.01f)));
  ASSERT_TRUE(s.plot.SetTTMin(SingleText(xb - 0.01f)));
  s.Draw();
  EXPECT_EQ(count(xa2), 5);
  EXPECT_EQ(count(xb), 5);

  // The plot can be drawn from outside: then no reflections, only the frame.
  s.Draw("", true);
  EXPECT_TRUE(s.pic.OfKind(Kind::Line).empty());
}

TEST(XRDDrawing, EverySourceLineThatIsOnDrawsScaledByItsIntensity) {
  Scene s;
  // The Cu tube's three lines: K-alpha1 1, K-alpha2 0.5, K-beta 0.05.
  s.data.SetLineExists(1, true);
  s.data.SetSourceIntensity(1, 0.5f);
  s.data.SetLineExists(2, true);
  s.data.SetSourceIntensity(2, 0.05f);
  s.data.SetSourceIntensity(3, 1.0f);  // on in the table but switched off
  s.pattern.hmin = s.pattern.hmax = 1;
  s.pattern.kmin = s.pattern.kmax = 1;
  s.pattern.lmin = s.pattern.lmax = 1;  // only 111
  ASSERT_TRUE(s.plot.Setimin("-200"));
  s.Draw();
  auto lines = s.pic.OfKind(Kind::Line);
  ASSERT_EQ(lines.size(), 3u);
  double d111 = 4.0 / std::sqrt(3.0);
  const double lambdas[3] = {1.540562, 1.54439, 1.392218};
  const double heights[3] = {1.0, 0.5, 0.05};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(lines[i].x1, TwoTheta(lambdas[i], d111), 1e-4) << i;
    EXPECT_DOUBLE_EQ(lines[i].y1, -200.0);                              // imin + range * 0
    EXPECT_NEAR(lines[i].y2, -200.0 + 1200.0 * heights[i], 1e-3) << i;  // imin + range * top * I
  }
}

TEST(XRDDrawing, AbsentLinesAreDrawnUnderAllowedOnes) {
  Scene s;
  // h00 only with h even: 100 and 300 become absent.
  s.pattern.SetExtCond(Zoneh00, *ZoneSelectors()[Zoneh00].Find("h"));
  ASSERT_FALSE(s.pattern.IsAllowed(3, 0, 0));
  ASSERT_TRUE(s.pattern.IsAllowed(2, 2, 1));
  const Colour absent = Rgb(255, 0, 0), allowed = Rgb(0, 0, 255);
  s.pattern.AbsenceColor = absent;
  ASSERT_TRUE(s.plot.SetTTMax("80"));  // 300 at 70.6 degrees

  s.Draw();
  EXPECT_TRUE(s.Lines(absent).empty());  // absences hidden unless asked for

  s.pattern.PlotAbsences = true;
  s.Draw();
  auto lines = s.pic.OfKind(Kind::Line);
  ASSERT_FALSE(s.Lines(absent).empty());
  // Every absent line comes before every allowed one.
  bool seenAllowed = false;
  for (const auto& p : lines) {
    if (p.colour == allowed) seenAllowed = true;
    if (p.colour == absent) {
      EXPECT_FALSE(seenAllowed);
    }
  }
  // 300 and 221 share d = a/3: the last segment there is the allowed colour.
  float x300 = s.plot.TTFromD(kCuKa1, 4.0f / 3.0f);
  Colour last = 0;
  int absentThere = 0;
  for (const auto& p : lines)
    if (std::fabs(p.x1 - x300) < 1e-4) {
      last = p.colour;
      absentThere += p.colour == absent;
    }
  EXPECT_EQ(last, allowed);
  EXPECT_EQ(absentThere, 2);  // 300 and -300; 030 and 003 are 0k0 and 00l
}

TEST(XRDDrawing, ZoneColorOfEveryScheme) {
  CPattern p;
  auto colour = [&](const char* scheme, int h, int k, int l) {
    p.ColorScheme = scheme;
    return CXRDPlot::ZoneColor(static_cast<std::int16_t>(h), static_cast<std::int16_t>(k), static_cast<std::int16_t>(l),
                               p);
  };
  auto grey = [](int g) { return Rgb(g, g, g); };
  // Order: (|h|+|k|+|l| - 1) * 255 / 12, nearest, halves to even.
  EXPECT_EQ(colour("Order", 1, 0, 0), grey(0));
  EXPECT_EQ(colour("Order", 1, -1, 0), grey(21));   // 21.25
  EXPECT_EQ(colour("Order", 4, 4, 4), grey(234));   // 233.75
  EXPECT_EQ(colour("Order", 7, -6, 0), grey(255));  // order 13
  EXPECT_EQ(colour("Order", 20, 20, 20), grey(255));
  EXPECT_EQ(colour("Order", 3, 2, 0), grey(85));  // 4 * 255 / 12 = 85
  EXPECT_EQ(colour("Order", 0, 0, 0), grey(0));   // not a negative component
  // Direction: 255 |h| / s ...; 127.5 rounds to 128.
  EXPECT_EQ(colour("Direction", 1, -1, 0), Rgb(128, 128, 0));
  EXPECT_EQ(colour("Direction", 2, 1, -1), Rgb(128, 64, 64));  // 127.5, 63.75
  EXPECT_EQ(colour("Direction", 0, 0, 3), Rgb(0, 0, 255));
  EXPECT_EQ(colour("Direction", 0, 0, 0), Rgb(0, 0, 0));  // no division by zero
  // Blend: |h| * 255 / 4, capped at 255.
  EXPECT_EQ(colour("Blend", 3, 2, 1), Rgb(191, 128, 64));  // 191.25, 127.5, 63.75
  EXPECT_EQ(colour("Blend", 5, 0, -8), Rgb(255, 0, 255));
  EXPECT_EQ(colour("Blue", 3, 2, 1), Rgb(0, 0, 255));
  // NumberOfZeroes.
  EXPECT_EQ(colour("NumberOfZeroes", 1, 2, 3), Rgb(0, 255, 0));
  EXPECT_EQ(colour("NumberOfZeroes", 1, 0, 3), Rgb(255, 0, 0));
  EXPECT_EQ(colour("NumberOfZeroes", 0, 0, 3), Rgb(0, 0, 255));
  // SevenColors.
  EXPECT_EQ(colour("SevenColors", 2, 0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(colour("SevenColors", 0, 2, 0), Rgb(0, 255, 0));
  EXPECT_EQ(colour("SevenColors", 0, 0, 2), Rgb(0, 0, 255));
  EXPECT_EQ(colour("SevenColors", 0, 1, 2), Rgb(0, 255, 255));
  EXPECT_EQ(colour("SevenColors", 1, 0, 2), Rgb(255, 0, 255));
  EXPECT_EQ(colour("SevenColors", 1, 2, 0), Rgb(255, 255, 0));
  EXPECT_EQ(colour("SevenColors", 1, 2, 3), Rgb(255, 255, 255));
  // Basal without plane flags: h00 green, 0k0 blue, 00l red, hkl white, one zero black.
  for (int i = 0; i < 7; ++i) p.PreviousState(i, false, true);
  EXPECT_EQ(colour("Basal", 2, 0, 0), Rgb(0, 255, 0));
  EXPECT_EQ(colour("Basal", 0, 2, 0), Rgb(0, 0, 255));
  EXPECT_EQ(colour("Basal", 0, 0, 2), Rgb(255, 0, 0));
  EXPECT_EQ(colour("Basal", 1, 1, 1), Rgb(255, 255, 255));
  EXPECT_EQ(colour("Basal", 1, 1, 0), Rgb(0, 0, 0));
  // ...and with the planes shown, in the order b-c, a-c, a-b.
  p.PreviousState(3, true, true);
  EXPECT_EQ(colour("Basal", 0, 1, 1), Rgb(255, 0, 0));
  EXPECT_EQ(colour("Basal", 0, 2, 0), Rgb(255, 0, 0));  // h = 0 wins over 0k0
  p.PreviousState(4, true, true);
  EXPECT_EQ(colour("Basal", 1, 0, 1), Rgb(0, 255, 0));
  p.PreviousState(5, true, true);
  EXPECT_EQ(colour("Basal", 1, 1, 0), Rgb(0, 0, 255));
  EXPECT_EQ(colour("Basal", 1, 0, 0), Rgb(0, 255, 0));  // k = 0 before l = 0
  p.LineColor = Rgb(12, 34, 56);
  EXPECT_EQ(colour("UserColor", 1, 1, 1), Rgb(12, 34, 56));
  EXPECT_EQ(colour("Rainbow", 1, 1, 1), Rgb(0, 0, 0));
}

TEST(XRDDrawing, StoredPhasesFluorescenceAndTheLatticeHookAppear) {
  Scene s;
  s.pattern.hmax = s.pattern.kmax = s.pattern.lmax = 0;
  s.pattern.hmin = s.pattern.kmin = s.pattern.lmin = 0;  // no reflections of our own
  const Colour green = Rgb(0, 200, 0), grey = Rgb(90, 90, 90);
  s.stored.StoredPattern(1).Exists = true;
  s.stored.StoredPattern(1).Plotted = true;
  s.stored.StoredPattern(1).StoredColor = green;
  s.stored.SetStoredLinePosition(1, 0, 2.5f);
  s.stored.SetStoredLinePosition(1, 400, 3.0f);
  s.stored.SetStoredLinePosition(1, 7, 50.0f);  // beyond DMax: not drawn
  s.stored.StoredPattern(2).Exists = true;      // stored but hidden
  s.stored.StoredPattern(2).StoredColor = grey;
  s.stored.SetStoredLinePosition(2, 0, 2.5f);
  int hookCalls = 0;
  s.plot.PlotTheLatticeImage = [&] { ++hookCalls; };
  s.Draw();
  auto lines = s.Lines(green);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(lines[0].x1, TwoTheta(kCuKa1, 2.5), 1e-4);
  EXPECT_NEAR(lines[1].x1, TwoTheta(kCuKa1, 3.0), 1e-4);
  EXPECT_DOUBLE_EQ(lines[0].y1, 0.0);
  EXPECT_DOUBLE_EQ(lines[0].y2, 1000.0);
  EXPECT_EQ(lines[0].width, 1);
  EXPECT_TRUE(s.Lines(grey).empty());
  EXPECT_EQ(hookCalls, 1);
  // Stored phases are drawn from outside too.
  s.Draw("", true);
  EXPECT_EQ(s.Lines(green).size(), 2u);

  // Fluorescence lines on an energy spectrum: yellow at the line's channel.
  Scene e;
  e.pattern.hmax = e.pattern.kmax = e.pattern.lmax = 0;
  e.pattern.hmin = e.pattern.kmin = e.pattern.lmin = 0;
  e.data.DataType = "Energy";
  e.data.SetNChan(2048);
  e.data.edsTWO_THETA = 8.0f;
  e.data.edsCAL_SLOPE = 0.05f;  // 0.05 keV per channel, no offset
  e.plot.SetDataType("Energy");
  ASSERT_TRUE(e.plot.SetTTMax("2047"));
  e.stored.SetStoredFluorescenceLine(1, 0, 8.047f);  // Cu K-alpha
  e.stored.SetStoredFluorescenceLine(2, 4, 8.904f);  // Cu K-beta
  e.stored.SetStoredFluorescenceLine(0, 3, 5.0f);    // line 0 is not a line
  e.Draw();
  auto yellow = e.Lines(Rgb(255, 255, 0));
  ASSERT_EQ(yellow.size(), 2u);
  EXPECT_NEAR(yellow[0].x1, 8.047 / 0.05, 0.01);
  EXPECT_NEAR(yellow[1].x1, 8.904 / 0.05, 0.01);
  // A calibration with a negative offset puts channel 0 below zero energy;
  // the window edge there must not hide every line.
  e.data.edsCAL_OFFSET = -0.02f;
  e.plot.SetDataType("Energy");
  ASSERT_TRUE(e.plot.SetTTMax("2047"));
  EXPECT_TRUE(std::isinf(e.plot.DMax()));
  e.Draw();
  yellow = e.Lines(Rgb(255, 255, 0));
  ASSERT_EQ(yellow.size(), 2u);
  EXPECT_NEAR(yellow[0].x1, (8.047 + 0.02) / 0.05, 0.01);
  // On angle data the same entries draw nothing.
  e.data.DataType = "Angle";
  e.Draw();
  EXPECT_TRUE(e.Lines(Rgb(255, 255, 0)).empty());
}

TEST(XRDDrawing, CardLinesFollowTheCellWithTheCardsHeights) {
  Scene s;
  s.peaks.SetNumberOfPeaks(2);
  s.peaks.Seth(0, 1);
  s.peaks.Setk(0, 1);
  s.peaks.Setl(0, 1);
  ASSERT_TRUE(s.peaks.SetIntens(0, 50));
  s.peaks.SetIncluded(0, true);
  s.peaks.Seth(1, 2);
  ASSERT_TRUE(s.peaks.SetIntens(1, 100));
  s.pattern.AbsenceColor = Rgb(255, 0, 0);
  s.pattern.PeakTop = 0.9f;
  s.Draw("jcpds");
  auto lines = s.pic.OfKind(Kind::Line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(lines[0].x1, TwoTheta(kCuKa1, 4.0 / std::sqrt(3.0)), 1e-4);
  EXPECT_NEAR(lines[0].y2, 1000 * 0.5 * 0.9, 1e-3);
  EXPECT_EQ(lines[0].colour, Rgb(0, 0, 255));
  EXPECT_NEAR(lines[1].x1, TwoTheta(kCuKa1, 2.0), 1e-4);
  EXPECT_NEAR(lines[1].y2, 900.0, 1e-3);
  EXPECT_EQ(lines[1].colour, Rgb(255, 0, 0));  // not included: absence colour

  // A bigger cell moves the card's lines.
  ASSERT_TRUE(s.cell.SetCell(1, {4.1f, 4.1f, 4.1f, 90, 90, 90}));
  s.Draw("jcpds");
  EXPECT_NEAR(s.pic.OfKind(Kind::Line)[1].x1, TwoTheta(kCuKa1, 2.05), 1e-4);

  // The nearest card line: peak indexes.
  auto found = s.plot.jcpdsNearestLine(2.06f, 5, s.cell, s.peaks);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], 1);
  EXPECT_TRUE(s.plot.jcpdsNearestLine(2.06f, 0, s.cell, s.peaks).empty());
}

TEST(XRDDrawing, MeasuredDataIsClippedToTheWindow) {
  CData data;
  CXRDPlot plot(data);
  ASSERT_TRUE(plot.SetTTMin("10"));
  ASSERT_TRUE(plot.SetTTMax("20"));
  ASSERT_TRUE(plot.SetIMax("100"));
  plot.XRDDataColor = Rgb(0, 128, 0);
  plot.XRDDataWidth = 2;
  const double pts[][2] = {{5, 50},   {10, 50}, {15, 150}, {20, 100}, {25, 50},
                           {26, -50}, {9, -50}, {11, 150}, {12, 40},  {13, 60}};
  data.SetNChan(10);
  for (int i = 0; i < 10; ++i) {
    data.SetTwoTheta(i, static_cast<float>(pts[i][0]));
    data.SetIntensity(i, pts[i][1]);
  }
  RecordingSurface pic;
  plot.PlotXRDDataOnly(data, pic);
  auto lines = pic.OfKind(Kind::Line);
  // Segment cuts worked by hand:
  //  (5,50)->(10,50): enters at the edge point itself (10,50), which is inside;
  //  (10,50)->(15,150): leaves through y = 100 at (12.5, 100);
  //  (15,150)->(20,100): enters at the corner (20,100);
  //  (20,100)->(25,50): leaves at x = 20, the same corner;
  //  (25,50)->(26,-50)->(9,-50): stays outside;
  //  (9,-50)->(11,150): crosses: in at x = 10 (y = 50), out at y = 100 (x = 10.5);
  //  (11,150)->(12,40): in at y = 100 (x = 11 + 50/110);
  //  (12,40)->(13,60): inside.
  struct Seg {
    double x1, y1, x2, y2;
  };
  const Seg expected[] = {{10, 50, 10, 50},   {10, 50, 12.5, 100}, {20, 100, 20, 100},
                          {20, 100, 20, 100}, {10, 50, 10.5, 100}, {11 + 50.0 / 110, 100, 12, 40},
                          {12, 40, 13, 60}};
  ASSERT_EQ(lines.size(), std::size(expected));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NEAR(lines[i].x1, expected[i].x1, 1e-9) << i;
    EXPECT_NEAR(lines[i].y1, expected[i].y1, 1e-9) << i;
    EXPECT_NEAR(lines[i].x2, expected[i].x2, 1e-9) << i;
    EXPECT_NEAR(lines[i].y2, expected[i].y2, 1e-9) << i;
    EXPECT_EQ(lines[i].colour, Rgb(0, 128, 0));
    EXPECT_EQ(lines[i].width, 2);
  }
  EXPECT_TRUE(pic.OfKind(Kind::Point).empty());

  // A first point inside is plotted as a point; a point on the edge is inside.
  data.SetTwoTheta(0, 20.0f);
  data.SetIntensity(0, 0.0);
  pic.Forget();
  plot.PlotXRDDataOnly(data, pic);
  auto points = pic.OfKind(Kind::Point);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].x1, 20.0);
  // A nearly vertical segment leaving the window is cut at its own x.
  data.SetNChan(2);
  data.SetTwoTheta(0, 15.0f);
  data.SetIntensity(0, 50.0);
  data.SetTwoTheta(1, 15.0005f);
  data.SetIntensity(1, 500.0);
  pic.Forget();
  plot.PlotXRDDataOnly(data, pic);
  lines = pic.OfKind(Kind::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].x2, 15.0);
  EXPECT_NEAR(lines[0].y2, 100.0, 1e-9);
}

TEST(XRDDrawing, NearestLineFindsEquivalentsInScanOrder) {
  Scene s;
  s.pattern.LaueClass = 0;  // -1: one of each Friedel pair
  ASSERT_TRUE(s.plot.SetTTMin("10"));
  ASSERT_TRUE(s.plot.SetTTMax("120"));
  const float d110 = 4.0f / std::sqrt(2.0f);
  // max 1: the first equivalent scanned (h, then k, then l from -max) in the wedge.
  auto one = s.plot.NearestLine(d110 + 0.01f, 1, s.cell, s.pattern, false);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0], (MillerIndices{-1, 0, 1}));
  // All of them: the 12 reflections of {110}, one of each Friedel pair.
  auto all = s.plot.NearestLine(d110, 50, s.cell, s.pattern, false);
  EXPECT_EQ(all.size(), 6u);
  std::set<std::tuple<int, int, int>> distinct;
  for (const auto& m : all) {
    EXPECT_EQ(m.h * m.h + m.k * m.k + m.l * m.l, 2);
    distinct.insert({m.h, m.k, m.l});
    distinct.insert({-m.h, -m.k, -m.l});
  }
  EXPECT_EQ(distinct.size(), 12u);
  // 300 and 221 share d = 4/3: both families are kept (3 + 12 of 6 + 24).
  s.pattern.SetExtCond(Zoneh00, *ZoneSelectors()[Zoneh00].Find("h"));
  auto both = s.plot.NearestLine(4.0f / 3.0f, 100, s.cell, s.pattern, true);
  EXPECT_EQ(both.size(), 15u);
  // Without absences 300 drops out (030 and 003 are other zones).
  auto allowed = s.plot.NearestLine(4.0f / 3.0f, 100, s.cell, s.pattern, false);
  EXPECT_EQ(allowed.size(), 14u);
  for (const auto& m : allowed) EXPECT_FALSE(m.k == 0 && m.l == 0);
  // Nothing in range: nothing found.
  ASSERT_TRUE(s.plot.SetTTMax("11"));
  EXPECT_TRUE(s.plot.NearestLine(d110, 5, s.cell, s.pattern, false).empty());
}

// The indexing window's marks: the preview of a candidate cell dashed over
// the whole height, below the measured data, and the peak list as ticks at
// the top, each in its own colour and only inside the window.
TEST(XRDDrawing, PreviewLinesAreDashedAndPeakTicksSitAtTheTop) {
  Scene s;
  s.plot.PreviewLines = {30.0f, 75.0f};  // 75 lies outside 20..60
  s.plot.PeakTicks = {25.0f, 10.0f};
  s.plot.ObservedTicks = {40.0f};
  s.Draw("", true);
  const auto preview = s.Lines(CXRDPlot::kPreviewLineColour);
  ASSERT_GT(preview.size(), 10u);  // broken into dashes
  double covered = 0;
  for (const auto& p : preview) {
    EXPECT_EQ(p.x1, 30.0);
    EXPECT_EQ(p.x2, 30.0);
    covered += std::abs(p.y2 - p.y1);
  }
  // Dashes from the bottom to the top, with gaps between them.
  EXPECT_NEAR(std::min(preview.front().y1, preview.front().y2), 0.0, 1e-9);
  EXPECT_GT(std::max(preview.back().y1, preview.back().y2), 950.0);
  EXPECT_GT(covered, 300.0);
  EXPECT_LT(covered, 900.0);
  const auto ticks = s.Lines(CXRDPlot::kPeakTickColour);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].x1, 25.0);
  EXPECT_EQ(std::max(ticks[0].y1, ticks[0].y2), 1000.0);
  EXPECT_LT(std::abs(ticks[0].y2 - ticks[0].y1), 100.0);
  EXPECT_EQ(s.Lines(CXRDPlot::kObservedTickColour).size(), 1u);
  EXPECT_NE(CXRDPlot::kPreviewLineColour, CXRDPlot::kPeakTickColour);
}
