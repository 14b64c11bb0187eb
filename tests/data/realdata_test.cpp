// Readers against files written by other programs. Expected values are the
// files' own numbers (first and last data rows, the declared counts).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <random>
#include <sstream>

#include "core/errors.h"
#include "data/formats.h"
#include "data/readers.h"

using namespace quorlin;
namespace fs = std::filesystem;

namespace {

std::string RealData(const std::string& relative) { return std::string(QUORLIN_SHARED_DIR) + "/realdata/" + relative; }

#define REQUIRE_REALDATA()                                                        \
  if (!fs::exists(RealData("SOURCES.md"))) GTEST_SKIP() << "no realdata folder"; \
  static_assert(true)

CData ReadReal(const std::string& relative, std::string_view format, ReadNotes* notes = nullptr,
               RecordingMessages* messages = nullptr) {
  CData d;
  ReadNotes n = ReadDataFile(RealData(relative), format, d, messages);
  if (notes) *notes = n;
  return d;
}

std::string RefusalOf(const std::string& relative, std::string_view format) {
  CData d;
  d.SetPattern({1}, {2});
  try {
    ReadDataFile(RealData(relative), format, d);
  } catch (const FormatError& e) {
    EXPECT_EQ(d.NChan(), 1) << relative;
    EXPECT_EQ(d.Intensity(0), 2) << relative;
    return e.what();
  }
  ADD_FAILURE() << relative << " was not refused";
  return {};
}

}  // namespace

TEST(RealGsas, ConstantStepFilesReadWithTheirOwnNumbers) {
  REQUIRE_REALDATA();
  RecordingMessages msgs;
  CData d = ReadReal("gsas/PBSO4.XRA", "", nullptr, &msgs);
  ASSERT_EQ(d.NChan(), 6001);
  EXPECT_EQ(d.Intensity(0), 179);
  EXPECT_EQ(d.Intensity(6000), 368);
  EXPECT_EQ(d.TwoTheta(1), 10.025f);
  EXPECT_EQ(d.Lower, 10);
  EXPECT_EQ(d.Upper, 160);  // floor((6000 * 2.5 + 1000) / 100 + 0.95)
  EXPECT_TRUE(msgs.shown.empty());

  // Counter-field records, NREC 292 with a duplicated 293rd record.
  d = ReadReal("gsas/PBSO4.CWN", "gsa");
  ASSERT_EQ(d.NChan(), 2919);
  EXPECT_EQ(d.Intensity(0), 220);
  EXPECT_EQ(d.Intensity(2918), 450);
  EXPECT_FLOAT_EQ(d.TwoTheta(2918), 155.9f);

  // ESD records keep their fractions; an all-blank title line.
  d = ReadReal("gsas/Er2Ge2O7_op2112_Ge113_2K.gss", "");
  ASSERT_EQ(d.NChan(), 2459);
  EXPECT_EQ(d.Intensity(0), 927.65);
  EXPECT_EQ(d.Intensity(1), 866.33);
  EXPECT_EQ(d.Intensity(2458), 194.06);
  EXPECT_FLOAT_EQ(d.TwoTheta(0), 2.025f);

  // A title line holding binary bytes, NUL among them.
  d = ReadReal("gsas/La7Ca3MnO3_50k.gsas", "");
  ASSERT_EQ(d.NChan(), 3296);
  EXPECT_EQ(d.Intensity(0), 344);
  EXPECT_EQ(d.Intensity(3295), 876);

  // Non-integer start and step; a short last record.
  d = ReadReal("gsas/NIST660CBI.gsas", "");
  ASSERT_EQ(d.NChan(), 8378);
  EXPECT_FLOAT_EQ(d.TwoTheta(0), 15.0066f);
  EXPECT_EQ(d.Intensity(8377), 370);
  d = ReadReal("gsas/Quinoli.gda", "");
  ASSERT_EQ(d.NChan(), 7361);
  EXPECT_EQ(d.Intensity(7360), 196.7);

  // CONS FXYE, 49 493 points (beyond any 16-bit count), x in centidegrees.
  d = ReadReal("gsas/11bmb_8714.fxye", "");
  ASSERT_EQ(d.NChan(), 49493);
  EXPECT_FLOAT_EQ(d.TwoTheta(0), 0.5f);
  EXPECT_DOUBLE_EQ(d.Intensity(0), 142.728866);
  EXPECT_FLOAT_EQ(d.TwoTheta(49492), 49.98543f);

  // Declares 2415 channels, holds 2395: the points present and a note.
  ReadNotes notes;
  d = ReadReal("gsas/PrSrMnO.gda", "", &notes);
  EXPECT_EQ(d.NChan(), 2395);
  EXPECT_EQ(d.Intensity(2394), 15);
  EXPECT_EQ(notes.size(), 1u);

  for (const char* f : {"gsas/FAP.XRA", "gsas/105870-pe-GaPO4_ed.gsas", "gsas/garnet.raw"})
    EXPECT_GT(ReadReal(f, "").NChan(), 2000) << f;

  // Time-of-flight banks have no 2-theta axis.
  EXPECT_NE(RefusalOf("gsas/gem05984.gss", "").find("gem05984.gss:2:"), std::string::npos);
  EXPECT_NE(RefusalOf("gsas/PG3_17541.gsa", "").find("PG3_17541.gsa:14:"), std::string::npos);
}

TEST(RealChiMcaXy, FilesReadAndImpostorsRefused) {
  REQUIRE_REALDATA();
  CData d = ReadReal("chi/feooh.chi", "");
  ASSERT_EQ(d.NChan(), 7727);
  EXPECT_FLOAT_EQ(d.TwoTheta(0), 5.0054332f);
  EXPECT_DOUBLE_EQ(d.Intensity(0), 425.0);
  EXPECT_FLOAT_EQ(d.Upper, 89.991433f);

  d = ReadReal("chi/hSiO2_404_009.chi", "");  // CR LF, padded count line
  ASSERT_EQ(d.NChan(), 2155);
  EXPECT_DOUBLE_EQ(d.Intensity(2154), 6.8590584);

  d = ReadReal("chi/Rw_1wtH2O_40sec.bgsub.chi", "");  // negative intensities
  ASSERT_EQ(d.NChan(), 1364);
  EXPECT_DOUBLE_EQ(d.Intensity(1363), -3.3061591);

  ReadNotes notes;
  d = ReadReal("chi/pattern_001.chi", "", &notes);  // says 1455, holds 75
  EXPECT_EQ(d.NChan(), 75);
  EXPECT_EQ(notes.size(), 1u);
  EXPECT_EQ(ReadReal("chi/chiplot.chi", "").NChan(), 10);

  EXPECT_FALSE(RefusalOf("chi/cu.chi", "").empty());
  EXPECT_NE(RefusalOf("chi/xrd_LaB6_660c_std_brac2_20250724-194924_70c707_primary-1_mean_tth.chi", "").find(
                "format \"xy\""),
            std::string::npos);
  // The same two-column file read for what it is.
  EXPECT_EQ(ReadReal("chi/xrd_LaB6_660c_std_brac2_20250724-194924_70c707_primary-1_mean_tth.chi", "xy").NChan(),
            4096);

  d = ReadReal("mca/COSI_021_0001.med", "", &notes);  // ten elements: the first
  ASSERT_EQ(d.NChan(), 2048);
  EXPECT_EQ(d.DataType, "Energy");
  EXPECT_EQ(d.edsCAL_OFFSET, 9.6714117e-2f);
  EXPECT_EQ(d.edsCAL_SLOPE, 6.4842783e-2f);
  EXPECT_EQ(d.edsCAL_QUAD, 1.2718128e-8f);
  EXPECT_EQ(d.edsTWO_THETA, 6.4959435f);
  EXPECT_EQ(d.Intensity(1), 551);
  EXPECT_EQ(d.Upper, 2047);
  ASSERT_FALSE(notes.empty());
  EXPECT_NE(notes[0].find("10 detector elements"), std::string::npos);
  d = ReadReal("mca/srm1832.mca", "", &notes);  // no TWO_THETA line
  EXPECT_EQ(d.NChan(), 2048);
  EXPECT_EQ(d.edsCAL_OFFSET, -1.068655e-2f);
  for (const char* f : {"mca/xrf_spectra.mca", "mca/axorf4_21kev_i050.xrf", "mca/sample_med.xrf", "mca/COSI_022_0019.med"})
    EXPECT_EQ(ReadReal(f, "").NChan(), 2048) << f;
  EXPECT_NE(RefusalOf("mca-canberra-binary/04nacl02.mca", "").find("DATA:"), std::string::npos);

  d = ReadReal("xy/Si_Cu_sputter_exported.xye", "");
  ASSERT_EQ(d.NChan(), 17851);
  EXPECT_DOUBLE_EQ(d.Intensity(0), -0.0230666073326672);  // normalised counts survive
  EXPECT_DOUBLE_EQ(d.Intensity(17850), -0.0110508626669641);
  d = ReadReal("xy/CeO2_Pilatus1M.xy", "");
  ASSERT_EQ(d.NChan(), 1512);
  EXPECT_DOUBLE_EQ(d.Intensity(0), 2.434518099);
  EXPECT_EQ(ReadReal("xy/SiC_Zn.dat", "").NChan(), 4001);
  EXPECT_EQ(ReadReal("xy/nacl01.dat", "").NChan(), 840);
  d = ReadReal("xy/x3lactos.xye", "");
  EXPECT_EQ(d.NChan(), 4776);
  EXPECT_EQ(d.Intensity(4775), 403);
  EXPECT_FALSE(RefusalOf("xy/CeO2_Pilatus1M.poni", "").empty());
}

// A real STD file (PBSO4.XRA) and a real ESD file (Quinoli.gda) with one
// count of their tenth line overwritten by text: refused naming that line,
// where a lenient read would have taken the digits before the text.
TEST(RealGsas, DamagedRecordsRefusedNamingTheirLine) {
  REQUIRE_REALDATA();
  for (const char* name : {"gsas/PBSO4.XRA", "gsas/Quinoli.gda"}) {
    std::string text = ReadWholeFile(RealData(name));
    std::size_t at = 0;
    for (int line = 1; line < 10; ++line) at = text.find('\n', at) + 1;
    text.replace(at + 4, 3, "7?7");  // inside the first count of line 10
    CData d;
    d.SetPattern({1}, {2});
    std::istringstream in(text);
    try {
      OpenGSAS(in, name, d);
      ADD_FAILURE() << name << " was read";
    } catch (const FormatError& e) {
      EXPECT_EQ(e.line(), 10) << e.what();
      EXPECT_EQ(d.NChan(), 1);
    }
  }
}

// Every real pattern file cut short, with bytes overwritten, or with its
// declared count inflated is either read or refused with a FormatError that
// leaves the data set alone; nothing else may happen.
TEST(RealFiles, DamagedCopiesReadOrRefuseCleanly) {
  REQUIRE_REALDATA();
  std::mt19937 random(12345);
  int refused = 0, read = 0;
  for (const char* folder : {"gsas", "chi", "mca", "xy", "mca-canberra-binary"}) {
    for (const auto& entry : fs::directory_iterator(RealData(folder))) {
      std::string text = ReadWholeFile(entry.path().string());
      if (text.size() > 150000) text.resize(150000);  // keep the run short
      std::vector<std::string> variants;
      for (double cut : {0.0, 0.001, 0.1, 0.5, 0.97}) variants.push_back(text.substr(0, std::size_t(cut * text.size())));
      for (int k = 0; k < 4; ++k) {
        std::string garbled = text;
        for (int j = 0; j < 20 && !garbled.empty(); ++j)
          garbled[random() % garbled.size()] = static_cast<char>(random() % 256);
        variants.push_back(garbled);
      }
      for (const char* count : {"99999999", "-7", "40000"}) {
        std::string inflated = text;
        for (const char* key : {"CHANNELS:", "BANK 1 "}) {
          auto at = inflated.find(key);
          if (at != std::string::npos) inflated.insert(at + std::strlen(key), std::string(" ") + count + " ");
        }
        variants.push_back(inflated);
      }
      for (const auto& format : DataFormats()) {
        for (const auto& v : variants) {
          CData d;
          d.SetPattern({1}, {2});
          std::istringstream in(v);
          try {
            format.read(in, "damaged", d, nullptr);
            ++read;
            EXPECT_GT(d.NChan(), 0);
            EXPECT_EQ(d.XValues().size(), d.Intensities().size());
          } catch (const FormatError&) {
            ++refused;
            EXPECT_EQ(d.NChan(), 1);
          }
        }
      }
    }
  }
  EXPECT_GT(refused, 100);
  EXPECT_GT(read, 10);
}
