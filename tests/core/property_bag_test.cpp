#include "core/property_bag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "core/errors.h"
#include "core/bag_file.h"

using namespace quorlin;

namespace {

PropertyBag SampleBag() {
  PropertyBag bag;
  bag.WriteProperty("Integer", std::int16_t{-32768}, std::int16_t{0});
  bag.WriteProperty("Long", std::int32_t{2147483647}, std::int32_t{0});
  bag.WriteProperty("Single", 0.1f, 0.0f);
  bag.WriteProperty("Double", 1.0 / 3.0, 0.0);
  bag.WriteProperty("Boolean", true, false);
  bag.WriteProperty("String", std::string("C:\\data\\ünïcode.gsa"), std::string(""));
  bag.WriteProperty("Tiny", std::numeric_limits<float>::denorm_min(), 0.0f);
  return bag;
}

std::filesystem::path TempDir() {
  auto d = std::filesystem::temp_directory_path() / ("quorlin-bag-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(d);
  return d;
}

}  // namespace

TEST(PropertyBag, DefaultsAreOmittedAndReadBack) {
  PropertyBag bag;
  bag.WriteProperty("CellType", std::int32_t{1}, std::int32_t{1});
  bag.WriteProperty("SpecimenDisplacement", 0.0f, std::string("0"));
  bag.WriteProperty("EdgeMin", std::string("1"), std::string("1"));
  EXPECT_TRUE(bag.empty());
  EXPECT_EQ(bag.ReadLong("CellType", 1), 1);
  EXPECT_EQ(bag.ReadString("EdgeMin", "1"), "1");
  // A later write of the default removes an earlier value.
  bag.WriteProperty("X", 3.0f, 0.0f);
  bag.WriteProperty("x", 0.0f, 0.0f);
  EXPECT_FALSE(bag.Contains("X"));
}

TEST(PropertyBag, KeysIgnoreCase) {
  PropertyBag bag;
  bag.WriteProperty("m_NumberOfPeaks", std::int16_t{3}, std::int16_t{0});
  EXPECT_EQ(bag.ReadInteger("m_numberofpeaks", 0), 3);
  bag.WriteProperty("M_NUMBEROFPEAKS", std::int16_t{4}, std::int16_t{0});
  EXPECT_EQ(bag.size(), 1u);
  EXPECT_EQ(bag.ReadInteger("m_NumberOfPeaks", 0), 4);
}

TEST(PropertyBag, ValuesConvertLikeVariants) {
  PropertyBag bag;
  bag.WriteProperty("s", 2.5f, 0.0f);
  bag.WriteProperty("t", std::string("17"), std::string(""));
  bag.WriteProperty("b", true, false);
  bag.WriteProperty("big", 1e6f, 0.0f);
  EXPECT_EQ(bag.ReadInteger("s", 0), 2);  // half to even
  EXPECT_EQ(bag.ReadLong("t", 0), 17);
  EXPECT_EQ(bag.ReadSingle("t", 0), 17.0f);
  EXPECT_EQ(bag.ReadString("s", ""), "2.5");
  EXPECT_EQ(bag.ReadLong("b", 0), -1);
  EXPECT_EQ(bag.ReadInteger("big", 9), 9);  // does not fit: default
  EXPECT_EQ(bag.ReadString("absent", "dflt"), "dflt");
}

TEST(PropertyBag, EveryTypeRoundTripsExactly) {
  PropertyBag bag = SampleBag();
  float nan = std::numeric_limits<float>::quiet_NaN();
  bag.WriteProperty("NaN", nan, 0.0f);
  PropertyBag back;
  back.SetContents(bag.Contents());
  EXPECT_TRUE(back == bag);
  EXPECT_EQ(back.ReadInteger("Integer", 0), -32768);
  EXPECT_EQ(back.ReadLong("Long", 0), 2147483647);
  EXPECT_EQ(back.ReadSingle("Single", 0), 0.1f);
  EXPECT_EQ(back.ReadDouble("Double", 0), 1.0 / 3.0);
  EXPECT_TRUE(back.ReadBoolean("Boolean", false));
  EXPECT_EQ(back.ReadString("String", ""), "C:\\data\\ünïcode.gsa");
  EXPECT_EQ(back.ReadSingle("Tiny", 0), std::numeric_limits<float>::denorm_min());
  EXPECT_TRUE(std::holds_alternative<std::int16_t>(back.ReadProperty("Integer", 0.0)));
}

TEST(PropertyBag, MalformedPayloadIsRefusedAndBagUnchanged) {
  PropertyBag good = SampleBag();
  auto bytes = good.Contents();
  PropertyBag target;
  target.WriteProperty("keep", std::int32_t{5}, std::int32_t{0});
  PropertyBag before = target;

  // Every truncation is refused.
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(target.SetContents(cut), QuorlinError) << n;
    ASSERT_TRUE(target == before);
  }
  auto wrongVersion = bytes;
  wrongVersion[4] = 9;
  EXPECT_THROW(target.SetContents(wrongVersion), QuorlinError);
  auto extra = bytes;
  extra.push_back(0);
  EXPECT_THROW(target.SetContents(extra), QuorlinError);
  // Random garbage never crashes and never half-fills the bag.
  std::mt19937 rng(3);
  for (int i = 0; i < 3000; ++i) {
    auto g = bytes;
    int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) g[rng() % g.size()] = static_cast<std::uint8_t>(rng());
    try {
      target.SetContents(g);
      target = before;
    } catch (const QuorlinError&) {
      ASSERT_TRUE(target == before);
    }
  }
}

TEST(ProjectContainer, HeaderLayoutAndRoundTrip) {
  std::vector<std::uint8_t> payload{1, 2, 3};
  auto wrapped = WrapContainer(payload);
  std::vector<std::uint8_t> expected{0x11, 0x20, 1, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};
  EXPECT_EQ(wrapped, expected);
  wrapped.push_back(99);  // bytes after the value are ignored
  EXPECT_EQ(UnwrapContainer(wrapped, "x.prb"), payload);
  wrapped[0] = 0x12;
  EXPECT_THROW(UnwrapContainer(wrapped, "x.prb"), FormatError);
  std::vector<std::uint8_t> lying{0x11, 0x20, 1, 0, 0xff, 0xff, 0xff, 0x7f, 0, 0, 0, 0};
  try {
    UnwrapContainer(lying, "lying.prb");
    FAIL();
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("lying.prb"), std::string::npos);
  }
}

TEST(ProjectContainer, FilesRoundTripAndFailuresKeepTheOldFile) {
  auto dir = TempDir();
  std::string name = (dir / "prøject.prb").string();
  PropertyBag bag = SampleBag();
  WritePropertyBagToFile(name, bag);
  EXPECT_TRUE(ReadPropertyBagFromFile(name) == bag);
  EXPECT_TRUE(ReadPropertyBagFromFile((dir / "missing.prb").string()).empty());
  EXPECT_TRUE(ReadPropertyBagFromFile("").empty());

  // A foreign file is refused with its name in the message.
  std::string foreign = (dir / "foreign.prb").string();
  std::ofstream(foreign) << "hello, this is not a project";
  try {
    ReadPropertyBagFromFile(foreign);
    FAIL();
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("foreign.prb"), std::string::npos);
  }

  // Writing into a folder that does not exist fails and leaves nothing behind.
  EXPECT_THROW(WritePropertyBagToFile((dir / "no" / "such" / "x.prb").string(), bag), QuorlinError);
  std::filesystem::remove_all(dir);
}
