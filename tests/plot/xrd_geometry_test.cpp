#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/data.h"
#include "plot/xrd_plot.h"

using namespace quorlin;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Bragg's law with a displaced specimen, worked in double precision:
// 2theta_obs = 2 asin(lambda / 2d) - 2 s cos(theta), in degrees.
double BraggTwoTheta(double lambda, double d, double s) {
  double theta = std::asin(lambda / (2.0 * d));
  return (2.0 * theta - 2.0 * s * std::cos(theta)) * 180.0 / kPi;
}

CData EnergyData() {
  CData data;
  data.SetNChan(4096);
  data.edsTWO_THETA = 7.5f;
  data.edsCAL_OFFSET = 0.1f;
  data.edsCAL_SLOPE = 0.02f;
  data.edsCAL_QUAD = 1e-6f;
  return data;
}

}  // namespace

TEST(XRDGeometry, TwoThetaFollowsBraggsLawForSeveralWavelengthsAndDisplacements) {
  CData data;
  CXRDPlot plot(data);
  // Cu K-alpha1, Mo K-alpha1, Cr K-alpha1 (International Tables, Vol. C).
  for (float lambda : {1.540562f, 0.7093f, 2.28970f}) {
    for (float d : {0.9f, 1.2f, 2.0f, 3.5f, 9.0f}) {
      if (lambda / (2.0 * d) >= 1.0) continue;  // no reflection at any angle
      for (float s : {0.0f, 0.001f, -0.002f}) {
        plot.SpecimenDisplacement = s;
        double expected = BraggTwoTheta(lambda, d, s);
        // Single precision throughout: a few 1e-5 degree; the 60/90/120 snap
        // may move a result by up to 0.001.
        EXPECT_NEAR(plot.TTFromD(lambda, d), expected, 1.1e-3) << lambda << " " << d << " " << s;
        if (std::fabs(expected - 60) > 0.01 && std::fabs(expected - 90) > 0.01 && std::fabs(expected - 120) > 0.01) {
          EXPECT_NEAR(plot.TTFromD(lambda, d), expected, 1e-4) << lambda << " " << d << " " << s;
        }
        // Without displacement, whatever the displacement setting.
        EXPECT_NEAR(plot.TTFromDWithoutDisplacement(lambda, d), BraggTwoTheta(lambda, d, 0), 2.1e-3);
      }
    }
  }
  // A displacement of 0.001 at 2theta = 90: -2 * 0.001 * cos(45 deg) rad = -0.0810 deg.
  plot.SpecimenDisplacement = 0.001f;
  float d90 = static_cast<float>(1.540562 / (2.0 * std::sin(kPi / 4)));
  EXPECT_NEAR(plot.TTFromD(1.540562f, d90) - 90.0, -2.0 * 0.001 * std::cos(kPi / 4) * 180 / kPi, 2e-4);
  // A spacing below lambda/2 has no angle: nothing finite comes back.
  EXPECT_FALSE(std::isfinite(plot.TTFromD(1.540562f, 0.5f)));
}

TEST(XRDGeometry, DFromTTInvertsTTFromDAndUsesThePrimaryLine) {
  CData data;
  data.SetLambda(1, 1.54439f);
  data.PrimaryLine = 1.4f;  // rounds to line 1
  CXRDPlot plot(data);
  for (float s : {0.0f, 0.001f, 0.003f}) {
    plot.SpecimenDisplacement = s;
    for (float d : {0.8f, 1.1f, 1.7f, 2.5f, 4.0f, 12.0f}) {
      float tt = plot.TTFromD(1.54439f, d);
      // Three fixed-point steps leave an error of order s^4: far below Single rounding.
      EXPECT_NEAR(plot.DFromTT(tt), d, 2e-5 * d) << s << " " << d;
    }
  }
  // Without displacement the closed form lambda / (2 sin(tt/2)).
  plot.SpecimenDisplacement = 0.002f;
  EXPECT_NEAR(plot.DFromTTWithoutDisplacement(40.0f), 1.54439 / (2 * std::sin(20 * kPi / 180)), 1e-5);
  // ...which the displaced conversion does not reproduce: the correction acts.
  EXPECT_GT(std::fabs(plot.DFromTT(40.0f) - plot.DFromTTWithoutDisplacement(40.0f)), 1e-4);
  // Binding another data set moves the edge spacings to its wavelength.
  CXRDPlot unbound;
  unbound.BindData(data);
  EXPECT_FLOAT_EQ(unbound.DMin(), static_cast<float>(1.54439 / (2 * std::sin(179.99 / 2 * kPi / 180))));
  // An unknown axis kind converts to 0.
  plot.SetDataType("Neutron");
  EXPECT_EQ(plot.DFromTT(40.0f), 0.0f);
}

TEST(XRDGeometry, EnergyAndChannelAgreeWithTheCalibrationPolynomial) {
  CData data = EnergyData();
  CXRDPlot plot(data);
  plot.SetDataType("Energy");
  for (double ch : {0.0, 17.25, 1000.0, 2047.5, 4000.0}) {
    double e = 1e-6 * ch * ch + 0.02 * ch + 0.1;  // the polynomial, by hand
    EXPECT_NEAR(plot.EnergyFromChannel(static_cast<float>(ch)), e, 1e-5 * e);
    // Between channels the bisection lands within 0.005 of the exact channel.
    if (ch > 0) {
      EXPECT_NEAR(plot.ChannelFromEnergy(static_cast<float>(e)), ch, 0.005) << ch;
    }
  }
  // Outside the calibrated channels: -1, also for the end points themselves.
  EXPECT_EQ(plot.ChannelFromEnergy(plot.EnergyFromChannel(4095) + 0.01f), -1.0f);
  EXPECT_EQ(plot.ChannelFromEnergy(plot.EnergyFromChannel(4095)), -1.0f);
  EXPECT_EQ(plot.ChannelFromEnergy(0.05f), -1.0f);
  EXPECT_EQ(plot.ChannelFromEnergy(std::nanf("")), -1.0f);
  CData empty;
  EXPECT_EQ(CXRDPlot(empty).ChannelFromEnergy(1.0f), -1.0f);

  // E d sin(theta) = 6.1997 keV Angstrom with pi taken as 3.14159.
  double sinTheta = std::sin(7.5 * 3.14159 / 360.0);
  EXPECT_NEAR(CXRDPlot::EnergyFromD(2.0f, 7.5f), 6.1997 / (2.0 * sinTheta), 1e-4);
  EXPECT_NEAR(CXRDPlot::DFromEnergy(CXRDPlot::EnergyFromD(2.0f, 7.5f), 7.5f), 2.0, 1e-5);

  // Energy axis: d -> channel -> d, ignoring the wavelength argument.
  for (float d : {1.2f, 2.0f, 3.0f}) {
    float ch = plot.TTFromD(99.0f, d);
    ASSERT_GT(ch, 0.0f);
    double e = 6.1997 / (d * sinTheta);
    EXPECT_NEAR(1e-6 * ch * ch + 0.02 * ch + 0.1, e, 2e-4 * e);
    EXPECT_NEAR(plot.DFromTT(ch), d, 1e-3 * d);
    EXPECT_EQ(plot.DFromTTWithoutDisplacement(ch), plot.DFromTT(ch));
  }
  // A spacing whose energy lies beyond the last channel is off-scale.
  EXPECT_EQ(plot.TTFromD(1.0f, 0.05f), -1.0f);
}

TEST(XRDGeometry, DataTypeResetsTheWindow) {
  CData data;
  CXRDPlot plot(data);
  EXPECT_EQ(plot.DataType(), "Angle");
  EXPECT_EQ(plot.TTMin(), "0.001");
  EXPECT_EQ(plot.TTMax(), "179.99");
  ASSERT_TRUE(plot.SetTTMax("60"));
  ASSERT_TRUE(plot.SetIMax("500"));
  plot.SpecimenDisplacement = 0.01f;
  plot.ForwardOK = plot.BackwardOK = true;

  plot.SetDataType("Energy");
  EXPECT_EQ(plot.TTMin(), "0");
  EXPECT_EQ(plot.TTMax(), "4095");
  EXPECT_EQ(plot.TTAbsMin, 0.0f);
  EXPECT_EQ(plot.TTAbsMax, 4095.0f);
  EXPECT_EQ(plot.IRoundOff, 1);
  EXPECT_EQ(plot.imin(), "0");
  EXPECT_EQ(plot.IMax(), "10000");
  EXPECT_EQ(plot.SpecimenDisplacement, 0.0f);
  EXPECT_FALSE(plot.ForwardOK);
  EXPECT_FALSE(plot.BackwardOK);

  // An unknown kind keeps the bounds but still resets the window to them.
  ASSERT_TRUE(plot.SetTTMax("100"));
  plot.SetDataType("Other");
  EXPECT_EQ(plot.TTMax(), "4095");
  EXPECT_EQ(plot.IRoundOff, 1);

  // A spectrum of 8192 channels can be viewed to its last channel.
  data.SetNChan(8192);
  plot.SetDataType("Energy");
  EXPECT_EQ(plot.TTMax(), "8191");
  EXPECT_TRUE(plot.SetTTMin("5000"));

  plot.SetDataType("Angle");
  EXPECT_EQ(plot.IRoundOff, 100);
  EXPECT_EQ(plot.TTMin(), "0.001");
  // DMin/DMax are the spacings at the right and left edges.
  EXPECT_FLOAT_EQ(plot.DMin(), plot.DFromTT(179.99f));
  EXPECT_FLOAT_EQ(plot.DMax(), plot.DFromTT(0.001f));
}

TEST(XRDGeometry, LimitTextsAreValidated) {
  CData data;
  CXRDPlot plot(data);
  // Incomplete numbers and non-numbers are refused and change nothing.
  for (const char* bad : {"20.", "20.0", "20.50", "abc", "", "1e39", "0", "180", "123456789012345678901"}) {
    EXPECT_FALSE(plot.SetTTMin(bad)) << bad;
    EXPECT_EQ(plot.TTMin(), "0.001") << bad;
  }
  EXPECT_TRUE(plot.SetTTMin("20.5"));
  ASSERT_TRUE(plot.SetTTMax("40"));
  EXPECT_FLOAT_EQ(plot.DMin(), plot.DFromTT(40.0f));
  EXPECT_FLOAT_EQ(plot.DMax(), plot.DFromTT(20.5f));
  // The minimum must stay 0.01 below the maximum, and the other way round.
  EXPECT_TRUE(plot.SetTTMin("39.99"));
  EXPECT_FALSE(plot.SetTTMax("39.99"));
  EXPECT_TRUE(plot.SetTTMin("20"));
  EXPECT_FALSE(plot.SetTTMax("20.001"));
  EXPECT_FALSE(plot.SetTTMin("39.995"));
  EXPECT_EQ(plot.TTMin(), "20");
  EXPECT_TRUE(plot.SetTTMax("179.99"));  // the bound itself is allowed
  EXPECT_TRUE(plot.SetTTMin("0.001"));

  // In "Energy" mode channel 0 is a valid limit.
  plot.SetDataType("Energy");
  EXPECT_TRUE(plot.SetTTMin("0"));
  EXPECT_FALSE(plot.SetTTMax("4096"));

  // Intensity limits: numeric, at least 1 apart; the text is kept as typed.
  EXPECT_TRUE(plot.Setimin("-50.50"));
  EXPECT_EQ(plot.imin(), "-50.50");
  EXPECT_FALSE(plot.Setimin("9999"));
  EXPECT_TRUE(plot.Setimin("9998.5"));
  EXPECT_FALSE(plot.SetIMax("9999.5"));
  EXPECT_TRUE(plot.SetIMax("9999.6"));
  EXPECT_FALSE(plot.SetIMax("x"));
  EXPECT_FALSE(plot.Setimin("1e400"));
  EXPECT_EQ(plot.IMax(), "9999.6");
}

TEST(XRDGeometry, WindowHistoryRecordsMovesAndKeepsItsFlags) {
  CData data;
  CXRDPlot plot(data);
  plot.SetTTMin("5");
  plot.SetTTMax("90");
  plot.StartHistory();
  // Recording an unchanged window stores nothing.
  plot.LimitHistory(-1);
  EXPECT_FALSE(plot.BackwardOK);
  plot.LimitHistory(1);
  EXPECT_EQ(plot.TTMin(), "5");

  plot.SetTTMin("10");
  plot.LimitHistory(-1);
  plot.LimitHistory(-1);  // same window twice: stored once
  EXPECT_TRUE(plot.BackwardOK);
  EXPECT_FALSE(plot.ForwardOK);
  plot.LimitHistory(1);
  EXPECT_EQ(plot.TTMin(), "5");
  EXPECT_FALSE(plot.BackwardOK);
  EXPECT_TRUE(plot.ForwardOK);
  plot.LimitHistory(1);  // nothing older: flags and window stay
  EXPECT_EQ(plot.TTMin(), "5");
  EXPECT_TRUE(plot.ForwardOK);
  plot.LimitHistory(2);
  EXPECT_EQ(plot.TTMin(), "10");
  EXPECT_FALSE(plot.ForwardOK);
  EXPECT_TRUE(plot.BackwardOK);

  // 60 more windows: the oldest ones fall out of the 50 back places.
  for (int i = 11; i <= 70; ++i) {
    plot.SetTTMin(std::to_string(i));
    plot.LimitHistory(-1);
  }
  EXPECT_TRUE(plot.BackwardOK);
  plot.LimitHistory(0);           // "<<"
  EXPECT_EQ(plot.TTMin(), "20");  // 70 - 50 back places
  EXPECT_FALSE(plot.BackwardOK);
  EXPECT_TRUE(plot.ForwardOK);
  plot.LimitHistory(3);  // ">>"
  EXPECT_EQ(plot.TTMin(), "70");
  EXPECT_FALSE(plot.ForwardOK);
  EXPECT_TRUE(plot.BackwardOK);

  // Back twice, then a new window discards the forward ones.
  plot.LimitHistory(1);
  plot.LimitHistory(1);
  EXPECT_EQ(plot.TTMin(), "68");
  plot.SetTTMax("80");
  plot.LimitHistory(-1);
  EXPECT_FALSE(plot.ForwardOK);
  plot.LimitHistory(2);
  EXPECT_EQ(plot.TTMax(), "80");
  plot.LimitHistory(1);
  EXPECT_EQ(plot.TTMin(), "68");
  EXPECT_EQ(plot.TTMax(), "90");
}

TEST(XRDGeometry, HistoryRestoresWindowsThatDoNotOverlapTheCurrentOne) {
  CData data;
  CXRDPlot plot(data);
  plot.SetTTMin("10");
  plot.SetTTMax("20");
  plot.Setimin("0");
  plot.SetIMax("100");
  plot.StartHistory();
  // A second window wholly above the first, in angle and in intensity.
  plot.SetTTMax("40");
  plot.SetTTMin("30");
  plot.SetIMax("1000");
  plot.Setimin("500");
  plot.LimitHistory(-1);
  plot.LimitHistory(0);
  EXPECT_EQ(plot.TTMin(), "10");
  EXPECT_EQ(plot.TTMax(), "20");
  EXPECT_EQ(plot.imin(), "0");
  EXPECT_EQ(plot.IMax(), "100");
  plot.LimitHistory(3);
  EXPECT_EQ(plot.TTMin(), "30");
  EXPECT_EQ(plot.TTMax(), "40");
  EXPECT_EQ(plot.imin(), "500");
  EXPECT_EQ(plot.IMax(), "1000");
  EXPECT_FLOAT_EQ(plot.DMax(), plot.DFromTT(30.0f));
  // Intensities are kept as whole numbers (rounded half to even).
  plot.Setimin("2.5");
  plot.LimitHistory(-1);
  EXPECT_EQ(plot.imin(), "2");
}

TEST(XRDGeometry, PersistedKeysRoundTrip) {
  CData data;
  CXRDPlot plot(data);
  // An empty bag gives the factory window 5..90, 0..10000.
  plot.ReadObjectState("", PropertyBag{});
  EXPECT_EQ(plot.TTMin(), "5");
  EXPECT_EQ(plot.TTMax(), "90");
  EXPECT_EQ(plot.imin(), "0");
  EXPECT_EQ(plot.IMax(), "10000");
  EXPECT_TRUE(plot.ShowReport);
  EXPECT_EQ(plot.XRDBackColor, kSystemScrollBarColour);
  PropertyBag defaults;
  plot.WriteObjectState("", defaults);
  EXPECT_TRUE(defaults.empty());

  plot.SetTTMin("12.25");
  plot.SetTTMax("77.5");
  plot.Setimin("-20");
  plot.SetIMax("2500.5");
  plot.SpecimenDisplacement = 0.00125f;
  plot.ShowSpecimenDisplacement = true;
  plot.ShowReport = false;
  plot.XRDBackColor = Rgb(255, 255, 255);
  plot.XRDDataWidth = 3;
  plot.XRDDataColor = Rgb(0, 128, 0);
  PropertyBag bag;
  plot.WriteObjectState("p.", bag);
  EXPECT_EQ(bag.size(), 10u);

  CXRDPlot back(data);
  back.ReadObjectState("p.", bag);
  EXPECT_EQ(back.TTMin(), "12.25");
  EXPECT_EQ(back.TTMax(), "77.5");
  EXPECT_EQ(back.imin(), "-20");
  EXPECT_EQ(back.IMax(), "2500.5");
  EXPECT_EQ(back.SpecimenDisplacement, 0.00125f);
  EXPECT_TRUE(back.ShowSpecimenDisplacement);
  EXPECT_FALSE(back.ShowReport);
  EXPECT_EQ(back.XRDBackColor, Rgb(255, 255, 255));
  EXPECT_EQ(back.XRDDataWidth, 3);
  EXPECT_EQ(back.XRDDataColor, Rgb(0, 128, 0));
  // Reading ends with a fresh history.
  EXPECT_FALSE(back.BackwardOK);
  back.LimitHistory(1);
  EXPECT_EQ(back.TTMin(), "12.25");

  // A stored minimum above the current maximum is refused (keys go minimum
  // first) and the old minimum stays; the maximum is then taken.
  CXRDPlot narrow(data);
  narrow.SetTTMin("10");
  narrow.SetTTMax("30");
  PropertyBag high;
  high.WriteProperty("TTMin", std::string("100"), std::string("5"));
  high.WriteProperty("TTMax", std::string("120"), std::string("90"));
  narrow.ReadObjectState("", high);
  EXPECT_EQ(narrow.TTMin(), "10");
  EXPECT_EQ(narrow.TTMax(), "120");
}

TEST(XRDGeometry, UnusableStoredValuesLeaveTheWindowAsItWas) {
  CData data;
  CXRDPlot plot(data);
  ASSERT_TRUE(plot.SetTTMin("10"));
  ASSERT_TRUE(plot.SetTTMax("50"));
  PropertyBag bag;
  bag.WriteProperty("TTMin", std::string("ten"), std::string("5"));
  bag.WriteProperty("TTMax", std::string("1e40"), std::string("90"));
  bag.WriteProperty("IMin", std::string("--3"), std::int32_t{0});
  bag.WriteProperty("IMax", std::string(""), std::int32_t{10000});
  bag.WriteProperty("SpecimenDisplacement", std::numeric_limits<float>::quiet_NaN(), 0.0f);
  plot.ReadObjectState("", bag);
  EXPECT_EQ(plot.TTMin(), "10");
  EXPECT_EQ(plot.TTMax(), "50");
  EXPECT_EQ(plot.imin(), "0");
  EXPECT_EQ(plot.IMax(), "10000");
  EXPECT_EQ(plot.SpecimenDisplacement, 0.0f);
  EXPECT_TRUE(std::isfinite(plot.TTFromD(1.540562f, 2.0f)));
}
