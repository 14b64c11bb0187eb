// The fluorescence-lines dialog's model: what it stores with the stored phases.
#include "mainwindow/fluorescence.h"

#include <gtest/gtest.h>

#include "mainwindow/main_model.h"
#include "mainwindow/scripted_platform.h"

namespace quorlin {
namespace {

TEST(Fluorescence, StoreReplacesEverySlotAndDeleteClears) {
  testing::ScriptedPlatform platform;
  MainModel m(platform);
  FluorescenceModel f(m);
  f.txtElement = {"cu", "", "Xx", "", "pb"};
  f.StoreAll();
  // McMaster: Cu K-alpha 8.047, K-beta 8.904 keV, no L lines listed below Z = 30.
  EXPECT_FLOAT_EQ(m.storedphases.StoredFluorescenceLine(1, 0), 8.047f);
  EXPECT_FLOAT_EQ(m.storedphases.StoredFluorescenceLine(2, 0), 8.904f);
  EXPECT_EQ(m.storedphases.StoredFluorescenceLine(3, 0), 0);
  for (int line = 1; line <= 4; ++line) {
    EXPECT_EQ(m.storedphases.StoredFluorescenceLine(line, 1), 0);  // empty box
    EXPECT_EQ(m.storedphases.StoredFluorescenceLine(line, 2), 0);  // unknown symbol
    EXPECT_GT(m.storedphases.StoredFluorescenceLine(line, 4), 0);  // Pb has all four
  }
  // Clearing a box and storing again removes that element's lines.
  f.txtElement[0].clear();
  f.StoreAll();
  EXPECT_EQ(m.storedphases.StoredFluorescenceLine(1, 0), 0);
  EXPECT_GT(m.storedphases.StoredFluorescenceLine(1, 4), 0);
  f.DeleteAll();
  EXPECT_EQ(m.storedphases.StoredFluorescenceLine(1, 4), 0);
}

}  // namespace
}  // namespace quorlin
