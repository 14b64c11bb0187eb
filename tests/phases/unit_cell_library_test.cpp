// The unit-cell library file: round trip, the documented key layout, and
// damaged files refused by name with nothing changed.
#include "phases/unit_cell_library.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>

#include "core/bag_file.h"
#include "core/errors.h"

using namespace quorlin;
namespace fs = std::filesystem;

namespace {

fs::path TempFile(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("quorlin_ucl_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir / name;
}

void WriteBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> FileOf(const PropertyBag& bag) { return WrapContainer(bag.Contents()); }

UnitCellLibrary Sample() {
  UnitCellLibrary lib;
  lib.SetGroupName(0, "Standards");
  lib.SetGroupName(7, "Pressure markers");
  lib.Entry(0, 0) = {"Si NIST 640c", 1, 11, {5.431194f, 5.431194f, 5.431194f, 90, 90, 90}};
  lib.Entry(0, 19) = {"quartz", 3, -1, {4.9134f, 4.9134f, 5.4052f, 90, 90, 120}};
  lib.Entry(7, 5) = {"NaCl B1", 1, 12, {5.6402f, 5.6402f, 5.6402f, 90, 90, 90}};
  lib.Entry(3, 2) = {"anorthite", 7, -1, {8.1768f, 12.8768f, 14.1690f, 93.17f, 115.85f, 91.22f}};
  // A removed cell keeps its values, hidden behind the free name.
  lib.Entry(5, 1) = {".", 6, 2, {5, 6, 7, 90, 100, 90}};
  return lib;
}

}  // namespace

TEST(UnitCellLibrary, FileRoundTripKeepsEveryValueExactly) {
  const UnitCellLibrary lib = Sample();
  const fs::path file = TempFile("round.ucl");
  lib.WriteFile(file.string());
  UnitCellLibrary back = UnitCellLibrary::ReadFile(file.string());
  EXPECT_TRUE(back == lib);
  EXPECT_EQ(back.Entry(3, 2).parameters[4], 115.85f);
  EXPECT_EQ(back.Entry(5, 1).symmetry, 6);
  EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

TEST(UnitCellLibrary, KeysFollowTheDocumentedOrderAndOmitDefaults) {
  // An empty library: the 12-byte header and an empty bag ("QBAG", version 1,
  // no entries: 10 bytes), as docs/project-format.md describes it.
  PropertyBag bag;
  UnitCellLibrary().WriteToBag(bag);
  EXPECT_EQ(FileOf(bag).size(), 22u);

  UnitCellLibrary lib;
  lib.SetGroupName(3, "only this one");
  lib.Entry(1, 4) = {"Q", 5, 0, {3, 4, 5, 90, 90, 90}};
  lib.WriteToBag(bag);
  std::vector<std::string> names;
  for (const auto& e : bag.Entries()) names.push_back(e.name);
  // Group 1's slot comes before group 3's name; a right angle is not the
  // default 0 and is kept, a free slot stores nothing.
  EXPECT_EQ(names, (std::vector<std::string>{"CellNames(1,4)", "CellSymmetries(1,4)", "ExtinctionNumbers(1,4)",
                                             "CellParameters(1,4,0)", "CellParameters(1,4,1)", "CellParameters(1,4,2)",
                                             "CellParameters(1,4,3)", "CellParameters(1,4,4)", "CellParameters(1,4,5)",
                                             "GroupNames(3)"}));
  EXPECT_EQ(bag.ReadInteger("ExtinctionNumbers(1,4)", -1), 0);
}

TEST(UnitCellLibrary, MissingOrUnnamedFileGivesAnEmptyLibrary) {
  EXPECT_TRUE(UnitCellLibrary::ReadFile("") == UnitCellLibrary());
  EXPECT_TRUE(UnitCellLibrary::ReadFile(TempFile("absent.ucl").string()) == UnitCellLibrary());
  EXPECT_EQ(UnitCellLibrary().Entry(7, 19).name, ".");
  EXPECT_EQ(UnitCellLibrary().GroupName(0), " ");
}

// Each damaged file is refused with one message that names it; the reader
// never returns a half-read library (the window keeps its own, see
// unit_cell_database_test.cpp).
TEST(UnitCellLibrary, DamagedFilesAreRefusedByName) {
  auto bagWith = [](std::function<void(PropertyBag&)> fill) {
    PropertyBag bag;
    Sample().WriteToBag(bag);
    fill(bag);
    return FileOf(bag);
  };
  std::vector<std::uint8_t> good = bagWith([](PropertyBag&) {});
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"empty file", {}},
      {"header cut short", {good.begin(), good.begin() + 7}},
      {"payload cut short", {good.begin(), good.end() - 5}},
      {"wrong container type",
       [&] {
         auto b = good;
         b[0] = 0x08;
         return b;
       }()},
      {"wrong bag signature",
       [&] {
         auto b = good;
         b[12] = 'X';
         return b;
       }()},
      {"crystal system 99",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellSymmetries(0,0)", std::int32_t{99}, std::int32_t{7}); })},
      {"crystal system 0",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellSymmetries(2,2)", std::int32_t{0}, std::int32_t{7}); })},
      {"extinction number -2",
       bagWith([](PropertyBag& b) { b.WriteProperty("ExtinctionNumbers(0,0)", std::int16_t{-2}, std::int16_t{-1}); })},
      {"extinction number 500",
       bagWith([](PropertyBag& b) { b.WriteProperty("ExtinctionNumbers(0,0)", std::int16_t{500}, std::int16_t{-1}); })},
      {"parameter not a number", bagWith([](PropertyBag& b) {
         b.WriteProperty("CellParameters(0,0,0)", std::numeric_limits<float>::quiet_NaN(), std::string("0.0"));
       })},
      {"parameter is text", bagWith([](PropertyBag& b) {
         b.WriteProperty("CellParameters(0,0,1)", std::string("five"), std::string("0.0"));
       })},
      {"parameter beyond single",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellParameters(0,0,2)", 1e300, std::string("0.0")); })},
      {"negative edge",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellParameters(0,0,0)", -5.4f, std::string("0.0")); })},
      {"angle of 180",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellParameters(3,2,4)", 180.0f, std::string("0.0")); })},
      // 60 + 60 + 150 degrees: the three axes cannot meet (no volume).
      {"angles without volume", bagWith([](PropertyBag& b) {
         b.WriteProperty("CellParameters(3,2,3)", 60.0f, std::string("0.0"));
         b.WriteProperty("CellParameters(3,2,4)", 60.0f, std::string("0.0"));
         b.WriteProperty("CellParameters(3,2,5)", 150.0f, std::string("0.0"));
       })},
      {"filled slot without a cell",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellNames(6,6)", std::string("ghost"), std::string(".")); })},
      {"name stored as a number",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellNames(0,0)", std::int32_t{3}, std::string(".")); })},
      {"empty cell name",
       bagWith([](PropertyBag& b) { b.WriteProperty("CellNames(0,0)", std::string(""), std::string(".")); })},
      {"a project, not a library",
       [] {
         PropertyBag b;
         b.WriteProperty("CellType", std::int32_t{-1}, std::int32_t{1});
         return FileOf(b);
       }()},
  };
  // Where the message must say what is wrong with the value.
  const std::map<std::string, std::string> says = {
      {"crystal system 99", "is 99, outside the range (expected 1 to 8)"},
      {"negative edge", "its edges must be positive"},
      {"angle of 180", "its angles must lie between 0 and 180 degrees"},
      {"angles without volume", "its angles cannot close"},
  };
  for (const Case& c : cases) {
    const fs::path file = TempFile("damaged.ucl");
    WriteBytes(file, c.bytes);
    try {
      UnitCellLibrary::ReadFile(file.string());
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << c.what << ": " << e.what();
      if (auto it = says.find(c.what); it != says.end())
        EXPECT_NE(std::string(e.what()).find(it->second), std::string::npos) << c.what << ": " << e.what();
    }
  }
  // The good file itself reads.
  const fs::path file = TempFile("good.ucl");
  WriteBytes(file, good);
  EXPECT_TRUE(UnitCellLibrary::ReadFile(file.string()) == Sample());
}
